#include "platform/gui/GuiMessages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>

namespace jadl::platform {

namespace {

QString titleOr(const QString& caption, const QString& fallback)
{
    return caption.isEmpty() ? fallback : caption;
}

QString applicationTitle()
{
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Jadlonia") : name;
}

void prepare(QMessageBox& box, QMessageBox::Icon icon, const QString& text, const QString& title)
{
    box.setIcon(icon);
    box.setText(text);
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText);
}

} // namespace

void GuiMessages::setupMessageBox(QMessageBox& box, const QString& text, const QString& caption)
{
    prepare(box, QMessageBox::NoIcon, text, titleOr(caption, applicationTitle()));
    box.setStandardButtons(QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
}

void GuiMessages::setupQuestionBox(QMessageBox& box, const QString& text, const QString& caption)
{
    prepare(box, QMessageBox::NoIcon, text, titleOr(caption, applicationTitle()));
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    // Named here so the box reads Polish even without Qt's translation loaded.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Tak"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Nie"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
}

void GuiMessages::setupChoiceBox(QMessageBox& box, const QString& text, const QString& caption)
{
    prepare(box, QMessageBox::NoIcon, text, titleOr(caption, applicationTitle()));
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Tak"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Nie"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("&Anuluj"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
}

void GuiMessages::setupErrorBox(QMessageBox& box, const QString& text, const QString& caption)
{
    prepare(box, QMessageBox::Critical, text, titleOr(caption, QStringLiteral("Błąd")));
    box.setStandardButtons(QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
}

void GuiMessages::message(const QString& text, const QString& caption)
{
    QMessageBox box(QApplication::activeWindow());
    setupMessageBox(box, text, caption);
    box.exec();
}

bool GuiMessages::question(const QString& text, const QString& caption)
{
    QMessageBox box(QApplication::activeWindow());
    setupQuestionBox(box, text, caption);
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::Yes);
}

bool GuiMessages::questionDefaultNo(const QString& text, const QString& caption)
{
    QMessageBox box(QApplication::activeWindow());
    setupQuestionBox(box, text, caption);
    box.setDefaultButton(QMessageBox::No);
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::Yes);
}

Choice GuiMessages::choice(const QString& text, const QString& caption)
{
    QMessageBox box(QApplication::activeWindow());
    setupChoiceBox(box, text, caption);
    box.exec();
    if (box.clickedButton() == box.button(QMessageBox::Yes))
        return Choice::Yes;
    if (box.clickedButton() == box.button(QMessageBox::No))
        return Choice::No;
    return Choice::Cancel;
}

void GuiMessages::error(const QString& text, const QString& caption)
{
    QMessageBox box(QApplication::activeWindow());
    setupErrorBox(box, text, caption);
    box.exec();
}

} // namespace jadl::platform
