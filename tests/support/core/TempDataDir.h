#pragma once
// A fresh program drive for one test: drive C points at a temporary folder, today's
// date is fixed, and both are put back when the fixture goes. The tables are in
// the data directory of that drive, or, for a suite run against the server, in
// the emptied database of the test process (support/core/TestServer.h); the
// user's own configuration never applies.
#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace jadl::test {

class EngineEnvironment;

class TempDataDir {
public:
    // `extraDrives` is appended to the JADL_DRIVES mapping, e.g. "A=/tmp/x:1457664".
    explicit TempDataDir(QDate today = QDate(2026, 12, 7), const QString& extraDrives = {});
    ~TempDataDir();
    TempDataDir(const TempDataDir&) = delete;
    TempDataDir& operator=(const TempDataDir&) = delete;

    bool isValid() const { return dir_.isValid(); }
    QString root() const { return dir_.path(); } // real folder of drive C
    QString dataDir() const; // real Jadl/Dane_bar, created
    // Real path of a file under the root ("Jadl/Dane_bar/Towary.DB").
    QString path(const QString& relative) const;

private:
    QTemporaryDir dir_;
    QByteArray oldDrives_;
    bool hadDrives_ = false;
    std::unique_ptr<EngineEnvironment> engine_;
};

// Writes `bytes` bytes to a new file (creating folders), for drive and copy tests.
bool writeFile(const QString& path, qint64 bytes, char fill = 'x');

} // namespace jadl::test
