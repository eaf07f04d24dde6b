// Fuzzes what is made of a file name's bytes against the reference forms: the
// displayed text against Qt's strict UTF-8 decoder, then the case rule (both
// orders, duplicate test, hash, word search, sort key) against the reference forms
// (base letters, then QString::toCaseFolded), on the two halves of the input
// decoded as UTF-8 (paths, with "/" between parts, among them); the path
// encoding; and NoExtension.

#include "listing/baseletters.h"
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
    for (const ItemOrder order : {ItemOrder::Alphabetical, ItemOrder::Natural})
        if (test::caseRuleDisagreement(QString::fromUtf8(bytes.first(half)), QString::fromUtf8(bytes.sliced(half)),
                                       order)
            || test::caseRuleDisagreement(shown, shown.toUpper(), order))
            std::abort();

    // As a path the bytes come back exactly, and are shown alike.
    const QString path = corvane::pathFromBytes(bytes);
    if (corvane::pathToBytes(path) != bytes.toByteArray() || corvane::displayPath(path) != shown)
        std::abort();

    // NoExtension keeps everything before the last dot of the last part (after
    // the last "/"), and only that.
    const QString stem = NoExtension(shown);
    const qsizetype lastPart = shown.lastIndexOf(u'/') + 1;
    if (stem != shown) {
        if (!shown.startsWith(stem) || stem.size() < lastPart || shown.at(stem.size()) != u'.'
            || shown.indexOf(u'.', stem.size() + 1) >= 0)
            std::abort();
    } else if (shown.indexOf(u'.', lastPart) >= 0) {
        std::abort();
    }

    // The item order, split at the middle into two texts: antisymmetric, equal
    // only for equal texts, 0 ignoring case exactly for the duplicate test, and
    // the base letters decide first, their packed keys agreeing where they differ.
    const QStringView a = QStringView(shown).first(shown.size() / 2), b = QStringView(shown).sliced(shown.size() / 2);
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const ItemOrder itemOrder : {ItemOrder::Alphabetical, ItemOrder::Natural}) {
        const int order = sign(corvane::itemCompare(a, b, itemOrder));
        if (order != -sign(corvane::itemCompare(b, a, itemOrder)) || (order == 0) != (a == b))
            std::abort();
        const int folded = sign(corvane::compareIgnoringCase(a, b, itemOrder));
        if ((folded == 0) != corvane::sameIgnoringCase(a, b) || (folded != 0 && folded != order))
            std::abort();
        const int base = sign(corvane::compareFirstLevel(a, b, itemOrder));
        const corvane::BaseKey keyA = corvane::baseKey(a, itemOrder), keyB = corvane::baseKey(b, itemOrder);
        const int byKey = keyA == keyB ? 0 : keyA < keyB ? -1 : 1;
        if ((byKey != 0 && byKey != base) || (base != 0 && base != folded))
            std::abort();
    }
    return 0;
}
