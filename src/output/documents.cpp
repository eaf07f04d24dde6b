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
// separators, and per fact its longest form with what a format puts around
// it (a key, quotes, separators, a unit).
constexpr qsizetype kNumberRoom = 24;
qsizetype factsRoom()
{
    return 16 + qsizetype(factColumns().size()) * (kFactRoom + 32);
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
    DocumentWriter(const TextEscaping &escaping, LineEnd end, const ByteSink *sink, qsizetype reserve)
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

    // The most bytes text takes once escaped as the format escapes.
    qsizetype bound(QStringView text) const
    {
        return text.size() * m_escaping.bytesPerUnit + m_escaping.extraBytes;
    }

    // text as UTF-8, escaped as the format escapes.
    char *put(char *p, QStringView text) const { return m_escaping.put(p, text); }
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
    const TextEscaping m_escaping;
    const bool m_crlf;
    qsizetype m_position = 0;
    char m_number[24] = {};
    int m_digits = 0;
};

namespace {

// ---- The formats' parts --------------------------------------------------

const char kByteOrderMark[] = "\xEF\xBB\xBF";

// ---- The text document and the copy: UTF-8 as it is ----

constexpr TextEscaping kPlain{encode::utf8, 3, 0};

// The output line of an item: " 1 text" when numbered (the number counts from
// 1), text cut before its extension while extensions are hidden; then each
// fact after a tab (empty when unknown), so that a paste into a spreadsheet
// gives columns.
void textRow(DocumentWriter &out, const DocumentContent &content, RowPlace place)
{
    const QStringView text = shownText(content.items.at(place.item), content.showExtensions);
    char *p = out.room(kNumberRoom + out.bound(text) + factsRoom() + 2);
    if (content.numbered) {
        *p++ = ' ';
        p = out.number(p, place.item + 1);
        *p++ = ' ';
    }
    p = out.put(p, text);
    if (!content.facts.empty()) {
        const FileFacts &facts = factsOf(content, place.item);
        for (const FactColumn &column : factColumns()) {
            *p++ = '\t';
            p = putFact(p, column, facts);
        }
    }
    out.done(out.lineEnd(p));
}

// ---- The page: & < > " ' as character references ----

// The byte-order mark (a browser opening the file from disk takes the
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

// The output line of the text document, its known facts in words after it:
// " (1234 bytes, 2026-12-08 13:17)", then <br>.
void pageRow(DocumentWriter &out, const DocumentContent &content, RowPlace place)
{
    const QStringView text = shownText(content.items.at(place.item), content.showExtensions);
    char *p = out.room(kNumberRoom + out.bound(text) + factsRoom() + 6);
    if (content.numbered) {
        *p++ = ' ';
        p = out.number(p, place.item + 1);
        *p++ = ' ';
    }
    p = out.put(p, text);
    if (!content.facts.empty()) {
        const FileFacts &facts = factsOf(content, place.item);
        const char *before = " (";
        for (const FactColumn &column : factColumns()) {
            if (!column.known(facts))
                continue;
            char *const start = p;
            p = putFact(putAscii(p, before), column, facts);
            if (p == start + 2) { // a time beyond the C library's reach
                p = start;
                continue;
            }
            if (column.kind == FactKind::Count)
                p = putAscii(p, column.unit(facts));
            before = ", ";
        }
        if (before[0] == ',')
            *p++ = ')';
    }
    p = putAscii(p, "<br>");
    out.done(out.lineEnd(p));
}

void pageTrailer(DocumentWriter &out, const DocumentContent &)
{
    out.line("</html>");
}

// ---- CSV (RFC 4180) ----

// The byte-order mark, by which spreadsheets take the file as UTF-8, a header
// row, then one row per item. The columns: "No." while numbered, "Name", and
// while facts are on each fact's header; times as local
// "YYYY-MM-DDTHH:MM:SS", ISO 8601 as spreadsheets read it into a date. The
// header stays English in every language, as the rest of every document does:
// it names the columns for the programs that read the file, and the same list
// makes the same file on every desktop.
void csvHeader(DocumentWriter &out, const DocumentContent &content)
{
    char *p = putAscii(out.room(64 + factsRoom()), kByteOrderMark);
    if (content.numbered)
        p = putAscii(p, "No.,");
    p = putAscii(p, "Name");
    if (!content.facts.empty()) {
        for (const FactColumn &column : factColumns()) {
            *p++ = ',';
            p = putAscii(p, column.header);
        }
    }
    out.done(out.lineEnd(p));
}

void csvRow(DocumentWriter &out, const DocumentContent &content, RowPlace place)
{
    const QStringView text = shownText(content.items.at(place.item), content.showExtensions);
    char *p = out.room(kNumberRoom + out.bound(text) + factsRoom() + 2);
    if (content.numbered) {
        p = out.number(p, place.item + 1);
        *p++ = ',';
    }
    p = out.put(p, text);
    if (!content.facts.empty()) {
        const FileFacts &facts = factsOf(content, place.item);
        for (const FactColumn &column : factColumns()) {
            *p++ = ',';
            p = putFact(p, column, facts, TimeForm{'T', true});
        }
    }
    out.done(out.lineEnd(p));
}

// ---- JSON (RFC 8259) ----

// A JSON string, quotes included: " and \\ escaped, control characters as
// \\n \\r \\t \\b \\f or \\u00XX, and U+2028 and U+2029 as \\uXXXX, which older
// JavaScript takes for line ends; everything else as UTF-8.
char *jsonString(char *p, QStringView text)
{
    static const char hex[] = "0123456789abcdef";
    *p++ = '"';
    const char16_t *s = text.utf16();
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = s[i];
        if (c >= 0x20 && c != u'"' && c != u'\\' && c != 0x2028 && c != 0x2029)
            continue;
        p = encode::utf8(p, text.sliced(from, i - from));
        from = i + 1;
        *p++ = '\\';
        switch (c) {
        case u'"': *p++ = '"'; break;
        case u'\\': *p++ = '\\'; break;
        case u'\n': *p++ = 'n'; break;
        case u'\r': *p++ = 'r'; break;
        case u'\t': *p++ = 't'; break;
        case u'\b': *p++ = 'b'; break;
        case u'\f': *p++ = 'f'; break;
        default:
            *p++ = 'u';
            for (int shift = 12; shift >= 0; shift -= 4)
                *p++ = hex[(c >> shift) & 0xF];
        }
    }
    p = encode::utf8(p, text.sliced(from));
    *p++ = '"';
    return p;
}

// RFC 4648's base64, with padding.
char *base64(char *p, QByteArrayView bytes)
{
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    qsizetype i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const unsigned v = unsigned(uchar(bytes[i])) << 16 | unsigned(uchar(bytes[i + 1])) << 8 | uchar(bytes[i + 2]);
        *p++ = digits[v >> 18];
        *p++ = digits[(v >> 12) & 63];
        *p++ = digits[(v >> 6) & 63];
        *p++ = digits[v & 63];
    }
    if (i < bytes.size()) {
        const bool two = i + 1 < bytes.size();
        const unsigned v = unsigned(uchar(bytes[i])) << 16 | (two ? unsigned(uchar(bytes[i + 1])) << 8 : 0u);
        *p++ = digits[v >> 18];
        *p++ = digits[(v >> 12) & 63];
        *p++ = two ? digits[(v >> 6) & 63] : '=';
        *p++ = '=';
    }
    return p;
}

// One array, one object per item in list order, each on a line of its own:
// "number" while numbered, "name" as the list shows it (cut as in the text
// document while extensions are hidden), and while facts are on each fact by
// its key: a count as a number, a time as local ISO 8601 with its offset
// ("2026-12-08T13:17:05+01:00"), null when unknown. A name whose shown text is
// not its bytes as UTF-8 (bytes that are not UTF-8, control characters or a
// backslash, all shown with escapes) also carries "name_base64", its exact
// bytes in base64. No byte-order mark: JSON has none.
void jsonHeader(DocumentWriter &out, const DocumentContent &)
{
    out.done(putAscii(out.room(1), "["));
}

void jsonRow(DocumentWriter &out, const DocumentContent &content, RowPlace place)
{
    const QStringView text = shownText(content.items.at(place.item), content.showExtensions);
    char *p = out.room(kNumberRoom + out.bound(text) + 32);
    p = putAscii(p, place.order == 0 ? QByteArrayView("\r\n{") : QByteArrayView(",\r\n{"));
    if (content.numbered) {
        p = putAscii(p, "\"number\": ");
        p = out.number(p, place.item + 1);
        p = putAscii(p, ", ");
    }
    p = putAscii(p, "\"name\": ");
    out.done(out.put(p, text));
    if (text.contains(u'\\')) {
        const QByteArray bytes = nameBytes(text);
        if (bytes != text.toUtf8()) {
            p = putAscii(out.room(bytes.size() / 3 * 4 + 24), ", \"name_base64\": \"");
            out.done(putAscii(base64(p, bytes), "\""));
        }
    }
    p = out.room(factsRoom() + 2);
    if (!content.facts.empty()) {
        const FileFacts &facts = factsOf(content, place.item);
        for (const FactColumn &column : factColumns()) {
            p = putAscii(putAscii(putAscii(p, ", \""), column.key), "\": ");
            std::tm tm;
            if (!column.known(facts)) {
                p = putAscii(p, "null");
            } else if (column.kind == FactKind::Count) {
                p = putFact(p, column, facts);
            } else if (!localTime(column.of(facts), tm)) {
                p = putAscii(p, "null");
            } else {
                *p++ = '"';
                p = putTime(p, tm, TimeForm{'T', true});
                // The offset from UTC, "+HH:MM"; zones offset by seconds are rounded down to the minute.
                const long offset = tm.tm_gmtoff / 60, minutes = offset < 0 ? -offset : offset;
                const long hours = minutes / 60 % 100;
                *p++ = offset < 0 ? '-' : '+';
                *p++ = char('0' + hours / 10);
                *p++ = char('0' + hours % 10);
                *p++ = ':';
                *p++ = char('0' + minutes % 60 / 10);
                *p++ = char('0' + minutes % 60 % 10);
                *p++ = '"';
            }
        }
    }
    out.done(putAscii(p, "}"));
}

void jsonTrailer(DocumentWriter &out, const DocumentContent &)
{
    out.done(out.lineEnd(putAscii(out.lineEnd(out.room(8)), "]")));
}

// ---- Markdown (a GitHub-flavoured table) ----

// A table cell's text as itself: every character a renderer would take for
// markup led by a backslash (| ends a cell; \ ` * _ ~ [ ] < & would start an
// escape, code, emphasis, a link, HTML or a character reference), a space or
// tab at either end and every control character as a character reference
// (the renderer trims spaces around a cell, and a line end would end the
// row); everything else as UTF-8.
char *markdownCell(char *p, QStringView text)
{
    const char16_t *s = text.utf16();
    const qsizetype n = text.size();
    const auto edge = [n](qsizetype i, char16_t c) { return (c == u' ' || c == u'\t') && (i == 0 || i == n - 1); };
    qsizetype from = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        const bool markup = c == u'|' || c == u'\\' || c == u'`' || c == u'*' || c == u'_' || c == u'~' || c == u'['
            || c == u']' || c == u'<' || c == u'&';
        if (!markup && c >= 0x20 && !edge(i, c))
            continue;
        p = encode::utf8(p, text.sliced(from, i - from));
        from = i + 1;
        if (markup) {
            *p++ = '\\';
            *p++ = char(c);
        } else {
            *p++ = '&';
            *p++ = '#';
            p = std::to_chars(p, p + 2, int(c)).ptr;
            *p++ = ';';
        }
    }
    return encode::utf8(p, text.sliced(from));
}

// One table: a header row ("No." while numbered, "Name", each fact's header
// while facts are on), the row that aligns the columns (numbers right), then
// one row per item: its number, its name (cut as in the text document while
// extensions are hidden), its facts as the list shows them, an unknown one
// left empty. No byte-order mark.
void markdownHeader(DocumentWriter &out, const DocumentContent &content)
{
    char *p = out.room(64 + 2 * factsRoom());
    p = putAscii(p, content.numbered ? QByteArrayView("| No. | Name |") : QByteArrayView("| Name |"));
    if (!content.facts.empty()) {
        for (const FactColumn &column : factColumns())
            p = putAscii(putAscii(putAscii(p, " "), column.header), " |");
    }
    p = out.lineEnd(p);
    p = putAscii(p, content.numbered ? QByteArrayView("| ---: | --- |") : QByteArrayView("| --- |"));
    if (!content.facts.empty()) {
        for (const FactColumn &column : factColumns())
            p = putAscii(p, column.alignRight ? QByteArrayView(" ---: |") : QByteArrayView(" --- |"));
    }
    out.done(out.lineEnd(p));
}

void markdownRow(DocumentWriter &out, const DocumentContent &content, RowPlace place)
{
    const QStringView text = shownText(content.items.at(place.item), content.showExtensions);
    char *p = out.room(kNumberRoom + out.bound(text) + factsRoom() + 8);
    *p++ = '|';
    *p++ = ' ';
    if (content.numbered) {
        p = out.number(p, place.item + 1);
        p = putAscii(p, " | ");
    }
    p = out.put(p, text);
    p = putAscii(p, " |");
    if (!content.facts.empty()) {
        const FileFacts &facts = factsOf(content, place.item);
        for (const FactColumn &column : factColumns()) {
            *p++ = ' ';
            p = putAscii(putFact(p, column, facts), " |");
        }
    }
    out.done(out.lineEnd(p));
}

// ---- The table ----

// Its texts are marked for translation (lupdate finds them by the macro,
// written out in full); see DocumentFormat. The order is the window's: the
// commands on the menu bar first ("Make WEB Page" before "Create TXT"), then
// the entries of "Export".
const DocumentFormat kFormats[] = {
    {.name = "html",
     .caption = QT_TRANSLATE_NOOP("DocumentFormat", "Make WEB Page"),
     .extension = ".htm",
     .nameBoxTitle = QT_TRANSLATE_NOOP("DocumentFormat", "Make WEB page"),
     .confirmationTitle = QT_TRANSLATE_NOOP("DocumentFormat", "WEB Page"),
     .confirmationText = QT_TRANSLATE_NOOP("DocumentFormat", "File :%1 saved in folder :\r\r%2"),
     .titleBoxTitle = QT_TRANSLATE_NOOP("DocumentFormat", "Page title"),
     .titlePrompt = QT_TRANSLATE_NOOP("DocumentFormat", "Insert title."),
     .defaultTitle = "Corvane",
     .opensAfterwards = true,
     .onMenuBar = true,
     .escaping = {encode::html, 6, 0},
     .header = pageHeader,
     .row = pageRow,
     .trailer = pageTrailer},
    {.name = "txt",
     .caption = QT_TRANSLATE_NOOP("DocumentFormat", "Create TXT"),
     .extension = ".txt",
     .nameBoxTitle = QT_TRANSLATE_NOOP("DocumentFormat", "Make TXT document"),
     .confirmationTitle = QT_TRANSLATE_NOOP("DocumentFormat", "TXT Document"),
     .confirmationText = QT_TRANSLATE_NOOP("DocumentFormat", "File : %1 saved in folder :\r\r%2"),
     .onMenuBar = true,
     .escaping = kPlain,
     .row = textRow},
    {.name = "csv",
     .caption = QT_TRANSLATE_NOOP("DocumentFormat", "CSV…"),
     .extension = ".csv",
     .nameBoxTitle = QT_TRANSLATE_NOOP("DocumentFormat", "Make CSV document"),
     .confirmationTitle = QT_TRANSLATE_NOOP("DocumentFormat", "CSV Document"),
     .confirmationText = QT_TRANSLATE_NOOP("DocumentFormat", "File : %1 saved in folder :\r\r%2"),
     // A field quoted when it needs it, quotes doubled, formulas kept as text.
     .escaping = {encode::csvField, 3, 3},
     .header = csvHeader,
     .row = csvRow},
    {.name = "json",
     .caption = QT_TRANSLATE_NOOP("DocumentFormat", "JSON…"),
     .extension = ".json",
     .nameBoxTitle = QT_TRANSLATE_NOOP("DocumentFormat", "Make JSON document"),
     .confirmationTitle = QT_TRANSLATE_NOOP("DocumentFormat", "JSON Document"),
     .confirmationText = QT_TRANSLATE_NOOP("DocumentFormat", "File : %1 saved in folder :\r\r%2"),
     .escaping = {jsonString, 6, 2},
     .header = jsonHeader,
     .row = jsonRow,
     .trailer = jsonTrailer},
    {.name = "markdown",
     .caption = QT_TRANSLATE_NOOP("DocumentFormat", "Markdown…"),
     .extension = ".md",
     .nameBoxTitle = QT_TRANSLATE_NOOP("DocumentFormat", "Make Markdown document"),
     .confirmationTitle = QT_TRANSLATE_NOOP("DocumentFormat", "Markdown Document"),
     .confirmationText = QT_TRANSLATE_NOOP("DocumentFormat", "File : %1 saved in folder :\r\r%2"),
     .escaping = {markdownCell, 5, 0},
     .header = markdownHeader,
     .row = markdownRow},
};

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
    if (format.header)
        format.header(out, content);
    const QStringList &items = content.items;
    if (content.rows.empty()) {
        for (qsizetype i = 0; i < items.size() && !out.stopped(); ++i) {
            prefetch(items, i + kAhead);
            format.row(out, content, RowPlace{i, i});
        }
    } else {
        const std::span<const qsizetype> rows = content.rows;
        qsizetype order = 0;
        for (size_t k = 0; k < rows.size() && !out.stopped(); ++k) {
            if (k + kAhead < rows.size())
                prefetch(items, rows[k + kAhead]);
            if (rows[k] >= 0 && rows[k] < items.size())
                format.row(out, content, RowPlace{rows[k], order++});
        }
    }
    if (format.trailer)
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

// The text document, whose lines the copy takes.
const DocumentFormat &textFormat()
{
    static const DocumentFormat &text = *findDocumentFormat(u"txt");
    return text;
}

} // namespace

std::span<const DocumentFormat> documentFormats()
{
    return kFormats;
}

const DocumentFormat *findDocumentFormat(QStringView name)
{
    if (name.startsWith(u'.'))
        name = name.sliced(1);
    for (const DocumentFormat &format : kFormats) {
        if (name.compare(QLatin1StringView(format.name), Qt::CaseInsensitive) == 0
            || name.compare(QLatin1StringView(format.extension + 1), Qt::CaseInsensitive) == 0)
            return &format;
    }
    return nullptr;
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
    const DocumentFormat &text = textFormat();
    DocumentWriter out(text.escaping, LineEnd::Lf, nullptr, estimate(content));
    writeDocument(text, content, out);
    return out.finish();
}

QList<QStringList> printedColumns(const DocumentContent &content)
{
    QList<qsizetype> rows;
    if (content.rows.empty()) {
        rows.reserve(content.items.size());
        for (qsizetype i = 0; i < content.items.size(); ++i)
            rows.append(i);
    } else {
        for (const qsizetype row : content.rows)
            if (row >= 0 && row < content.items.size())
                rows.append(row);
    }
    QStringList items;
    if (content.rows.empty()) {
        items = content.items;
    } else {
        items.reserve(rows.size());
        for (const qsizetype row : rows)
            items.append(content.items.at(row));
    }
    QList<QStringList> columns{items};
    if (content.facts.empty())
        return columns;
    ::tzset();
    for (const FactColumn &column : factColumns()) {
        QStringList texts;
        texts.reserve(rows.size());
        for (const qsizetype row : rows)
            texts.append(shownFact(column, factsOf(content, row)));
        columns.append(texts);
    }
    return columns;
}

} // namespace corvane
