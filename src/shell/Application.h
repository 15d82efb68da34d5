#pragma once
// The application object: an exception never crosses Qt's event loop; it is
// caught at dispatch and shown in the default error box, and the program goes on.
#include <QApplication>
#include <functional>

namespace jadl {

class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Runs a handler and shows any error it raises in the error box (a silent Abort
// shows nothing). Returns false when the handler failed.
bool runGuarded(const std::function<void()>& handler);
// Shows the text of the exception in flight in the default error box.
void reportCurrentException();

} // namespace jadl
