#pragma once
// The file-type filter: the typed extensions turned into the file name box's
// pattern.

#include "base/answers.h"

#include <QString>

namespace corvane {

// The pattern for fileTypes, split at every single space: "*." and each piece,
// joined by ";". Two spaces make an empty piece and so the entry "*." (names
// without an extension). Pieces keep their case, dots and wildcards. An empty
// fileTypes gives the empty pattern.
QString fileTypePattern(const QString &fileTypes);

} // namespace corvane
