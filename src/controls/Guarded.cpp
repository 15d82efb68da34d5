#include "controls/Guarded.h"

#include "platform/Drives.h"
#include "platform/Messages.h"
#include "store/EngineError.h"

#include <QString>

#include <exception>

namespace jadl {

void reportCurrentException()
{
    try {
        throw;
    } catch (const Abort&) {
        // cancelled on purpose: nothing to show
    } catch (const EngineError& e) {
        platform::showError(e.message());
    } catch (const platform::IoError& e) {
        platform::showError(e.text());
    } catch (const std::exception& e) {
        platform::showError(QString::fromUtf8(e.what()));
    } catch (...) {
        platform::showError(QStringLiteral("Nieznany błąd programu"));
    }
}

bool runGuarded(const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (...) {
        reportCurrentException();
        return false;
    }
}

} // namespace jadl
