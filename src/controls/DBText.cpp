#include "controls/DBText.h"

namespace jadl {

DBText::DBText(QWidget* parent) : QLabel(parent), link_(new FieldLink(this))
{
    setTextFormat(Qt::PlainText);
    link_->onDataChange = [this] { showField(); };
}

void DBText::showField()
{
    const Field* f = link_->field();
    const QString shown = f ? f->displayText() : QString();
    if (text() != shown)
        setText(shown);
}

} // namespace jadl
