#include "output/documents.h"

#include "listing/filenames.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace corvane {

namespace {

enum class LineEnd { CrLf, Lf };

// A guess at the final size, so that the buffer grows a few times at most.
qsizetype estimate(const QStringList &items)
{
    qsizetype size = 0;
    for (const QString &item : items)
        size += item.size() + 12;
    return size;
}

// Writes the output lines of many items into one buffer as UTF-8. Written out
// by hand because a million lines go through here: bytes go straight into
// the buffer, with no temporary string and no size check per character.
class LineWriter
{
public:
    LineWriter(QByteArray &out, bool escape, LineEnd end = LineEnd::CrLf)
        : m_out(out), m_escape(escape), m_crlf(end == LineEnd::CrLf), m_used(out.size())
    {
    }
    ~LineWriter() { m_out.resize(m_used); }

    // The output line of an item: " 1 text" when numbered (index counts from
    // 0, the number shown from 1), then, while extensions are hidden, NoExtension
    // over the whole line; then suffix and the line end. The number holds no
    // dot and no "/", so dropping the extension of the numbered line is the
    // same as dropping it from the item.
    void itemLine(const QString &item, qsizetype index, bool numbered, bool showExtensions, QByteArrayView suffix)
    {
        QStringView text(item);
        if (!showExtensions) {
            const qsizetype dot = extensionDot(text);
            if (dot >= 0)
                text = text.first(dot);
        }
        // A number of 20 digits and its two spaces.
        char *p = room(24 + bound(text) + suffix.size() + 2);
        if (numbered) {
            *p++ = ' ';
            const QByteArrayView digits = number(index + 1);
            p = std::copy(digits.begin(), digits.end(), p);
            *p++ = ' ';
        }
        end(p, text, suffix);
    }

    // prefix, then text (escaped when the writer escapes), then suffix and CR LF.
    void textLine(QByteArrayView prefix, QStringView text = {}, QByteArrayView suffix = {})
    {
        char *p = room(prefix.size() + bound(text) + suffix.size() + 2);
        p = std::copy(prefix.begin(), prefix.end(), p);
        end(p, text, suffix);
    }

private:
    // At most 6 bytes a UTF-16 unit ("&quot;") when escaping, 3 otherwise.
    qsizetype bound(QStringView text) const { return text.size() * (m_escape ? 6 : 3); }

    void end(char *p, QStringView text, QByteArrayView suffix)
    {
        p = m_escape ? utf8<true>(p, text) : utf8<false>(p, text);
        p = std::copy(suffix.begin(), suffix.end(), p);
        if (m_crlf)
            *p++ = '\r';
        *p++ = '\n';
        m_used = p - m_out.data();
    }

    // The decimal digits of position. Lines come in order, so the number is
    // counted up digit by digit instead of divided out again for every line.
    QByteArrayView number(qsizetype position)
    {
        if (position == m_position + 1 && m_position > 0) {
            int k = m_digits - 1;
            while (k >= 0 && m_number[k] == '9')
                m_number[k--] = '0';
            if (k >= 0) {
                ++m_number[k];
            } else {
                std::copy_backward(m_number, m_number + m_digits, m_number + m_digits + 1);
                m_number[0] = '1';
                ++m_digits;
            }
        } else {
            const QByteArray text = QByteArray::number(position);
            std::copy(text.begin(), text.end(), m_number);
            m_digits = int(text.size());
        }
        m_position = position;
        return QByteArrayView(m_number, m_digits);
    }

    char *room(qsizetype bytes)
    {
        const qsizetype want = m_used + bytes;
        if (want > m_out.size()) {
            // Use up what was reserved before growing by half again.
            const qsizetype capacity = m_out.capacity();
            m_out.resize(want <= capacity ? capacity : std::max(want, capacity + capacity / 2));
        }
        return m_out.data() + m_used;
    }

    // Each of & < > " ' as a character reference when escaping; a lone
    // surrogate as "?", as QString::toUtf8 writes it.
    template <bool Escape>
    static char *utf8(char *p, QStringView text)
    {
        const char16_t *s = text.utf16();
        const qsizetype n = text.size();
        qsizetype i = 0;
        while (i < n) {
#if defined(__SSE2__)
            // The common case: ASCII that needs no reference, eight at a time.
            while (i + 8 <= n && asciiBlock<Escape>(s + i, p)) {
                p += 8;
                i += 8;
            }
            if (i == n)
                break;
#endif
            const char16_t c = s[i];
            if (c < 0x80) {
                if (Escape && isSpecial(c))
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

#if defined(__SSE2__)
    // Writes eight UTF-16 units as eight bytes if all are ASCII (and, when
    // escaping, none needs a reference); otherwise writes nothing.
    template <bool Escape>
    static bool asciiBlock(const char16_t *s, char *p)
    {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s));
        __m128i bad = _mm_and_si128(v, _mm_set1_epi16(short(0xFF80)));
        bad = _mm_xor_si128(_mm_cmpeq_epi16(bad, _mm_setzero_si128()), _mm_set1_epi16(-1));
        if constexpr (Escape) {
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

    static bool isSpecial(char16_t c)
    {
        // & " ' < > : the characters with a reference of their own.
        return c <= u'>' && (c == u'&' || c == u'<' || c == u'>' || c == u'"' || c == u'\'');
    }

    static char *entity(char *p, char16_t c)
    {
        const char *text = c == u'&' ? "&amp;" : c == u'<' ? "&lt;" : c == u'>' ? "&gt;" : c == u'"' ? "&quot;" : "&#39;";
        while (*text)
            *p++ = *text++;
        return p;
    }

    QByteArray &m_out;
    const bool m_escape;
    const bool m_crlf;
    qsizetype m_used;
    qsizetype m_position = 0;
    char m_number[24] = {};
    int m_digits = 0;
};

// The items' texts lie scattered over the heap (the list is sorted, not
// allocated in order), so reading them waits on memory: ask for a later
// item's text while this one is written.
inline void prefetchAhead(const QStringList &items, qsizetype i)
{
    constexpr qsizetype kAhead = 16;
    if (i + kAhead < items.size())
        __builtin_prefetch(items.at(i + kAhead).constData());
}

// Every item's output line, each ending in end.
QByteArray itemLines(const QStringList &items, bool numbered, bool showExtensions, LineEnd end)
{
    QByteArray out;
    out.reserve(estimate(items));
    {
        LineWriter writer(out, false, end);
        for (qsizetype i = 0; i < items.size(); ++i) {
            prefetchAhead(items, i);
            writer.itemLine(items.at(i), i, numbered, showExtensions, {});
        }
    }
    return out;
}

} // namespace

QByteArray textDocument(const QStringList &items, bool numbered, bool showExtensions)
{
    return itemLines(items, numbered, showExtensions, LineEnd::CrLf);
}

QByteArray copiedText(const QStringList &items, bool numbered, bool showExtensions)
{
    return itemLines(items, numbered, showExtensions, LineEnd::Lf);
}

QByteArray copiedText(const QStringList &items, std::span<const qsizetype> rows, bool numbered, bool showExtensions)
{
    QByteArray out;
    qsizetype size = 0;
    for (const qsizetype row : rows)
        size += items.at(row).size() + 12;
    out.reserve(size);
    {
        LineWriter writer(out, false, LineEnd::Lf);
        for (const qsizetype row : rows)
            writer.itemLine(items.at(row), row, numbered, showExtensions, {});
    }
    return out;
}

QByteArray htmlDocument(const QStringList &items, const QString &title, bool numbered, bool showExtensions)
{
    // Control characters in the typed title are shown as escapes, the way they
    // are in names, so the title stays on its one line of the page.
    const QString shownTitle = displayName(title.toUtf8());
    QByteArray out;
    out.reserve(estimate(items) + items.size() * 4 + 12 * shownTitle.size() + 64);
    out += "\xEF\xBB\xBF"; // the encoding, for the browser; see documents.h
    {
        LineWriter writer(out, true);
        writer.textLine("<html>");
        writer.textLine("<title>", shownTitle, "</title>");
        writer.textLine("<head>");
        writer.textLine("</head>");
        writer.textLine("<h2>", shownTitle, "</h2>");
        for (qsizetype i = 0; i < items.size(); ++i) {
            prefetchAhead(items, i);
            writer.itemLine(items.at(i), i, numbered, showExtensions, "<br>");
        }
        writer.textLine("</html>");
    }
    return out;
}

} // namespace corvane
