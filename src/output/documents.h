#pragma once
// The bytes of the two documents the list is exported to. Both are UTF-8,
// every line ending in CR LF (the last one too), built in one buffer so that a
// long list costs one write. & < > " ' on the page become character
// references; a lone surrogate becomes "?".

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <span>

namespace corvane {

// One output line per item, nothing else; an empty list gives no bytes. The
// output line is " 1 text" when numbered, then, while extensions are hidden,
// NoExtension over the whole line (numbering comes first).
QByteArray textDocument(const QStringList &items, bool numbered, bool showExtensions);

// What a copy of the list puts on the clipboard: the text document's lines of
// the rows given (ascending), each numbered by its row as in the document, each
// ending in LF; the first form takes every row.
QByteArray copiedText(const QStringList &items, bool numbered, bool showExtensions);
QByteArray copiedText(const QStringList &items, std::span<const qsizetype> rows, bool numbered, bool showExtensions);

// The page: <html>, the title, an empty head, the heading, one line per item
// ending in <br>, </html> — n + 6 lines, the first of them led by the UTF-8
// byte-order mark (EF BB BF): a browser opening the file from disk takes the
// encoding from it, where it would otherwise guess one and garble every name
// that is not ASCII. The text document has no mark. The title and every item
// line are escaped, since file names are data and the page opens in a browser;
// control characters in the title become visible escapes (\n, \xHH) as in names.
QByteArray htmlDocument(const QStringList &items, const QString &title, bool numbered, bool showExtensions);

} // namespace corvane
