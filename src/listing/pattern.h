#pragma once
// The wildcard pattern of the file name box: ";"-separated entries, "*" for any
// run of characters (none included), "?" for any one character, case ignored.
// A name without "." is also tried as if it ended in ".", so "*.*" matches every
// name and "*." the names without an extension. Any other character, "[" and
// "]" included, stands for itself.

#include <QList>
#include <QString>
#include <QStringView>

namespace corvane {

class Pattern
{
public:
    explicit Pattern(const QString &text = QStringLiteral("*.*"));

    const QString &text() const { return m_text; }
    bool matches(QStringView name) const;
    // True when every name matches (an entry "*" or "*.*").
    bool matchesEverything() const;

private:
    enum class Kind { Everything, Suffix, General };
    struct Entry
    {
        Kind kind;
        QString folded;   // the entry, case-folded
        QString suffix;   // Suffix: the folded text after "*" (such as ".mp3" or ".")
    };

    QString m_text;
    QList<Entry> m_entries;
};

} // namespace corvane
