#pragma once
// Starts the whole program in-process on a temporary program drive with a fixed
// date and scripted message boxes, and shuts it down again.
#include "platform/Messages.h"
#include "support/core/TestServer.h"

#include <QDate>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace jadl::test {

class ProgramFixture {
public:
    // `prepare` runs after the program drive exists and before start-up (e.g. to
    // put files into the data directory).
    explicit ProgramFixture(QDate today = QDate(2026, 12, 6),
                            const std::function<void(const QString& root)>& prepare = {});
    ~ProgramFixture();
    ProgramFixture(const ProgramFixture&) = delete;
    ProgramFixture& operator=(const ProgramFixture&) = delete;

    bool started() const { return started_; } // StartUp() let the program run
    QString root() const { return dir_.path(); } // drive C
    QString dataDir() const; // C:\Jadl\Dane_bar
    platform::ScriptedMessages& messages() { return **messages_; }

private:
    QTemporaryDir dir_;
    std::unique_ptr<platform::ScopedScriptedMessages> messages_;
    std::unique_ptr<EngineEnvironment> engine_;
    QByteArray oldDrives_;
    bool started_ = false;
};

// Runs `check` once the next modal window is up, then closes it (modal dialogs
// would otherwise block the test).
void whenModalShown(const std::function<void(QWidget* modal)>& check);

} // namespace jadl::test
