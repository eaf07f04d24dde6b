// Fuzzes what is made of a file name's bytes against the reference forms: the
// displayed text against Qt's strict UTF-8 decoder, then the case rule (order,
// duplicate test, hash, word search, sort key) against QString::toCaseFolded,
// on the two halves of the input decoded as UTF-8; and NoExtension.

#include "listing/casefold.h"
#include "listing/filenames.h"
#include "support/reference.h"

#include <QString>

#include <cstdlib>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString shown = displayName(bytes);
    if (shown != test::referenceDisplayName(bytes))
        std::abort();

    // Decoded as Qt decodes (invalid bytes become U+FFFD), so any text occurs.
    const qsizetype half = bytes.size() / 2;
    if (test::caseRuleDisagreement(QString::fromUtf8(bytes.first(half)), QString::fromUtf8(bytes.sliced(half)))
        || test::caseRuleDisagreement(shown, shown.toUpper()))
        std::abort();

    // NoExtension keeps everything before the last dot, and only that.
    const QString stem = NoExtension(shown);
    if (stem != shown) {
        if (!shown.startsWith(stem) || shown.at(stem.size()) != u'.' || shown.indexOf(u'.', stem.size() + 1) >= 0)
            std::abort();
    } else if (shown.contains(u'.')) {
        std::abort();
    }
    return 0;
}
