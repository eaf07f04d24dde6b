#pragma once
// How the documents' texts become bytes, written straight into a buffer the
// caller has made room in: UTF-8 as it is, with HTML character references, or
// as a CSV field. Each returns the end of what it wrote. A lone surrogate
// becomes "?", as QString::toUtf8 writes it.

#include <QStringView>

namespace corvane::encode {

// At most 3 bytes a UTF-16 unit.
char *utf8(char *p, QStringView text);

// At most 6 bytes a UTF-16 unit ("&quot;"): & < > " ' as character references.
char *html(char *p, QStringView text);

// At most 3 bytes a UTF-16 unit and 3 more. RFC 4180: a field holding a comma,
// a quote, CR or LF is quoted, its quotes doubled; so is one holding a
// semicolon or a tab, which spreadsheets also take as separators when they
// guess (LibreOffice Calc's import does by default), and the empty field, so
// that a row of it alone is no blank line. A formula (see needsGuard) is kept
// as text the way spreadsheets honour: quoted and led by a single quote, the
// guard. A text that starts with the guard itself gets one too, so a reader
// gets every text back by one rule: a quoted field that starts with a single
// quote loses exactly that one.
char *csvField(char *p, QStringView text);

// A text a spreadsheet would take for a formula (or whose leading tab or CR it
// would drop), one that starts with = + - @, a tab or CR; or one that starts
// with the guard, a single quote.
bool needsGuard(QStringView text);

} // namespace corvane::encode
