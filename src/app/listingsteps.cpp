#include "app/listingsteps.h"

#include "listing/filetypes.h"

#include <QCoreApplication>

#include <algorithm>

namespace corvane {

QString filePattern(const QString &fileTypes)
{
    const QString pattern = fileTypePattern(fileTypes);
    return pattern.isEmpty() ? QStringLiteral("*.*") : pattern;
}

DocumentContent documentContent(const WindowState &s, const Items &items, QList<FileFacts> &facts,
                                const QString &title)
{
    facts = s.sizesAndDates ? items.factsColumn() : QList<FileFacts>();
    return DocumentContent{.items = items.texts(),
                           .facts = std::span<const FileFacts>(facts.constData(), size_t(facts.size())),
                           .numbered = s.enumerate,
                           .showExtensions = s.ShowExtensions,
                           .title = title};
}

namespace {

// One part of what a read could not take: heading, then the first few of the
// failures (as they are shown, with the escapes of names) with the system's
// reason, one a line (CR), and "..." when there are more.
QString failurePart(const QString &heading, qsizetype count, const QList<FolderFailure> &failures)
{
    constexpr qsizetype kNamed = EntryFailures::kNamed;
    QString text = heading + u'\r';
    for (qsizetype i = 0; i < std::min(kNamed, failures.size()); ++i)
        text += u'\r' + failures.at(i).folder + QStringLiteral(" : ") + failures.at(i).reason;
    if (count > std::min(kNamed, failures.size()))
        text += QStringLiteral("\r...");
    return text;
}

} // namespace

QString readWarnings(const FolderListing &listing)
{
    // Said in the window's words, by the window's translation.
    QStringList parts;
    if (const qsizetype n = listing.unreadable.size(); n > 0)
        parts.append(failurePart(
            n == 1 ? QCoreApplication::translate("corvane::Form1", "1 folder could not be read:")
                   : QCoreApplication::translate("corvane::Form1", "%n folders could not be read:", nullptr, int(n)),
            n, listing.unreadable));
    if (const EntryFailures &f = listing.unchecked; !f.isEmpty())
        parts.append(failurePart(f.count == 1 ? QCoreApplication::translate("corvane::Form1", "1 entry could not be checked:")
                                              : QCoreApplication::translate("corvane::Form1",
                                                                            "%n entries could not be checked:",
                                                                            nullptr, int(f.count)),
                                 f.count, f.first));
    if (const EntryFailures &f = listing.withoutFacts; !f.isEmpty())
        parts.append(failurePart(
            f.count == 1 ? QCoreApplication::translate("corvane::Form1",
                                                       "The size and date of 1 file could not be read:")
                         : QCoreApplication::translate("corvane::Form1",
                                                       "The sizes and dates of %n files could not be read:", nullptr,
                                                       int(f.count)),
            f.count, f.first));
    return parts.join(QStringLiteral("\r\r"));
}

} // namespace corvane
