#include "controls/DBGrid.h"

#include "controls/ControlTexts.h"
#include "platform/Messages.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>

namespace jadl {

namespace {

bool isEditState(const Table* t)
{
    return t && t->editing();
}

bool isNumeric(FieldType t)
{
    return t == FieldType::Float || t == FieldType::Integer || t == FieldType::AutoInc;
}

// Selected cells draw their text white, whatever colour the row was given; the
// editor of a text column is limited to the field's size.
class GridDelegate : public QStyledItemDelegate {
public:
    explicit GridDelegate(DBGrid* grid) : QStyledItemDelegate(grid), grid_(grid) { }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (!grid_->beginCellEdit(index))
            return nullptr;
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        grid_->setOpenEditor(editor);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            const int max = index.data(DBGridModel::MaxLengthRole).toInt();
            if (max > 0)
                line->setMaxLength(max);
        }
        return editor;
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->state & QStyle::State_Selected) {
            option->palette.setColor(QPalette::HighlightedText, Qt::white);
            option->palette.setColor(QPalette::Text, Qt::white);
        }
    }

private:
    DBGrid* grid_;
};

} // namespace

// ---------------------------------------------------------------- model

DBGridModel::DBGridModel(QObject* parent) : QAbstractTableModel(parent) { }

void DBGridModel::setDataSource(DataSource* source)
{
    if (source_ == source)
        return;
    for (const auto& c : std::as_const(connections_))
        disconnect(c);
    connections_.clear();
    beginResetModel();
    source_ = source;
    count_ = 0;
    insertRow_ = -1;
    shown_.clear();
    endResetModel();
    if (source_) {
        connections_ << connect(source_, &DataSource::dataSetChanged, this, &DBGridModel::resync)
                     << connect(source_, &DataSource::dataSetScrolled, this, &DBGridModel::cursorMoved)
                     << connect(source_, &DataSource::recordChanged, this, &DBGridModel::onRecordChanged)
                     << connect(source_, &DataSource::stateChanged, this, &DBGridModel::onStateChanged)
                     << connect(source_, &QObject::destroyed, this, [this] {
                            connections_.clear();
                            beginResetModel();
                            count_ = 0;
                            insertRow_ = -1;
                            shown_.clear();
                            endResetModel();
                        });
    }
    resync();
}

Table* DBGridModel::table() const
{
    return source_ ? source_->dataSet() : nullptr;
}

void DBGridModel::setColumns(const QList<DBGridColumn>& columns)
{
    changing_ = true;
    beginResetModel();
    columns_ = columns;
    shown_ = shownColumns();
    endResetModel();
    changing_ = false;
    Q_EMIT cursorMoved();
}

void DBGridModel::setColumnFormat(int index, const QString& mask)
{
    formats_.insert(index, mask);
    shown_ = shownColumns();
    if (rowCount() > 0 && index < columnCount())
        Q_EMIT dataChanged(this->index(0, index), this->index(rowCount() - 1, index));
}

void DBGridModel::setColumn(int index, const DBGridColumn& column)
{
    if (index < 0 || index >= columns_.size())
        return;
    const bool sameField = columns_[index].fieldName == column.fieldName;
    columns_[index] = column;
    if (!sameField) {
        setColumns(columns_);
        return;
    }
    shown_ = shownColumns();
    Q_EMIT headerDataChanged(Qt::Horizontal, index, index);
    if (rowCount() > 0)
        Q_EMIT dataChanged(this->index(0, index), this->index(rowCount() - 1, index));
}

QString DBGridModel::title(int column) const
{
    return column >= 0 && column < shown_.size() ? shown_[column].title : QString();
}

void DBGridModel::setReadOnly(bool on)
{
    readOnly_ = on;
}

void DBGridModel::setRowColor(RowColorFn fn)
{
    rowColor_ = std::move(fn);
    if (rowCount() > 0 && columnCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::ForegroundRole});
}

void DBGridModel::setTitleFont(const std::optional<QFont>& font)
{
    titleFont_ = font;
    if (columnCount() > 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void DBGridModel::setTitleColor(const std::optional<QColor>& color)
{
    titleColor_ = color;
    if (columnCount() > 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

QList<DBGridModel::Shown> DBGridModel::shownColumns() const
{
    QList<Shown> list;
    Table* t = table();
    const bool open = t && t->active();
    if (columns_.isEmpty()) {
        // No columns given: every field, titled by its label.
        if (open) {
            for (int i = 0; i < t->fieldCount(); ++i) {
                const Field& f = t->field(i);
                list.append(Shown{f.fieldName(), f.displayLabel(), false, std::nullopt, i, f.def()});
            }
        }
        return list;
    }
    for (const DBGridColumn& c : columns_) {
        Shown s{c.fieldName, c.title, c.readOnly, c.color, -1, std::nullopt};
        if (open) {
            if (const Field* f = t->findField(c.fieldName)) {
                s.fieldIndex = f->index();
                s.def = f->def();
                if (const auto mask = formats_.constFind(int(list.size())); mask != formats_.cend())
                    s.def->displayFormat = *mask;
                if (s.title.isEmpty())
                    s.title = f->displayLabel();
            }
        }
        if (s.title.isEmpty())
            s.title = c.fieldName;
        list.append(s);
    }
    return list;
}

void DBGridModel::resync()
{
    readFailed_ = false;
    Table* t = table();
    const bool open = t && t->active();
    const int newCount = open ? t->recordCount() : 0;
    int newInsert = -1;
    if (open && t->state() == DataSetState::Insert) {
        // A record being inserted shows as its own row: at the current record for
        // an insert, after the last row for an append.
        const int cur = t->currentRow();
        newInsert = (cur >= 0 && cur < newCount && !t->eof()) ? cur : newCount;
    }
    const QList<Shown> cols = shownColumns();
    bool sameColumns = cols.size() == shown_.size();
    for (int i = 0; sameColumns && i < cols.size(); ++i)
        sameColumns = cols[i].fieldIndex == shown_[i].fieldIndex && cols[i].title == shown_[i].title;

    if (sameColumns && newCount == count_ && newInsert == insertRow_) {
        // Same rows: redraw what is shown.
        shown_ = cols;
        if (rowCount() > 0 && !shown_.isEmpty())
            Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, int(shown_.size()) - 1));
    } else {
        // While rows come and go the view may pick another current row by itself;
        // that is not the user moving the table.
        const QScopedValueRollback changing(changing_, true);
        if (sameColumns && newCount == count_ && insertRow_ < 0) {
            beginInsertRows({}, newInsert, newInsert);
            insertRow_ = newInsert;
            endInsertRows();
        } else if (sameColumns && newCount == count_ && newInsert < 0) {
            beginRemoveRows({}, insertRow_, insertRow_);
            insertRow_ = -1;
            endRemoveRows();
        } else {
            // Rows came or went somewhere in the view (post, delete, refresh,
            // filter, open, close): start over; only the rows shown are read again.
            beginResetModel();
            shown_ = cols;
            count_ = newCount;
            insertRow_ = newInsert;
            endResetModel();
        }
    }
    Q_EMIT cursorMoved();
}

void DBGridModel::onRecordChanged(int)
{
    const int row = cursorRow();
    if (row >= 0 && !shown_.isEmpty())
        Q_EMIT dataChanged(index(row, 0), index(row, int(shown_.size()) - 1));
}

void DBGridModel::onStateChanged()
{
    Table* t = table();
    const bool open = t && t->active();
    const bool inserting = open && t->state() == DataSetState::Insert;
    if (!open || inserting != (insertRow_ >= 0) || t->recordCount() != count_) {
        resync();
        return;
    }
    onRecordChanged(-1);
    Q_EMIT cursorMoved();
}

bool DBGridModel::isCell(const QModelIndex& index) const
{
    return index.isValid() && index.model() == this && !index.parent().isValid() && index.row() < rowCount() &&
        index.column() < columnCount();
}

int DBGridModel::cursorRow() const
{
    if (insertRow_ >= 0)
        return insertRow_;
    const Table* t = table();
    if (!t || !t->active())
        return -1;
    const int cur = t->currentRow();
    return cur >= 0 && cur < count_ ? cur : -1;
}

int DBGridModel::tableRow(int gridRow) const
{
    if (insertRow_ < 0 || gridRow < insertRow_)
        return gridRow;
    return gridRow == insertRow_ ? -1 : gridRow - 1;
}

int DBGridModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return count_ + (insertRow_ >= 0 ? 1 : 0);
}

int DBGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(shown_.size());
}

QVariant DBGridModel::cellText(int gridRow, int column, bool forEdit) const
{
    Table* t = table();
    const Shown& s = shown_[column];
    if (!t || !t->active() || s.fieldIndex < 0 || !s.def)
        return QString();
    if (insertRow_ >= 0 && gridRow == insertRow_) {
        // The record being inserted: its unposted values.
        if (t->state() != DataSetState::Insert)
            return QString();
        Field& f = t->field(s.fieldIndex);
        return forEdit ? f.editText() : f.displayText();
    }
    if (forEdit && t->state() == DataSetState::Edit && gridRow == cursorRow())
        return t->field(s.fieldIndex).editText();
    const int row = tableRow(gridRow);
    // The view may have changed behind the grid while display updates are off.
    if (row < 0 || row >= count_ || row >= t->recordCount())
        return QString();
    return displayTextOf(*s.def, t->valueAt(row, s.fieldIndex));
}

QVariant DBGridModel::data(const QModelIndex& index, int role) const
{
    if (!isCell(index))
        return {};
    const Shown& s = shown_[index.column()];
    try {
        switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return cellText(index.row(), index.column(), false);
        case Qt::EditRole:
            return cellText(index.row(), index.column(), true);
        case Qt::TextAlignmentRole:
            if (s.def && isNumeric(s.def->type))
                return int(Qt::AlignRight | Qt::AlignVCenter);
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::BackgroundRole:
            if (s.color)
                return *s.color;
            return {};
        case Qt::ForegroundRole: {
            Table* t = table();
            const int row = tableRow(index.row());
            if (!rowColor_ || !t || !t->active() || row < 0 || row >= count_ || row >= t->recordCount())
                return {};
            if (const auto c = rowColor_(*t, row))
                return *c;
            return {};
        }
        case MaxLengthRole:
            if (s.def && s.def->type == FieldType::Text)
                return s.def->size > 0 ? s.def->size : 20;
            return 0;
        default:
            return {};
        }
    } catch (const std::exception& e) {
        // An engine error never escapes from painting, and never becomes rows of
        // blank cells: the grid empties and says why, once, after the paint.
        failRead(QString::fromUtf8(e.what()));
        return {};
    }
}

void DBGridModel::failRead(const QString& message) const
{
    if (readFailed_)
        return;
    readFailed_ = true;
    auto* self = const_cast<DBGridModel*>(this);
    QMetaObject::invokeMethod(
        self,
        [self, message] {
            self->beginResetModel();
            self->count_ = 0;
            self->insertRow_ = -1;
            self->endResetModel();
            platform::showError(message);
        },
        Qt::QueuedConnection);
}

QVariant DBGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= shown_.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return shown_[section].title;
    case Qt::FontRole:
        if (titleFont_)
            return *titleFont_;
        return {};
    case Qt::ForegroundRole:
        if (titleColor_)
            return *titleColor_;
        return {};
    default:
        return {};
    }
}

bool DBGridModel::canEdit(int column) const
{
    if (readOnly_ || column < 0 || column >= shown_.size())
        return false;
    const Shown& s = shown_[column];
    const Table* t = table();
    return !s.readOnly && s.fieldIndex >= 0 && s.def && s.def->type != FieldType::AutoInc && t && t->active() &&
        source_->enabled();
}

Qt::ItemFlags DBGridModel::flags(const QModelIndex& index) const
{
    if (!isCell(index))
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (canEdit(index.column()))
        f |= Qt::ItemIsEditable;
    return f;
}

bool DBGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !isCell(index) || !canEdit(index.column()) || index.row() != cursorRow())
        return false;
    Table* t = table();
    const int fieldIndex = shown_[index.column()].fieldIndex;
    try {
        if (!isEditState(t))
            t->edit();
        t->field(fieldIndex).setString(value.toString());
    } catch (const EngineError& e) {
        platform::showError(e.message());
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- grid

DBGrid::DBGrid(QWidget* parent) : QTableView(parent), model_(new DBGridModel(this))
{
    setModel(model_);
    setItemDelegate(new GridDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSortingEnabled(false);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    setReadOnly(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int section) { Q_EMIT titleClicked(model_->title(section)); });
    connect(model_, &DBGridModel::cursorMoved, this, &DBGrid::syncCurrent);
    // Rows are rebuilt by a reset; the widths the user gave the columns stay.
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        savedWidths_.clear();
        for (int i = 0; i < model_->columnCount(); ++i)
            savedWidths_ << columnWidth(i);
    });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        if (savedWidths_.size() == model_->columnCount() && !savedWidths_.isEmpty()) {
            for (int i = 0; i < savedWidths_.size(); ++i)
                setColumnWidth(i, savedWidths_[i]);
        } else {
            applyWidths();
        }
    });
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) { Q_EMIT cellClicked(i.column()); });
    focusTracking_ = connect(qApp, &QApplication::focusChanged, this,
                             [this](QWidget*, QWidget* now) { focusMoved(now); });
}

DBGrid::~DBGrid()
{
    QObject::disconnect(focusTracking_);
}

void DBGrid::setDataSource(DataSource* source)
{
    model_->setDataSource(source);
    QObject::disconnect(updateRecordConnection_);
    if (source) {
        // Text typed into an open cell is part of the record when a post or a
        // question about unsaved typing asks the controls to write.
        updateRecordConnection_ = connect(source, &DataSource::updateRecord, this, [this] {
            if (openEditor_ && state() == QAbstractItemView::EditingState)
                commitData(openEditor_);
        });
    }
    applyWidths();
}

void DBGrid::setColumns(const QList<DBGridColumn>& columns)
{
    model_->setColumns(columns);
    applyWidths();
}

void DBGrid::addColumn(const QString& fieldName, const QString& title, bool readOnly)
{
    QList<DBGridColumn> cols = model_->columns();
    cols.append(DBGridColumn{fieldName, title, readOnly, std::nullopt, -1});
    setColumns(cols);
}

void DBGrid::setColumnColor(int column, const std::optional<QColor>& color)
{
    if (column < 0 || column >= model_->columns().size())
        return;
    DBGridColumn c = model_->columns()[column];
    c.color = color;
    model_->setColumn(column, c);
}

void DBGrid::setColumnReadOnly(int column, bool on)
{
    if (column < 0 || column >= model_->columns().size())
        return;
    DBGridColumn c = model_->columns()[column];
    c.readOnly = on;
    model_->setColumn(column, c);
}

void DBGrid::setReadOnly(bool on)
{
    model_->setReadOnly(on);
    setEditTriggers(on ? QAbstractItemView::NoEditTriggers
                       : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
}

void DBGrid::setRowSelect(bool on)
{
    setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    syncCurrent();
}

void DBGrid::setRowColor(RowColorFn fn)
{
    model_->setRowColor(std::move(fn));
}

void DBGrid::setBoldTitles(bool bold, const std::optional<QColor>& color)
{
    QFont f = horizontalHeader()->font();
    f.setBold(bold);
    model_->setTitleFont(f);
    model_->setTitleColor(color);
}

int DBGrid::selectedColumn() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.column() : -1;
}

void DBGrid::setColumnWidensToValues(int column)
{
    if (!widenTimer_) {
        // Measured after the change, never while painting.
        widenTimer_ = new QTimer(this);
        widenTimer_->setSingleShot(true);
        widenTimer_->setInterval(0);
        connect(widenTimer_, &QTimer::timeout, this, &DBGrid::widenToValues);
        connect(model_, &QAbstractItemModel::modelReset, widenTimer_, qOverload<>(&QTimer::start));
        connect(model_, &QAbstractItemModel::layoutChanged, widenTimer_, qOverload<>(&QTimer::start));
        connect(model_, &QAbstractItemModel::dataChanged, widenTimer_, qOverload<>(&QTimer::start));
        connect(model_, &QAbstractItemModel::rowsInserted, widenTimer_, qOverload<>(&QTimer::start));
        connect(verticalScrollBar(), &QScrollBar::valueChanged, widenTimer_, qOverload<>(&QTimer::start));
    }
    if (!widening_.contains(column))
        widening_ << column;
    widenTimer_->start();
}

void DBGrid::widenToValues()
{
    for (const int c : widening_) {
        if (c >= model_->columnCount())
            continue;
        const int want = sizeHintForColumn(c);
        if (want > columnWidth(c))
            setColumnWidth(c, want);
    }
}

void DBGrid::applyWidths()
{
    const auto& cols = model_->columns();
    for (int i = 0; i < cols.size() && i < model_->columnCount(); ++i)
        if (cols[i].width >= 0)
            setColumnWidth(i, cols[i].width);
}

void DBGrid::syncCurrent()
{
    if (!selectionModel())
        return;
    const int row = model_->cursorRow();
    const bool prev = syncing_;
    syncing_ = true;
    if (row < 0 || model_->columnCount() == 0) {
        selectionModel()->clear();
    } else {
        const int col = currentIndex().isValid() ? currentIndex().column() : 0;
        const QModelIndex target = model_->index(row, col);
        if (currentIndex() != target || !selectionModel()->isSelected(target)) {
            QItemSelectionModel::SelectionFlags how = QItemSelectionModel::ClearAndSelect;
            if (rowSelect())
                how |= QItemSelectionModel::Rows;
            selectionModel()->setCurrentIndex(target, how);
        }
        if (state() != QAbstractItemView::EditingState)
            scrollTo(target);
    }
    syncing_ = prev;
}

void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    const bool columnMoved = current.column() != previous.column();
    if (columnMoved && previous.isValid())
        Q_EMIT colExit();
    if (columnMoved && current.isValid())
        Q_EMIT colEnter();
    if (syncing_ || model_->changing() || !current.isValid())
        return;
    if (previous.isValid() && previous.row() == current.row())
        return;
    if (current.row() == model_->cursorRow())
        return;
    moveTableTo(current.row());
}

void DBGrid::moveTableTo(int gridRow)
{
    Table* t = model_->table();
    if (!t || !t->active())
        return;
    const int target = model_->tableRow(gridRow);
    if (target < 0)
        return;
    try {
        if (isEditState(t)) {
            // Leaving the row ends its editing: post what changed, drop the rest.
            const qint64 id = t->idAt(target);
            if (t->modified())
                t->post();
            else
                t->cancel();
            std::optional<int> row = target;
            if (target >= t->recordCount() || t->idAt(target) != id)
                row = t->rowOf(id);
            if (row)
                t->setRecNo(*row + 1);
        } else {
            t->setRecNo(target + 1);
        }
    } catch (const Abort&) {
    } catch (const std::exception& e) {
        reportError(e);
    }
    syncCurrent();
}

bool DBGrid::beginCellEdit(const QModelIndex& index)
{
    if (!(model_->flags(index) & Qt::ItemIsEditable))
        return false;
    Table* t = model_->table();
    try {
        if (index.row() != model_->cursorRow())
            moveTableTo(index.row());
        if (index.row() != model_->cursorRow())
            return false;
        if (!isEditState(t))
            t->edit();
    } catch (const Abort&) {
        return false;
    } catch (const std::exception& e) {
        reportError(e);
        return false;
    }
    return isEditState(t);
}

void DBGrid::deleteCurrent()
{
    Table* t = model_->table();
    if (!t || !t->active() || t->isEmpty() || isReadOnly() || !dataSource()->enabled())
        return;
    if (confirmDelete_ &&
        !platform::askYesNo(controltexts::deleteRecordQuestion(), controltexts::deleteRecordCaption()))
        return;
    t->deleteRecord();
}

void DBGrid::keyPressEvent(QKeyEvent* event)
{
    Q_EMIT keyDown(event->key(), event->modifiers());
    if (!event->text().isEmpty() && event->text().at(0).isPrint())
        Q_EMIT keyPressed(event->text());
    Table* t = model_->table();
    if (t && t->active() && state() != QAbstractItemView::EditingState) {
        try {
            if (event->key() == Qt::Key_Delete && (event->modifiers() & Qt::ControlModifier)) {
                deleteCurrent();
                event->accept();
                return;
            }
            if (event->key() == Qt::Key_Escape && isEditState(t)) {
                t->cancel();
                event->accept();
                return;
            }
            if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier && !isReadOnly()) {
                t->insert();
                event->accept();
                return;
            }
        } catch (const Abort&) {
            return;
        } catch (const std::exception& e) {
            reportError(e);
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

void DBGrid::keyReleaseEvent(QKeyEvent* event)
{
    QTableView::keyReleaseEvent(event);
    Q_EMIT keyUp(event->key(), event->modifiers());
}

bool DBGrid::viewportEvent(QEvent* event)
{
    // While the table's display updates are off the grid does not draw at all.
    if (event->type() == QEvent::Paint) {
        const Table* t = model_->table();
        if (t && t->controlsDisabled())
            return true;
    }
    return QTableView::viewportEvent(event);
}

void DBGrid::focusMoved(QWidget* now)
{
    // The cell editor is part of the grid: focus going there is neither entering
    // nor leaving. Focus leaving the program (no focus widget) is not leaving
    // the grid either.
    if (!now)
        return;
    const bool inside = now == this || isAncestorOf(now);
    if (inside == focused_)
        return;
    focused_ = inside;
    if (inside)
        Q_EMIT entered();
    else
        Q_EMIT exited();
}

void DBGrid::reportError(const std::exception& e)
{
    if (const auto* engine = dynamic_cast<const EngineError*>(&e))
        platform::showError(engine->message());
    else
        platform::showError(QString::fromUtf8(e.what()));
}

} // namespace jadl
