#include "listing/filenames.h"

#include <algorithm>
#include <iterator>

namespace corvane {

QString NoExtension(const QString &parola)
{
    const qsizetype dot = extensionDot(parola);
    if (dot < 0)
        return parola;
    return parola.left(dot);
}

qsizetype extensionDot(QStringView text) noexcept
{
    const qsizetype dot = text.lastIndexOf(u'.');
    return dot > text.lastIndexOf(u'/') ? dot : -1;
}

namespace {

// The well-formed UTF-8 sequences of two bytes or more (RFC 3629: no overlong
// forms, no surrogates, nothing above U+10FFFF), by their first byte: how many
// bytes, the payload bits of the first byte, and the range of the second byte.
// Every later byte is a plain continuation byte, 0x80 to 0xBF.
struct Lead
{
    unsigned char first, last;
    int length;
    unsigned char payload, secondLow, secondHigh;
};
constexpr Lead leads[] = {
    {0xC2, 0xDF, 2, 0x1F, 0x80, 0xBF}, {0xE0, 0xE0, 3, 0x0F, 0xA0, 0xBF}, {0xE1, 0xEC, 3, 0x0F, 0x80, 0xBF},
    {0xED, 0xED, 3, 0x0F, 0x80, 0x9F}, {0xEE, 0xEF, 3, 0x0F, 0x80, 0xBF}, {0xF0, 0xF0, 4, 0x07, 0x90, 0xBF},
    {0xF1, 0xF3, 4, 0x07, 0x80, 0xBF}, {0xF4, 0xF4, 4, 0x07, 0x80, 0x8F},
};

// Length of the well-formed UTF-8 sequence starting at s[i], or 0 if there is
// none. The decoded code point goes to cp.
int utf8Sequence(const unsigned char *s, qsizetype n, qsizetype i, char32_t &cp)
{
    const unsigned char b0 = s[i];
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    const Lead *lead = std::find_if(std::begin(leads), std::end(leads),
                                    [b0](const Lead &l) { return b0 >= l.first && b0 <= l.last; });
    if (lead == std::end(leads) || i + lead->length > n)
        return 0;
    cp = b0 & lead->payload;
    for (int k = 1; k < lead->length; ++k) {
        const unsigned char b = s[i + k];
        if (b < (k == 1 ? lead->secondLow : 0x80) || b > (k == 1 ? lead->secondHigh : 0xBF))
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    return lead->length;
}

bool isControl(char32_t cp)
{
    return cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp <= 0x9F) || cp == 0x2028 || cp == 0x2029;
}

void appendByteEscape(QString &out, unsigned char b)
{
    static const char hex[] = "0123456789ABCDEF";
    out += u"\\x";
    out += QChar(char16_t(hex[b >> 4]));
    out += QChar(char16_t(hex[b & 0xF]));
}

} // namespace

namespace {

// The shown form of bytes: see displayName. Typed texts keep their
// backslashes (oneLineText): only a name must be told apart from every other.
QString shownForm(QByteArrayView bytes, bool escapeBackslash)
{
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();

    // Fast path: printable ASCII, by far the most common kind of name.
    qsizetype i = 0;
    while (i < n && s[i] >= 0x20 && s[i] < 0x7F && (s[i] != '\\' || !escapeBackslash))
        ++i;
    if (i == n)
        return QString::fromLatin1(bytes.data(), n);

    QString out;
    out.reserve(n + 8);
    out += QLatin1StringView(bytes.data(), i);
    while (i < n) {
        char32_t cp = 0;
        const int len = utf8Sequence(s, n, i, cp);
        if (len == 0) {
            appendByteEscape(out, s[i]);
            ++i;
            continue;
        }
        if (isControl(cp)) {
            if (cp == '\n')
                out += u"\\n";
            else if (cp == '\r')
                out += u"\\r";
            else if (cp == '\t')
                out += u"\\t";
            else
                for (int k = 0; k < len; ++k)
                    appendByteEscape(out, s[i + k]);
        } else if (cp == '\\' && escapeBackslash) {
            out += u"\\\\";
        } else {
            out += QStringView(QChar::fromUcs4(cp));
        }
        i += len;
    }
    return out;
}

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    return u >= '0' && u <= '9' ? u - '0' : u >= 'A' && u <= 'F' ? u - 'A' + 10 : u >= 'a' && u <= 'f' ? u - 'a' + 10 : -1;
}

} // namespace

QString displayName(QByteArrayView bytes)
{
    return shownForm(bytes, true);
}

QString oneLineText(const QString &typed)
{
    return shownForm(typed.toUtf8(), false);
}

QByteArray nameBytes(QStringView shown)
{
    QByteArray out;
    out.reserve(shown.size());
    const qsizetype n = shown.size();
    qsizetype plain = 0; // start of the run of characters taken as they are
    for (qsizetype i = 0; i < n; ++i) {
        if (shown[i] != u'\\' || i + 1 >= n)
            continue;
        const QChar next = shown[i + 1];
        int byte = -1, length = 2;
        if (next == u'\\')
            byte = '\\';
        else if (next == u'n')
            byte = '\n';
        else if (next == u'r')
            byte = '\r';
        else if (next == u't')
            byte = '\t';
        else if (next == u'x' && i + 3 < n && hexValue(shown[i + 2]) >= 0 && hexValue(shown[i + 3]) >= 0)
            byte = hexValue(shown[i + 2]) * 16 + hexValue(shown[i + 3]), length = 4;
        if (byte < 0)
            continue; // no escape: the backslash stands for itself
        out += pathToBytes(shown.sliced(plain, i - plain));
        out += char(byte);
        i += length - 1;
        plain = i + 1;
    }
    out += pathToBytes(shown.sliced(plain));
    return out;
}

QString pathFromBytes(QByteArrayView bytes)
{
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    QString out;
    out.reserve(n);
    for (qsizetype i = 0; i < n;) {
        char32_t cp = 0;
        const int len = utf8Sequence(s, n, i, cp);
        if (len == 0) {
            out += QChar(char16_t(0xDC00 + s[i])); // never below 0x80: ASCII is always valid
            ++i;
            continue;
        }
        out += QStringView(QChar::fromUcs4(cp));
        i += len;
    }
    return out;
}

QByteArray pathToBytes(QStringView path)
{
    QByteArray out;
    out.reserve(path.size());
    const qsizetype n = path.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t cp = path[i].unicode();
        if (QChar::isHighSurrogate(cp) && i + 1 < n && path[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(path[i].unicode(), path[i + 1].unicode());
            ++i;
        } else if (cp >= 0xDC80 && cp <= 0xDCFF) {
            out += char(cp - 0xDC00); // a byte that was not UTF-8
            continue;
        } else if (QChar::isSurrogate(cp)) {
            cp = 0xFFFD; // no system path holds it
        }
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | (cp >> 18));
            out += char(0x80 | ((cp >> 12) & 0x3F));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

QString displayPath(QStringView path)
{
    return displayName(pathToBytes(path));
}

} // namespace corvane
