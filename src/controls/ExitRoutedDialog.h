#pragma once
// A dialog whose Esc key runs the window's own exit handler instead of only
// hiding it, so the window closes its tables and leaves no record half-made
// behind it. The close box keeps the tables open on their record, as it always
// did, but typing still in the window is first saved or given up on the user's
// word, so no table stays in edit or insert state behind the window.
#include <QDialog>

#include <functional>

namespace jadl {

class ExitRoutedDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

protected:
    // The handler closes the window itself (close()) when it lets it go; it is
    // run guarded, as a button's handler is.
    void setExitHandler(std::function<void()> handler) { exit_ = std::move(handler); }
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<void()> exit_;
    bool closing_ = false; // inside the handler or a close it asked for: only hide
};

} // namespace jadl
