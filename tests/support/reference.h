#pragma once
// Reference forms of what the program writes by hand for speed: the simplest
// correct way to get the same result, built on Qt's own conversions. The tests
// and the fuzz targets compare the program's fast code against these.

#include "listing/filenames.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace corvane::test {

// The output line of an item: " 1 text" when numbered (index counts from 0),
// then NoExtension over the whole line while extensions are hidden.
inline QString referenceOutputLine(const QString &item, qsizetype index, bool numbered, bool showExtensions)
{
    const QString line = numbered ? u' ' + QString::number(index + 1) + u' ' + item : item;
    return showExtensions ? line : NoExtension(line);
}

// & < > " ' as the character references the web page uses; the rest unchanged.
inline QString referenceEscapeHtml(QString text)
{
    text.replace(u'&', QStringLiteral("&amp;")).replace(u'<', QStringLiteral("&lt;"));
    text.replace(u'>', QStringLiteral("&gt;")).replace(u'"', QStringLiteral("&quot;"));
    return text.replace(u'\'', QStringLiteral("&#39;"));
}

// The text document: each output line as QString::toUtf8 encodes it, CR LF after each.
inline QByteArray referenceTextDocument(const QStringList &items, bool numbered, bool showExtensions)
{
    QByteArray out;
    for (qsizetype i = 0; i < items.size(); ++i)
        out += referenceOutputLine(items.at(i), i, numbered, showExtensions).toUtf8() + "\r\n";
    return out;
}

// The web page, line by line as QString::toUtf8 encodes it.
inline QByteArray referenceHtmlDocument(const QStringList &items, const QString &title, bool numbered,
                                        bool showExtensions)
{
    const QString shown = referenceEscapeHtml(displayName(title.toUtf8()));
    QStringList lines = {QStringLiteral("<html>"), QStringLiteral("<title>") + shown + QStringLiteral("</title>"),
                         QStringLiteral("<head>"), QStringLiteral("</head>"),
                         QStringLiteral("<h2>") + shown + QStringLiteral("</h2>")};
    for (qsizetype i = 0; i < items.size(); ++i)
        lines.append(referenceEscapeHtml(referenceOutputLine(items.at(i), i, numbered, showExtensions))
                     + QStringLiteral("<br>"));
    lines.append(QStringLiteral("</html>"));
    QByteArray out;
    for (const QString &line : lines)
        out += line.toUtf8() + "\r\n";
    return out;
}

} // namespace corvane::test
