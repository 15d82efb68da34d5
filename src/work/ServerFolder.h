#pragma once
// The folder through which the backup and the restore of data kept on a server
// go: the backup copies into the archive the table files the server's snapshot
// was written to, the restore puts an archive's files there before they replace
// the server's tables. It sits beside the data directory ("c:\Jadl\Kopia_serwera\"),
// is emptied when made and removed when the work is over.
#include <QChar>
#include <QString>

namespace jadl::archive {

class ServerFolder {
public:
    // Throws platform::IoError when the folder cannot be made empty.
    ServerFolder(QChar drive, const QString& name);
    ~ServerFolder();
    ServerFolder(const ServerFolder&) = delete;
    ServerFolder& operator=(const ServerFolder&) = delete;

    QString drivePath() const { return drivePath_; } // with the closing backslash
    QString realPath() const { return realPath_; }
    // The table files the folder holds now.
    QStringList tableFiles() const;

private:
    QString drivePath_;
    QString realPath_;
};

} // namespace jadl::archive
