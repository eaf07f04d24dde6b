// Fuzzes what an item becomes in the documents: the output line (numbering,
// then NoExtension), the text document's bytes and the web page's escaping.
// The first byte chooses numbering (bit 0), extensions shown (bit 1) and
// whether the rest is read as UTF-16 (bit 2, so lone surrogates occur too);
// the next two bytes give the item's index; the rest is the item, which is
// also the page title.

#include "listing/filenames.h"
#include "output/documents.h"
#include "output/outputline.h"

#include <QString>
#include <QStringList>

#include <cstdlib>
#include <cstring>

namespace {

// The five references escapeHtml writes, and the characters they stand for.
constexpr struct
{
    const char16_t *reference;
    char16_t character;
} references[] = {{u"&amp;", u'&'}, {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&quot;", u'"'}, {u"&#39;", u'\''}};

// Undoes escapeHtml; aborts on an ampersand that does not start one of its references.
QString unescape(const QString &escaped)
{
    QString out;
    for (qsizetype i = 0; i < escaped.size();) {
        const QChar c = escaped.at(i);
        if (c == u'<' || c == u'>' || c == u'"' || c == u'\'')
            std::abort(); // a raw special character got through
        if (c != u'&') {
            out += c;
            ++i;
            continue;
        }
        bool known = false;
        for (const auto &r : references) {
            const QStringView reference(r.reference);
            if (QStringView(escaped).mid(i).startsWith(reference)) {
                out += QChar(r.character);
                i += reference.size();
                known = true;
                break;
            }
        }
        if (!known)
            std::abort();
    }
    return out;
}

bool hasLineBreak(const QString &text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const bool numbered = data[0] & 1;
    const bool showExtensions = data[0] & 2;
    const qsizetype index = qsizetype(data[1]) << 8 | data[2];
    const char *rest = reinterpret_cast<const char *>(data + 3);
    const qsizetype restSize = qsizetype(size - 3);
    QString item;
    if (data[0] & 4) {
        item.resize(restSize / 2);
        std::memcpy(item.data(), rest, size_t(item.size()) * 2); // any code units, lone surrogates too
    } else {
        item = QString::fromUtf8(rest, restSize);
    }

    // Escaping: nothing raw left, and it undoes exactly.
    const QString escaped = corvane::escapeHtml(item);
    if (unescape(escaped) != item)
        std::abort();

    // The output line: the numbered form first, then NoExtension over all of it.
    const QString line = corvane::outputLine(item, index, numbered, showExtensions);
    const QString numberedForm = numbered ? u' ' + QString::number(index + 1) + u' ' + item : item;
    QString expected = numberedForm;
    if (!showExtensions) {
        const qsizetype dot = expected.lastIndexOf(u'.');
        if (dot >= 0)
            expected.truncate(dot);
        if (corvane::NoExtension(numberedForm) != expected)
            std::abort();
    }
    if (line != expected)
        std::abort();
    if (!hasLineBreak(item) && hasLineBreak(line))
        std::abort();

    // The documents: one CR LF per line, the text without a byte-order mark
    // and the page led by one, the page n + 6 lines, every item line escaped
    // and ending in <br>.
    const QStringList items{item, item};
    const QByteArray text = corvane::textDocument(items, numbered, showExtensions);
    const QByteArray first = corvane::outputLine(item, 0, numbered, showExtensions).toUtf8() + "\r\n";
    const QByteArray second = corvane::outputLine(item, 1, numbered, showExtensions).toUtf8() + "\r\n";
    if (text != first + second)
        std::abort();
    const QByteArray page = corvane::htmlDocument(items, item, numbered, showExtensions);
    if (!page.startsWith("\xEF\xBB\xBF<html>\r\n"))
        std::abort();
    if (!hasLineBreak(item)) {
        const QList<QByteArray> lines = page.split('\n');
        if (lines.size() != 2 + 6 + 1 || !lines.last().isEmpty())
            std::abort();
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            if (!lines[i].endsWith('\r') || lines[i].indexOf('\r') != lines[i].size() - 1)
                std::abort();
        const QString itemLine = QString::fromUtf8(lines[5].chopped(1));
        if (!itemLine.endsWith(QStringLiteral("<br>"))
            || unescape(itemLine.chopped(4)) != QString::fromUtf8(first.chopped(2)))
            std::abort();
    }
    return 0;
}
