#pragma once
// What every input box answer goes through before use.

#include <QString>

namespace corvane {

// answer without its leading and trailing space characters (U+0020 only); tabs
// and other white space are part of the text.
QString trimSpaces(const QString &answer);

} // namespace corvane
