#pragma once
// Writing a sheet file safely: the content goes to a new file beside the target,
// which replaces the target only once it is complete. A failure leaves an existing
// file of that name as it was and no partial file behind, and is reported in
// Polish naming the file.
#include <QByteArray>
#include <QString>

#include <exception>

namespace jadl {

// A sheet that could not be written; the message is ready for the error box:
// "Nie można zapisać arkusza <path>: <reason>".
class SheetError : public std::exception {
public:
    SheetError(const QString& path, const QString& reason);
    const char* what() const noexcept override { return what_.constData(); }
    const QString& message() const { return message_; }

private:
    QString message_;
    QByteArray what_;
};

// A temporary file in the target's folder (same file system, so the final rename
// is atomic). Created on construction; removed on destruction unless committed.
class ReplacingFile {
public:
    explicit ReplacingFile(QString target); // throws SheetError
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    const QString& target() const { return target_; }
    // Where the content goes; a writer that opens files by name writes here.
    const QString& tempPath() const { return temp_; }
    // Appends to the temporary file; throws SheetError.
    void write(const QByteArray& bytes);
    // Flushes to disk and renames over the target; throws SheetError.
    void commit();
    [[noreturn]] void fail(const QString& reason) const;

private:
    void closeHandle();
    QString target_;
    QString temp_;
    int fd_ = -1;
    bool committed_ = false;
};

// Test seam for machines where a full disk cannot be made: every commit from now
// on fails as if the last write had failed with this errno (0: off).
void setSimulatedSheetWriteError(int err);

} // namespace jadl
