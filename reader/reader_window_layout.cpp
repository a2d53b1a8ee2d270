#include "reader/reader_window.h"

#include "richtext/rich_text_box.h"
#include "ui/click_list.h"
#include "ui/growing_client.h"
#include "ui/window_memory.h"
#include "ui/window_units.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>

namespace {

using windowunits::place;
using windowunits::twips;
using windowunits::verdana;

// The layout measures a tab's controls from the tab control's top, across its row of tabs;
// Qt measures them from the page below the tabs, which starts about this much lower.
constexpr int kTabRowTwips = 360;

QRect onTab(int left, int top, int width, int height)
{
    return twips(left, top - kTabRowTwips, width, height);
}

// The two windows differ only in these.
struct Look
{
    const char *name;
    QRect client;
    QRect frame1;
    QRect frame2;
    QRect display;
    const char *label1;
};

const Look &lookOf(ReaderKind kind)
{
    static const Look leafwick {"Leafwick", twips(0, 0, 10560, 6075), twips(120, 240, 10095, 5415),
        twips(3360, 240, 6615, 4935), twips(3480, 480, 6375, 4455),
        "      Type in the Word to Search for.       Note:  Word is Case Sensitive."};
    static const Look builtInHelp {"VieHelpFrm", twips(0, 0, 9090, 5625), twips(0, 0, 8895, 5415),
        twips(3360, 240, 5415, 4935), twips(3480, 360, 5175, 4575),
        "Type in the Word to Search for. Note:  Word is Case Sensitive."};
    return kind == ReaderKind::Leafwick ? leafwick : builtInHelp;
}

} // namespace

void ReaderWindow::setupLayout()
{
    const Look &look = lookOf(m_kind);
    setObjectName(QLatin1String(look.name));
    setWindowTitle(m_kind == ReaderKind::BuiltInHelp ? QStringLiteral("Scrivane") : QString());
    setFont(verdana(8.25));

    // At the layout's size every control stands where the layout puts it; room the user adds
    // goes to the display, and the lists take its height.
    auto *client = new GrowingClient(look.client.size(), this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    m_client = client;

    Frame1 = place<QFrame>(client, "Frame1", look.frame1);
    Frame1->setFrameShape(QFrame::Box);

    Frame2 = place<QFrame>(Frame1, "Frame2", look.frame2);
    Frame2->setFrameShape(QFrame::Box);

    // Above Frame2, which only draws its border.
    RichTextBox1 = place<richtext::RichTextBox>(Frame1, "RichTextBox1", look.display);
    RichTextBox1->setReadOnly(true);
    RichTextBox1->setAccessibleName(QStringLiteral("Topic"));
    RichTextBox1->setTabChangesFocus(true);
    RichTextBox1->raise();

    setupTabs(Frame1);
    Label1->setText(QLatin1String(look.label1));

    if (m_kind == ReaderKind::Leafwick)
        setupActions();
    setupTabOrder();
    const GrowingClient::Share both {0, 0, 1, 1};
    const GrowingClient::Share tall {0, 0, 0, 1};
    for (QWidget *widget : {static_cast<QWidget *>(Frame1), static_cast<QWidget *>(Frame2),
             static_cast<QWidget *>(RichTextBox1)})
        m_client->grow(widget, both);
    for (QWidget *widget : {static_cast<QWidget *>(SSTab1), static_cast<QWidget *>(List1),
             static_cast<QWidget *>(List2)})
        m_client->grow(widget, tall);
    setupNavigation();
    adjustSize();
    m_client->startGrowing();
    restoreWindowSize(this, objectName());
    centre();
}

void ReaderWindow::closeEvent(QCloseEvent *event)
{
    rememberWindowSize(this, objectName());
    QMainWindow::closeEvent(event);
}

void ReaderWindow::setupTabs(QWidget *frame)
{
    SSTab1 = place<QTabWidget>(frame, "SSTab1", twips(120, 240, 3045, 4935));

    auto *contents = new QWidget;
    contents->setObjectName(QStringLiteral("ContentsTab"));
    SSTab1->addTab(contents, QStringLiteral("Contents"));
    List1 = place<ClickList>(contents, "List1", onTab(120, 480, 2775, 4350));
    List1->setFont(verdana(8.25));
    List1->setAccessibleName(QStringLiteral("Contents"));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    // One line of one font each: the view need not measure ten thousand lines to lay them out.
    List1->setUniformItemSizes(true);
    connect(List1, &ClickList::listClicked, this, &ReaderWindow::List1_Click);

    auto *search = new QWidget;
    search->setObjectName(QStringLiteral("SearchTab"));
    SSTab1->addTab(search, QStringLiteral("Search"));
    Label1 = place<QLabel>(search, "Label1", onTab(120, 480, 2895, 375));
    Label1->setWordWrap(true);
    Label1->setFont(verdana(8.25));
    Text1 = place<QLineEdit>(search, "Text1", onTab(240, 960, 2535, 285));
    Text1->setAccessibleName(QStringLiteral("Word to Search for"));
    Label1->setBuddy(Text1);
    ListTopicsCmd = place<QPushButton>(search, "ListTopicsCmd", onTab(360, 1320, 975, 375));
    ListTopicsCmd->setText(QStringLiteral("List Topics"));
    ListTopicsCmd->setToolTip(QStringLiteral("NOTE: Search string is Case sensitive"));
    List2 = place<ClickList>(search, "List2", onTab(120, 1800, 2775, 2985));
    List2->setAccessibleName(QStringLiteral("Topics Found"));
    List2->setSelectionMode(QAbstractItemView::SingleSelection);
    List2->setUniformItemSizes(true);

    connect(ListTopicsCmd, &QPushButton::clicked, this, &ReaderWindow::ListTopicsCmd_Click);
    // Return in the word box presses the tab's button; typing alone still searches nothing.
    connect(Text1, &QLineEdit::returnPressed, ListTopicsCmd, &QPushButton::click);
    connect(List2, &ClickList::listClicked, this, &ReaderWindow::List2_Click);
    connect(SSTab1, &QTabWidget::currentChanged, this, &ReaderWindow::SSTab1_Click);
}

void ReaderWindow::setupActions()
{
    PrintMnu = menuBar()->addAction(QStringLiteral("&Print"));
    PrintMnu->setObjectName(QStringLiteral("PrintMnu"));
    connect(PrintMnu, &QAction::triggered, this, &ReaderWindow::PrintMnu_Click);
}

void ReaderWindow::setupTabOrder()
{
    QWidget *const order[] = {SSTab1, List1, Text1, ListTopicsCmd, List2, RichTextBox1};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void ReaderWindow::centre()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}
