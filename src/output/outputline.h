#pragma once
// The line an item becomes in the text document and on the web page.

#include <QString>

namespace corvane {

// The numbered form " 1 text" when numbered, then, while extensions are hidden,
// NoExtension over the whole line (the number included: numbering comes first).
// index counts from 0; the number shown counts from 1.
QString outputLine(const QString &item, qsizetype index, bool numbered, bool showExtensions);

} // namespace corvane
