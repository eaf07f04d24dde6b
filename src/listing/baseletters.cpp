#include "listing/baseletters.h"

#include <QChar>
#include <QList>
#include <QString>
#include <QVarLengthArray>

#include <vector>

namespace corvane {

namespace {

using Letters = QVarLengthArray<char32_t, 8>;

constexpr char32_t kHangulFirst = 0xAC00, kHangulLast = 0xD7A3;

// The base letters of one character, appended to out.
void appendBaseOf(char32_t c, Letters &out)
{
    const char32_t folded = QChar::toCaseFolded(c);
    if (folded >= kHangulFirst && folded <= kHangulLast) {
        // Hangul syllables decompose by arithmetic into their jamo.
        const char32_t s = folded - kHangulFirst;
        out.append(0x1100 + s / 588);
        out.append(0x1161 + (s % 588) / 28);
        if (s % 28 != 0)
            out.append(0x11A7 + s % 28);
        return;
    }
    if (QChar::decompositionTag(folded) != QChar::Canonical) {
        if (!QChar::isMark(folded))
            out.append(folded);
        return;
    }
    // QChar::decomposition() goes one level deep; the normal form goes all the way.
    const QString decomposed = QString::fromUcs4(&folded, 1).normalized(QString::NormalizationForm_D);
    for (const char32_t part : decomposed.toUcs4())
        if (!QChar::isMark(part))
            out.append(QChar::toCaseFolded(part));
}

// The base letter of every character of the Basic Multilingual Plane, worked
// out once: the whole table costs a few milliseconds, and a sort then looks up
// one entry per character. The two sentinels are surrogates, which never
// stand for a letter here.
constexpr char16_t kNoLetter = 0xD800; // a combining mark: nothing
constexpr char16_t kManyLetters = 0xD801; // more than one: appendBaseOf() when met

const char16_t *bmpTable()
{
    static const std::vector<char16_t> table = [] {
        std::vector<char16_t> t(0x10000);
        Letters letters;
        for (char32_t c = 0; c < 0x10000; ++c) {
            if (QChar::isSurrogate(c)) {
                t[c] = kNoLetter; // never looked up
                continue;
            }
            letters.clear();
            appendBaseOf(c, letters);
            if (letters.isEmpty())
                t[c] = kNoLetter;
            else if (letters.size() == 1 && letters[0] < 0x10000)
                t[c] = char16_t(letters[0]);
            else
                t[c] = kManyLetters;
        }
        return t;
    }();
    return table.data();
}

// What BaseLetterReader::next() gives besides base letters: the end of the
// text, and "/", which sorts before every letter (and after the end), so that
// a path's parts compare one by one.
constexpr qint32 kEnd = -2, kSeparator = -1;

// Reads a text's base letters one by one.
class BaseLetterReader
{
public:
    explicit BaseLetterReader(QStringView text) : m_at(text.utf16()), m_end(m_at + text.size()) {}

    // The next base letter, kSeparator for "/", or kEnd after the last.
    qint32 next()
    {
        for (;;) {
            if (m_pendingAt < m_pending.size())
                return qint32(m_pending[m_pendingAt++]);
            if (m_at == m_end)
                return kEnd;
            char32_t c = *m_at++;
            if (c == u'/')
                return kSeparator;
            if (c < 0x80)
                return qint32((c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c);
            if (QChar::isHighSurrogate(c) && m_at != m_end && QChar::isLowSurrogate(*m_at)) {
                c = QChar::surrogateToUcs4(char16_t(c), *m_at++);
            } else if (QChar::isSurrogate(c)) {
                return qint32(c); // half a pair on its own stands for itself
            } else {
                const char16_t letter = m_table[c];
                if (letter == kNoLetter)
                    continue;
                if (letter != kManyLetters)
                    return letter;
            }
            m_pending.clear();
            m_pendingAt = 0;
            appendBaseOf(c, m_pending);
        }
    }

private:
    const char16_t *m_at;
    const char16_t *m_end;
    const char16_t *m_table = bmpTable();
    Letters m_pending;
    qsizetype m_pendingAt = 0;
};

// A BaseLetterReader that can look at the next base letter before taking it.
class PeekingReader
{
public:
    explicit PeekingReader(QStringView text) : m_reader(text), m_next(m_reader.next()) {}
    qint32 peek() const { return m_next; }
    qint32 take()
    {
        const qint32 c = m_next;
        m_next = m_reader.next();
        return c;
    }
    bool atDigit() const { return m_next >= '0' && m_next <= '9'; }

private:
    BaseLetterReader m_reader;
    qint32 m_next;
};

} // namespace

BaseKey baseKey(QStringView text, ItemOrder order) noexcept
{
    // 21 bits hold any code point plus two; 0 marks the end of a short text,
    // 1 a "/".
    quint64 words[2] = {0, 0};
    BaseLetterReader reader(text);
    for (int i = 0; i < 6; ++i) {
        const qint32 c = reader.next();
        if (c == kEnd)
            break;
        // A number stands where its first digit would; its value is left to
        // the comparison.
        if (order == ItemOrder::Natural && isAsciiDigit(unsigned(c))) {
            words[i / 3] |= quint64('0' - kEnd) << (21 * (2 - i % 3));
            break;
        }
        words[i / 3] |= quint64(c - kEnd) << (21 * (2 - i % 3));
    }
    return BaseKey{words[0], words[1]};
}

int compareBaseLetters(QStringView a, QStringView b) noexcept
{
    BaseLetterReader ra(a), rb(b);
    for (;;) {
        const qint32 ca = ra.next(), cb = rb.next();
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == kEnd)
            return 0;
    }
}

int compareNaturalBase(QStringView a, QStringView b, int *runTie) noexcept
{
    PeekingReader ra(a), rb(b);
    int tie = 0;
    for (;;) {
        if (ra.atDigit() && rb.atDigit()) {
            // Two numbers: leading zeros skipped, then digit by digit in step;
            // the longer is the larger, else the first digit that differs.
            qsizetype zerosA = 0, zerosB = 0;
            for (; ra.peek() == '0'; ++zerosA)
                ra.take();
            for (; rb.peek() == '0'; ++zerosB)
                rb.take();
            int firstDifference = 0;
            while (ra.atDigit() && rb.atDigit()) {
                const qint32 da = ra.take(), db = rb.take();
                if (firstDifference == 0 && da != db)
                    firstDifference = da < db ? -1 : 1;
            }
            if (ra.atDigit() != rb.atDigit())
                return ra.atDigit() ? 1 : -1;
            if (firstDifference != 0)
                return firstDifference;
            if (tie == 0 && zerosA != zerosB)
                tie = zerosA < zerosB ? -1 : 1;
            continue;
        }
        // A number stands where its first digit would.
        const qint32 ca = ra.atDigit() ? '0' : ra.peek(), cb = rb.atDigit() ? '0' : rb.peek();
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == kEnd) {
            if (runTie)
                *runTie = tie;
            return 0;
        }
        ra.take();
        rb.take();
    }
}

} // namespace corvane
