#pragma once
// What a file's directory entry tells beside its name: its size and when it
// was last changed. Read with the names only when asked for: a stat per file
// is what makes a network volume slow.
//
// The facts are columns of one table, factColumns(): one row per fact, in the
// order they stand beside a name. The list, what a screen reader hears, every
// document, the copy and the printout read their facts from it, so adding a
// fact is one row there (and a member of FileFacts, filled where the folder
// reader stats the file). A fact's form follows from its kind: the list and
// the plain documents show a count as digits and a time as "YYYY-MM-DD HH:MM";
// each document format says how it writes a count and a time (documents.cpp).

#include <QString>
#include <QtGlobal>

#include <ctime>
#include <limits>
#include <span>

namespace corvane {

struct FileFacts
{
    static constexpr qint64 kUnknown = std::numeric_limits<qint64>::min();
    qint64 size = kUnknown;     // bytes
    qint64 modified = kUnknown; // seconds since 1970-01-01 00:00 UTC
    bool known() const { return size != kUnknown; }
    friend bool operator==(const FileFacts &, const FileFacts &) = default;
};

enum class FactKind {
    Count, // a whole number with a unit: digits, the unit in words where words are written
    Time,  // seconds since 1970: local time, in the zone TZ names (else the system's)
};

struct FactColumn
{
    const char *key;    // its name where a document names each value ("size")
    const char *header; // its column's header in documents: English in every language, as their contents are
    FactKind kind;
    bool alignRight;    // numbers stand right-aligned, so they line up by their last digit
    qint64 FileFacts::*field;
    // A count's unit after the number, for one and for any other number
    // (" byte", " bytes"): English in documents, translated where it is spoken.
    const char *unitOne;
    const char *unitMany;

    qint64 of(const FileFacts &facts) const { return facts.*field; }
    bool known(const FileFacts &facts) const { return of(facts) != FileFacts::kUnknown; }
    const char *unit(const FileFacts &facts) const { return of(facts) == 1 ? unitOne : unitMany; }
};

inline constexpr char kFactColumnContext[] = "FactColumn";

std::span<const FactColumn> factColumns();

// The most bytes one fact writes in any form.
inline constexpr qsizetype kFactRoom = 48;

// How a time is written: "YYYY-MM-DD" then between, "HH:MM", and ":SS" with
// seconds. Years beyond four digits keep all of theirs; years before 0 lead
// with "-".
struct TimeForm
{
    char between = ' ';
    bool seconds = false;
};

// The local time of seconds since 1970, as the C library gives it for the TZ
// variable (call ::tzset() first where TZ may have changed). False when the
// time is unknown or beyond what the C library converts.
bool localTime(qint64 seconds, std::tm &tm);
char *putTime(char *p, const std::tm &tm, TimeForm form);

// A fact's value written straight into a buffer with room for kFactRoom
// bytes: a count as decimal digits, a time in form; nothing when unknown.
// Returns the end of what it wrote.
char *putFact(char *p, const FactColumn &column, const FileFacts &facts, TimeForm form = {});

// A fact as the list shows it (digits, "YYYY-MM-DD HH:MM"); empty when unknown.
QString shownFact(const FactColumn &column, const FileFacts &facts);

} // namespace corvane
