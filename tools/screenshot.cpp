// jadl_screenshot OUT.png [--wykres]
// The README's pictures of the program at work: starts it on the data directory
// of drive C (JADL_DRIVES), opens "Tow. Dost." for all suppliers over the last
// month beside the main window and saves the whole screen; with --wykres, the
// window "WYKRESY ZAKUPÓW" on "Historia ceny towaru" instead. Meant for a
// virtual display (scripts/screenshot.sh runs it under Xvfb).
#include "common/Periods.h"
#include "platform/gui/GuiPlatform.h"
#include "purchases/PurchaseChartsWindow.h"
#include "purchases/TowaryJadl.h"
#include "shell/Application.h"
#include "shell/Forms.h"
#include "shell/MeniJadl.h"
#include "shell/StartUp.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <cstdio>

namespace {

// A window's control by its object name, as an outside UI tool finds it.
template <class T>
T* controlOf(const QObject* window, const char* name)
{
    T* c = window->findChild<T*>(QString::fromLatin1(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

// Lets the windows lay out and paint before the picture is taken.
void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The price history of the good bought most often, over the whole register.
bool chartsPicture(const QString& out)
{
    jadl::PurchaseChartsWindow w(jadl::forms().ModulDanych1);
    w.resize(1200, 800);
    w.move(0, 0);
    w.show();
    controlOf<QComboBox>(&w, "Okres")->setCurrentIndex(jadl::listIndexOf(jadl::PeriodChoice::LastYear));
    controlOf<QTabWidget>(&w, "Zakladki")->setCurrentIndex(1);
    auto* goods = controlOf<QComboBox>(&w, "Towar");
    auto* groups = controlOf<QComboBox>(&w, "GrupaTowaru");
    size_t most = 0;
    std::pair<int, int> best{0, 0};
    for (int g = 0; g < groups->count(); ++g) {
        groups->setCurrentIndex(g);
        for (int i = 0; i < goods->count(); ++i) {
            goods->setCurrentIndex(i);
            size_t points = 0;
            for (const auto& s : w.picture().prices.suppliers)
                points += s.points.size();
            if (points > most && w.picture().prices.suppliers.size() > 1) {
                most = points;
                best = {g, i};
            }
        }
    }
    groups->setCurrentIndex(best.first);
    goods->setCurrentIndex(best.second);
    settle(800);
    const bool saved = w.grab().save(out);
    w.close();
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && !(argc == 3 && qstrcmp(argv[2], "--wykres") == 0)) {
        std::fprintf(stderr, "usage: jadl_screenshot OUT.png [--wykres]\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    jadl::Application app(argc, argv);
    app.setApplicationName(QStringLiteral("jadlonia"));
    jadl::installGuiPlatform();
    if (!StartUp()) {
        std::fprintf(stderr, "the program did not start\n");
        return 1;
    }
    QWidget* menu = jadl::forms().Meni;
    menu->move(0, 0);
    settle(300);
    if (argc == 3) {
        const bool saved = chartsPicture(out);
        ShutDown();
        std::printf("%s\n", qPrintable(out));
        return saved ? 0 : 1;
    }

    bool saved = false;
    QTimer::singleShot(0, [&] {
        TTowary* w = jadl::forms().Towary;
        if (w && w->isVisible()) {
            w->move(menu->frameGeometry().left() + 40, menu->frameGeometry().bottom() - 60);
            controlOf<jadl::RadioGroup>(w, "RadioGroupDlaDostawcow")->buttons()->button(1)->click();
            controlOf<QComboBox>(w, "ComboBoxWybierzOkres")
                ->setCurrentIndex(jadl::listIndexOf(jadl::PeriodChoice::LastMonth));
            settle(800);
            // The two windows on a plain ground, cut to what they cover.
            const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
            const QRect area = menu->frameGeometry().united(w->frameGeometry()).intersected(screen.rect());
            QPixmap picture(area.size());
            picture.fill(QColor(0xe8, 0xe8, 0xe4));
            QPainter painter(&picture);
            for (const QWidget* window : {menu, static_cast<QWidget*>(w)}) {
                const QRect r = window->frameGeometry().intersected(screen.rect());
                painter.drawPixmap(r.topLeft() - area.topLeft(), screen, r);
            }
            painter.end();
            saved = picture.save(out);
            w->close();
        }
    });
    controlOf<QToolButton>(jadl::forms().Meni, "SpeedButtonTowaryDostawcy")->click();
    ShutDown();
    if (!saved) {
        std::fprintf(stderr, "no picture taken of %s\n", qPrintable(out));
        return 1;
    }
    std::printf("%s\n", qPrintable(out));
    return 0;
}
