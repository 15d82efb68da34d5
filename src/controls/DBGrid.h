#pragma once
// A grid over a table's view. The model reads only the rows the view shows, by
// Table::valueAt (the engine caches rows), so a view of a million rows is never
// read at once; the grid's current row follows the table's current record and a
// click on a row moves the table.
#include "controls/FieldLink.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QPointer>
#include <QTableView>
#include <QTimer>

#include <functional>
#include <optional>

namespace jadl {

struct DBGridColumn {
    QString fieldName;
    QString title; // empty: the field's own display label
    bool readOnly = false;
    std::optional<QColor> color; // cell background
    int width = -1; // pixels; -1: default
};

// Text colour of a row, asked per cell drawn; nullopt leaves the default colour.
using RowColorFn = std::function<std::optional<QColor>(Table& table, int row)>;

class DBGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DBGridModel(QObject* parent = nullptr);

    DataSource* dataSource() const { return source_; }
    void setDataSource(DataSource* source);
    Table* table() const;

    const QList<DBGridColumn>& columns() const { return columns_; }
    void setColumns(const QList<DBGridColumn>& columns);
    void setColumn(int index, const DBGridColumn& column);
    // A number mask for a column in place of its field's own ("#,##0.00").
    void setColumnFormat(int index, const QString& mask);
    // Title of a shown column (the columns given, or all fields when none were).
    QString title(int column) const;

    bool readOnly() const { return readOnly_; }
    void setReadOnly(bool on);
    void setRowColor(RowColorFn fn);
    void setTitleFont(const std::optional<QFont>& font);
    void setTitleColor(const std::optional<QColor>& color);

    // Row of the grid holding the table's current record (the new record while
    // inserting); -1 when none.
    int cursorRow() const;
    // Row of the table's view behind a grid row; -1 for the record being inserted.
    int tableRow(int gridRow) const;
    int insertRow() const { return insertRow_; }
    // Rows are being inserted, removed or rebuilt right now.
    bool changing() const { return changing_; }

    // Longest text a cell editor of the column may hold (0: no limit).
    static constexpr int MaxLengthRole = Qt::UserRole + 1;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

Q_SIGNALS:
    // The table's current record moved (or the rows were rebuilt): the grid follows.
    void cursorMoved();

private:
    struct Shown {
        QString fieldName;
        QString title;
        bool readOnly = false;
        std::optional<QColor> color;
        int fieldIndex = -1;
        std::optional<FieldDef> def;
    };
    void resync();
    QList<Shown> shownColumns() const;
    void onRecordChanged(int fieldIndex);
    void onStateChanged();
    bool canEdit(int column) const;
    bool isCell(const QModelIndex& index) const;
    QVariant cellText(int gridRow, int column, bool forEdit) const;
    void failRead(const QString& message) const;

    QPointer<DataSource> source_;
    QList<QMetaObject::Connection> connections_;
    QList<DBGridColumn> columns_;
    QHash<int, QString> formats_; // column -> number mask
    QList<Shown> shown_;
    RowColorFn rowColor_;
    std::optional<QFont> titleFont_;
    std::optional<QColor> titleColor_;
    bool readOnly_ = false;
    int count_ = 0; // rows of the table's view when last rebuilt
    int insertRow_ = -1; // grid row of the record being inserted
    bool changing_ = false;
    mutable bool readFailed_ = false; // a read failed since the rows were last rebuilt
};

class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget* parent = nullptr);
    ~DBGrid() override;

    DataSource* dataSource() const { return model_->dataSource(); }
    void setDataSource(DataSource* source);
    DBGridModel* gridModel() const { return model_; }

    const QList<DBGridColumn>& columns() const { return model_->columns(); }
    void setColumns(const QList<DBGridColumn>& columns);
    void addColumn(const QString& fieldName, const QString& title = {}, bool readOnly = false);
    void setColumnColor(int column, const std::optional<QColor>& color);
    void setColumnReadOnly(int column, bool on);
    void setColumnFormat(int column, const QString& mask) { model_->setColumnFormat(column, mask); }
    QString columnTitle(int column) const { return model_->title(column); }
    // The column widens (never narrows) to show every value on screen whole, as
    // the rows change and the grid scrolls.
    void setColumnWidensToValues(int column);

    bool isReadOnly() const { return model_->readOnly(); }
    void setReadOnly(bool on);
    bool rowSelect() const { return selectionBehavior() == QAbstractItemView::SelectRows; }
    void setRowSelect(bool on);
    // Ctrl+Delete asks before deleting the current record.
    bool confirmDelete() const { return confirmDelete_; }
    void setConfirmDelete(bool on) { confirmDelete_ = on; }
    void setRowColor(RowColorFn fn);
    void setTitleFont(const std::optional<QFont>& font) { model_->setTitleFont(font); }
    void setTitleColor(const std::optional<QColor>& color) { model_->setTitleColor(color); }
    // Title font in bold (and optionally coloured).
    void setBoldTitles(bool bold, const std::optional<QColor>& color = std::nullopt);

    // Column of the grid's current cell (-1 when none).
    int selectedColumn() const;
    // Used by the cell editor: puts the table into edit for the cell; false when
    // the cell may not be edited.
    bool beginCellEdit(const QModelIndex& index);
    // The cell editor in use, so that a post asked for elsewhere takes its text too.
    void setOpenEditor(QWidget* editor) { openEditor_ = editor; }

Q_SIGNALS:
    void titleClicked(const QString& title);
    void cellClicked(int column);
    void colEnter();
    void colExit();
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    void keyPressed(const QString& text);
    void keyUp(int key, Qt::KeyboardModifiers modifiers);
    // Focus came to the grid / left it (not counting its own cell editor).
    void entered();
    void exited();

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void syncCurrent();
    void moveTableTo(int gridRow);
    void deleteCurrent();
    void applyWidths();
    void widenToValues();
    void reportError(const std::exception& e);
    void focusMoved(QWidget* now);

    DBGridModel* model_;
    QList<int> widening_; // columns that widen to their values
    QTimer* widenTimer_ = nullptr;
    bool confirmDelete_ = false;
    bool syncing_ = false;
    // Application-wide focus tracking; cut before the widget part goes, since
    // destroying a focused widget moves the focus while this is no longer a grid.
    QMetaObject::Connection focusTracking_;
    QList<int> savedWidths_;
    bool focused_ = false;
    QPointer<QWidget> openEditor_;
    QMetaObject::Connection updateRecordConnection_;
};

} // namespace jadl
