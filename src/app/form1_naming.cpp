#include "app/form1.h"

#include "app/listingsteps.h"

#include "listing/casefold.h"

#include <QAction>

#include <algorithm>

// How the items are named and in which order: the form of the paths a read
// gives, the natural order of numbers, and the folders a walk leaves out.
// Each takes effect at once: File1's folder is read again with it (the order:
// the list and File1 sorted again in place, nothing read), and each is whole
// or nothing: a read that fails or is cancelled leaves the window as it was,
// the option included.

namespace corvane {

namespace {

const char *const leaveOutPrompt = QT_TRANSLATE_NOOP(
    "corvane::Form1",
    "Folders to leave out when subfolders are included (names or patterns, separated by spaces):\r\r"
    "Example : node_modules .git backup*");

// File1's names in order, each with its facts.
FolderView sortedInto(FolderView files, ItemOrder order)
{
    const std::vector<qsizetype> rows = itemOrderOf(files.names, order);
    if (std::is_sorted(rows.begin(), rows.end()))
        return files;
    QStringList names;
    names.reserve(files.names.size());
    QList<FileFacts> facts;
    facts.reserve(files.facts.size());
    for (const qsizetype row : rows) {
        names.append(files.names.at(row));
        if (!files.facts.isEmpty())
            facts.append(files.facts.at(row));
    }
    files.names = std::move(names);
    files.facts = std::move(facts);
    return files;
}

} // namespace

void Form1::showNaming(const WindowState &value)
{
    RelativePaths->setChecked(value.pathForm == PathForm::Relative);
    FullPaths->setChecked(value.pathForm == PathForm::Full);
    NamesOnly->setChecked(value.pathForm == PathForm::NameOnly);
    NaturalOrder->setChecked(value.naturalOrder);
    LeaveOutFolders->setChecked(!value.leftOutFolders.isEmpty());
}

bool Form1::readAgain(Command &c)
{
    const WindowState &s = c.next();
    if (s.files.path.isEmpty())
        return true; // nothing read yet: the next read takes the change
    if (readFiles(c, s.files.path, s.files.pattern) && RefreshList(c))
        return true;
    // The failure is shown over the window as it was, the option too: a list
    // read the old way never stands under the new option's check mark.
    c.next() = m_state;
    return false;
}

void Form1::RelativePaths_Click()
{
    choosePathForm(PathForm::Relative);
}

void Form1::FullPaths_Click()
{
    choosePathForm(PathForm::Full);
}

void Form1::NamesOnly_Click()
{
    choosePathForm(PathForm::NameOnly);
}

void Form1::choosePathForm(PathForm form)
{
    Command c(*this);
    if (c.refused())
        return;
    c.next().pathForm = form;
    readAgain(c);
}

void Form1::NaturalOrder_Click()
{
    Command c(*this);
    if (c.refused())
        return;
    WindowState &s = c.next();
    s.naturalOrder = NaturalOrder->isChecked();
    // The list and File1 sorted again in place: nothing is read, the marks,
    // facts and current item go with their items, and every later insert and
    // merge follows the order. A long list is sorted on a worker thread.
    struct Sorted
    {
        Items items;
        FolderView files;
    };
    const auto sort = [order = itemOrder(s)](Items items, FolderView files) {
        items.sortInto(order);
        return Sorted{std::move(items), sortedInto(std::move(files), order)};
    };
    constexpr qsizetype kSortOffThread = 50000;
    Items &items = c.items();
    std::optional<Sorted> sorted;
    if (items.count() + s.files.names.size() < kSortOffThread) {
        sorted = sort(items, s.files);
    } else {
        sorted = runIn<Sorted>(c, tr("Sorting the list"), false,
                               [sort, items, files = s.files](ReadProgress &) { return sort(items, files); });
        if (!sorted)
            return;
    }
    items = std::move(sorted->items);
    s.files = std::move(sorted->files);
}

void Form1::LeaveOutFolders_Click()
{
    Command c(*this);
    if (c.refused())
        return;
    WindowState &s = c.next();
    // The answer is kept for the session and offered next time; an empty one
    // (Cancel too) leaves nothing out. Only a walk leaves folders out: the
    // folder is read again when one is on and the answer changed.
    s.leftOutFolders = askTrimmed(tr(leaveOutPrompt), tr("LEAVE OUT"), s.leftOutFolders);
    if (s.includeSubfolders && s.leftOutFolders != m_state.leftOutFolders)
        readAgain(c);
}

} // namespace corvane
