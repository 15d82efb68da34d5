#include "controls/ServerRole.h"

#include "platform/Messages.h"
#include "store/Database.h"
#include "store/EngineError.h"
#include "store/ServerSetup.h"

namespace jadl {

bool headOfficeWork(const DataLocation& where, const QString& what)
{
    if (!where.isServer())
        return true;
    try {
        serversetup::requireHeadOffice(where.server, what);
        return true;
    } catch (const EngineError& e) {
        platform::showError(e.message());
        return false;
    }
}

} // namespace jadl
