#include "platform/Messages.h"

#include <cstdio>

namespace jadl::platform {

namespace {

// Until a window system or a test says otherwise, messages go to stderr and
// questions are answered No, the answer that changes nothing.
class StderrMessages : public MessageSink {
public:
    void message(const QString& text, const QString& caption) override { print("message", text, caption); }
    bool question(const QString& text, const QString& caption) override
    {
        print("question (answered No)", text, caption);
        return false;
    }
    void error(const QString& text, const QString& caption) override { print("error", text, caption); }

private:
    static void print(const char* kind, const QString& text, const QString& caption)
    {
        std::fprintf(stderr, "[%s] %s%s%s\n", kind, caption.toLocal8Bit().constData(), caption.isEmpty() ? "" : ": ",
                     text.toLocal8Bit().constData());
    }
};

std::shared_ptr<MessageSink>& current()
{
    static std::shared_ptr<MessageSink> sink = std::make_shared<StderrMessages>();
    return sink;
}

} // namespace

MessageSink& messages()
{
    return *current();
}

std::shared_ptr<MessageSink> messageSink()
{
    return current();
}

void setMessageSink(std::shared_ptr<MessageSink> sink)
{
    current() = sink ? std::move(sink) : std::make_shared<StderrMessages>();
}

void showMessage(const QString& text, const QString& caption)
{
    messages().message(text, caption);
}

bool askYesNo(const QString& text, const QString& caption)
{
    return messages().question(text, caption);
}

void showError(const QString& text, const QString& caption)
{
    messages().error(text, caption);
}

bool askYesNoDefaultNo(const QString& text, const QString& caption)
{
    return messages().questionDefaultNo(text, caption);
}

Choice askYesNoCancel(const QString& text, const QString& caption)
{
    return messages().choice(text, caption);
}

Choice ScriptedMessages::choice(const QString& text, const QString& caption)
{
    Choice answer = Choice::No;
    if (!choices_.empty()) {
        answer = choices_.front();
        choices_.pop_front();
    }
    RecordedMessage m{MessageKind::Choice, text, caption, answer == Choice::Yes};
    m.choice = answer;
    log_.append(m);
    return answer;
}

void ScriptedMessages::message(const QString& text, const QString& caption)
{
    log_.append({MessageKind::Message, text, caption, false});
}

bool ScriptedMessages::question(const QString& text, const QString& caption)
{
    bool answer = defaultAnswer_;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    log_.append({MessageKind::Question, text, caption, answer});
    return answer;
}

void ScriptedMessages::error(const QString& text, const QString& caption)
{
    log_.append({MessageKind::Error, text, caption, false});
}

QStringList ScriptedMessages::texts() const
{
    QStringList out;
    out.reserve(log_.size());
    for (const RecordedMessage& m : log_)
        out.append(m.text);
    return out;
}

ScopedScriptedMessages::ScopedScriptedMessages() : sink_(std::make_shared<ScriptedMessages>()), previous_(messageSink())
{
    setMessageSink(sink_);
}

ScopedScriptedMessages::~ScopedScriptedMessages()
{
    setMessageSink(previous_);
}

} // namespace jadl::platform
