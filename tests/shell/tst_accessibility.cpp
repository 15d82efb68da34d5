// What a screen reader (or an outside UI test) finds in every window: each
// control named by its caption, a combo box's choice as its value, not its name.
#include "invoices/InvoiceTestData.h"
#include "purchases/ImportFakturyKSeF.h"
#include "purchases/PurchaseChartsWindow.h"
#include "shell/Forms.h"
#include "support/gui/ProgramFixture.h"
#include "work/KsefImport.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMainWindow>
#include <QSignalBlocker>
#include <QTest>

using jadl::test::ProgramFixture;

namespace {

// The parts of a combo box, a spin box, a calendar or a grid are named through it.
bool partOfAnotherControl(const QWidget* w)
{
    for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget())
        if (qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractSpinBox*>(p) ||
            qobject_cast<const QCalendarWidget*>(p) || qobject_cast<const QAbstractItemView*>(p))
            return true;
    return false;
}

QString where(const QWidget* window, const QWidget* control)
{
    return window->objectName() + QLatin1Char('.') + control->objectName() + QLatin1Char(' ') +
        QString::fromLatin1(control->metaObject()->className());
}

// Gives the combo box a value without running its handlers.
void chooseSomething(QComboBox* c)
{
    const QSignalBlocker quiet(c);
    if (c->count() == 0)
        c->addItem(QStringLiteral("Wartość próbna"));
    c->setCurrentIndex(c->count() - 1);
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyControlIsNamedByItsCaption();
};

void AccessibilityTest::everyControlIsNamedByItsCaption()
{
    ProgramFixture program;
    jadl::ksefimport::OwnTables own;
    TImportFakturyKSeF ksef(
        own.tables(),
        jadl::ksefimport::prepare(jadl::ksef::test::dataPath(QStringLiteral("typical.xml")), own.tables()));
    jadl::PurchaseChartsWindow charts(jadl::forms().ModulDanych1);
    QList<QWidget*> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if ((qobject_cast<QDialog*>(w) || qobject_cast<QMainWindow*>(w)) && !w->objectName().isEmpty())
            windows << w;
    QVERIFY(windows.contains(&ksef));
    QVERIFY(windows.contains(&charts));
    QVERIFY(windows.size() >= 14);

    int combos = 0;
    QStringList unnamed;
    for (QWidget* window : windows) {
        for (QWidget* control : window->findChildren<QWidget*>()) {
            if (partOfAnotherControl(control))
                continue;
            const bool named = qobject_cast<QComboBox*>(control) || qobject_cast<QAbstractSpinBox*>(control) ||
                (qobject_cast<QAbstractItemView*>(control) && !qobject_cast<QHeaderView*>(control)) ||
                qobject_cast<QLineEdit*>(control);
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(control);
            QVERIFY(a);
            if (auto* c = qobject_cast<QComboBox*>(control)) {
                ++combos;
                chooseSomething(c);
                QCOMPARE(a->role(), QAccessible::ComboBox);
                QCOMPARE(a->text(QAccessible::Value), c->currentText());
                QVERIFY2(a->text(QAccessible::Name) != c->currentText(), qPrintable(where(window, c)));
            }
            if (auto* b = qobject_cast<QAbstractButton*>(control); b && b->text().isEmpty() && b->isVisibleTo(window))
                if (a->text(QAccessible::Name).isEmpty())
                    unnamed << where(window, b);
            if (named && a->text(QAccessible::Name).isEmpty())
                unnamed << where(window, control);
        }
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
    QVERIFY(combos >= 10);
}

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
