#pragma once
// The merge at the heart of RefreshList: the file names of the current folder
// go into the item list, then the word filter runs.

#include <QString>
#include <QStringList>

#include "listing/wordfilter.h"

namespace corvane {

class ItemList;

struct RefreshSettings
{
    bool clearFirst = true;      // the "Clear list when new folder is selected" box
    bool showExtensions = true;
    QString filterWord;
    WordFilterMode filterMode = WordFilterMode::None;
};

// The names as the list shows them: unchanged, or without their last extension.
QStringList namesForList(const QStringList &fileNames, bool showExtensions);

// Clears the list when asked, merges the names without duplicates ignoring case
// (the first spelling wins), then applies the word filter. True when the list
// was cleared or gained or lost an item.
bool mergeFolder(ItemList &list, const QStringList &fileNames, const RefreshSettings &settings);

} // namespace corvane
