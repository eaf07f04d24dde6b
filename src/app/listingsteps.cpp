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

QString readWarnings(const FolderListing &listing)
{
    // Said in the window's words, by the window's translation.
    constexpr qsizetype kNamed = 5;
    const QList<FolderFailure> &failures = listing.unreadable;
    QString text;
    if (!failures.isEmpty()) {
        text = failures.size() == 1 ? QCoreApplication::translate("corvane::Form1", "1 folder could not be read:")
                                    : QCoreApplication::translate("corvane::Form1", "%n folders could not be read:",
                                                                  nullptr, int(failures.size()));
        text += u'\r';
        for (qsizetype i = 0; i < std::min(kNamed, failures.size()); ++i)
            text += u'\r' + failures.at(i).folder + QStringLiteral(" : ") + failures.at(i).reason;
        if (failures.size() > kNamed)
            text += QStringLiteral("\r...");
    }
    if (listing.factsUnread > 0) {
        if (!text.isEmpty())
            text += QStringLiteral("\r\r");
        text += listing.factsUnread == 1
            ? QCoreApplication::translate("corvane::Form1", "The size and date of 1 file could not be read.")
            : QCoreApplication::translate("corvane::Form1", "The sizes and dates of %n files could not be read.",
                                          nullptr, int(listing.factsUnread));
    }
    return text;
}

} // namespace corvane
