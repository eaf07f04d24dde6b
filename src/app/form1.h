#pragma once
// Form1, the one window of Corvane+.
//
// The window is wiring: each handler reads the window's value, calls the core
// (listing/, editing/, output/) and turns results into message boxes (every
// failure in the one "WARNING" box). Everything it needs from the desktop that
// a test cannot drive for real (boxes, printer, browser, beep, random colour,
// volumes) comes through the Services it is given.
//
// Everything the window shows and its commands read is one value,
// WindowState, with the item list in its model. A handler runs as a Command:
// one at a time, whatever starts it (input, a screen reader, a drop, a timer);
// it works on a copy of the value and the window takes the copy when the
// command ends, so a cancelled read leaves the window exactly as it was and a
// failing step keeps the steps before it. Anything that touches the disk runs
// as a job on a worker thread (folderjob.h) while the command waits.
//
// Handlers are split by subsystem:
//   form1.cpp            controls, menus, start-up, colours, Info, RefreshList,
//                        showing the window's value
//   form1_command.cpp    commands: one at a time, their jobs, taking their value
//   form1_navigation.cpp drive, folder, tree branch and check box handlers
//   form1_shaping.cpp    display options, file types, word filter commands
//   form1_naming.cpp     how items are named and ordered: paths, natural order,
//                        folders left out of a walk
//   form1_editing.cpp    the item list's pop-up menu and hand edits
//   form1_output.cpp     the documents, printing
//   form1_workflow.cpp   copying the list, folders dropped on the window
//   form1_access.cpp     names and descriptions for screen readers
//   form1_keys.cpp       access letters and shortcuts

#include "app/controls.h"
#include "app/folderjob.h"
#include "app/windowstate.h"
#include "listing/itemlist.h"
#include "output/documents.h"
#include "platform/services.h"

#include <QMainWindow>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QMenu;

namespace corvane {

class Form1 : public QMainWindow
{
    Q_OBJECT
public:
    // ShowWhenSlow: a first read that outlasts a second shows the window with
    // the progress box over it, so the user sees the program has started.
    enum class Start { Quiet, ShowWhenSlow };
    explicit Form1(Services services, QWidget *parent = nullptr, Start start = Start::Quiet);
    ~Form1() override;

    // Controls.
    DriveBox *Drive1 = nullptr;
    DirTree *Dir1 = nullptr;
    FileBox *File1 = nullptr;
    ItemListView *List1 = nullptr;
    QCheckBox *Check1 = nullptr;

    // Menu bar and pop-up menu.
    QAction *FileType = nullptr;
    QAction *CreateHTM = nullptr;
    QAction *CreateTXT = nullptr;
    QMenu *ExportMenu = nullptr; // the formats beyond these two
    QMenu *FilterMenu = nullptr;
    QAction *SelectWord = nullptr;
    QAction *ListOnly = nullptr;
    QAction *Exclude = nullptr;
    QAction *PrintList = nullptr;
    QMenu *Options = nullptr;
    QAction *DisplayEXT = nullptr;
    QAction *Enumerate = nullptr;
    QAction *IncludeSubfolders = nullptr;
    QAction *SizesAndDates = nullptr;
    QAction *RelativePaths = nullptr; // the three path forms: one is checked
    QAction *FullPaths = nullptr;
    QAction *NamesOnly = nullptr;
    QAction *NaturalOrder = nullptr;
    QAction *LeaveOutFolders = nullptr;
    QMenu *SelectMenu = nullptr;
    QAction *Rename = nullptr;
    QAction *EraseSelected = nullptr;
    QAction *SelectAll = nullptr;
    QAction *ClearList = nullptr;
    QAction *Info = nullptr;
    // Keys with no entry of their own: F5 reads File1's folder again, Ctrl+Q
    // closes the window.
    QAction *ReadAgain = nullptr;
    QAction *Quit = nullptr;

    // The window's value (its variables ShowExtensions, FileTypes, FilterWord
    // and FilterMode among them) as the last command left it.
    const WindowState &state() const { return m_state; }
    // Takes value as a command ending would: shows what differs.
    void setState(const WindowState &value);
    ItemList &items() { return m_items; }
    Services &services() { return m_services; }
    // True while a command runs.
    bool busy() const { return m_command != nullptr; }
    // The command of each document format, in the order of the formats' table.
    const QList<QAction *> &documentCommands() const { return m_documentCommands; }

    // Procedures of the window.
    void SetColors(int colour);
    // RefreshList as a command of its own.
    void RefreshList();

    // The marked items, or all when none is marked, as the text document's
    // lines ending in LF, onto the clipboard; an empty list leaves it alone.
    void copyToClipboard();
    // Opens each folder (a file: its folder) in turn as if chosen in the tree,
    // the drive list following to its drive; one command for all of them.
    void openFolders(const QStringList &paths);

signals:
    // RefreshList ran, merging the files of folder (File1's Path).
    void listRefreshed(const QString &folder);

public slots:
    // Main window
    void Form_Initialize();
    void Info_Click();
    // Navigation
    void Drive1_Change();
    void Dir1_Change();
    void Check1_Click();
    // Shaping the list
    void DisplayEXT_Click();
    void Enumerate_Click();
    void IncludeSubfolders_Click();
    void SizesAndDates_Click();
    // Naming and order
    void RelativePaths_Click();
    void FullPaths_Click();
    void NamesOnly_Click();
    void NaturalOrder_Click();
    void LeaveOutFolders_Click();
    void FileType_Click();
    void FilterMenu_Click();
    void SelectWord_Click();
    void ListOnly_Click();
    void Exclude_Click();
    // Hand edits
    void List1_MouseDown(int button);
    void SelectMenu_Click();
    void SelectAll_Click();
    void Rename_Click();
    void EraseSelected_Click();
    void ClearList_Click();
    // Output
    void CreateTXT_Click();
    void CreateHTM_Click();
    void PrintList_Click();
    // Keys (form1_keys.cpp)
    void ReadAgain_Click();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // One handler's run (form1_command.cpp). Made at the top of a handler: it
    // is refused while another command runs (what the refused input changed on
    // screen goes back), otherwise it holds a copy of the window's value that
    // the handler changes. When it ends the window takes the copy, and shows
    // the failure of a failing step after it; a cancelled job ends it at once
    // and the window keeps its value.
    class Command
    {
    public:
        explicit Command(Form1 &form);
        ~Command();
        Command(const Command &) = delete;
        Command &operator=(const Command &) = delete;

        bool refused() const { return m_refused; }
        WindowState &next() { return m_next; }
        // The item list as this command leaves it: the shown list until the
        // command changes it.
        Items &items();
        // Levels of the folder tree read by this command, taken with its value.
        TreeLevels &treeLevels() { return m_treeLevels; }

        // Runs work as a job (folderjob.h). Nothing when it was cancelled or
        // failed; the command has then ended.
        template <typename T>
        std::optional<T> run(const JobOptions &options, std::function<T(ReadProgress &)> work)
        {
            JobEnd end = JobEnd::Done;
            QString failure;
            std::optional<T> result = runJob<T>(&m_form, options, std::move(work), &end, &failure);
            if (end == JobEnd::Cancelled)
                m_cancelled = true;
            else if (end == JobEnd::Failed)
                fail(failure);
            return result;
        }
        // A failing step: the command ends, the window takes what the steps
        // before did and then shows reason in the "WARNING" box.
        void fail(const QString &reason);
        // Something the user must know that ends nothing (folders a walk could
        // not read): shown in the "WARNING" box once the window took the value.
        void warn(const QString &text) { m_warnings.append(text); }
        // The window shows itself if this command's first job is slow.
        void showWindowWhenSlow() { m_showWindow = true; }
        bool showsWindowWhenSlow() const { return m_showWindow; }
        // Set once one of its jobs showed the progress box (see JobOptions).
        bool *boxShown() { return &m_boxShown; }
        // The window takes this command's value even when a job is cancelled
        // (the start, which has no value before it).
        void keepWhenCancelled() { m_keep = true; }

    private:
        Form1 &m_form;
        WindowState m_next;
        std::optional<Items> m_items;
        TreeLevels m_treeLevels;
        QString m_failure;
        QStringList m_warnings;
        bool m_refused = false;
        bool m_cancelled = false;
        bool m_showWindow = false;
        bool m_keep = false;
        bool m_boxShown = false;
    };
    template <typename T>
    std::optional<T> runIn(Command &c, const QString &what, bool countsNames, std::function<T(ReadProgress &)> work,
                           qint64 countFrom = 0)
    {
        return c.run<T>(JobOptions{what, countsNames, c.showsWindowWhenSlow(), c.boxShown(), countFrom},
                        std::move(work));
    }

    void createControls();
    void createMenus();
    // Shows value: only what differs from the value shown.
    void showValue(const WindowState &value, std::optional<Items> &&items,
                   TreeLevels &&treeLevels);
    // Puts what input changed on the controls back to the value being worked
    // on (a running command's) or shown.
    void putBack();
    void paintColours(int colour);

    bool RefreshList(Command &c);
    // A folder's listing and the levels of the tree on the way to it, read
    // together in one job (on the worker).
    struct FolderRead
    {
        Result<FolderListing> listing;
        TreeLevels levels; // the levels given, then the folder's own
    };
    static FolderRead readWithLevels(const QString &folder, const QString &pattern, ReadOptions options,
                                     const QStringList &levels, ReadProgress &progress);
    // Tells the user what a read of folder could not do: false, with the
    // reason and the folder in the box, when it failed; what it could not look
    // at (folders below, entries, sizes and dates) in one "WARNING" box.
    static bool tellRead(Command &c, const QString &folder, const Result<FolderListing> &listing);
    // Navigation steps (form1_navigation.cpp).
    bool folderChange(Command &c);
    bool setTreePath(Command &c, const QString &path);
    bool readFiles(Command &c, const QString &folder, const QString &pattern);
    bool makeDriveCurrent(Command &c, const QString &root);
    bool openFolder(Command &c, const QString &folder);
    bool fillDrives();
    void readBranches();
    // Shaping commands (form1_shaping.cpp).
    QString askTrimmed(const QString &prompt, const QString &title, const QString &current);
    void chooseFilterMode(WordFilterMode mode); // ListOnly and Exclude
    // Output commands (form1_output.cpp): one for every document format.
    QString askDocumentName(const QString &title, const QString &extension);
    void createDocument(const DocumentFormat &format);
    // The options that change what a read takes: the folder read again with them.
    void chooseReadOption(bool WindowState::*option, bool checked);
    // Naming and order (form1_naming.cpp): File1's folder read again with what
    // the command changed, whole or nothing.
    void choosePathForm(PathForm form);
    bool readAgain(Command &c);
    // The menu's check marks of the naming and order options, from value.
    void showNaming(const WindowState &value);
    // Accessible names and descriptions, keyboard access to the pop-up (form1_access.cpp).
    void setUpAccessibility();
    // The item count in List1's tooltip and its accessible description.
    void showCount(qsizetype count);
    // Access letters and shortcuts (form1_keys.cpp).
    void setUpKeys();
    // Drops on the window (form1_workflow.cpp).
    void setUpWorkflow();
    // Starts a command that was asked for before (a drop once it has
    // returned): now, or as soon as the running command has ended.
    void whenIdle(std::function<void()> start);

    Services m_services;
    QList<QAction *> m_documentCommands; // one per document format, in the table's order
    ItemList m_items;
    WindowState m_state;
    Command *m_command = nullptr; // the running command
    QStringList m_branchesWanted; // tree branches opened, to be read by one command
    std::vector<std::function<void()>> m_waiting; // commands asked for while another ran
    Start m_start;
};

// The about message: four lines joined by two CR characters each.
QString aboutText();

// The count tooltip of the item list: " Files : " + " " + count + " ".
QString countToolTip(qsizetype count);

// A menu item's caption as the user reads it; "&" stands for itself.
QString menuCaption(const QAction *action);
void setMenuCaption(QAction *action, const QString &caption);

} // namespace corvane
