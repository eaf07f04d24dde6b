// Fuzzes the wildcard pattern: the first line of the input is the pattern, the
// rest a file name. Checks the rules that must hold for every input.

#include "listing/pattern.h"

#include <QString>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype nl = input.indexOf('\n');
    const QString pattern = QString::fromUtf8(nl < 0 ? input : input.left(nl));
    const QString name = nl < 0 ? QString() : QString::fromUtf8(input.mid(nl + 1));

    const bool matched = corvane::Pattern(pattern).matches(name);

    // "*.*" and "*" take every name.
    if (!corvane::Pattern(QStringLiteral("*.*")).matches(name) || !corvane::Pattern(QStringLiteral("*")).matches(name))
        std::abort();
    // A name without wildcards or separators matches itself, in any case.
    if (!name.contains(u'*') && !name.contains(u'?') && !name.contains(u';')) {
        if (!corvane::Pattern(name).matches(name) || !corvane::Pattern(name.toUpper()).matches(name.toLower()))
            if (name.toUpper().toLower() == name.toLower()) // only where upper/lower round-trip
                std::abort();
    }
    // Adding an entry never loses a match.
    if (matched && !corvane::Pattern(pattern + QStringLiteral(";x")).matches(name))
        std::abort();
    return 0;
}
