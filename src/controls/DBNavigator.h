#pragma once
// A bar of up to ten buttons that move through and edit a data source's table,
// enabled by the table's position and state.
#include "store/DataSource.h"
#include "store/Table.h"

#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <array>

class QToolButton;

namespace jadl {

class DBNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };
    Q_ENUM(Button)
    static constexpr int ButtonCount = 10;

    explicit DBNavigator(QWidget* parent = nullptr);

    DataSource* dataSource() const { return source_; }
    void setDataSource(DataSource* source);

    // Shown buttons, in the bar's fixed order.
    QList<Button> visibleButtons() const;
    void setVisibleButtons(const QList<Button>& buttons);
    // Hints of the shown buttons in order (a shorter list leaves the rest alone).
    void setHints(const QStringList& hints);
    void setHint(Button button, const QString& hint);
    QString hint(Button button) const;
    // Delete asks first (on by default).
    bool confirmDelete() const { return confirmDelete_; }
    void setConfirmDelete(bool on) { confirmDelete_ = on; }

    QToolButton* button(Button b) const { return buttons_[std::size_t(b)]; }
    // Does what the button does, as a click would (nothing when disabled).
    void clickButton(Button b);

Q_SIGNALS:
    // After a button's action ran.
    void clicked(jadl::DBNavigator::Button button);

protected:
    void changeEvent(QEvent* event) override;

private:
    void updateButtons();
    void run(Button b);

    QPointer<DataSource> source_;
    QList<QMetaObject::Connection> connections_;
    std::array<QToolButton*, ButtonCount> buttons_{};
    bool confirmDelete_ = true;
};

} // namespace jadl
