#pragma once
// Texts made from file names: the name without its last extension, and the
// displayable form of a name as it is stored on disk (bytes).

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace corvane {

// Everything before the last "." of parola, or parola unchanged when it has no
// dot. In a path (parts joined by "/") only the last part's extension goes: a
// dot before the last "/" is part of a folder's name ("v1.2/readme" stays).
QString NoExtension(const QString &parola);

// Where NoExtension cuts text: the position of the extension's dot, or -1.
qsizetype extensionDot(QStringView text) noexcept;

// The text shown for a file name given as raw bytes. Valid UTF-8 without
// control characters and without "\\" is shown as it is. Otherwise every byte
// of an invalid sequence and every control character (C0, DEL, C1, U+2028,
// U+2029) is shown as a visible escape: \n, \r, \t, or \xHH (upper-case hex)
// for each of its bytes, and the backslash itself as \\. So one name is
// always one line of text, and two different names never show the same text:
// nameBytes gives the bytes back.
QString displayName(QByteArrayView bytes);

// The bytes a shown name stands for: the escapes of displayName undone (\\,
// \n, \r, \t, \xHH), every other character as UTF-8. For every name,
// nameBytes(displayName(bytes)) == bytes. A backslash that starts no escape
// (a text typed by hand) stands for itself.
QByteArray nameBytes(QStringView shown);

// A text typed by the user (a new item text, a page title) kept on one line:
// its control characters shown as displayName shows them, everything else,
// backslashes included, as typed.
QString oneLineText(const QString &typed);

// Paths are bytes on disk and QStrings in the program; these two convert
// without loss, so every folder the system names can be named back to it.
// Valid UTF-8 decodes as usual; each byte outside it becomes the lone surrogate
// U+DC80..U+DCFF, which pathToBytes turns back into that byte. Every path that
// comes from the system goes through pathFromBytes, every path handed to it
// through pathToBytes.
QString pathFromBytes(QByteArrayView bytes);
QByteArray pathToBytes(QStringView path);

// The text shown for a path or folder name in that encoding: the escapes of
// displayName, so a folder name reads like a file name with the same bytes.
QString displayPath(QStringView path);

} // namespace corvane
