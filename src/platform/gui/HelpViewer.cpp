#include "platform/gui/HelpViewer.h"

#include <QApplication>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace jadl::platform {

namespace {

QPointer<HelpViewer>& theViewer()
{
    static QPointer<HelpViewer> viewer;
    return viewer;
}

} // namespace

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Pomoc - Jadlonia"));
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenExternalLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(520, 420);
}

QString HelpViewer::pageUrl()
{
    return QStringLiteral("qrc:/help/jadlonia.html");
}

void HelpViewer::showTopic(int topic)
{
    QUrl url(pageUrl());
    url.setFragment(QStringLiteral("topic%1").arg(topic));
    browser_->setSource(url);
    show();
    raise();
    activateWindow();
    browser_->scrollToAnchor(QStringLiteral("topic%1").arg(topic));
}

HelpViewer* HelpViewer::instance()
{
    return theViewer().data();
}

HelpViewer* HelpViewer::ensureInstance()
{
    // Owned by the window asking for help, so that it stays usable beside a modal
    // dialog; with no such window it deletes itself when closed and the next request
    // makes a new one.
    QPointer<HelpViewer>& viewer = theViewer();
    QWidget* owner = QApplication::activeWindow();
    if (viewer && owner == viewer.data())
        owner = viewer->parentWidget();
    if (!viewer) {
        viewer = new HelpViewer(owner);
    } else if (viewer->parentWidget() != owner) {
        viewer->setParent(owner, Qt::Window);
    }
    viewer->setAttribute(Qt::WA_DeleteOnClose, owner == nullptr);
    return viewer.data();
}

} // namespace jadl::platform
