#pragma once
// The file-type filter: the typed extensions turned into the file name box's
// pattern, and the trimming every input box answer goes through.

#include <QString>

namespace corvane {

// answer without its leading and trailing space characters; tabs and other
// white space are part of the text.
QString trimSpaces(const QString &answer);

// The pattern for fileTypes, split at every single space: "*." and each piece,
// joined by ";". Two spaces make an empty piece and so the entry "*." (names
// without an extension). Pieces keep their case, dots and wildcards. An empty
// fileTypes gives the empty pattern.
QString fileTypePattern(const QString &fileTypes);

} // namespace corvane
