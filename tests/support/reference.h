#pragma once
// Reference forms of what the program writes by hand for speed: the simplest
// correct way to get the same result, built on Qt's own conversions. The tests
// and the fuzz targets compare the program's fast code against these.

#include "listing/baseletters.h"
#include "listing/casefold.h"
#include "listing/facts.h"
#include "listing/filenames.h"
#include "output/documents.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <compare>
#include <cstdlib>
#include <tuple>
#include <vector>

namespace corvane::test {

// The cut NoExtension makes: before the last dot that follows the last slash.
inline QString referenceNoExtension(const QString &text)
{
    const qsizetype dot = text.lastIndexOf(u'.');
    return dot >= 0 && dot > text.lastIndexOf(u'/') ? text.left(dot) : text;
}

// The output line of an item: " 1 text" when numbered (index counts from 0),
// then the extension cut from the whole line while extensions are hidden.
inline QString referenceOutputLine(const QString &item, qsizetype index, bool numbered, bool showExtensions)
{
    const QString line = numbered ? u' ' + QString::number(index + 1) + u' ' + item : item;
    return showExtensions ? line : referenceNoExtension(line);
}

// & < > " ' as the character references the web page uses; the rest unchanged.
inline QString referenceEscapeHtml(QString text)
{
    text.replace(u'&', QStringLiteral("&amp;")).replace(u'<', QStringLiteral("&lt;"));
    text.replace(u'>', QStringLiteral("&gt;")).replace(u'"', QStringLiteral("&quot;"));
    return text.replace(u'\'', QStringLiteral("&#39;"));
}

// The facts as Qt writes them: the size in decimal, the time in local time.
inline QString referenceSize(const FileFacts &facts)
{
    return facts.size == FileFacts::kUnknown ? QString() : QString::number(facts.size);
}
inline QString referenceTime(const FileFacts &facts, bool iso)
{
    if (facts.modified == FileFacts::kUnknown)
        return {};
    const QDateTime time = QDateTime::fromSecsSinceEpoch(facts.modified);
    return iso ? time.toString(Qt::ISODate) : time.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

// The rows a document lists, and each one's facts (unknown past the end).
inline QList<qsizetype> referenceRows(const DocumentContent &content)
{
    QList<qsizetype> rows;
    if (content.rows.empty()) {
        for (qsizetype i = 0; i < content.items.size(); ++i)
            rows.append(i);
    } else {
        rows = QList<qsizetype>(content.rows.begin(), content.rows.end());
    }
    return rows;
}
inline FileFacts referenceFacts(const DocumentContent &content, qsizetype row)
{
    return row < qsizetype(content.facts.size()) ? content.facts[size_t(row)] : FileFacts{};
}

// The text document: each output line and, with facts, its size and time
// after tabs, as QString::toUtf8 encodes it, lineEnd after each (the copy's LF).
inline QByteArray referenceTextDocument(const DocumentContent &content, QByteArrayView lineEnd = "\r\n")
{
    QByteArray out;
    for (const qsizetype i : referenceRows(content)) {
        QString line = referenceOutputLine(content.items.at(i), i, content.numbered, content.showExtensions);
        if (!content.facts.empty()) {
            const FileFacts facts = referenceFacts(content, i);
            line += u'\t' + referenceSize(facts) + u'\t' + referenceTime(facts, false);
        }
        out += line.toUtf8() + lineEnd;
    }
    return out;
}

inline QString referenceOneLine(const QString &typed);

// The web page: the byte-order mark, then line by line as QString::toUtf8
// encodes it; an item's known facts in words after it.
inline QByteArray referenceHtmlDocument(const DocumentContent &content)
{
    const QString shown = referenceEscapeHtml(referenceOneLine(content.title));
    QStringList lines = {QStringLiteral("<html>"), QStringLiteral("<title>") + shown + QStringLiteral("</title>"),
                         QStringLiteral("<head>"), QStringLiteral("</head>"),
                         QStringLiteral("<h2>") + shown + QStringLiteral("</h2>")};
    for (const qsizetype i : referenceRows(content)) {
        QString line = referenceEscapeHtml(
            referenceOutputLine(content.items.at(i), i, content.numbered, content.showExtensions));
        if (!content.facts.empty()) {
            const FileFacts facts = referenceFacts(content, i);
            QStringList words;
            if (facts.size != FileFacts::kUnknown)
                words.append(referenceSize(facts)
                             + (facts.size == 1 ? QStringLiteral(" byte") : QStringLiteral(" bytes")));
            if (facts.modified != FileFacts::kUnknown)
                words.append(referenceTime(facts, false));
            if (!words.isEmpty())
                line += QStringLiteral(" (") + words.join(QStringLiteral(", ")) + u')';
        }
        lines.append(line + QStringLiteral("<br>"));
    }
    lines.append(QStringLiteral("</html>"));
    QByteArray out("\xEF\xBB\xBF"); // the UTF-8 byte-order mark leads the page
    for (const QString &line : lines)
        out += line.toUtf8() + "\r\n";
    return out;
}

// A CSV field: a name a spreadsheet would take for a formula, or one that
// starts with a single quote, led by a single quote; quoted (quotes doubled)
// when it is empty, so led, or holds a comma, a quote, CR, LF, a semicolon or
// a tab.
inline QString referenceCsvField(QString text)
{
    const bool formula = !text.isEmpty() && QStringLiteral("=+-@\t\r'").contains(text.front());
    if (formula)
        text.prepend(u'\'');
    const auto special = [](QChar c) {
        return c == u',' || c == u'"' || c == u'\r' || c == u'\n' || c == u';' || c == u'\t';
    };
    if (!formula && !text.isEmpty() && std::none_of(text.begin(), text.end(), special))
        return text;
    return u'"' + text.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// CSV: the byte-order mark, the header row, one row per item, CR LF after each.
inline QByteArray referenceCsvDocument(const DocumentContent &content)
{
    QStringList header;
    if (content.numbered)
        header.append(QStringLiteral("No."));
    header.append(QStringLiteral("Name"));
    if (!content.facts.empty())
        header << QStringLiteral("Size (bytes)") << QStringLiteral("Modified");
    QByteArray out = "\xEF\xBB\xBF" + header.join(u',').toUtf8() + "\r\n";
    for (const qsizetype i : referenceRows(content)) {
        QStringList fields;
        if (content.numbered)
            fields.append(QString::number(i + 1));
        const QString &item = content.items.at(i);
        fields.append(referenceCsvField(content.showExtensions ? item : referenceNoExtension(item)));
        if (!content.facts.empty()) {
            const FileFacts facts = referenceFacts(content, i);
            fields << referenceSize(facts) << referenceTime(facts, true);
        }
        out += fields.join(u',').toUtf8() + "\r\n";
    }
    return out;
}

// Local ISO 8601 time with its offset from UTC: "2025-12-08T14:17:05+01:00".
inline QString referenceTimeWithOffset(const FileFacts &facts)
{
    const QDateTime time = QDateTime::fromSecsSinceEpoch(facts.modified);
    const int offset = time.offsetFromUtc() / 60;
    return time.toString(Qt::ISODate)
        + QString::asprintf("%c%02d:%02d", offset < 0 ? '-' : '+', std::abs(offset) / 60, std::abs(offset) % 60);
}

// A JSON string: quotes around, " and \\ escaped, control characters (and
// U+2028, U+2029) by their short escape or as \\u00xx.
inline QString referenceJsonString(const QString &text)
{
    QString out(u'"');
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'"' || u == u'\\')
            out += u'\\' + QString(c);
        else if (u == u'\n' || u == u'\r' || u == u'\t' || u == u'\b' || u == u'\f')
            out += u'\\' + QString(QChar(u == u'\n' ? u'n' : u == u'\r' ? u'r' : u == u'\t' ? u't' : u == u'\b' ? u'b' : u'f'));
        else if (u < 0x20 || u == 0x2028 || u == 0x2029)
            out += QString::asprintf("\\u%04x", unsigned(u));
        else
            out += c;
    }
    return out + u'"';
}

// JSON: "[", then per item "{...}" on a line of its own, commas between,
// "]"; no byte-order mark. A time is local ISO 8601 with its offset as Qt
// writes it; a name whose shown text is not its bytes carries them in base64.
inline QByteArray referenceJsonDocument(const DocumentContent &content)
{
    QStringList objects;
    for (const qsizetype i : referenceRows(content)) {
        const QString &item = content.items.at(i);
        const QString name = content.showExtensions ? item : referenceNoExtension(item);
        QStringList fields;
        if (content.numbered)
            fields.append(QStringLiteral("\"number\": ") + QString::number(i + 1));
        fields.append(QStringLiteral("\"name\": ") + referenceJsonString(name));
        if (name.contains(u'\\') && nameBytes(name) != name.toUtf8())
            fields.append(QStringLiteral("\"name_base64\": \"")
                          + QString::fromLatin1(nameBytes(name).toBase64()) + u'"');
        if (!content.facts.empty()) {
            const FileFacts facts = referenceFacts(content, i);
            fields.append(QStringLiteral("\"size\": ")
                          + (facts.size == FileFacts::kUnknown ? QStringLiteral("null") : referenceSize(facts)));
            fields.append(QStringLiteral("\"modified\": ")
                          + (facts.modified == FileFacts::kUnknown
                                 ? QStringLiteral("null")
                                 : u'"' + referenceTimeWithOffset(facts) + u'"'));
        }
        objects.append(u'{' + fields.join(QStringLiteral(", ")) + u'}');
    }
    QString out = QStringLiteral("[");
    if (!objects.isEmpty())
        out += QStringLiteral("\r\n") + objects.join(QStringLiteral(",\r\n"));
    return (out + QStringLiteral("\r\n]\r\n")).toUtf8();
}

// A Markdown table cell: markup characters led by a backslash, control
// characters and a space or tab at either end as character references.
inline QString referenceMarkdownCell(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool edge = (c == u' ' || c == u'\t') && (i == 0 || i == text.size() - 1);
        if (QStringLiteral("|\\`*_~[]<&").contains(c))
            out += u'\\' + QString(c);
        else if (c.unicode() < 0x20 || edge)
            out += QStringLiteral("&#") + QString::number(c.unicode()) + u';';
        else
            out += c;
    }
    return out;
}

// Markdown: a header row, the alignment row, one row per item; the facts as
// the text document writes them.
inline QByteArray referenceMarkdownDocument(const DocumentContent &content)
{
    QStringList header{QStringLiteral("Name")}, align{QStringLiteral("---")};
    if (content.numbered) {
        header.prepend(QStringLiteral("No."));
        align.prepend(QStringLiteral("---:"));
    }
    if (!content.facts.empty()) {
        header << QStringLiteral("Size (bytes)") << QStringLiteral("Modified");
        align << QStringLiteral("---:") << QStringLiteral("---");
    }
    QString out = QStringLiteral("| ") + header.join(QStringLiteral(" | ")) + QStringLiteral(" |\r\n| ")
        + align.join(QStringLiteral(" | ")) + QStringLiteral(" |\r\n");
    for (const qsizetype i : referenceRows(content)) {
        const QString &item = content.items.at(i);
        QStringList cells{referenceMarkdownCell(content.showExtensions ? item : referenceNoExtension(item))};
        if (content.numbered)
            cells.prepend(QString::number(i + 1));
        if (!content.facts.empty()) {
            const FileFacts facts = referenceFacts(content, i);
            cells << referenceSize(facts) << referenceTime(facts, false);
        }
        out += QStringLiteral("| ") + cells.join(QStringLiteral(" | ")) + QStringLiteral(" |\r\n");
    }
    return out.toUtf8();
}

// The document of a format, from the reference forms above; nothing for a
// format that has none yet.
inline QByteArray referenceDocument(const DocumentFormat &format, const DocumentContent &content)
{
    const QByteArrayView name(format.name);
    return name == "txt"    ? referenceTextDocument(content)
           : name == "html" ? referenceHtmlDocument(content)
           : name == "csv"  ? referenceCsvDocument(content)
           : name == "json" ? referenceJsonDocument(content)
           : name == "markdown" ? referenceMarkdownDocument(content)
                            : QByteArray();
}

// The text shown for a file name's bytes: each well-formed UTF-8 sequence (as
// Qt's strict decoder takes it) kept, but control characters (category Cc and
// the line and paragraph separators) escaped as \n, \r, \t or \xHH per byte;
// every byte no such sequence takes in as \xHH.
inline QString referenceDisplayName(QByteArrayView bytes)
{
    QString out;
    const auto escape = [&out](QByteArrayView part) {
        for (const char b : part)
            out += QString::asprintf("\\x%02X", unsigned(static_cast<unsigned char>(b)));
    };
    for (qsizetype i = 0; i < bytes.size();) {
        QString one;
        qsizetype len = 1;
        for (; len <= 4 && i + len <= bytes.size(); ++len) {
            QStringDecoder decoder(QStringDecoder::Utf8,
                                   QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
            one = decoder(bytes.sliced(i, len));
            if (!decoder.hasError() && one.toUcs4().size() == 1)
                break;
            one.clear();
        }
        if (one.isEmpty()) {
            escape(bytes.sliced(i, 1));
            ++i;
            continue;
        }
        const char32_t cp = one.toUcs4().at(0);
        const QChar::Category category = QChar::category(cp);
        if (cp == u'\n' || cp == u'\r' || cp == u'\t' || cp == u'\\')
            out += cp == u'\n' ? u"\\n" : cp == u'\r' ? u"\\r" : cp == u'\t' ? u"\\t" : u"\\\\";
        else if (category == QChar::Other_Control || category == QChar::Separator_Line
                 || category == QChar::Separator_Paragraph)
            escape(bytes.sliced(i, len));
        else
            out += one;
        i += len;
    }
    return out;
}

// The bytes a shown name stands for, by the plain way: each escape (\\, \n,
// \r, \t, \x and two hex digits of either case), found left to right, is its
// byte; every other character is its UTF-8 (Qt's encoder), but a lone
// surrogate U+DC80..U+DCFF is the byte it stands for (the path encoding) and
// any other lone surrogate U+FFFD; so is a backslash that starts no escape.
inline QByteArray referenceNameBytes(const QString &shown)
{
    static const QRegularExpression escape(QStringLiteral(R"(\\(\\|n|r|t|x[0-9A-Fa-f]{2}))"));
    QByteArray out;
    const auto plain = [&out](QStringView text) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                out += text.sliced(i, 2).toUtf8();
                ++i;
            } else if (c >= 0xDC80 && c <= 0xDCFF) {
                out += char(c - 0xDC00);
            } else if (QChar::isSurrogate(c)) {
                out += QStringLiteral("\uFFFD").toUtf8();
            } else {
                out += QStringView(text.sliced(i, 1)).toUtf8();
            }
        }
    };
    // The expression matches valid UTF-16 only: its lone surrogates, which are
    // never part of an escape, stand aside as U+FFFD while escapes are sought.
    QString valid = shown;
    for (qsizetype i = 0; i < valid.size(); ++i) {
        if (valid[i].isHighSurrogate() && i + 1 < valid.size() && valid[i + 1].isLowSurrogate())
            ++i;
        else if (valid[i].isSurrogate())
            valid[i] = QChar::ReplacementCharacter;
    }
    qsizetype at = 0;
    for (QRegularExpressionMatchIterator it = escape.globalMatch(valid); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        plain(QStringView(shown).sliced(at, match.capturedStart() - at));
        const QString what = match.captured(1);
        out += what == u"\\" ? '\\' : what == u"n" ? '\n' : what == u"r" ? '\r' : what == u"t" ? '\t'
                                                                            : char(what.sliced(1).toInt(nullptr, 16));
        at = match.capturedEnd();
    }
    plain(QStringView(shown).sliced(at));
    return out;
}

// A typed text on one line: escaped as a name is, but its backslashes kept
// as typed (in the name's form they come doubled, two by two).
inline QString referenceOneLine(const QString &typed)
{
    return referenceDisplayName(typed.toUtf8()).replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
}

// The base letters of a text from Qt's own tables: each code point
// case-folded, the whole text canonically decomposed, the combining marks
// dropped, folded again.
inline QList<uint> referenceBaseLetters(const QString &text)
{
    QList<uint> folded = text.toUcs4();
    for (uint &c : folded)
        c = QChar::toCaseFolded(c);
    QList<uint> base;
    for (const uint c : QString::fromUcs4(reinterpret_cast<const char32_t *>(folded.constData()), folded.size())
                            .normalized(QString::NormalizationForm_D)
                            .toUcs4())
        if (!QChar::isMark(c))
            base.append(QChar::toCaseFolded(c));
    return base;
}

// Item order ignoring case: the base letters first (compared by code point),
// then the folded texts by QString::toCaseFolded, compared unit by unit (UTF-16,
// as every comparison of the program does), a shorter text first. A path
// (parts joined by "/") is compared as the list of its parts at each of the
// two levels, a list before any longer one it begins. -1, 0 or 1.
inline int referenceFoldedCompare(const QString &a, const QString &b)
{
    const QStringList partsA = a.split(u'/'), partsB = b.split(u'/');
    QList<QList<uint>> baseA, baseB;
    for (const QString &part : partsA)
        baseA.append(referenceBaseLetters(part));
    for (const QString &part : partsB)
        baseB.append(referenceBaseLetters(part));
    if (baseA != baseB)
        return std::lexicographical_compare(baseA.begin(), baseA.end(), baseB.begin(), baseB.end()) ? -1 : 1;
    QStringList foldedA, foldedB;
    for (const QString &part : partsA)
        foldedA.append(part.toCaseFolded());
    for (const QString &part : partsB)
        foldedB.append(part.toCaseFolded());
    if (foldedA == foldedB)
        return 0;
    return std::lexicographical_compare(foldedA.begin(), foldedA.end(), foldedB.begin(), foldedB.end()) ? -1 : 1;
}

// Item order: ignoring case as above, ties broken by the exact text.
inline int referenceItemCompare(const QString &a, const QString &b)
{
    int order = referenceFoldedCompare(a, b);
    if (order == 0)
        order = a.compare(b, Qt::CaseSensitive);
    return (order > 0) - (order < 0);
}

// A base letter or a number among a text's base letters, as the natural
// order sees them.
struct NaturalToken
{
    int kind; // 0: a letter before "0", 1: a number, 2: a letter after "9"
    uint letter;
    std::vector<uint> digits; // a number's digits without leading zeros
    // Numbers: the one with more digits is larger, then digit by digit.
    std::strong_ordering operator<=>(const NaturalToken &o) const
    {
        if (kind != o.kind || kind != 1)
            return std::tie(kind, letter) <=> std::tie(o.kind, o.letter);
        if (digits.size() != o.digits.size())
            return digits.size() <=> o.digits.size();
        return std::lexicographical_compare_three_way(digits.begin(), digits.end(), o.digits.begin(), o.digits.end());
    }
    bool operator==(const NaturalToken &o) const { return (*this <=> o) == 0; }
};

// Natural order ignoring case: the parts' base letters as above, each run of
// the digits 0 to 9 among them taken as one number that compares by its value
// and stands where "0" would; then the lengths of the runs in turn, the
// shorter first; then the folded texts as above. -1, 0 or 1.
inline int referenceNaturalFoldedCompare(const QString &a, const QString &b)
{
    const auto parts = [](const QString &text, std::vector<qsizetype> &runs) {
        std::vector<std::vector<NaturalToken>> out;
        for (const QString &part : text.split(u'/')) {
            std::vector<NaturalToken> tokens;
            const QList<uint> letters = referenceBaseLetters(part);
            for (qsizetype i = 0; i < letters.size();) {
                if (letters[i] < '0' || letters[i] > '9') {
                    tokens.push_back({letters[i] < '0' ? 0 : 2, letters[i], {}});
                    ++i;
                    continue;
                }
                std::vector<uint> run;
                for (; i < letters.size() && letters[i] >= '0' && letters[i] <= '9'; ++i)
                    run.push_back(letters[i]);
                runs.push_back(qsizetype(run.size()));
                run.erase(run.begin(), std::find_if(run.begin(), run.end(), [](uint d) { return d != '0'; }));
                tokens.push_back({1, 0, run});
            }
            out.push_back(tokens);
        }
        return out;
    };
    std::vector<qsizetype> runsA, runsB;
    const auto tokensA = parts(a, runsA), tokensB = parts(b, runsB);
    const auto three = [](const auto &x, const auto &y) {
        return std::lexicographical_compare_three_way(x.begin(), x.end(), y.begin(), y.end());
    };
    const auto partsOrder = std::lexicographical_compare_three_way(
        tokensA.begin(), tokensA.end(), tokensB.begin(), tokensB.end(), three);
    if (partsOrder != 0)
        return partsOrder < 0 ? -1 : 1;
    if (const auto runs = three(runsA, runsB); runs != 0)
        return runs < 0 ? -1 : 1;
    // Equal numbers of equal length: the parts' base letters are the same, and
    // the folded texts decide.
    return referenceFoldedCompare(a, b);
}

// Natural item order: ignoring case as above, ties broken by the exact text.
inline int referenceItemCompare(const QString &a, const QString &b, ItemOrder order)
{
    if (order == ItemOrder::Alphabetical)
        return referenceItemCompare(a, b);
    int result = referenceNaturalFoldedCompare(a, b);
    if (result == 0)
        result = a.compare(b, Qt::CaseSensitive);
    return (result > 0) - (result < 0);
}

// Where the program's case rule (order, order ignoring case, duplicate test,
// hash, word search of b in a, sort key) disagrees with the reference forms on
// a and b in order; empty when it agrees.
inline const char *caseRuleDisagreement(const QString &a, const QString &b,
                                        ItemOrder itemOrder = ItemOrder::Alphabetical)
{
    const int expected = referenceItemCompare(a, b, itemOrder);
    const int order = itemCompare(a, b, itemOrder), reverse = itemCompare(b, a, itemOrder);
    if ((order > 0) - (order < 0) != expected || (reverse > 0) - (reverse < 0) != -expected)
        return "order";
    const int ignoringCase = compareIgnoringCase(a, b, itemOrder);
    const int expectedIgnoringCase = itemOrder == ItemOrder::Alphabetical ? referenceFoldedCompare(a, b)
                                                                          : referenceNaturalFoldedCompare(a, b);
    if ((ignoringCase > 0) - (ignoringCase < 0) != expectedIgnoringCase)
        return "order ignoring case";
    const bool same = a.toCaseFolded() == b.toCaseFolded();
    if (sameIgnoringCase(a, b) != same || (same && foldedHash(a) != foldedHash(b)))
        return "duplicate test or hash";
    if (indexOfIgnoringCase(a, b) != a.toCaseFolded().indexOf(b.toCaseFolded()))
        return "word search";
    ItemKey ka, kb;
    if (itemKey(a.utf16(), a.size(), ka, itemOrder) && itemKey(b.utf16(), b.size(), kb, itemOrder) && !(ka == kb)
        && (ka < kb) != (expected < 0))
        return "sort key";
    const BaseKey ba = baseKey(a, itemOrder), bb = baseKey(b, itemOrder);
    if (!(ba == bb) && (ba < bb) != (expected < 0))
        return "base letters' key";
    return nullptr;
}

} // namespace corvane::test
