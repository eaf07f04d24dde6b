#pragma once
// The merge at the heart of RefreshList: the file names of the current folder
// go into the item list, then the word filter runs.

#include "listing/facts.h"
#include "listing/wordfilter.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <span>

namespace corvane {

class Items;

struct RefreshSettings
{
    bool clearFirst = true;      // the "Clear list when new folder is selected" box
    bool showExtensions = true;
    QString filterWord;
    WordFilterMode filterMode = WordFilterMode::None;
};

// The names as the list shows them: unchanged, or without their last extension.
QStringList namesForList(const QStringList &fileNames, bool showExtensions);

// Clears the list when asked, merges the names (with their facts: one per
// name, or none) without duplicates ignoring case (the first spelling wins),
// then applies the word filter. False, with the list as it was, once cancelled
// is set: a merge of a million names stops within a batch.
bool mergeFolder(Items &items, const QStringList &fileNames, std::span<const FileFacts> facts,
                 const RefreshSettings &settings, const std::atomic<bool> *cancelled = nullptr);

} // namespace corvane
