#pragma once
// Texts made from file names: the name without its last extension, and the
// displayable form of a name as it is stored on disk (bytes).

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace corvane {

// Everything before the last "." of parola, or parola unchanged when it has no dot.
QString NoExtension(const QString &parola);

// The text shown for a file name given as raw bytes. Valid UTF-8 without
// control characters is shown as it is. Otherwise every byte of an invalid
// sequence and every control character (C0, DEL, C1, U+2028, U+2029) is shown
// as a visible escape: \n, \r, \t, or \xHH for each of its bytes. So one name
// is always one line of text.
QString displayName(QByteArrayView bytes);

} // namespace corvane
