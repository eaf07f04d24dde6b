#include "app/form1.h"

#include "app/clientarea.h"
#include "app/focusdrawing.h"
#include "app/folderjob.h"
#include "app/palette.h"
#include "listing/filenames.h"
#include "listing/folderreader.h"
#include "listing/refresh.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>

#include <algorithm>

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
    QString text = action->text();
    text.replace(QStringLiteral("&&"), QStringLiteral("&"));
    return text;
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
    return QStringLiteral("Corvane+, made by the Corvane+ developers") + separator
        + QStringLiteral("December 2026, written for the Linux desktop") + separator
        + QStringLiteral("Copyright (C) 2026 the Corvane+ developers. All rights reserved.") + separator
        + QStringLiteral("https://corvane.example/");
}

Form1::Form1(Services services, QWidget *parent)
    : QMainWindow(parent), m_services(std::move(services))
{
    setWindowTitle(QStringLiteral("Corvane+"));
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
    Check1 = place(new QCheckBox(QStringLiteral("Clear list when new folder is selected"), client), "Check1",
                   twips(4200, 7680, 4815, 255), 12, true);
    Check1->setChecked(true);
    File1->raise(); // its rectangle lies inside List1's

    QWidget::setTabOrder(File1, Dir1);
    QWidget::setTabOrder(Dir1, Drive1);
    QWidget::setTabOrder(Drive1, List1);
    QWidget::setTabOrder(List1, Check1);

    // Design-time state: the current drive, the working folder.
    fillDrives();
    const QString cwd = workingFolder();
    File1->setPath(cwd);
    Dir1->setSubfolderSource([this](const QString &folder) -> std::optional<QStringList> {
        if (folder == File1->path() && File1->lastError().isEmpty())
            return File1->subfolders();
        return std::nullopt;
    });
    Dir1->setRoot(m_services.drives->currentRoot());
    Dir1->setPath(cwd);

    connect(Drive1, &QComboBox::currentIndexChanged, this, &Form1::Drive1_Change);
    connect(Drive1, &DriveBox::aboutToShowPopup, this, &Form1::fillDrives);
    connect(Dir1, &DirTree::pathChanged, this, &Form1::Dir1_Change);
    connect(Check1, &QCheckBox::clicked, this, &Form1::Check1_Click);
    connect(List1, &ItemListView::mouseDown, this, &Form1::List1_MouseDown);
}

void Form1::fillDrives()
{
    // Filled at start and afresh each time the list opens. The drive shown stays
    // shown; one gone meanwhile gives way to the current drive. Re-filling is
    // no drive change: no change event runs.
    const QString shown = Drive1->count() > 0 ? Drive1->currentData().toString() : QString();
    const QString current = m_services.drives->currentRoot();
    const QSignalBlocker quiet(Drive1);
    Drive1->clear();
    int shownAt = -1, currentAt = -1;
    for (const Volume &volume : m_services.drives->volumes()) {
        const QString text = volume.label.isEmpty()
            ? displayPath(volume.root)
            : displayPath(volume.root) + QStringLiteral(" [") + volume.label + u']';
        Drive1->addItem(text, volume.root);
        if (volume.root == shown)
            shownAt = Drive1->count() - 1;
        if (volume.root == current)
            currentAt = Drive1->count() - 1;
    }
    Drive1->setCurrentIndex(shownAt >= 0 ? shownAt : std::max(currentAt, 0));
    m_driveShown = Drive1->currentIndex();
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

    FileType = command("FileType", QStringLiteral("Set File Types"));
    CreateHTM = command("CreateHTM", QStringLiteral("Make WEB Page"));
    CreateTXT = command("CreateTXT", QStringLiteral("Create TXT"));
    bar->addAction(FileType);
    bar->addAction(CreateHTM);
    bar->addAction(CreateTXT);

    FilterMenu = bar->addMenu(QStringLiteral("File Filter"));
    FilterMenu->setObjectName(QStringLiteral("FilterMenu"));
    SelectWord = command("SelectWord", QStringLiteral("Select word"));
    ListOnly = command("ListOnly", QStringLiteral("Only items containing : "));
    Exclude = command("Exclude", QStringLiteral("Exclude items containing : "));
    ListOnly->setCheckable(true);
    Exclude->setCheckable(true);
    FilterMenu->addActions({SelectWord, ListOnly, Exclude});

    PrintList = command("PrintList", QStringLiteral("Print"));
    bar->addAction(PrintList);

    Options = bar->addMenu(QStringLiteral("Options"));
    Options->setObjectName(QStringLiteral("Options"));
    DisplayEXT = command("DisplayEXT", QStringLiteral("Extensions ON"));
    Enumerate = command("Enumerate", QStringLiteral("Enumerate items"));
    // Its check mark is all there is to numbering: the documents read it.
    Enumerate->setCheckable(true);
    Options->addActions({DisplayEXT, Enumerate});

    Info = command("Info", QStringLiteral("Info"));
    bar->addAction(Info);

    // The pop-up of the item list: a menu of the window that the bar never shows.
    SelectMenu = new QMenu(this);
    SelectMenu->setObjectName(QStringLiteral("SelectMenu"));
    Rename = command("Rename", QStringLiteral("Rename"));
    EraseSelected = command("EraseSelected", QStringLiteral("Erase selected item(s)"));
    SelectAll = command("SelectAll", QStringLiteral("Select all"));
    ClearList = command("ClearList", QStringLiteral("Clear"));
    SelectMenu->addActions({Rename, EraseSelected, SelectAll, ClearList});

    // Each command runs its click handler; the two menus run theirs as they open.
    using Handler = void (Form1::*)();
    const std::pair<QAction *, Handler> clicks[] = {
        {FileType, &Form1::FileType_Click},     {CreateHTM, &Form1::CreateHTM_Click},
        {CreateTXT, &Form1::CreateTXT_Click},   {SelectWord, &Form1::SelectWord_Click},
        {ListOnly, &Form1::ListOnly_Click},     {Exclude, &Form1::Exclude_Click},
        {PrintList, &Form1::PrintList_Click},   {DisplayEXT, &Form1::DisplayEXT_Click},
        {Rename, &Form1::Rename_Click},         {EraseSelected, &Form1::EraseSelected_Click},
        {SelectAll, &Form1::SelectAll_Click},   {ClearList, &Form1::ClearList_Click},
        {Info, &Form1::Info_Click},
    };
    for (const auto &[action, handler] : clicks)
        connect(action, &QAction::triggered, this, handler);
    connect(FilterMenu, &QMenu::aboutToShow, this, &Form1::FilterMenu_Click);
    connect(SelectMenu, &QMenu::aboutToShow, this, &Form1::SelectMenu_Click);
}

void Form1::Form_Initialize()
{
    m_services.random->seedFromTimeOfDay();
    randomColours();
    ShowExtensions = true;
    RefreshList();
}

void Form1::randomColours()
{
    SetColors(int(m_services.random->next() * 5) + 1);
}

void Form1::SetColors(int colour)
{
    const QColor background = qbColor(colour);
    for (QWidget *target : {centralWidget(), static_cast<QWidget *>(List1), static_cast<QWidget *>(Dir1),
                            static_cast<QWidget *>(Drive1), static_cast<QWidget *>(Check1)})
        paintBackground(target, background);
}

void Form1::Info_Click()
{
    m_services.dialogs->messageBox(aboutText(), QStringLiteral("INFO"), MessageIcon::Information);
}

void Form1::RefreshList()
{
    const BusyCursor busy;
    const bool clearFirst = Check1->isChecked();
    // A merge proportional to a big list is prepared on a worker thread, so the
    // window keeps painting; small ones take no noticeable time.
    constexpr qsizetype kMergeOffThread = 50000;
    if (File1->listCount() + (clearFirst ? 0 : m_items.count()) >= kMergeOffThread
        || readDelayForTesting().count() > 0) {
        if (!refreshOffThread(clearFirst)) {
            m_readCancelled = true;
            return;
        }
    } else {
        mergeFolder(m_items, File1->names(), {clearFirst, ShowExtensions, FilterWord, FilterMode});
    }
    showCount();
    updateOutputCommands();
}

void Form1::updateOutputCommands()
{
    const bool any = m_items.count() >= 1;
    PrintList->setEnabled(any);
    CreateTXT->setEnabled(any);
    CreateHTM->setEnabled(any);
}

} // namespace corvane
