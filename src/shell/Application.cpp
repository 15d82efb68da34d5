#include "shell/Application.h"

#include "controls/Guarded.h"

namespace jadl {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) { }

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportCurrentException();
        return false;
    }
}

} // namespace jadl
