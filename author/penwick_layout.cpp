// The window's controls, menus and tab order, laid out in twips.
#include "author/penwick.h"

#include "richtext/rich_text_box.h"
#include "ui/click_list.h"
#include "ui/growing_client.h"
#include "ui/window_memory.h"
#include "ui/window_units.h"

#include <QAction>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

namespace {

using windowunits::place;
using windowunits::twips;
using windowunits::verdana;
const auto button = windowunits::commandButton;

const QColor kOlive(0x80, 0x80, 0x00);
const QColor kLightYellow(0xFF, 0xFF, 0xC0);
const QColor kLightGrey(0xE0, 0xE0, 0xE0);

void fill(QWidget *widget, QPalette::ColorRole role, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
    if (role == QPalette::Window)
        widget->setAutoFillBackground(true);
}

QLabel *label(QWidget *parent, const QString &text, const QRect &geometry)
{
    auto *caption = new QLabel(text, parent);
    caption->setGeometry(geometry);
    return caption;
}

} // namespace

void Penwick::setupLayout()
{
    setObjectName(QStringLiteral("Penwick"));
    setWindowTitle(QStringLiteral("Enter"));
    setFont(verdana(8.25));

    // Client area 14070 by 7260 twips; room the user adds goes to the contents list and the
    // display.
    auto *client = new GrowingClient(twips(0, 0, 14070, 7260).size(), this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    Label2 = place<QLabel>(client, "Label2", twips(120, 120, 7095, 375));
    Label2->setText(QStringLiteral("Scrivane"));
    Label2->setFont(verdana(14.25));
    fill(Label2, QPalette::Window, kOlive);
    fill(Label2, QPalette::WindowText, Qt::white);

    setupEntryPanel(client);
    setupDisplayPanel(client);

    // Stands over both panels.
    GetStartedText = place<QLineEdit>(client, "GetStartedText", twips(4560, 4200, 4815, 495));
    GetStartedText->setText(QStringLiteral("Click \"Help\", \"Get Started\""));
    GetStartedText->setReadOnly(true);
    fill(GetStartedText, QPalette::Base, Qt::red);
    fill(GetStartedText, QPalette::Text, Qt::white);
    GetStartedText->raise();

    setupActions();
    setupTabOrder();

    constexpr qreal kListShare = 1.0 / 3;
    client->grow(Frame1, {0, 0, 1, 1});
    client->grow(List1, {0, 0, 1, kListShare});
    client->grow(RichTextBox1, {0, kListShare, 1, 1 - kListShare});
    adjustSize();
    client->startGrowing();
    restoreWindowSize(this, objectName());
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void Penwick::setupEntryPanel(QWidget *client)
{
    AddFrame = place<QFrame>(client, "AddFrame", twips(120, 480, 7095, 6495));
    AddFrame->setFrameShape(QFrame::Box);
    fill(AddFrame, QPalette::Window, kLightYellow);

    label(AddFrame, QStringLiteral("Topic"), twips(240, 480, 2895, 255))
        ->setObjectName(QStringLiteral("TopicLbl"));
    NewTopicTxt = place<QLineEdit>(AddFrame, "NewTopicTxt", twips(240, 720, 2895, 405));
    NewTopicTxt->setToolTip(QStringLiteral("Write your Topic Name."));
    NewTopicTxt->setAccessibleName(QStringLiteral("Topic"));

    label(AddFrame, QStringLiteral("Indent Level"), twips(3360, 720, 1800, 255));
    LevelTxt = place<QLineEdit>(AddFrame, "LevelTxt", twips(4320, 960, 255, 285));
    LevelTxt->setText(QStringLiteral("0"));
    LevelTxt->setToolTip(QStringLiteral("Enter a number to represent Indent level"));
    LevelTxt->setAccessibleName(QStringLiteral("Indent Level"));
    LevelTxt->installEventFilter(this);
    label(AddFrame, QStringLiteral("Zero = No Indent"), twips(4680, 840, 2295, 225));
    label(AddFrame, QStringLiteral("1 = indent level 1"), twips(4680, 1080, 2295, 225));
    label(AddFrame, QStringLiteral("2 = indent level 2"), twips(4680, 1320, 2295, 225));

    label(AddFrame, QStringLiteral("Topics Saved"), twips(240, 1200, 1200, 225));
    LabelsSaved = place<QLineEdit>(AddFrame, "LabelsSaved", twips(1440, 1200, 495, 165));
    LabelsSaved->setReadOnly(true);
    LabelsSaved->setFrame(false);
    LabelsSaved->setAccessibleName(QStringLiteral("Topics Saved"));

    label(AddFrame, QStringLiteral("Add/Edit"), twips(240, 1560, 1200, 225));
    label(
        AddFrame, QStringLiteral("Write your Help Text in MS Word,"), twips(1560, 1560, 5400, 225));
    label(AddFrame, QStringLiteral("then Copy (Ctrl/C) and Paste (Ctrl/V) here."),
        twips(1560, 1800, 5400, 225));
    label(AddFrame, QStringLiteral("Avoid Graphics (see \"Adding Graphics\" in \"Help\")."),
        twips(1560, 2040, 5400, 225));
    label(AddFrame, QStringLiteral("Editing in this box is NOT recommended"),
        twips(1560, 2280, 5400, 225));
    label(AddFrame, QStringLiteral("Text"), twips(240, 2400, 1200, 225));

    Add = place<richtext::RichTextBox>(AddFrame, "Add", twips(240, 2640, 6735, 3135));
    Add->setToolTip(QStringLiteral("Write your Help contents."));
    Add->setAccessibleName(QStringLiteral("Text"));
    Add->setTabChangesFocus(true);

    SaveCmd = button(AddFrame, "SaveCmd", QStringLiteral("Save"), twips(4800, 5880, 855, 375));
    ReviewCmd =
        button(AddFrame, "ReviewCmd", QStringLiteral("Review"), twips(3600, 5880, 855, 375));
    ExitCmd = button(AddFrame, "ExitCmd", QStringLiteral("Exit"), twips(5760, 5880, 855, 375));
    connect(SaveCmd, &QPushButton::clicked, this, &Penwick::SaveCmd_Click);
    connect(ReviewCmd, &QPushButton::clicked, this, &Penwick::ReviewCmd_Click);
    connect(ExitCmd, &QPushButton::clicked, this, &Penwick::ExitCmd_Click);

    // What the author types or pastes into the two boxes is theirs until a save takes it.
    connect(NewTopicTxt, &QLineEdit::textEdited, this, [this] { m_entriesChanged = true; });
    connect(Add, &QTextEdit::textChanged, this, [this] { m_entriesChanged = true; });
}

void Penwick::setupDisplayPanel(QWidget *client)
{
    Frame1 = place<QGroupBox>(client, "Frame1", twips(7440, 120, 6495, 6855));
    Frame1->setTitle(QStringLiteral("Display"));
    fill(Frame1, QPalette::Window, kLightYellow);

    List1 = place<ClickList>(Frame1, "List1", twips(1560, 240, 4815, 2010));
    List1->setAccessibleName(QStringLiteral("Contents"));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    fill(List1, QPalette::Base, kLightGrey);
    connect(List1, &ClickList::listClicked, this, &Penwick::List1_Click);

    RichTextBox1 =
        place<richtext::RichTextBox>(Frame1, "RichTextBox1", twips(120, 2280, 6255, 4335));
    RichTextBox1->setReadOnly(true);
    RichTextBox1->setAccessibleName(QStringLiteral("Display"));
    connect(
        RichTextBox1, &richtext::RichTextBox::topicLinkActivated, this, &Penwick::followTopicLink);
    RichTextBox1->setTabChangesFocus(true);

    const int column = 120;
    const int width = 1215;
    const int height = 255;
    UpCmd = button(Frame1, "UpCmd", QStringLiteral("Move Up"), twips(column, 360, width, height));
    DownCmd =
        button(Frame1, "DownCmd", QStringLiteral("Move Down"), twips(column, 600, width, height));
    InsertCmd =
        button(Frame1, "InsertCmd", QStringLiteral("Insert"), twips(column, 1320, width, height));
    RemoveCmd =
        button(Frame1, "RemoveCmd", QStringLiteral("Remove"), twips(column, 1560, width, height));
    EditCmd = button(Frame1, "EditCmd", QStringLiteral("Edit"), twips(column, 1920, width, height));
    connect(UpCmd, &QPushButton::clicked, this, &Penwick::UpCmd_Click);
    connect(DownCmd, &QPushButton::clicked, this, &Penwick::DownCmd_Click);
    connect(InsertCmd, &QPushButton::clicked, this, &Penwick::InsertCmd_Click);
    connect(RemoveCmd, &QPushButton::clicked, this, &Penwick::RemoveCmd_Click);
    connect(EditCmd, &QPushButton::clicked, this, &Penwick::EditCmd_Click);
}

void Penwick::setupActions()
{
    auto action = [this](QMenu *menu, const char *name, const QString &text) {
        auto *entry = menu->addAction(text);
        entry->setObjectName(QLatin1String(name));
        return entry;
    };
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("FileMnu"));
    Createmnu = action(file, "Createmnu", QStringLiteral("&Create"));
    OpenMnu = action(file, "OpenMnu", QStringLiteral("&Open"));
    SaveMnu = action(file, "SaveMnu", QStringLiteral("&Save"));
    SaveMnu->setShortcut(QKeySequence::Save);
    ReviewMnu = action(file, "ReviewMnu", QStringLiteral("&Review"));
    viewMnu = action(file, "viewMnu", QStringLiteral("Review"));
    // Switched off and out of sight: the two Review commands stand for it.
    viewMnu->setEnabled(false);
    viewMnu->setVisible(false);
    connect(ReviewMnu, &QAction::triggered, this, &Penwick::ReviewMnu_Click);
    connect(Createmnu, &QAction::triggered, this, &Penwick::Createmnu_Click);
    connect(OpenMnu, &QAction::triggered, this, &Penwick::OpenMnu_Click);
    file->addSeparator();
    ExitMnu = action(file, "ExitMnu", QStringLiteral("E&xit"));
    connect(SaveMnu, &QAction::triggered, this, &Penwick::SaveMnu_Click);
    connect(ExitMnu, &QAction::triggered, this, &Penwick::ExitCmd_Click);
    file->addSeparator();
    ExportSiteMnu = action(file, "ExportSiteMnu", QStringLiteral("Export as &Web Site..."));
    ExportPdfMnu = action(file, "ExportPdfMnu", QStringLiteral("Export as &PDF..."));
    connect(ExportSiteMnu, &QAction::triggered, this, &Penwick::ExportSiteMnu_Click);
    connect(ExportPdfMnu, &QAction::triggered, this, &Penwick::ExportPdfMnu_Click);

    AboutMnu = menuBar()->addAction(QStringLiteral("&About"));
    AboutMnu->setObjectName(QStringLiteral("AboutMnu"));
    connect(AboutMnu, &QAction::triggered, this, &Penwick::AboutMnu_Click);

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("help_mnu"));
    mnuHelp = action(help, "mnuHelp", QStringLiteral("&Help"));
    mnuGetStarted = action(help, "mnuGetStarted", QStringLiteral("&Get Started"));
    connect(mnuHelp, &QAction::triggered, this, &Penwick::mnuHelp_Click);
    connect(mnuGetStarted, &QAction::triggered, this, &Penwick::mnuGetStarted_Click);
}

void Penwick::setupTabOrder()
{
    QWidget *const order[] = {NewTopicTxt, LevelTxt, Add, SaveCmd, ReviewCmd, ExitCmd, List1, UpCmd,
        DownCmd, InsertCmd, RemoveCmd, EditCmd, RichTextBox1};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

bool Penwick::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == LevelTxt && event->type() == QEvent::FocusOut)
        LevelTxt_LostFocus();
    return QMainWindow::eventFilter(watched, event);
}
