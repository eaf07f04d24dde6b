#include "app/form1.h"

#include "app/accesskeys.h"
#include "app/clientarea.h"
#include "app/focusdrawing.h"
#include "app/folderjob.h"
#include "app/listingsteps.h"
#include "app/palette.h"
#include "listing/filenames.h"
#include "listing/folderreader.h"
#include "listing/foldertree.h"
#include "listing/refresh.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <thread>

// The window's pictures live in a static library; their resources are
// registered by hand, once, outside any namespace.
static void initResources()
{
    Q_INIT_RESOURCE(corvane);
}

namespace corvane {

namespace {

// Positions are given in twips; 15 twips make one pixel at 96 dots per inch.
QRect twips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

// The faces the window was drawn for, then metric-compatible stand-ins, then
// whatever sans-serif face the desktop has.
QFont sansFont(const QString &face)
{
    QFont font;
    font.setFamilies({face, QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                      QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont controlFont(qreal points, bool bold)
{
    QFont font = sansFont(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void paintBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button, QPalette::AlternateBase})
        palette.setColor(role, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void paintText(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, colour);
    widget->setPalette(palette);
}

} // namespace

QString menuCaption(const QAction *action)
{
    return withoutAccessLetter(action->text());
}

void setMenuCaption(QAction *action, const QString &caption)
{
    // "&" would otherwise mark a keyboard shortcut and vanish from the caption.
    QString text = caption;
    text.replace(u'&', QStringLiteral("&&"));
    action->setText(text);
}

QString aboutText()
{
    const QString separator = QStringLiteral("\r\r");
    return Form1::tr("Corvane+, made by the Corvane+ developers") + separator
        + Form1::tr("December 2026, written for the Linux desktop") + separator
        + Form1::tr("Copyright (C) 2026 the Corvane+ developers. All rights reserved.") + separator
        + QStringLiteral("https://corvane.example/");
}

Form1::Form1(Services services, QWidget *parent, Start start)
    : QMainWindow(parent), m_services(std::move(services)), m_start(start)
{
    setWindowTitle(m_state.caption);
    initResources();
    QIcon icon;
    icon.addFile(QStringLiteral(":/corvane/corvane.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/corvane/corvane-16.png"), QSize(16, 16));
    setWindowIcon(icon);
    createControls();
    createMenus();
    showFocus({Drive1, Dir1, File1, List1, Check1}, menuBar(), Check1);
    openFitting(this);
    setUpAccessibility();
    setUpKeys();
    setUpWorkflow();
    Form_Initialize();
}

Form1::~Form1()
{
    // A read cancelled by closing the window stops at its next batch.
    finishCancelledJobs(500);
}

void Form1::createControls()
{
    auto *client = new QWidget;
    client->setObjectName(QStringLiteral("ClientArea"));
    // 10290 x 8070 twips at least. The window opens at that size (or fitting
    // a smaller screen) and may be enlarged: the client area then grows with
    // it, so its colour covers the whole window, while the controls keep their
    // places at its top left. Made smaller, the window scrolls the client.
    client->setMinimumSize(686, 538);
    // The window's own font; every control below carries a font of its own.
    QFont windowFont = sansFont(QStringLiteral("Arial"));
    windowFont.setPointSizeF(14.25);
    windowFont.setBold(true);
    client->setFont(windowFont);
    // The colour is the scroller's; the client takes it from there.
    client->setAutoFillBackground(true);
    auto *scroller = new ClientArea(client, this);
    paintBackground(scroller, designBackground());
    setCentralWidget(scroller);

    // Each control: its name, its place in twips, its font, the design colours.
    auto place = [](auto *control, const char *name, QRect where, qreal points, bool bold) {
        control->setObjectName(QString::fromLatin1(name));
        control->setGeometry(where);
        control->setFont(controlFont(points, bold));
        paintBackground(control, designBackground());
        paintText(control, designText());
        return control;
    };
    Drive1 = place(new DriveBox(client), "Drive1", twips(120, 120, 3135, 360), 9.75, true);
    Dir1 = place(new DirTree(client), "Dir1", twips(120, 600, 3135, 7110), 9.75, true);
    List1 = place(new ItemListView(&m_items, client), "List1", twips(3360, 120, 6855, 7470), 13.5, false);
    File1 = place(new FileBox(client), "File1", twips(7680, 5640, 2055, 1590), 12, true);
    Check1 = place(new QCheckBox(tr("Clear list when new folder is selected"), client), "Check1",
                   twips(4200, 7680, 4815, 255), 12, true);
    Check1->setChecked(m_state.clearFirst);
    File1->raise(); // its rectangle lies inside List1's
    List1->setCoveredBy(File1);

    QWidget::setTabOrder(File1, Dir1);
    QWidget::setTabOrder(Dir1, Drive1);
    QWidget::setTabOrder(Drive1, List1);
    QWidget::setTabOrder(List1, Check1);

    Dir1->folders()->setPlaceholderText(tr("Reading…"));
    connect(Drive1, &QComboBox::currentIndexChanged, this, &Form1::Drive1_Change);
    Drive1->setBeforePopup([this] { return fillDrives(); });
    connect(Dir1, &DirTree::pathChanged, this, &Form1::Dir1_Change);
    connect(Dir1->folders(), &FolderTreeModel::subfoldersWanted, this, [this](const QString &folder) {
        // Read by one command once the view is done opening branches ("*"
        // opens many at once), never inside the view's own handler.
        if (m_branchesWanted.isEmpty())
            QTimer::singleShot(0, this, &Form1::readBranches);
        m_branchesWanted.append(folder);
    });
    connect(Check1, &QCheckBox::clicked, this, &Form1::Check1_Click);
    connect(List1, &ItemListView::mouseDown, this, &Form1::List1_MouseDown);
}

void Form1::createMenus()
{
    QMenuBar *bar = menuBar();
    // A desktop's global menu bar would take the bar out of the window and
    // show only its menus there, dropping the five commands that stand on the
    // bar itself; the bar stays in the window.
    bar->setNativeMenuBar(false);
    auto command = [this](const char *name, const QString &caption) {
        auto *action = new QAction(this);
        action->setObjectName(QString::fromLatin1(name));
        setMenuCaption(action, caption);
        return action;
    };

    FileType = command("FileType", tr("Set File Types"));
    bar->addAction(FileType);
    // A command for every document format, from the formats' table in its
    // order: those on the bar, then "Export" with the others as its entries.
    // Each one runs the one document handler for its format.
    for (const DocumentFormat &format : documentFormats()) {
        const QByteArray name = "Create" + QByteArray(format.extension + 1).toUpper();
        QAction *action =
            command(name.constData(), QCoreApplication::translate(kDocumentFormatContext, format.caption));
        connect(action, &QAction::triggered, this, [this, &format] { createDocument(format); });
        m_documentCommands.append(action);
        if (format.onMenuBar) {
            bar->addAction(action);
            continue;
        }
        if (!ExportMenu) {
            ExportMenu = bar->addMenu(tr("Export"));
            ExportMenu->setObjectName(QStringLiteral("ExportMenu"));
        }
        ExportMenu->addAction(action);
    }
    CreateTXT = m_documentCommands.at(findDocumentFormat(u"txt") - documentFormats().data());
    CreateHTM = m_documentCommands.at(findDocumentFormat(u"htm") - documentFormats().data());

    FilterMenu = bar->addMenu(tr("File Filter"));
    FilterMenu->setObjectName(QStringLiteral("FilterMenu"));
    SelectWord = command("SelectWord", tr("Select word"));
    ListOnly = command("ListOnly", tr("Only items containing : "));
    Exclude = command("Exclude", tr("Exclude items containing : "));
    ListOnly->setCheckable(true);
    Exclude->setCheckable(true);
    FilterMenu->addActions({SelectWord, ListOnly, Exclude});

    PrintList = command("PrintList", tr("Print"));
    bar->addAction(PrintList);

    Options = bar->addMenu(tr("Options"));
    Options->setObjectName(QStringLiteral("Options"));
    DisplayEXT = command("DisplayEXT", tr("Extensions ON"));
    Enumerate = command("Enumerate", tr("Enumerate items"));
    // Its check mark is all there is to numbering: the documents read it.
    Enumerate->setCheckable(true);
    IncludeSubfolders = command("IncludeSubfolders", tr("Include subfolders"));
    IncludeSubfolders->setCheckable(true);
    SizesAndDates = command("SizesAndDates", tr("Sizes and dates"));
    SizesAndDates->setCheckable(true);
    Options->addActions({DisplayEXT, Enumerate, IncludeSubfolders, SizesAndDates});
    RelativePaths = command("RelativePaths", tr("Relative paths"));
    FullPaths = command("FullPaths", tr("Full paths"));
    NamesOnly = command("NamesOnly", tr("Names only"));
    auto *paths = new QActionGroup(this); // exclusive: one form is checked
    for (QAction *form : {RelativePaths, FullPaths, NamesOnly}) {
        form->setCheckable(true);
        paths->addAction(form);
    }
    NaturalOrder = command("NaturalOrder", tr("Natural order"));
    LeaveOutFolders = command("LeaveOutFolders", tr("Leave out folders…"));
    NaturalOrder->setCheckable(true);
    LeaveOutFolders->setCheckable(true); // checked while a walk leaves something out
    Options->addActions({RelativePaths, FullPaths, NamesOnly, NaturalOrder, LeaveOutFolders});

    Info = command("Info", tr("Info"));
    bar->addAction(Info);

    // The pop-up of the item list: a menu of the window that the bar never shows.
    SelectMenu = new QMenu(this);
    SelectMenu->setObjectName(QStringLiteral("SelectMenu"));
    Rename = command("Rename", tr("Rename"));
    EraseSelected = command("EraseSelected", tr("Erase selected item(s)"));
    SelectAll = command("SelectAll", tr("Select all"));
    ClearList = command("ClearList", tr("Clear"));
    SelectMenu->addActions({Rename, EraseSelected, SelectAll, ClearList});

    // Each command runs its click handler; the two menus run theirs as they open.
    using Handler = void (Form1::*)();
    const std::pair<QAction *, Handler> clicks[] = {
        {FileType, &Form1::FileType_Click},     {SelectWord, &Form1::SelectWord_Click},
        {ListOnly, &Form1::ListOnly_Click},     {Exclude, &Form1::Exclude_Click},
        {PrintList, &Form1::PrintList_Click},   {DisplayEXT, &Form1::DisplayEXT_Click},
        {Enumerate, &Form1::Enumerate_Click},   {IncludeSubfolders, &Form1::IncludeSubfolders_Click},
        {SizesAndDates, &Form1::SizesAndDates_Click}, {RelativePaths, &Form1::RelativePaths_Click},
        {FullPaths, &Form1::FullPaths_Click},   {NamesOnly, &Form1::NamesOnly_Click},
        {NaturalOrder, &Form1::NaturalOrder_Click}, {LeaveOutFolders, &Form1::LeaveOutFolders_Click},
        {Rename, &Form1::Rename_Click},
        {EraseSelected, &Form1::EraseSelected_Click}, {SelectAll, &Form1::SelectAll_Click},
        {ClearList, &Form1::ClearList_Click},   {Info, &Form1::Info_Click},
    };
    for (const auto &[action, handler] : clicks)
        connect(action, &QAction::triggered, this, handler);
    connect(FilterMenu, &QMenu::aboutToShow, this, &Form1::FilterMenu_Click);
    connect(SelectMenu, &QMenu::aboutToShow, this, &Form1::SelectMenu_Click);
}

void Form1::Form_Initialize()
{
    Command c(*this);
    if (c.refused())
        return;
    if (m_start == Start::ShowWhenSlow)
        c.showWindowWhenSlow();
    WindowState &s = c.next();
    m_services.random->seedFromTimeOfDay();
    s.colour = int(m_services.random->next() * 5) + 1;
    s.ShowExtensions = true;

    // The design-time state: the drive list on the current drive, the folder
    // tree and File1 on the working folder. Until it is read the window stands
    // on the working folder with nothing listed and no folder chosen in the
    // tree (which shows the working folder unread), so every command works
    // even when the read is cancelled or fails.
    const QString cwd = workingFolder();
    s.workingFolder = cwd;
    s.files.path = cwd;
    s.treeRoot = QStringLiteral("/");
    c.keepWhenCancelled();
    // The drives first, so that a read cancelled after them leaves the drive
    // list on the start folder's drive and the tree on the start folder.
    struct StartDrives
    {
        QString root;
        QList<Volume> volumes;
    };
    Drives *drives = m_services.drives.get();
    const QString reading = tr("Reading %1").arg(displayPath(cwd));
    const std::optional<StartDrives> found = runIn<StartDrives>(c, reading, false, [drives](ReadProgress &) {
        return StartDrives{drives->startRoot(), drives->volumes()};
    });
    if (!found)
        return;
    s.volumes = found->volumes;
    s.drive = s.currentDrive = s.treeRoot = found->root;
    // Every level of the tree from the volume's root down to the folder.
    FolderTreeModel tree;
    tree.setRoot(found->root);
    const QStringList levels = tree.levelsToShow(cwd);
    const QString pattern = s.files.pattern;
    std::optional<FolderRead> start = runIn<FolderRead>(
        c, reading, true, [cwd, pattern, levels](ReadProgress &progress) {
            return readWithLevels(cwd, pattern, {}, levels, progress);
        });
    if (!start)
        return;
    const Result<FolderListing> &listing = start->listing;
    if (!tellRead(c, cwd, listing))
        return;
    c.treeLevels() = std::move(start->levels);
    s.treePath = cwd;
    s.files.names = listing.value.names;
    s.files.subfolders = listing.value.subfolders;
    RefreshList(c);
}

void Form1::SetColors(int colour)
{
    WindowState value = m_state;
    value.colour = colour;
    setState(value);
}

void Form1::paintColours(int colour)
{
    const QColor background = colour < 0 ? designBackground() : qbColor(colour);
    for (QWidget *target : {centralWidget(), static_cast<QWidget *>(List1), static_cast<QWidget *>(Dir1),
                            static_cast<QWidget *>(Drive1), static_cast<QWidget *>(Check1)})
        paintBackground(target, background);
}

void Form1::Info_Click()
{
    const Command c(*this);
    if (c.refused())
        return;
    m_services.dialogs->messageBox(aboutText(), tr("INFO"), MessageIcon::Information);
}

void Form1::RefreshList()
{
    Command c(*this);
    if (!c.refused())
        RefreshList(c);
}

bool Form1::RefreshList(Command &c)
{
    WindowState &s = c.next();
    emit listRefreshed(s.files.path);
    const RefreshSettings settings = refreshSettings(s);
    Items &items = c.items();
    // A merge proportional to a big list is prepared on a worker thread, so the
    // window keeps painting; small ones take no noticeable time.
    constexpr qsizetype kMergeOffThread = 50000;
    if (s.files.names.size() + (settings.clearFirst ? 0 : items.count()) >= kMergeOffThread) {
        const FolderView files = s.files;
        std::optional<Items> merged = runIn<Items>(
            c, tr("Reading %1").arg(displayPath(files.path)), true,
            [start = items, files, settings](ReadProgress &progress) mutable {
                // Tests slow this down the way a slow volume slows a read, so
                // that it can be cancelled midway.
                if (const auto delay = readDelayForTesting(); delay.count() > 0) {
                    for (qsizetype done = 0; done <= files.names.size(); done += 512) {
                        if (progress.cancelled.load(std::memory_order_relaxed))
                            return start;
                        std::this_thread::sleep_for(delay);
                    }
                }
                mergeFolder(start, files.names, files.facts, settings, &progress.cancelled);
                return start;
            },
            s.files.names.size());
        if (!merged)
            return false;
        items = std::move(*merged);
    } else {
        mergeFolder(items, s.files.names, s.files.facts, settings);
    }
    s.countShown = items.count();
    s.outputEnabled = items.count() >= 1;
    return true;
}

void Form1::setState(const WindowState &value)
{
    showValue(value, std::nullopt, {});
}

void Form1::showValue(const WindowState &value, std::optional<Items> &&items,
                 TreeLevels &&treeLevels)
{
    const WindowState old = std::exchange(m_state, value);
    const WindowState &s = m_state;
    if (s.colour != old.colour)
        paintColours(s.colour);
    if (s.caption != old.caption) {
        // Qt reads "[*]" in a title as the unsaved-changes mark and hides it;
        // doubled, it shows as typed.
        QString title = s.caption;
        title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
        setWindowTitle(title);
    }
    Drive1->show(s.volumes, s.drive);
    Dir1->show(s.treeRoot, s.treePath, std::move(treeLevels), s.files.path);
    File1->show(s.files);
    if (items)
        m_items.assign(std::move(*items));
    if (s.countShown != old.countShown || List1->toolTip().isEmpty())
        showCount(s.countShown);
    // Print, "Create TXT", then every other document command with it.
    PrintList->setEnabled(s.outputEnabled);
    CreateTXT->setEnabled(s.outputEnabled);
    for (QAction *document : std::as_const(m_documentCommands))
        document->setEnabled(s.outputEnabled);

    setMenuCaption(DisplayEXT, s.ShowExtensions ? tr("Extensions ON") : tr("Extensions OFF"));
    Enumerate->setChecked(s.enumerate);
    IncludeSubfolders->setChecked(s.includeSubfolders);
    SizesAndDates->setChecked(s.sizesAndDates);
    showNaming(s);
    m_items.setShowsFacts(s.sizesAndDates);
    if (s.wordChosen)
        FilterMenu->setTitle(s.FilterWord.isEmpty() ? tr("File Filter OFF") : tr("File Filter ON"));
    if (!s.modeCaptionWord.isEmpty()) {
        setMenuCaption(Exclude, tr("Exclude items containing : ") + s.modeCaptionWord);
        setMenuCaption(ListOnly, tr("List only items containing : ") + s.modeCaptionWord);
    }
    ListOnly->setChecked(s.FilterMode == WordFilterMode::ListOnly);
    Exclude->setChecked(s.FilterMode == WordFilterMode::Exclude);
    if (Check1->isChecked() != s.clearFirst || s.clearFirst != old.clearFirst) {
        Check1->setChecked(s.clearFirst);
        QFont font = Check1->font();
        font.setPointSizeF(s.clearFirst ? 12 : 8);
        Check1->setFont(font);
    }
}

void Form1::putBack()
{
    const WindowState &s = m_command ? m_command->next() : m_state;
    Drive1->show(s.volumes, s.drive);
    // A refused change in a tree that shows another volume than the one worked
    // on goes back to what it showed.
    Dir1->putBack(s.treeRoot == Dir1->root() ? s.treePath : m_state.treePath);
    Enumerate->setChecked(s.enumerate);
    IncludeSubfolders->setChecked(s.includeSubfolders);
    SizesAndDates->setChecked(s.sizesAndDates);
    showNaming(s);
    Check1->setChecked(s.clearFirst);
    ListOnly->setChecked(s.FilterMode == WordFilterMode::ListOnly);
    Exclude->setChecked(s.FilterMode == WordFilterMode::Exclude);
}

} // namespace corvane
