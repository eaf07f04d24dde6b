#include "output/encoders.h"

#include <QChar>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace corvane::encode {

namespace {

#if defined(__SSE2__)
// Writes eight UTF-16 units as eight bytes if all are ASCII (and, for the
// page, none needs a reference); otherwise writes nothing.
template <bool Html>
bool asciiBlock(const char16_t *s, char *p)
{
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s));
    __m128i bad = _mm_and_si128(v, _mm_set1_epi16(short(0xFF80)));
    bad = _mm_xor_si128(_mm_cmpeq_epi16(bad, _mm_setzero_si128()), _mm_set1_epi16(-1));
    if constexpr (Html) {
        const __m128i amp = _mm_cmpeq_epi16(v, _mm_set1_epi16(short(u'&')));
        const __m128i lt = _mm_cmpeq_epi16(v, _mm_set1_epi16(short(u'<')));
        const __m128i gt = _mm_cmpeq_epi16(v, _mm_set1_epi16(short(u'>')));
        const __m128i quot = _mm_cmpeq_epi16(v, _mm_set1_epi16(short(u'"')));
        const __m128i apos = _mm_cmpeq_epi16(v, _mm_set1_epi16(short(u'\'')));
        bad = _mm_or_si128(bad, _mm_or_si128(_mm_or_si128(amp, lt), _mm_or_si128(_mm_or_si128(gt, quot), apos)));
    }
    if (_mm_movemask_epi8(bad) != 0)
        return false;
    _mm_storel_epi64(reinterpret_cast<__m128i *>(p), _mm_packus_epi16(v, v));
    return true;
}
#endif

// & " ' < > : the characters with a reference of their own.
bool isSpecial(char16_t c)
{
    return c <= u'>' && (c == u'&' || c == u'<' || c == u'>' || c == u'"' || c == u'\'');
}

char *entity(char *p, char16_t c)
{
    const char *text = c == u'&' ? "&amp;" : c == u'<' ? "&lt;" : c == u'>' ? "&gt;" : c == u'"' ? "&quot;" : "&#39;";
    while (*text)
        *p++ = *text++;
    return p;
}

// UTF-16 as UTF-8, and for the page each of & < > " ' as a character
// reference. Written out by hand because a million lines go through here:
// bytes go straight into the buffer, with no temporary string and no size
// check per character.
template <bool Html>
char *utf8(char *p, QStringView text)
{
    const char16_t *s = text.utf16();
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
#if defined(__SSE2__)
        // The common case: ASCII that needs no reference, eight at a time.
        while (i + 8 <= n && asciiBlock<Html>(s + i, p)) {
            p += 8;
            i += 8;
        }
        if (i == n)
            break;
#endif
        const char16_t c = s[i];
        if (c < 0x80) {
            if (Html && isSpecial(c))
                p = entity(p, c);
            else
                *p++ = char(c);
            ++i;
            continue;
        }
        char32_t cp = c;
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
            cp = QChar::surrogateToUcs4(c, s[++i]);
        } else if (QChar::isSurrogate(c)) {
            *p++ = '?';
            ++i;
            continue;
        }
        ++i;
        if (cp < 0x800) {
            *p++ = char(0xC0 | (cp >> 6));
        } else if (cp < 0x10000) {
            *p++ = char(0xE0 | (cp >> 12));
            *p++ = char(0x80 | ((cp >> 6) & 0x3F));
        } else {
            *p++ = char(0xF0 | (cp >> 18));
            *p++ = char(0x80 | ((cp >> 12) & 0x3F));
            *p++ = char(0x80 | ((cp >> 6) & 0x3F));
        }
        *p++ = char(0x80 | (cp & 0x3F));
    }
    return p;
}

// Whether a CSV field must be quoted for what it holds; see csvField.
bool needsQuotes(QStringView text)
{
    const char16_t *s = text.utf16();
    const qsizetype n = text.size();
    qsizetype i = 0;
#if defined(__SSE2__)
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
        const __m128i comma = _mm_cmpeq_epi16(v, _mm_set1_epi16(short(u',')));
        const __m128i quote = _mm_cmpeq_epi16(v, _mm_set1_epi16(short(u'"')));
        const __m128i cr = _mm_cmpeq_epi16(v, _mm_set1_epi16(short(u'\r')));
        const __m128i lf = _mm_cmpeq_epi16(v, _mm_set1_epi16(short(u'\n')));
        const __m128i semicolon = _mm_cmpeq_epi16(v, _mm_set1_epi16(short(u';')));
        const __m128i tab = _mm_cmpeq_epi16(v, _mm_set1_epi16(short(u'\t')));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_or_si128(comma, quote), _mm_or_si128(cr, lf)),
                                         _mm_or_si128(semicolon, tab));
        if (_mm_movemask_epi8(hit) != 0)
            return true;
    }
#endif
    for (; i < n; ++i) {
        const char16_t c = s[i];
        if (c == u',' || c == u'"' || c == u'\r' || c == u'\n' || c == u';' || c == u'\t')
            return true;
    }
    return false;
}

} // namespace

char *utf8(char *p, QStringView text)
{
    return utf8<false>(p, text);
}

char *html(char *p, QStringView text)
{
    return utf8<true>(p, text);
}

bool needsGuard(QStringView text)
{
    if (text.isEmpty())
        return false;
    const char16_t c = text.front().unicode();
    return c == u'=' || c == u'+' || c == u'-' || c == u'@' || c == u'\t' || c == u'\r' || c == u'\'';
}

char *csvField(char *p, QStringView text)
{
    const bool formula = needsGuard(text);
    if (!formula && !text.isEmpty() && !needsQuotes(text))
        return utf8<false>(p, text);
    *p++ = '"';
    if (formula)
        *p++ = '\'';
    for (qsizetype quote; (quote = text.indexOf(u'"')) >= 0; text = text.sliced(quote + 1)) {
        p = utf8<false>(p, text.first(quote + 1));
        *p++ = '"';
    }
    p = utf8<false>(p, text);
    *p++ = '"';
    return p;
}

} // namespace corvane::encode
