#include "listing/facts.h"

#include <QCoreApplication>

#include <algorithm>
#include <charconv>

namespace corvane {

namespace {

// The table. Its unit words are marked for translation (lupdate finds them by
// the macro, written out in full); documents write them untranslated.
const FactColumn kColumns[] = {
    {.key = "size",
     .header = "Size (bytes)",
     .kind = FactKind::Count,
     .alignRight = true,
     .field = &FileFacts::size,
     .unitOne = QT_TRANSLATE_NOOP("FactColumn", " byte"),
     .unitMany = QT_TRANSLATE_NOOP("FactColumn", " bytes")},
    {.key = "modified",
     .header = "Modified",
     .kind = FactKind::Time,
     .alignRight = false,
     .field = &FileFacts::modified,
     .unitOne = nullptr,
     .unitMany = nullptr},
};

char *twoDigits(char *p, int value)
{
    *p++ = char('0' + value / 10);
    *p++ = char('0' + value % 10);
    return p;
}

} // namespace

std::span<const FactColumn> factColumns()
{
    return kColumns;
}

bool localTime(qint64 seconds, std::tm &tm)
{
    if (seconds == FileFacts::kUnknown)
        return false;
    const std::time_t t = std::time_t(seconds);
    return qint64(t) == seconds && ::localtime_r(&t, &tm) != nullptr;
}

char *putTime(char *p, const std::tm &tm, TimeForm form)
{
    long long year = (long long)tm.tm_year + 1900;
    if (year < 0) {
        *p++ = '-';
        year = -year;
    }
    char digits[24];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, year);
    for (qsizetype pad = 4 - (end - digits); pad > 0; --pad)
        *p++ = '0';
    p = std::copy(digits, end, p);
    *p++ = '-';
    p = twoDigits(p, tm.tm_mon + 1);
    *p++ = '-';
    p = twoDigits(p, tm.tm_mday);
    *p++ = form.between;
    p = twoDigits(p, tm.tm_hour);
    *p++ = ':';
    p = twoDigits(p, tm.tm_min);
    if (form.seconds) {
        *p++ = ':';
        p = twoDigits(p, tm.tm_sec);
    }
    return p;
}

char *putFact(char *p, const FactColumn &column, const FileFacts &facts, TimeForm form)
{
    const qint64 value = column.of(facts);
    if (value == FileFacts::kUnknown)
        return p;
    switch (column.kind) {
    case FactKind::Count:
        return std::to_chars(p, p + 24, value).ptr;
    case FactKind::Time: {
        std::tm tm;
        return localTime(value, tm) ? putTime(p, tm, form) : p;
    }
    }
    return p;
}

QString shownFact(const FactColumn &column, const FileFacts &facts)
{
    char text[kFactRoom];
    return QString::fromLatin1(text, putFact(text, column, facts) - text);
}

} // namespace corvane
