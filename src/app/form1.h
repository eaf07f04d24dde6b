#pragma once
// Form1, the one window of Corvane+.
//
// The window is wiring: each handler reads the controls and the four window
// variables, calls the core (listing/, editing/, output/) and turns results
// into message boxes (every failure in the one "WARNING" box). Everything it
// needs from the desktop that a test cannot drive for real (boxes, printer, browser, beep, random colour, volumes) comes
// through the Services it is given. Handlers are split by subsystem:
//   form1.cpp            controls, menus, start-up, colours, Info, RefreshList
//   form1_navigation.cpp drive, folder and check box handlers
//   form1_shaping.cpp    display options, file types, word filter commands
//   form1_editing.cpp    the item list's pop-up menu and hand edits
//   form1_output.cpp     text document, web page, printing
//   form1_workflow.cpp   copying the list, folders dropped on the window
//   form1_reading.cpp    commands that read folders: put back when cancelled

#include "app/controls.h"
#include "listing/itemlist.h"
#include "listing/wordfilter.h"
#include "platform/services.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QMenu;

namespace corvane {

class Form1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit Form1(Services services, QWidget *parent = nullptr);
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
    QMenu *FilterMenu = nullptr;
    QAction *SelectWord = nullptr;
    QAction *ListOnly = nullptr;
    QAction *Exclude = nullptr;
    QAction *PrintList = nullptr;
    QMenu *Options = nullptr;
    QAction *DisplayEXT = nullptr;
    QAction *Enumerate = nullptr;
    QMenu *SelectMenu = nullptr;
    QAction *Rename = nullptr;
    QAction *EraseSelected = nullptr;
    QAction *SelectAll = nullptr;
    QAction *ClearList = nullptr;
    QAction *Info = nullptr;

    // Window variables.
    bool ShowExtensions = false;
    QString FileTypes;
    QString FilterWord;
    WordFilterMode FilterMode = WordFilterMode::None;

    ItemList &items() { return m_items; }
    Services &services() { return m_services; }

    // Procedures of the window.
    void SetColors(int colour);
    void RefreshList();

    // The marked items, or all when none is marked, as the text document's
    // lines ending in LF, onto the clipboard; an empty list leaves it alone.
    void copyToClipboard();
    // Opens each folder (a file: its folder) in turn as if chosen in the tree,
    // the drive list following to its drive.
    void openFolders(const QStringList &paths);

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

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createControls();
    void createMenus();
    void fillDrives();
    void randomColours();
    void updateOutputCommands();
    // Shaping commands (form1_shaping.cpp).
    QString askTrimmed(const QString &prompt, const QString &title, const QString &current);
    void chooseFilterMode(WordFilterMode mode); // ListOnly and Exclude
    // Output commands (form1_output.cpp).
    QString askDocumentName(const QString &title, const QString &extension);
    // Shows why result failed in the "WARNING" box; true when it failed, so
    // that the command ends there.
    template <typename T>
    bool warnOnFailure(const Result<T> &result)
    {
        if (result.ok())
            return false;
        m_services.dialogs->messageBox(result.error, QStringLiteral("WARNING"), MessageIcon::Critical);
        return true;
    }
    // Accessible names and descriptions, keyboard access to the pop-up (form1_access.cpp).
    void setUpAccessibility();
    // The item count in List1's tooltip and its accessible description.
    void showCount();
    // Drops on the window (form1_workflow.cpp).
    void setUpWorkflow();
    void openFolder(const QString &folder);

    // Commands that read folders (form1_reading.cpp). A read the user cancels
    // ends its command, and everything the command changed is put back.
    struct Snapshot;
    // Held by each such command while it runs. Only the outermost one (Dir1's
    // change runs inside the drive change) keeps a snapshot and puts it back.
    class ReadingCommand
    {
    public:
        explicit ReadingCommand(Form1 &form);
        ~ReadingCommand();
        ReadingCommand(const ReadingCommand &) = delete;
        ReadingCommand &operator=(const ReadingCommand &) = delete;
        // False while a read runs already: no command starts then.
        bool allowed() const { return m_allowed; }

    private:
        Form1 &m_form;
        std::unique_ptr<Snapshot> m_before;
        bool m_allowed;
    };
    Snapshot snapshot() const;
    void restore(Snapshot &&before);
    // The merge of a big list, prepared on a worker thread; false when cancelled.
    bool refreshOffThread(bool clearFirst);

    Services m_services;
    ItemList m_items;
    bool m_readCancelled = false; // the running command's read was cancelled
    int m_driveShown = -1;        // Drive1's entry before the user picks another
    int m_commandDepth = 0;
};

// The about message: four lines joined by two CR characters each.
QString aboutText();

// The count tooltip of the item list: " Files : " + " " + count + " ".
QString countToolTip(qsizetype count);

// A menu item's caption as the user reads it; "&" stands for itself.
QString menuCaption(const QAction *action);
void setMenuCaption(QAction *action, const QString &caption);

} // namespace corvane
