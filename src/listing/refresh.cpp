#include "listing/refresh.h"

#include "listing/filenames.h"
#include "listing/items.h"
#include "listing/wordfilter.h"

namespace corvane {

QStringList namesForList(const QStringList &fileNames, bool showExtensions)
{
    if (showExtensions)
        return fileNames;
    QStringList out;
    out.reserve(fileNames.size());
    for (const QString &name : fileNames)
        out.append(NoExtension(name));
    return out;
}

bool mergeFolder(Items &items, const QStringList &fileNames, std::span<const FileFacts> facts,
                 const RefreshSettings &settings, const std::atomic<bool> *cancelled)
{
    const auto stop = [&] { return cancelled && cancelled->load(std::memory_order_relaxed); };
    Items next = settings.clearFirst ? Items(items.order()) : items;
    const Items::Additions added = next.additions(namesForList(fileNames, settings.showExtensions), facts, cancelled);
    if (stop())
        return false;
    next.insertAll(added);
    if (stop())
        return false;
    ApplyWordFilter(next, settings.filterWord, settings.filterMode);
    if (stop())
        return false;
    items = std::move(next);
    return true;
}

} // namespace corvane
