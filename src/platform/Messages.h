#pragma once
// Message boxes as the program uses them. The GUI registers real dialogs; tests
// install a ScriptedMessages that records every text and caption and answers from
// a script, so no test ever blocks on a dialog.
#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <memory>

namespace jadl::platform {

enum class MessageKind { Message, Question, Error, Warning, Choice };

// The answer to a question that also offers to go back.
enum class Choice { Yes, No, Cancel };

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void message(const QString& text, const QString& caption) = 0; // OK only
    virtual bool question(const QString& text, const QString& caption) = 0; // Yes/No, no icon; true = Yes
    virtual void error(const QString& text, const QString& caption) = 0; // error icon, OK
    // Yes/No with No as the default button, for questions whose safe answer is No.
    virtual bool questionDefaultNo(const QString& text, const QString& caption) { return question(text, caption); }
    // Yes/No/Cancel, no icon; Cancel (also Esc) goes back.
    virtual Choice choice(const QString& text, const QString& caption)
    {
        return question(text, caption) ? Choice::Yes : Choice::No;
    }
};

// The sink in force (a plain stderr sink until the GUI or a test installs one).
MessageSink& messages();
// Installs a sink; nullptr puts back the stderr sink (questions answered No).
void setMessageSink(std::shared_ptr<MessageSink> sink);
std::shared_ptr<MessageSink> messageSink(); // the sink in force, to restore it later

// Shorthands the windows call. The caption is passed on as given; the GUI error box
// shows "Błąd" when it is empty.
void showMessage(const QString& text, const QString& caption = {});
bool askYesNo(const QString& text, const QString& caption);
bool askYesNoDefaultNo(const QString& text, const QString& caption);
Choice askYesNoCancel(const QString& text, const QString& caption);
void showError(const QString& text, const QString& caption = {});

struct RecordedMessage {
    MessageKind kind;
    QString text;
    QString caption;
    bool answer = false; // for questions
    Choice choice = Choice::No; // for choices
};

class ScriptedMessages : public MessageSink {
public:
    void message(const QString& text, const QString& caption) override;
    bool question(const QString& text, const QString& caption) override;
    void error(const QString& text, const QString& caption) override;
    bool questionDefaultNo(const QString& text, const QString& caption) override { return question(text, caption); }
    Choice choice(const QString& text, const QString& caption) override;
    void answerNext(bool yes) { answers_.push_back(yes); }
    // Yes/No/Cancel questions take their answers from a script of their own
    // (unscripted ones are answered No).
    void answerNextChoice(Choice c) { choices_.push_back(c); }
    // Questions beyond the script are answered with this (default: No).
    void setDefaultAnswer(bool yes) { defaultAnswer_ = yes; }
    const QList<RecordedMessage>& log() const { return log_; }
    // Scripted answers not used yet (a test may check that every one was asked for).
    qsizetype pendingAnswers() const { return static_cast<qsizetype>(answers_.size()); }
    QStringList texts() const;
    void clear()
    {
        log_.clear();
        answers_.clear();
        choices_.clear();
    }

private:
    std::deque<bool> answers_;
    std::deque<Choice> choices_;
    bool defaultAnswer_ = false;
    QList<RecordedMessage> log_;
};

// Installs a ScriptedMessages for the lifetime of the guard and restores the previous sink.
class ScopedScriptedMessages {
public:
    ScopedScriptedMessages();
    ~ScopedScriptedMessages();
    ScopedScriptedMessages(const ScopedScriptedMessages&) = delete;
    ScopedScriptedMessages& operator=(const ScopedScriptedMessages&) = delete;
    ScriptedMessages& operator*() { return *sink_; }
    ScriptedMessages* operator->() { return sink_.get(); }

private:
    std::shared_ptr<ScriptedMessages> sink_;
    std::shared_ptr<MessageSink> previous_;
};

} // namespace jadl::platform
