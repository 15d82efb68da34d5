#include "controls/FittedText.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLineEdit>
#include <QStyle>

namespace jadl {

namespace {

// Smallest font the text is written in before the edit itself grows.
constexpr qreal kFloorPointSize = 6.0;
// QLineEdit keeps this many pixels free on each side of its text.
constexpr int kInnerMargin = 2;

class TextFitter : public QObject {
public:
    explicit TextFitter(QLineEdit* edit) : QObject(edit), edit_(edit), base_(edit->font())
    {
        edit->installEventFilter(this);
        QObject::connect(edit, &QLineEdit::textChanged, this, [this] { fit(); });
        fit();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == edit_ && event->type() == QEvent::Resize && !fitting_)
            fit();
        return false;
    }

private:
    static int advance(const QFont& f, const QString& text) { return QFontMetrics(f).horizontalAdvance(text); }

    void fit()
    {
        fitting_ = true;
        const QString text = edit_->text();
        const int room = textAreaWidth(edit_);
        QFont f = base_;
        qreal size = base_.pointSizeF() > 0 ? base_.pointSizeF() : 9.0;
        while (advance(f, text) > room && size > kFloorPointSize) {
            size = qMax(kFloorPointSize, size - 0.5);
            f.setPointSizeF(size);
        }
        edit_->setFont(f);
        // At the floor the edit takes the width its text needs (and keeps it, so
        // that the layout does not swing between two widths).
        const int need = advance(f, text) - room;
        if (need > 0)
            edit_->setMinimumWidth(edit_->width() + need);
        fitting_ = false;
    }

    QLineEdit* edit_;
    QFont base_;
    bool fitting_ = false;
};

} // namespace

int textAreaWidth(const QLineEdit* edit)
{
    const QMargins m = edit->textMargins();
    const int frame = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit) : 0;
    return edit->contentsRect().width() - m.left() - m.right() - 2 * frame - 2 * kInnerMargin;
}

void fitTextToWidth(QLineEdit* edit)
{
    new TextFitter(edit); // owned by the edit
}

} // namespace jadl
