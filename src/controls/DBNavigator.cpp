#include "controls/DBNavigator.h"

#include "controls/ControlTexts.h"
#include "platform/Messages.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QToolButton>

namespace jadl {

namespace {

struct ButtonLook {
    const char* name; // objectName suffix
    const char16_t* glyph; // text symbol standing in for the classic glyph
    const char16_t* hint; // default Polish hint
};

constexpr std::array<ButtonLook, DBNavigator::ButtonCount> looks{{
    {"First", u"|◀", u"Pierwszy rekord"},
    {"Prior", u"◀", u"Poprzedni rekord"},
    {"Next", u"▶", u"Następny rekord"},
    {"Last", u"▶|", u"Ostatni rekord"},
    {"Insert", u"+", u"Wstaw rekord"},
    {"Delete", u"−", u"Usuń rekord"},
    {"Edit", u"▲", u"Edytuj rekord"},
    {"Post", u"✔", u"Zapisz zmiany"},
    {"Cancel", u"✖", u"Anuluj zmiany"},
    {"Refresh", u"↻", u"Odśwież dane"},
}};

} // namespace

DBNavigator::DBNavigator(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < ButtonCount; ++i) {
        auto* b = new QToolButton(this);
        const ButtonLook& look = looks[std::size_t(i)];
        b->setObjectName(QStringLiteral("NavButton") + QLatin1String(look.name));
        b->setText(QString::fromUtf16(look.glyph));
        b->setToolTip(QString::fromUtf16(look.hint));
        b->setAccessibleName(QString::fromUtf16(look.hint));
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        connect(b, &QToolButton::clicked, this, [this, i] { run(Button(i)); });
        layout->addWidget(b);
        buttons_[std::size_t(i)] = b;
    }
    updateButtons();
}

void DBNavigator::setDataSource(DataSource* source)
{
    if (source_ == source)
        return;
    for (const auto& c : std::as_const(connections_))
        disconnect(c);
    connections_.clear();
    source_ = source;
    if (source_) {
        for (auto sig : {&DataSource::dataSetChanged, &DataSource::dataSetScrolled, &DataSource::stateChanged})
            connections_ << connect(source_, sig, this, &DBNavigator::updateButtons);
        connections_ << connect(source_, &DataSource::recordChanged, this, &DBNavigator::updateButtons);
        connections_ << connect(source_, &QObject::destroyed, this, [this] {
            connections_.clear();
            updateButtons();
        });
    }
    updateButtons();
}

QList<DBNavigator::Button> DBNavigator::visibleButtons() const
{
    QList<Button> list;
    for (int i = 0; i < ButtonCount; ++i)
        if (!buttons_[std::size_t(i)]->isHidden())
            list << Button(i);
    return list;
}

void DBNavigator::setVisibleButtons(const QList<Button>& shown)
{
    for (int i = 0; i < ButtonCount; ++i)
        buttons_[std::size_t(i)]->setVisible(shown.contains(Button(i)));
}

void DBNavigator::setHints(const QStringList& hints)
{
    const QList<Button> shown = visibleButtons();
    for (int i = 0; i < hints.size() && i < shown.size(); ++i)
        setHint(shown[i], hints[i]);
}

void DBNavigator::setHint(Button b, const QString& text)
{
    button(b)->setToolTip(text);
    button(b)->setAccessibleName(text);
}

QString DBNavigator::hint(Button b) const
{
    return button(b)->toolTip();
}

void DBNavigator::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        updateButtons();
}

void DBNavigator::updateButtons()
{
    const Table* t = source_ ? source_->dataSet() : nullptr;
    const bool active = isEnabled() && t && t->active();
    const bool editing = active && t->editing();
    const bool canModify = active && source_->enabled();
    const bool up = active && !t->bof();
    const bool down = active && !t->eof();
    auto set = [this](Button b, bool on) { button(b)->setEnabled(on); };
    set(First, up);
    set(Prior, up);
    set(Next, down);
    set(Last, down);
    set(Insert, canModify);
    set(Delete, canModify && !(t->bof() && t->eof()));
    set(Edit, canModify && !editing);
    set(Post, canModify && editing);
    set(Cancel, canModify && editing);
    set(Refresh, canModify);
}

void DBNavigator::clickButton(Button b)
{
    if (button(b)->isEnabled())
        run(b);
}

void DBNavigator::run(Button b)
{
    Table* t = source_ ? source_->dataSet() : nullptr;
    if (!t || !t->active())
        return;
    switch (b) {
    case First:
        t->first();
        break;
    case Prior:
        t->prior();
        break;
    case Next:
        t->next();
        break;
    case Last:
        t->last();
        break;
    case Insert:
        t->insert();
        break;
    case Delete:
        if (confirmDelete_ &&
            !platform::askYesNo(controltexts::deleteRecordQuestion(), controltexts::deleteRecordCaption()))
            return;
        t->deleteRecord();
        break;
    case Edit:
        t->edit();
        break;
    case Post:
        t->post();
        break;
    case Cancel:
        t->cancel();
        break;
    case Refresh:
        t->refresh();
        break;
    }
    updateButtons();
    Q_EMIT clicked(b);
}

} // namespace jadl
