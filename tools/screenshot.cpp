// jadl_screenshot OUT.png
// The README's picture of the program at work: starts it on the data directory
// of drive C (JADL_DRIVES), opens "Tow. Dost." for all suppliers over the last
// month beside the main window and saves the whole screen. Meant for a virtual
// display (scripts/screenshot.sh runs it under Xvfb).
#include "common/Periods.h"
#include "platform/gui/GuiPlatform.h"
#include "purchases/TowaryJadl.h"
#include "shell/Application.h"
#include "shell/Forms.h"
#include "shell/MeniJadl.h"
#include "shell/StartUp.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
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

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: jadl_screenshot OUT.png\n");
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
