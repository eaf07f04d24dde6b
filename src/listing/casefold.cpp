#include "listing/casefold.h"

#include <QChar>

namespace corvane {

int itemCompare(QStringView a, QStringView b) noexcept
{
    const int folded = a.compare(b, Qt::CaseInsensitive);
    if (folded != 0)
        return folded;
    return a.compare(b, Qt::CaseSensitive);
}

bool sameIgnoringCase(QStringView a, QStringView b) noexcept
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

quint64 foldedHash(QStringView text) noexcept
{
    // FNV-1a over the folded code points. Qt's case-insensitive comparison
    // folds code point by code point with the same table as QChar::toCaseFolded,
    // so texts it calls equal hash equal.
    quint64 h = 14695981039346656037ull;
    const qsizetype n = text.size();
    const QChar *s = text.data();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = s[i].unicode();
        if (c < 0x80) {
            if (c >= 'A' && c <= 'Z')
                c += 'a' - 'A';
        } else {
            if (QChar::isHighSurrogate(c) && i + 1 < n && s[i + 1].isLowSurrogate()) {
                c = QChar::surrogateToUcs4(char16_t(c), s[i + 1].unicode());
                ++i;
            }
            c = QChar::toCaseFolded(c);
        }
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

qsizetype indexOfIgnoringCase(QStringView text, QStringView word) noexcept
{
    return text.indexOf(word, 0, Qt::CaseInsensitive);
}

} // namespace corvane
