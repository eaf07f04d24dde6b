#include "app/form1.h"

#include "app/folderjob.h"
#include "app/palette.h"
#include "listing/folderreader.h"
#include "listing/refresh.h"
#include "listing/wordfilter.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>

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
    setUpAccessibility();
    Form_Initialize();
}

Form1::~Form1()
{
    // A read cancelled by closing the window stops at its next batch.
    finishCancelledJobs(500);
}

void Form1::createControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(686, 538); // 10290 x 8070 twips
    // The window's own font; every control below carries a font of its own.
    QFont windowFont = sansFont(QStringLiteral("Arial"));
    windowFont.setPointSizeF(14.25);
    windowFont.setBold(true);
    client->setFont(windowFont);
    paintBackground(client, designBackground());
    setCentralWidget(client);

    Drive1 = new QComboBox(client);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setGeometry(twips(120, 120, 3135, 360));
    Drive1->setFont(controlFont(9.75, true));

    Dir1 = new DirTree(client);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setGeometry(twips(120, 600, 3135, 7110));
    Dir1->setFont(controlFont(9.75, true));

    List1 = new ItemListView(&m_items, client);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(twips(3360, 120, 6855, 7470));
    List1->setFont(controlFont(13.5, false));

    File1 = new FileBox(client);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setGeometry(twips(7680, 5640, 2055, 1590));
    File1->setFont(controlFont(12, true));

    Check1 = new QCheckBox(QStringLiteral("Clear list when new folder is selected"), client);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setGeometry(twips(4200, 7680, 4815, 255));
    Check1->setFont(controlFont(12, true));
    Check1->setChecked(true);

    for (QWidget *control : {static_cast<QWidget *>(Drive1), static_cast<QWidget *>(Dir1),
                             static_cast<QWidget *>(List1), static_cast<QWidget *>(File1),
                             static_cast<QWidget *>(Check1)}) {
        paintBackground(control, designBackground());
        paintText(control, designText());
    }
    File1->raise(); // its rectangle lies inside List1's

    QWidget::setTabOrder(File1, Dir1);
    QWidget::setTabOrder(Dir1, Drive1);
    QWidget::setTabOrder(Drive1, List1);
    QWidget::setTabOrder(List1, Check1);

    // Design-time state: the current drive, the working folder.
    fillDrives();
    const QString cwd = QDir::currentPath();
    File1->setPath(cwd);
    Dir1->setSubfolderSource([this](const QString &folder) -> std::optional<QStringList> {
        if (folder == File1->path() && File1->lastError().isEmpty())
            return File1->subfolders();
        return std::nullopt;
    });
    Dir1->setRoot(m_services.drives->currentRoot());
    Dir1->setPath(cwd);

    connect(Drive1, &QComboBox::currentIndexChanged, this, &Form1::Drive1_Change);
    connect(Dir1, &DirTree::pathChanged, this, &Form1::Dir1_Change);
    connect(Check1, &QCheckBox::clicked, this, &Form1::Check1_Click);
    connect(List1, &ItemListView::mouseDown, this, &Form1::List1_MouseDown);
}

void Form1::fillDrives()
{
    const QString current = m_services.drives->currentRoot();
    for (const Volume &volume : m_services.drives->volumes()) {
        const QString text = volume.label.isEmpty()
            ? volume.root
            : volume.root + QStringLiteral(" [") + volume.label + u']';
        Drive1->addItem(text, volume.root);
        if (volume.root == current)
            Drive1->setCurrentIndex(Drive1->count() - 1);
    }
    m_driveShown = Drive1->currentIndex();
}

void Form1::createMenus()
{
    QMenuBar *bar = menuBar();
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

    connect(FileType, &QAction::triggered, this, &Form1::FileType_Click);
    connect(CreateHTM, &QAction::triggered, this, &Form1::CreateHTM_Click);
    connect(CreateTXT, &QAction::triggered, this, &Form1::CreateTXT_Click);
    connect(FilterMenu, &QMenu::aboutToShow, this, &Form1::FilterMenu_Click);
    connect(SelectWord, &QAction::triggered, this, &Form1::SelectWord_Click);
    connect(ListOnly, &QAction::triggered, this, &Form1::ListOnly_Click);
    connect(Exclude, &QAction::triggered, this, &Form1::Exclude_Click);
    connect(PrintList, &QAction::triggered, this, &Form1::PrintList_Click);
    connect(DisplayEXT, &QAction::triggered, this, &Form1::DisplayEXT_Click);
    connect(Enumerate, &QAction::triggered, this, &Form1::Enumerate_Click);
    connect(SelectMenu, &QMenu::aboutToShow, this, &Form1::SelectMenu_Click);
    connect(Rename, &QAction::triggered, this, &Form1::Rename_Click);
    connect(EraseSelected, &QAction::triggered, this, &Form1::EraseSelected_Click);
    connect(SelectAll, &QAction::triggered, this, &Form1::SelectAll_Click);
    connect(ClearList, &QAction::triggered, this, &Form1::ClearList_Click);
    connect(Info, &QAction::triggered, this, &Form1::Info_Click);
}

void Form1::Form_Initialize()
{
    m_services.random->seedFromTimeOfDay();
    randomColours();
    ShowExtensions = -1;
    RefreshList();
}

void Form1::randomColours()
{
    const auto colour = qint16(int(m_services.random->next() * 5) + 1);
    SetColors(colour);
}

void Form1::SetColors(const qint16 &colour)
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
    // Each step runs on its own: a step that fails is skipped and the next one
    // still runs, so the tooltip and the output commands always end up current.
    auto step = [](auto &&work) {
        try {
            work();
        } catch (...) {
        }
    };
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
        step([&] {
            if (clearFirst)
                m_items.clear();
        });
        step([&] { m_items.mergeNames(namesForList(File1->names(), ShowExtensions != 0)); });
        step([&] { ApplyWordFilter(m_items, FilterWord, FilterMode); });
    }
    step([&] { showCount(); });
    step([&] { updateOutputCommands(); });
}

void Form1::updateOutputCommands()
{
    const bool any = m_items.count() >= 1;
    PrintList->setEnabled(any);
    CreateTXT->setEnabled(any);
    CreateHTM->setEnabled(any);
}

} // namespace corvane
