#pragma once
// The hand edits of the item list: the rules behind its pop-up menu (which
// commands are enabled when it opens) and the rename command's answer. The
// edits themselves act on ItemList alone; no file on disk is ever touched.

#include "base/answers.h"

#include <QString>

#include <optional>

namespace corvane {

class ItemList;

// Enabled states of the pop-up's two conditional commands, computed each time
// it opens. "Select all" and "Clear" are always enabled.
struct PopupStates
{
    bool rename = false;        // the list holds at least one item
    bool eraseSelected = false; // at least one item is marked
};
PopupStates popupStates(qsizetype listCount, qsizetype selCount);

// The rename box's prompt: two sentences joined by one CR.
QString renamePrompt();

// The new text of an item from the rename box's answer, or nothing when the
// answer is empty or only spaces (Cancel gives the empty answer). Control
// characters are shown as visible escapes, the way file names are, so an item
// stays one line in the list and in every output.
std::optional<QString> renamedText(const QString &answer);

// Gives the item at row the text of answer, in place (no re-sorting); a row
// outside the list or an empty answer changes nothing. True if the item changed.
bool renameItem(ItemList &list, qsizetype row, const QString &answer);

} // namespace corvane
