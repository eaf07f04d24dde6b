#include "listing/pattern.h"

#include <algorithm>

namespace corvane {

namespace {

// Classic glob match with one backtrack point; both texts already folded.
// Works on UTF-16 units, stepping over surrogate pairs as one character.
bool globMatch(QStringView pat, QStringView name)
{
    auto charLen = [](QStringView s, qsizetype i) -> qsizetype {
        return (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) ? 2 : 1;
    };
    qsizetype p = 0, n = 0;
    qsizetype starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pat.size() && pat[p] == u'*') {
            starP = ++p;
            starN = n;
            continue;
        }
        if (p < pat.size()) {
            const qsizetype nl = charLen(name, n);
            if (pat[p] == u'?') {
                p += 1;
                n += nl;
                continue;
            }
            const qsizetype pl = charLen(pat, p);
            if (pl == nl && pat.sliced(p, pl) == name.sliced(n, nl)) {
                p += pl;
                n += nl;
                continue;
            }
        }
        if (starP < 0)
            return false;
        p = starP;
        starN += charLen(name, starN);
        n = starN;
    }
    while (p < pat.size() && pat[p] == u'*')
        ++p;
    return p == pat.size();
}

bool hasWildcard(QStringView s)
{
    return s.contains(u'*') || s.contains(u'?');
}

} // namespace

Pattern::Pattern(const QString &text) : m_text(text)
{
    for (const QString &raw : text.split(u';')) {
        Entry e{Kind::General, raw.toCaseFolded(), {}};
        if (e.folded == u"*" || e.folded == u"*.*") {
            e.kind = Kind::Everything;
        } else if (e.folded.startsWith(u'*') && !hasWildcard(QStringView(e.folded).sliced(1))
                   && QStringView(e.folded).sliced(1).startsWith(u'.')) {
            e.kind = Kind::Suffix;
            e.suffix = e.folded.mid(1);
        }
        m_entries.append(e);
    }
}

bool Pattern::matchesEverything() const
{
    return std::any_of(m_entries.begin(), m_entries.end(), [](const Entry &e) { return e.kind == Kind::Everything; });
}

bool Pattern::matches(QStringView name) const
{
    const bool noDot = !name.contains(u'.');
    QString folded; // made only when an entry needs it
    for (const Entry &e : m_entries) {
        switch (e.kind) {
        case Kind::Everything:
            return true;
        case Kind::Suffix:
            if (name.endsWith(e.suffix, Qt::CaseInsensitive))
                return true;
            // "*." also takes the names without a dot.
            if (noDot && e.suffix == u".")
                return true;
            break;
        case Kind::General:
            if (folded.isNull())
                folded = name.toString().toCaseFolded();
            if (globMatch(e.folded, folded))
                return true;
            if (noDot && globMatch(e.folded, QString(folded + u'.')))
                return true;
            break;
        }
    }
    return false;
}

} // namespace corvane
