#include "support/gui/ProgramFixture.h"

#include "platform/Clock.h"
#include "platform/Drives.h"
#include "shell/StartUp.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

namespace jadl::test {

ProgramFixture::ProgramFixture(QDate today, const std::function<void(const QString& root)>& prepare)
{
    oldDrives_ = qgetenv("JADL_DRIVES");
    qputenv("JADL_DRIVES", QByteArray("C=") + dir_.path().toUtf8());
    platform::Drives::reload();
    platform::setFixedToday(today);
    messages_ = std::make_unique<platform::ScopedScriptedMessages>();
    engine_ = std::make_unique<EngineEnvironment>(dir_.path());
    if (prepare)
        prepare(dir_.path());
    started_ = StartUp();
}

ProgramFixture::~ProgramFixture()
{
    ShutDown();
    engine_.reset();
    messages_.reset();
    platform::setFixedToday(std::nullopt);
    if (oldDrives_.isNull())
        qunsetenv("JADL_DRIVES");
    else
        qputenv("JADL_DRIVES", oldDrives_);
    platform::Drives::reload();
}

QString ProgramFixture::dataDir() const
{
    return platform::Drives::dataDirectory();
}

void whenModalShown(const std::function<void(QWidget* modal)>& check)
{
    auto* timer = new QTimer(qApp);
    auto triesLeft = std::make_shared<int>(500);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, triesLeft, check] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && --*triesLeft > 0)
            return;
        timer->stop();
        timer->deleteLater();
        if (!modal)
            return;
        check(modal);
        if (auto* dlg = qobject_cast<QDialog*>(modal))
            dlg->done(QDialog::Rejected);
        else
            modal->close();
    });
    timer->start();
}

} // namespace jadl::test
