#include "editing/editing.h"

#include "listing/filenames.h"
#include "listing/itemlist.h"

#include <QCoreApplication>

namespace corvane {

PopupStates popupStates(qsizetype listCount, qsizetype selCount)
{
    return {listCount >= 1, selCount != 0};
}

QString renamePrompt()
{
    return QCoreApplication::translate("Editing", "You are not renaming the file,") + u'\r'
        + QCoreApplication::translate("Editing", "you're just renaming the item in the list.");
}

std::optional<QString> renamedText(const QString &answer)
{
    const QString text = trimSpaces(answer);
    if (text.isEmpty())
        return std::nullopt;
    return oneLineText(text);
}

bool renameItem(ItemList &list, qsizetype row, const QString &answer)
{
    if (row < 0 || row >= list.count())
        return false;
    const std::optional<QString> text = renamedText(answer);
    if (!text)
        return false;
    list.setText(row, *text);
    return true;
}

} // namespace corvane
