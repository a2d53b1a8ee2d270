// What readers expect of a help viewer beyond the contents and the search: going back and
// forth through the topics shown, the searched word highlighted, find in the topic, zoom, and
// the display's context menu.
#include "reader/reader_window.h"

#include "reader/display_zoom.h"
#include "reader/find_bar.h"
#include "richtext/rich_text_box.h"
#include "ui/click_list.h"
#include "ui/growing_client.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>

namespace {

constexpr int kMinZoom = 50;
constexpr int kMaxZoom = 300;
constexpr int kZoomStep = 10;
const QColor kHitColour(255, 230, 90);

} // namespace

void ReaderWindow::setupNavigation()
{
    const auto action = [this](const QString &text, const QKeySequence &keys, auto slot) {
        auto *entry = new QAction(text, this);
        entry->setShortcut(keys);
        entry->setShortcutContext(Qt::WindowShortcut);
        connect(entry, &QAction::triggered, this, slot);
        addAction(entry);
        return entry;
    };
    m_backAction = action(QStringLiteral("Back"), QKeySequence::Back, &ReaderWindow::goBack);
    m_forwardAction =
        action(QStringLiteral("Forward"), QKeySequence::Forward, &ReaderWindow::goForward);
    m_copyAction = new QAction(QStringLiteral("Copy"), this);
    connect(m_copyAction, &QAction::triggered, RichTextBox1, &QTextEdit::copy);
    m_selectAllAction = new QAction(QStringLiteral("Select All"), this);
    connect(m_selectAllAction, &QAction::triggered, RichTextBox1, &QTextEdit::selectAll);

    m_findBar = new FindBar(RichTextBox1, Frame1);
    m_findAction = action(QStringLiteral("Find..."), QKeySequence::Find, [this] {
        m_findBar->open();
        placeFindBar();
    });
    connect(m_findBar, &FindBar::closed, this, &ReaderWindow::placeFindBar);
    connect(m_client, &GrowingClient::laidOut, this, [this] {
        m_displayRoom = RichTextBox1->geometry();
        placeFindBar();
    });
    m_displayRoom = RichTextBox1->geometry();

    // F3 goes through the find bar's places while it is open, else through the hits.
    action(QStringLiteral("Next"), QKeySequence(Qt::Key_F3), [this] {
        if (m_findBar->isVisible())
            m_findBar->findNext(false);
        else
            nextHit(false);
    });
    action(QStringLiteral("Previous"), QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] {
        if (m_findBar->isVisible())
            m_findBar->findNext(true);
        else
            nextHit(true);
    });
    action(
        QStringLiteral("Zoom In"), QKeySequence::ZoomIn, [this] { setZoom(m_zoom + kZoomStep); });
    // Ctrl+= is Ctrl++ without Shift on most keyboards.
    action(QStringLiteral("Zoom In"), QKeySequence(Qt::CTRL | Qt::Key_Equal),
        [this] { setZoom(m_zoom + kZoomStep); });
    action(
        QStringLiteral("Zoom Out"), QKeySequence::ZoomOut, [this] { setZoom(m_zoom - kZoomStep); });
    action(QStringLiteral("Actual Size"), QKeySequence(Qt::CTRL | Qt::Key_0),
        [this] { setZoom(100); });

    connect(RichTextBox1, &richtext::RichTextBox::topicLinkActivated, this,
        &ReaderWindow::followTopicLink);
    RichTextBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(RichTextBox1, &QWidget::customContextMenuRequested, this,
        [this](const QPoint &at) { displayMenu()->popup(RichTextBox1->mapToGlobal(at)); });
    // The mouse's back and forward buttons, and Ctrl+wheel, wherever the pointer is.
    for (QWidget *view : {RichTextBox1->viewport(), List1->viewport(), List2->viewport()})
        view->installEventFilter(this);
}

QMenu *ReaderWindow::displayMenu()
{
    if (!m_displayMenu) {
        m_displayMenu = new QMenu(this);
        m_displayMenu->setObjectName(QStringLiteral("DisplayMenu"));
        m_displayMenu->addAction(m_backAction);
        m_displayMenu->addAction(m_forwardAction);
        m_displayMenu->addSeparator();
        m_displayMenu->addAction(m_copyAction);
        m_displayMenu->addAction(m_selectAllAction);
        m_displayMenu->addSeparator();
        m_displayMenu->addAction(m_findAction);
        if (PrintMnu)
            m_displayMenu->addAction(PrintMnu);
    }
    m_backAction->setEnabled(canGoBack());
    m_forwardAction->setEnabled(canGoForward());
    m_copyAction->setEnabled(RichTextBox1->textCursor().hasSelection());
    return m_displayMenu;
}

bool ReaderWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::BackButton) {
            goBack();
            return true;
        }
        if (mouse->button() == Qt::ForwardButton) {
            goForward();
            return true;
        }
    }
    if (event->type() == QEvent::Wheel && watched == RichTextBox1->viewport()) {
        const auto *wheel = static_cast<QWheelEvent *>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            const int steps = wheel->angleDelta().y() / 120;
            if (steps != 0)
                setZoom(m_zoom + steps * kZoomStep);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void ReaderWindow::noteShown(std::uint64_t number)
{
    m_shownRecord = number;
    m_shownName = TopicName.text();
    clearHits();
    if (m_zoom != 100)
        scaleDocument(RichTextBox1->document(), m_zoom / 100.0);
    if (m_revisiting)
        return;
    // Showing the topic already shown is no step.
    if (m_historyPos >= 0 && m_history.at(m_historyPos) == number)
        return;
    m_history.resize(m_historyPos + 1);
    m_history.append(number);
    m_historyPos = m_history.size() - 1;
}

void ReaderWindow::followTopicLink(const QString &name)
{
    QString why;
    const std::uint64_t number = topicNamed(name, why);
    if (number == 0) {
        warn(why);
        return;
    }
    if (number <= std::uint64_t(List1->count()))
        showContentsLine(number);
    else
        showRecord(number);
}

void ReaderWindow::goBack()
{
    if (!canGoBack())
        return;
    revisit(m_history.at(--m_historyPos));
}

void ReaderWindow::goForward()
{
    if (!canGoForward())
        return;
    revisit(m_history.at(++m_historyPos));
}

void ReaderWindow::revisit(std::uint64_t number)
{
    m_revisiting = true;
    if (number <= std::uint64_t(List1->count()))
        showContentsLine(number);
    else
        showRecord(number); // beyond the list (the file grew): shown all the same
    m_revisiting = false;
}

void ReaderWindow::clearHits()
{
    m_currentHit = -1;
    RichTextBox1->setExtraSelections({});
}

void ReaderWindow::highlightHits()
{
    clearHits();
    if (SearchWord.isEmpty())
        return;
    // The search matched the stored RTF; here the places in the text shown are marked, and a
    // word found only in the markup marks nothing.
    QTextDocument *document = RichTextBox1->document();
    QList<QTextEdit::ExtraSelection> marks;
    QTextCursor found = document->find(SearchWord, 0, QTextDocument::FindCaseSensitively);
    while (!found.isNull()) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = found;
        mark.format.setBackground(kHitColour);
        mark.format.setForeground(Qt::black);
        marks.append(mark);
        found = document->find(SearchWord, found, QTextDocument::FindCaseSensitively);
    }
    RichTextBox1->setExtraSelections(marks);
    nextHit(false);
}

void ReaderWindow::nextHit(bool backward)
{
    // The hits are the display's marks: nothing else marks it.
    const QList<QTextEdit::ExtraSelection> hits = RichTextBox1->extraSelections();
    if (hits.isEmpty())
        return;
    const qsizetype count = hits.size();
    m_currentHit = m_currentHit < 0 ? (backward ? count - 1 : 0)
                                    : (m_currentHit + (backward ? count - 1 : 1)) % count;
    RichTextBox1->setTextCursor(hits.at(m_currentHit).cursor);
    RichTextBox1->ensureCursorVisible();
}

QList<QPair<int, int>> ReaderWindow::hitPlaces() const
{
    QList<QPair<int, int>> places;
    for (const QTextEdit::ExtraSelection &mark : RichTextBox1->extraSelections())
        places.append({mark.cursor.selectionStart(),
            mark.cursor.selectionEnd() - mark.cursor.selectionStart()});
    return places;
}

void ReaderWindow::setZoom(int percent)
{
    percent = std::clamp(percent, kMinZoom, kMaxZoom);
    if (percent == m_zoom)
        return;
    const double factor = double(percent) / m_zoom;
    m_zoom = percent;
    RichTextBox1->setBaseFont(kTopicPointSize * m_zoom / 100.0, false);
    scaleDocument(RichTextBox1->document(), factor);
}

void ReaderWindow::placeFindBar()
{
    if (!m_findBar)
        return;
    QRect display = m_displayRoom;
    if (m_findBar->isVisible()) {
        const int height = m_findBar->sizeHint().height();
        m_findBar->setGeometry(
            display.left(), display.bottom() + 1 - height, display.width(), height);
        display.setHeight(display.height() - height);
        m_findBar->raise();
    }
    RichTextBox1->setGeometry(display);
}
