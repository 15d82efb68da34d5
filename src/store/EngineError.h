#pragma once
// Errors of the table engine. They carry the engine's text and, where a file is
// involved, its path, so the default error box can name it.
#include <QByteArray>
#include <QString>

#include <exception>

namespace jadl {

class EngineError : public std::exception {
public:
    explicit EngineError(QString text, QString file = {})
        : text_(std::move(text)), file_(std::move(file)),
          what_((file_.isEmpty() ? text_ : text_ + QStringLiteral(" [") + file_ + QStringLiteral("]")).toUtf8())
    { }
    const char* what() const noexcept override { return what_.constData(); }
    // Text as shown to the user: the engine's words, then the file.
    QString message() const { return QString::fromUtf8(what_); }
    const QString& text() const { return text_; }
    const QString& file() const { return file_; }

protected:
    // A message that names its file in its own words.
    struct Worded { };
    EngineError(Worded, QString message, QString file) : text_(message), file_(std::move(file)), what_(message.toUtf8())
    { }

private:
    QString text_;
    QString file_;
    QByteArray what_;
};

// A table file the engine reads as damaged ("database disk image is malformed"):
// its numbers cannot be trusted; the message names the file and the way back (the
// last archive).
class DamagedFile : public EngineError {
public:
    DamagedFile(const QString& message, QString file) : EngineError(Worded{}, message, std::move(file)) { }
};

// The connection to the server that keeps the tables is gone. What was being
// written in it was not committed, unless the message says otherwise; the next
// statement connects again.
class ConnectionLost : public EngineError {
public:
    using EngineError::EngineError;
    // The commit was sent but its answer never came: it may have been written.
    static ConnectionLost atCommit(QString text, QString file = {})
    {
        ConnectionLost e(std::move(text), std::move(file));
        e.atCommit_ = true;
        return e;
    }
    bool outcomeUnknown() const { return atCommit_; }

private:
    bool atCommit_ = false;
};

// Silent cancellation of an operation (a handler decided to stop); never shown.
class Abort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

} // namespace jadl
