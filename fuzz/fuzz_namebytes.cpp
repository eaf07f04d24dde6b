// Fuzzes the way back from a shown name to its bytes. For any bytes, the text
// shown for them gives them back (nameBytes), by the program's decoder and by
// the reference one, so two names never show alike; two shown texts equal
// ignoring case hold the same escapes, so names merge only where they differ
// in letter case. For any text at all (typed, pasted, edited by hand, lone
// surrogates among it), the program's decoder agrees with the reference.

#include "listing/casefold.h"
#include "listing/filenames.h"
#include "support/reference.h"

#include <QString>

#include <cstdlib>
#include <cstring>

using namespace corvane;

namespace {

// The escapes of a shown text, in order, found as the decoders find them.
QStringList escapesOf(const QString &shown)
{
    static const QRegularExpression escape(QStringLiteral(R"(\\(\\|n|r|t|x[0-9A-Fa-f]{2}))"));
    QStringList out;
    for (QRegularExpressionMatchIterator it = escape.globalMatch(shown); it.hasNext();)
        out.append(it.next().captured());
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString shown = displayName(bytes);
    if (nameBytes(shown) != bytes.toByteArray() || test::referenceNameBytes(shown) != bytes.toByteArray())
        std::abort();

    // Two names: different bytes, different texts; the same ignoring case,
    // the same escapes.
    const qsizetype half = bytes.size() / 2;
    const QString first = displayName(bytes.first(half)), second = displayName(bytes.sliced(half));
    if ((first == second) != (bytes.first(half) == bytes.sliced(half)))
        std::abort();
    if (sameIgnoringCase(first, second) && escapesOf(first) != escapesOf(second))
        std::abort();

    // Any text: the input as UTF-8 (invalid bytes become U+FFFD), and as
    // UTF-16 units, so that lone surrogates occur too.
    const QString typed = QString::fromUtf8(bytes);
    if (nameBytes(typed) != test::referenceNameBytes(typed))
        std::abort();
    QString units(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(units.data(), data, size_t(units.size()) * 2);
    if (nameBytes(units) != test::referenceNameBytes(units))
        std::abort();
    return 0;
}
