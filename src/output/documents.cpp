#include "output/documents.h"

#include "listing/filenames.h"
#include "output/outputline.h"

namespace corvane {

namespace {

constexpr char lineEnd[] = "\r\n";

void appendLine(QByteArray &out, const QString &line)
{
    out += line.toUtf8();
    out += lineEnd;
}

// A guess at the final size, so that the buffer grows a few times at most.
qsizetype estimate(const QStringList &items)
{
    qsizetype size = 0;
    for (const QString &item : items)
        size += item.size() + 12;
    return size;
}

} // namespace

QByteArray textDocument(const QStringList &items, bool numbered, bool showExtensions)
{
    QByteArray out;
    out.reserve(estimate(items));
    for (qsizetype i = 0; i < items.size(); ++i)
        appendLine(out, outputLine(items.at(i), i, numbered, showExtensions));
    return out;
}

QString escapeHtml(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&': out += QLatin1StringView("&amp;"); break;
        case u'<': out += QLatin1StringView("&lt;"); break;
        case u'>': out += QLatin1StringView("&gt;"); break;
        case u'"': out += QLatin1StringView("&quot;"); break;
        case u'\'': out += QLatin1StringView("&#39;"); break;
        default: out += c;
        }
    }
    return out;
}

QByteArray htmlDocument(const QStringList &items, const QString &title, bool numbered, bool showExtensions)
{
    // Control characters in the typed title are shown as escapes, the way they
    // are in names, so the title stays on its one line of the page.
    const QString shownTitle = escapeHtml(displayName(title.toUtf8()));
    QByteArray out;
    out.reserve(estimate(items) + items.size() * 4 + 2 * shownTitle.size() + 64);
    appendLine(out, QStringLiteral("<html>"));
    appendLine(out, QStringLiteral("<title>") + shownTitle + QStringLiteral("</title>"));
    appendLine(out, QStringLiteral("<head>"));
    appendLine(out, QStringLiteral("</head>"));
    appendLine(out, QStringLiteral("<h2>") + shownTitle + QStringLiteral("</h2>"));
    for (qsizetype i = 0; i < items.size(); ++i)
        appendLine(out, escapeHtml(outputLine(items.at(i), i, numbered, showExtensions)) + QStringLiteral("<br>"));
    appendLine(out, QStringLiteral("</html>"));
    return out;
}

} // namespace corvane
