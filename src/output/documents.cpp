#include "output/documents.h"

#include "listing/filenames.h"
#include "output/atomicwriter.h"
#include "output/encoders.h"

#include <QtGlobal>

#include <algorithm>
#include <charconv>
#include <ctime>

namespace corvane {

namespace {

enum class LineEnd { CrLf, Lf };

// A document goes to its file in pieces of this size: a syscall per piece
// costs nothing beside it, and the one buffer stays in the cache while the
// rows are encoded into it, instead of a buffer as large as the document whose
// every page is faulted in fresh (glibc maps blocks past 32 MiB anew each time).
constexpr qsizetype kPiece = 256 * 1024;

// The most bytes a row writes beside its text: a number of 20 digits and its
// separators, the facts in their longest form, a suffix and the line end.
constexpr qsizetype kNumberRoom = 24;
constexpr qsizetype kFactsRoom = 96;

// The local time of a file's modification, as the C library gives it for the
// TZ variable (read again by tzset() at the start of each document). False
// when the time is unknown or beyond what the C library converts.
bool localTime(qint64 seconds, std::tm &tm)
{
    if (seconds == FileFacts::kUnknown)
        return false;
    const std::time_t t = std::time_t(seconds);
    return qint64(t) == seconds && ::localtime_r(&t, &tm) != nullptr;
}

char *twoDigits(char *p, int value)
{
    *p++ = char('0' + value / 10);
    *p++ = char('0' + value % 10);
    return p;
}

// "YYYY-MM-DD HH:MM", or with between 'T' and seconds "YYYY-MM-DDTHH:MM:SS".
// Years beyond four digits keep all of theirs; years before 0 lead with "-".
char *putTime(char *p, const std::tm &tm, char between, bool seconds)
{
    long long year = (long long)tm.tm_year + 1900;
    if (year < 0) {
        *p++ = '-';
        year = -year;
    }
    char digits[24];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, year);
    for (qsizetype pad = 4 - (end - digits); pad > 0; --pad)
        *p++ = '0';
    p = std::copy(digits, end, p);
    *p++ = '-';
    p = twoDigits(p, tm.tm_mon + 1);
    *p++ = '-';
    p = twoDigits(p, tm.tm_mday);
    *p++ = between;
    p = twoDigits(p, tm.tm_hour);
    *p++ = ':';
    p = twoDigits(p, tm.tm_min);
    if (seconds) {
        *p++ = ':';
        p = twoDigits(p, tm.tm_sec);
    }
    return p;
}

// The size as plain decimal digits; nothing when unknown.
char *putSize(char *p, qint64 size)
{
    if (size == FileFacts::kUnknown)
        return p;
    return std::to_chars(p, p + 24, size).ptr;
}

char *putTime(char *p, qint64 seconds, char between, bool withSeconds)
{
    std::tm tm;
    return localTime(seconds, tm) ? putTime(p, tm, between, withSeconds) : p;
}

char *putAscii(char *p, QByteArrayView ascii)
{
    return std::copy(ascii.begin(), ascii.end(), p);
}

const FileFacts &factsOf(const DocumentContent &content, qsizetype index)
{
    static const FileFacts unknown;
    return index < qsizetype(content.facts.size()) ? content.facts[size_t(index)] : unknown;
}

// The item as its output line shows it: while extensions are hidden, cut
// before the last dot that follows the last slash, the cut NoExtension makes
// ("v1.2/readme" stays whole). The line's number holds neither, so cutting the
// item is cutting the numbered line.
QStringView shownText(const QString &item, bool showExtensions)
{
    QStringView text(item);
    if (!showExtensions) {
        const qsizetype dot = extensionDot(text);
        if (dot >= 0)
            text = text.first(dot);
    }
    return text;
}

} // namespace

// The one writer: the bytes of a document in one buffer, handed on to a sink
// piece by piece, or kept whole. Each part of a document asks for room once
// (the most its texts can take), writes forward and hands the end back.
class DocumentWriter
{
public:
    DocumentWriter(Escaping escaping, LineEnd end, const ByteSink *sink, qsizetype reserve)
        : m_sink(sink), m_escaping(escaping), m_crlf(end == LineEnd::CrLf)
    {
        m_buffer.resize(sink ? kPiece : std::max<qsizetype>(reserve, 64));
    }

    // Room for up to bytes more.
    char *room(qsizetype bytes)
    {
        if (m_used + bytes > m_buffer.size()) {
            if (m_sink) {
                handOn();
                if (bytes > m_buffer.size())
                    m_buffer.resize(bytes); // one row longer than a piece
            } else {
                m_buffer.resize(std::max(m_used + bytes, m_buffer.size() + m_buffer.size() / 2));
            }
        }
        return m_buffer.data() + m_used;
    }
    void done(char *p) { m_used = p - m_buffer.data(); }

    // The most bytes text takes once escaped: 6 a UTF-16 unit for "&quot;",
    // else 3, and for CSV the quotes and the formula guard.
    qsizetype bound(QStringView text) const
    {
        return m_escaping == Escaping::Html ? text.size() * 6
               : m_escaping == Escaping::Csv ? text.size() * 3 + 3
                                              : text.size() * 3;
    }

    // text as UTF-8, escaped as the format escapes.
    char *put(char *p, QStringView text) const
    {
        switch (m_escaping) {
        case Escaping::None:
            return encode::utf8(p, text);
        case Escaping::Html:
            return encode::html(p, text);
        case Escaping::Csv:
            return encode::csvField(p, text);
        }
        return p;
    }

    char *lineEnd(char *p) const
    {
        if (m_crlf)
            *p++ = '\r';
        *p++ = '\n';
        return p;
    }

    // A whole line: prefix, text (escaped), suffix, line end.
    void line(QByteArrayView prefix, QStringView text = {}, QByteArrayView suffix = {})
    {
        char *p = room(prefix.size() + bound(text) + suffix.size() + 2);
        p = putAscii(p, prefix);
        p = put(p, text);
        p = putAscii(p, suffix);
        done(lineEnd(p));
    }

    // The decimal digits of position. Rows mostly come in order, so the
    // number is counted up digit by digit instead of divided out every row.
    char *number(char *p, qsizetype position)
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
            m_digits = int(std::to_chars(m_number, m_number + sizeof m_number, position).ptr - m_number);
        }
        m_position = position;
        return std::copy(m_number, m_number + m_digits, p);
    }

    bool stopped() const { return m_stopped; }

    // Hands on what is left; the document's bytes when kept whole.
    QByteArray finish()
    {
        if (m_sink) {
            handOn();
            return {};
        }
        m_buffer.resize(m_used);
        return std::move(m_buffer);
    }

private:
    void handOn()
    {
        if (m_used > 0 && !m_stopped)
            m_stopped = !(*m_sink)(QByteArrayView(m_buffer.constData(), m_used));
        m_used = 0;
    }

    QByteArray m_buffer;
    qsizetype m_used = 0;
    const ByteSink *m_sink;
    bool m_stopped = false;
    const Escaping m_escaping;
    const bool m_crlf;
    qsizetype m_position = 0;
    char m_number[24] = {};
    int m_digits = 0;
};

namespace {

// ---- The formats' parts --------------------------------------------------

const char kByteOrderMark[] = "\xEF\xBB\xBF";

void nothing(DocumentWriter &, const DocumentContent &) {}

// The output line of an item: " 1 text" when numbered (the number counts from
// 1), text cut before its extension while extensions are hidden; then its
// facts, the suffix and the line end. The text document and the copy give the
// facts as two more tab-separated columns, so that a paste into a spreadsheet
// gives columns; the page gives them in words.
template <bool Readable>
void outputLine(DocumentWriter &out, const DocumentContent &content, qsizetype index, QByteArrayView suffix)
{
    const QStringView text = shownText(content.items.at(index), content.showExtensions);
    char *p = out.room(kNumberRoom + out.bound(text) + kFactsRoom + suffix.size() + 2);
    if (content.numbered) {
        *p++ = ' ';
        p = out.number(p, index + 1);
        *p++ = ' ';
    }
    p = out.put(p, text);
    if (!content.facts.empty()) {
        const FileFacts &facts = factsOf(content, index);
        if constexpr (Readable) {
            // " (1234 bytes, 2026-12-08 13:17)"; whatever is unknown left out.
            const bool size = facts.size != FileFacts::kUnknown;
            std::tm tm;
            const bool time = localTime(facts.modified, tm);
            if (size || time) {
                p = putAscii(p, " (");
                if (size) {
                    p = putSize(p, facts.size);
                    p = putAscii(p, facts.size == 1 ? QByteArrayView(" byte") : QByteArrayView(" bytes"));
                }
                if (size && time)
                    p = putAscii(p, ", ");
                if (time)
                    p = putTime(p, tm, ' ', false);
                *p++ = ')';
            }
        } else {
            *p++ = '\t';
            p = putSize(p, facts.size);
            *p++ = '\t';
            p = putTime(p, facts.modified, ' ', false);
        }
    }
    p = putAscii(p, suffix);
    out.done(out.lineEnd(p));
}

void textRow(DocumentWriter &out, const DocumentContent &content, qsizetype index)
{
    outputLine<false>(out, content, index, {});
}

// The page: the byte-order mark (a browser opening the file from disk takes the
// encoding from it, where it would otherwise guess one and garble every name
// that is not ASCII), <html>, the title, an empty head, the heading, one line
// per item ending in <br>, </html>. Control characters in the typed title are
// shown as escapes, the way they are in names, so the title stays on its one
// line.
void pageHeader(DocumentWriter &out, const DocumentContent &content)
{
    const QString title = oneLineText(content.title);
    out.done(putAscii(out.room(3), kByteOrderMark));
    out.line("<html>");
    out.line("<title>", title, "</title>");
    out.line("<head>");
    out.line("</head>");
    out.line("<h2>", title, "</h2>");
}

void pageRow(DocumentWriter &out, const DocumentContent &content, qsizetype index)
{
    outputLine<true>(out, content, index, "<br>");
}

void pageTrailer(DocumentWriter &out, const DocumentContent &)
{
    out.line("</html>");
}

// CSV (RFC 4180): the byte-order mark, by which spreadsheets take the file as
// UTF-8, a header row, then one row per item. The columns: "No." while
// numbered, "Name", and while facts are on "Size (bytes)" and "Modified" (local
// time, "YYYY-MM-DDTHH:MM:SS": ISO 8601 as spreadsheets read it into a date).
// The header stays English in every language, as the rest of every document
// does: it names the columns for the programs that read the file, and the same
// list makes the same file on every desktop.
void csvHeader(DocumentWriter &out, const DocumentContent &content)
{
    char *p = putAscii(out.room(64), kByteOrderMark);
    if (content.numbered)
        p = putAscii(p, "No.,");
    p = putAscii(p, "Name");
    if (!content.facts.empty())
        p = putAscii(p, ",Size (bytes),Modified");
    out.done(out.lineEnd(p));
}

void csvRow(DocumentWriter &out, const DocumentContent &content, qsizetype index)
{
    const QStringView text = shownText(content.items.at(index), content.showExtensions);
    char *p = out.room(kNumberRoom + out.bound(text) + kFactsRoom + 2);
    if (content.numbered) {
        p = out.number(p, index + 1);
        *p++ = ',';
    }
    p = out.put(p, text);
    if (!content.facts.empty()) {
        const FileFacts &facts = factsOf(content, index);
        *p++ = ',';
        p = putSize(p, facts.size);
        *p++ = ',';
        p = putTime(p, facts.modified, 'T', true);
    }
    out.done(out.lineEnd(p));
}

// The table. Its texts are marked for translation (lupdate finds them by the
// macro, written out in full); see DocumentFormat.
const DocumentFormat kFormats[] = {
    {.caption = QT_TRANSLATE_NOOP("DocumentFormat", "Create TXT"),
     .extension = ".txt",
     .nameBoxTitle = QT_TRANSLATE_NOOP("DocumentFormat", "Make TXT document"),
     .confirmationTitle = QT_TRANSLATE_NOOP("DocumentFormat", "TXT Document"),
     .confirmationText = QT_TRANSLATE_NOOP("DocumentFormat", "File : %1 saved in folder :\r\r%2"),
     .titleBoxTitle = nullptr,
     .titlePrompt = nullptr,
     .defaultTitle = nullptr,
     .opensAfterwards = false,
     .escaping = Escaping::None,
     .header = nothing,
     .row = textRow,
     .trailer = nothing},
    {.caption = QT_TRANSLATE_NOOP("DocumentFormat", "Make WEB Page"),
     .extension = ".htm",
     .nameBoxTitle = QT_TRANSLATE_NOOP("DocumentFormat", "Make WEB page"),
     .confirmationTitle = QT_TRANSLATE_NOOP("DocumentFormat", "WEB Page"),
     .confirmationText = QT_TRANSLATE_NOOP("DocumentFormat", "File :%1 saved in folder :\r\r%2"),
     .titleBoxTitle = QT_TRANSLATE_NOOP("DocumentFormat", "Page title"),
     .titlePrompt = QT_TRANSLATE_NOOP("DocumentFormat", "Insert title."),
     .defaultTitle = "Corvane",
     .opensAfterwards = true,
     .escaping = Escaping::Html,
     .header = pageHeader,
     .row = pageRow,
     .trailer = pageTrailer},
    {.caption = QT_TRANSLATE_NOOP("DocumentFormat", "Create CSV"),
     .extension = ".csv",
     .nameBoxTitle = QT_TRANSLATE_NOOP("DocumentFormat", "Make CSV document"),
     .confirmationTitle = QT_TRANSLATE_NOOP("DocumentFormat", "CSV Document"),
     .confirmationText = QT_TRANSLATE_NOOP("DocumentFormat", "File : %1 saved in folder :\r\r%2"),
     .titleBoxTitle = nullptr,
     .titlePrompt = nullptr,
     .defaultTitle = nullptr,
     .opensAfterwards = false,
     .escaping = Escaping::Csv,
     .header = csvHeader,
     .row = csvRow,
     .trailer = nothing},
};
static_assert(std::size(kFormats) == size_t(DocumentKind::Csv) + 1, "one entry per kind, in its order");

// The items' texts may lie scattered over the heap (a list edited by hand, a
// merge), so reading them waits on memory: ask for a later row's text while
// this one is written.
constexpr qsizetype kAhead = 16;

void prefetch(const QStringList &items, qsizetype index)
{
    if (index < items.size())
        __builtin_prefetch(items.at(index).constData());
}

void writeDocument(const DocumentFormat &format, const DocumentContent &content, DocumentWriter &out)
{
    if (!content.facts.empty())
        ::tzset();
    format.header(out, content);
    const QStringList &items = content.items;
    if (content.rows.empty()) {
        for (qsizetype i = 0; i < items.size() && !out.stopped(); ++i) {
            prefetch(items, i + kAhead);
            format.row(out, content, i);
        }
    } else {
        const std::span<const qsizetype> rows = content.rows;
        for (size_t k = 0; k < rows.size() && !out.stopped(); ++k) {
            if (k + kAhead < rows.size())
                prefetch(items, rows[k + kAhead]);
            if (rows[k] >= 0 && rows[k] < items.size())
                format.row(out, content, rows[k]);
        }
    }
    format.trailer(out, content);
}

// A guess at the size of a document kept whole, so that its buffer grows a
// few times at most.
qsizetype estimate(const DocumentContent &content)
{
    const QStringList &items = content.items;
    const qsizetype perRow = 16 + (content.facts.empty() ? 0 : 40);
    qsizetype size = 256 + content.title.size() * 6;
    if (content.rows.empty()) {
        for (const QString &item : items)
            size += item.size() + perRow;
    } else {
        for (const qsizetype row : content.rows)
            size += (row >= 0 && row < items.size() ? items.at(row).size() : 0) + perRow;
    }
    return size;
}

QString asText(const char *begin, const char *end)
{
    return QString::fromLatin1(begin, end - begin);
}

} // namespace

std::span<const DocumentFormat> documentFormats()
{
    return kFormats;
}

const DocumentFormat &documentFormat(DocumentKind kind)
{
    return kFormats[size_t(kind)];
}

QByteArray documentBytes(const DocumentFormat &format, const DocumentContent &content)
{
    DocumentWriter out(format.escaping, LineEnd::CrLf, nullptr, estimate(content));
    writeDocument(format, content, out);
    return out.finish();
}

bool streamDocument(const DocumentFormat &format, const DocumentContent &content, const ByteSink &sink)
{
    DocumentWriter out(format.escaping, LineEnd::CrLf, &sink, 0);
    writeDocument(format, content, out);
    out.finish();
    return !out.stopped();
}

Result<QString> writeDocument(const QString &name, const DocumentFormat &format, const DocumentContent &content)
{
    return writeFileAtomically(name, [&](const ByteSink &write) { streamDocument(format, content, write); });
}

QByteArray copiedText(const DocumentContent &content)
{
    const DocumentFormat &text = documentFormat(DocumentKind::Text);
    DocumentWriter out(text.escaping, LineEnd::Lf, nullptr, estimate(content));
    writeDocument(text, content, out);
    return out.finish();
}

QList<QStringList> printedColumns(const DocumentContent &content)
{
    QStringList items;
    if (content.rows.empty()) {
        items = content.items;
    } else {
        items.reserve(qsizetype(content.rows.size()));
        for (const qsizetype row : content.rows)
            if (row >= 0 && row < content.items.size())
                items.append(content.items.at(row));
    }
    if (content.facts.empty())
        return {items};
    ::tzset();
    QStringList sizes, times;
    sizes.reserve(items.size());
    times.reserve(items.size());
    const auto add = [&](qsizetype index) {
        const FileFacts &facts = factsOf(content, index);
        char text[kFactsRoom];
        sizes.append(asText(text, putSize(text, facts.size)));
        times.append(asText(text, putTime(text, facts.modified, ' ', false)));
    };
    if (content.rows.empty()) {
        for (qsizetype i = 0; i < content.items.size(); ++i)
            add(i);
    } else {
        for (const qsizetype row : content.rows)
            if (row >= 0 && row < content.items.size())
                add(row);
    }
    return {items, sizes, times};
}




} // namespace corvane
