#pragma once
// The help viewer: a small modeless window showing the program's help page.
#include <QWidget>

class QTextBrowser;

namespace jadl::platform {

class HelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent = nullptr);
    // Shows the help page at anchor "topic<n>" and brings the window up.
    void showTopic(int topic);
    QTextBrowser* browser() const { return browser_; }

    static QString pageUrl(); // "qrc:/help/jadlonia.html"
    // The one viewer of the run, created on first use; nullptr before that.
    static HelpViewer* instance();
    static HelpViewer* ensureInstance();

private:
    QTextBrowser* browser_;
};

} // namespace jadl::platform
