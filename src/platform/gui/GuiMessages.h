#pragma once
// Message boxes on real dialogs.
#include "platform/Messages.h"

#include <QMessageBox>

namespace jadl::platform {

class GuiMessages : public MessageSink {
public:
    void message(const QString& text, const QString& caption) override;
    bool question(const QString& text, const QString& caption) override;
    void error(const QString& text, const QString& caption) override;
    bool questionDefaultNo(const QString& text, const QString& caption) override;
    Choice choice(const QString& text, const QString& caption) override;

    // The boxes as they are shown; exposed so that widget tests can inspect them
    // without running a dialog.
    static void setupMessageBox(QMessageBox& box, const QString& text, const QString& caption);
    static void setupQuestionBox(QMessageBox& box, const QString& text, const QString& caption);
    static void setupChoiceBox(QMessageBox& box, const QString& text, const QString& caption);
    static void setupErrorBox(QMessageBox& box, const QString& text, const QString& caption);
};

} // namespace jadl::platform
