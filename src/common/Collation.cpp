#include "common/Collation.h"

#include <unicode/ucol.h>

#include <memory>
#include <stdexcept>

namespace jadl {

namespace {

struct CollatorClose {
    void operator()(UCollator* c) const { ucol_close(c); }
};

// Opened once; ICU's collator is safe for concurrent const use.
const UCollator* collator()
{
    static const std::unique_ptr<UCollator, CollatorClose> polish = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<UCollator, CollatorClose> c(ucol_open("pl_PL", &status));
        if (U_FAILURE(status) || !c)
            throw std::runtime_error("ICU: no Polish collation");
        return c;
    }();
    return polish.get();
}

} // namespace

QByteArray polishSortKey(const QString& text)
{
    const auto* chars = reinterpret_cast<const UChar*>(text.utf16());
    QByteArray key(qMax<qsizetype>(32, text.size() * 4), Qt::Uninitialized);
    int32_t need = ucol_getSortKey(collator(), chars, int32_t(text.size()), reinterpret_cast<uint8_t*>(key.data()),
                                   int32_t(key.size()));
    if (need > key.size()) {
        key.resize(need);
        need = ucol_getSortKey(collator(), chars, int32_t(text.size()), reinterpret_cast<uint8_t*>(key.data()),
                               int32_t(key.size()));
    }
    // The key ends in a zero byte, which adds nothing to the order.
    key.resize(qMax(0, need - 1));
    return key;
}

} // namespace jadl
