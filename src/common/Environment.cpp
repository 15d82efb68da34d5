#include "common/Environment.h"

#include <QDir>
#include <QtGlobal>

namespace jadl {

void applyTmpSetting()
{
    qputenv("TMP", QDir::toNativeSeparators(QDir::currentPath()).toLocal8Bit());
}

} // namespace jadl
