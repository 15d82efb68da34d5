// The real message boxes and the help viewer, answered and inspected without a user.
#include "platform/Help.h"
#include "platform/Messages.h"
#include "platform/gui/GuiMessages.h"
#include "platform/gui/GuiPlatform.h"
#include "platform/gui/HelpViewer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace jadl::platform;

namespace {

// Once a message box is up, hands it to `act` (which must close it).
void whenBoxShown(std::function<void(QMessageBox*)> act)
{
    // The application owns the polling timer; it goes once the box is found or
    // after two seconds without one.
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act, tries = 0]() mutable {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                timer->stop();
                timer->deleteLater();
                act(box);
                return;
            }
        }
        if (++tries >= 200) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

SeenBox describe(QMessageBox* box)
{
    SeenBox seen{box->windowTitle(), box->text(), box->icon(), {}};
    for (QAbstractButton* b : box->buttons())
        seen.buttons.append(b->text());
    seen.buttons.sort();
    return seen;
}

} // namespace

class TestGuiPlatform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void questionBox_data();
    void questionBox();
    void messageBoxHasOkWithoutIcon();
    void errorBoxCaption_data();
    void errorBoxCaption();
    void helpPageHasTheTopics();
    void helpViewerShowsTopic();
};

void TestGuiPlatform::initTestCase()
{
    QApplication::setApplicationDisplayName(QStringLiteral("Jadlonia"));
    installGuiPlatform();
}

void TestGuiPlatform::questionBox_data()
{
    QTest::addColumn<QString>("click");
    QTest::addColumn<bool>("expected");
    QTest::newRow("Tak") << QStringLiteral("&Tak") << true;
    QTest::newRow("Nie") << QStringLiteral("&Nie") << false;
    QTest::newRow("Escape") << QString() << false;
}

void TestGuiPlatform::questionBox()
{
    QFETCH(QString, click);
    QFETCH(bool, expected);
    SeenBox seen;
    whenBoxShown([&](QMessageBox* box) {
        seen = describe(box);
        if (click.isEmpty()) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == click)
                b->click();
        }
    });
    const bool answer = askYesNo(QStringLiteral("ODTWARZAMY DANE ?"), QStringLiteral("ODTWARZAMY"));
    QCOMPARE(answer, expected);
    QCOMPARE(seen.title, QStringLiteral("ODTWARZAMY"));
    QCOMPARE(seen.text, QStringLiteral("ODTWARZAMY DANE ?"));
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QCOMPARE(seen.buttons, (QStringList{QStringLiteral("&Nie"), QStringLiteral("&Tak")}));
}

void TestGuiPlatform::messageBoxHasOkWithoutIcon()
{
    SeenBox seen;
    whenBoxShown([&](QMessageBox* box) {
        seen = describe(box);
        box->button(QMessageBox::Ok)->click();
    });
    showMessage(QStringLiteral("Brak pozycji do usunięcia"));
    QCOMPARE(seen.text, QStringLiteral("Brak pozycji do usunięcia"));
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QCOMPARE(seen.buttons, QStringList{QStringLiteral("OK")});
    QCOMPARE(seen.title, QStringLiteral("Jadlonia"));
}

void TestGuiPlatform::errorBoxCaption_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("title");
    QTest::newRow("none given") << QString() << QStringLiteral("Błąd");
    QTest::newRow("given") << QStringLiteral("UWAGA") << QStringLiteral("UWAGA");
}

void TestGuiPlatform::errorBoxCaption()
{
    QFETCH(QString, caption);
    QFETCH(QString, title);
    SeenBox seen;
    whenBoxShown([&](QMessageBox* box) {
        seen = describe(box);
        box->button(QMessageBox::Ok)->click();
    });
    showError(QStringLiteral("Pliku Towary.DB NIE MOŻNA USUNĄĆ"), caption);
    QCOMPARE(seen.title, title);
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(seen.buttons, QStringList{QStringLiteral("OK")});
    QCOMPARE(seen.text, QStringLiteral("Pliku Towary.DB NIE MOŻNA USUNĄĆ"));
}

void TestGuiPlatform::helpPageHasTheTopics()
{
    QFile page(QStringLiteral(":/help/jadlonia.html"));
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    QVERIFY(html.contains(QStringLiteral("name=\"topic8\"")));
    QVERIFY(html.contains(QStringLiteral("Odtwarzanie danych")));
    QVERIFY(html.contains(QStringLiteral("Kopia danych")));
    QVERIFY(html.contains(QStringLiteral("Usuwanie przypisanych towarów")));
}

void TestGuiPlatform::helpViewerShowsTopic()
{
    QVERIFY(HelpViewer::instance() == nullptr);
    showHelpTopic(8);
    HelpViewer* viewer = HelpViewer::instance();
    QVERIFY(viewer != nullptr);
    QVERIFY(viewer->isVisible());
    QVERIFY(!viewer->isModal());
    QCOMPARE(viewer->browser()->source().fragment(), QStringLiteral("topic8"));
    QVERIFY(viewer->browser()->toPlainText().contains(QStringLiteral("ODTWARZANIE DANYCH JADLONI")));
    // The topic's heading is scrolled into view: the page is longer than the window.
    QVERIFY(viewer->browser()->verticalScrollBar()->maximum() > 0);
    QTRY_VERIFY(viewer->browser()->verticalScrollBar()->value() > 0);

    // A second request reuses the window.
    showHelpTopic(7);
    QCOMPARE(HelpViewer::instance(), viewer);
    QCOMPARE(viewer->browser()->source().fragment(), QStringLiteral("topic7"));
    viewer->close();
}

QTEST_MAIN(TestGuiPlatform)
#include "tst_guiplatform.moc"
