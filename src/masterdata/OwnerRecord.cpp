#include "masterdata/OwnerRecord.h"

#include "controls/DBEdit.h"
#include "controls/Guarded.h"
#include "store/Table.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>

namespace jadl::owners {

namespace {

class LeaveFilter : public QObject {
public:
    LeaveFilter(DBEdit* edit, std::function<void()> left) : QObject(edit), edit_(edit), left_(std::move(left))
    {
        edit->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == edit_ && event->type() == QEvent::FocusOut) {
            const Qt::FocusReason why = static_cast<QFocusEvent*>(event)->reason();
            if (why != Qt::ActiveWindowFocusReason && why != Qt::PopupFocusReason)
                runGuarded([this] {
                    edit_->updateRecord();
                    left_();
                });
        }
        return false;
    }

private:
    DBEdit* edit_;
    std::function<void()> left_;
};

} // namespace

void writeActiveMark(Table& owners, bool active)
{
    owners.fieldByName(QStringLiteral("Aktywny")).setBoolean(active);
    owners.fieldByName(QStringLiteral("AktywnyString"))
        .setString(active ? QStringLiteral("TAK") : QStringLiteral("NIE"));
}

void copySymbolToName(Table& owners, DBEdit& symbol, DBEdit& name, const QCheckBox& copy)
{
    if (!copy.isChecked() || !owners.active() || !owners.editing())
        return;
    name.setText(symbol.text());
    owners.fieldByName(QStringLiteral("Nazwa")).setString(symbol.text());
}

void whenSymbolLeft(DBEdit* edit, std::function<void()> left)
{
    new LeaveFilter(edit, std::move(left)); // owned by the edit
}

} // namespace jadl::owners
