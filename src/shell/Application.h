#pragma once
// The application object: an exception never crosses Qt's event loop; it is
// caught at dispatch and shown in the default error box, and the program goes on.
#include <QApplication>

namespace jadl {

class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace jadl
