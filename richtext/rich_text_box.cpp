#include "richtext/rich_text_box.h"

#include "richtext/display_font.h"
#include "richtext/link_opener.h"
#include "richtext/rtf_writer.h"
#include "richtext/topic_link.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPageRanges>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFragment>

#include <algorithm>
#include <utility>
#include <vector>

namespace richtext {

namespace {

// What word processors put on the clipboard as RTF: on X11 LibreOffice and others offer
// text/rtf or text/richtext; on Windows Qt names the native format this way.
const char *const kRtfMimeTypes[] = {
    "text/rtf",
    "application/rtf",
    "text/richtext",
    "application/x-qt-windows-mime;value=\"Rich Text Format\"",
};

// The reader's own test for RTF, so that a clipboard entry that is named RTF but holds
// something else falls through to the HTML or plain text offered beside it.
bool looksLikeRtf(const QByteArray &bytes)
{
    const QByteArray start = bytes.left(64).trimmed();
    return start.startsWith("{\\rtf");
}

QByteArray offeredRtf(const QMimeData *source)
{
    for (const char *type : kRtfMimeTypes) {
        const QString name = QString::fromLatin1(type);
        if (!source->hasFormat(name))
            continue;
        const QByteArray bytes = source->data(name);
        if (looksLikeRtf(bytes))
            return bytes;
    }
    return {};
}

bool hasRtfFormat(const QMimeData *source)
{
    return std::any_of(std::begin(kRtfMimeTypes), std::end(kRtfMimeTypes),
        [source](const char *type) { return source->hasFormat(QString::fromLatin1(type)); });
}

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

struct LinkRun
{
    int start;
    int end;
    QString href;
};

// Each link in document order; neighbouring fragments with the same reference are one link.
std::vector<LinkRun> linkRuns(const QTextDocument &document)
{
    std::vector<LinkRun> runs;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (!format.isAnchor() || format.anchorHref().isEmpty())
                continue;
            const int start = fragment.position();
            const int end = start + fragment.length();
            if (!runs.empty() && runs.back().end == start
                && runs.back().href == format.anchorHref())
                runs.back().end = end;
            else
                runs.push_back({start, end, format.anchorHref()});
        }
    }
    return runs;
}

// A copied selection or document names its pictures but does not hold them.
void copyImages(const QTextDocument &from, QTextDocument &to)
{
    for (QTextBlock block = to.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            const QUrl name(format.toImageFormat().name());
            const QVariant image = from.resource(QTextDocument::ImageResource, name);
            if (image.isValid())
                to.addResource(QTextDocument::ImageResource, name, image);
        }
    }
}

} // namespace

RichTextBox::RichTextBox(QWidget *parent)
    : QTextEdit(parent)
    , m_desktopOpener(std::make_unique<DesktopLinkOpener>())
    , m_linkOpener(m_desktopOpener.get())
{
    const QFont font = displayFace(this->font());
    setFont(font);
    document()->setDefaultFont(font);
    connect(document(), &QTextDocument::contentsChanged, this, [this] { m_written.reset(); });
}

RichTextBox::~RichTextBox() = default;

QByteArray RichTextBox::TextRTF() const
{
    const QTextDocument *shown = document();
    if (m_written && m_written->document == shown && m_written->defaultFont == shown->defaultFont())
        return m_written->rtf;
    m_written = WrittenRtf {shown, shown->defaultFont(), RtfWriter::write(*shown)};
    return m_written->rtf;
}

RtfReadReport RichTextBox::setTextRTF(QByteArrayView rtf)
{
    // Emptied first, so that the previous content is not laid out again on its way out (after
    // a font change, say), and the cursor is at the start.
    clear();
    RtfReadReport report;
    if (!rtf.isEmpty()) {
        // Imported into a laid-out document, a topic would be laid out whole before it shows.
        // With a null page size the layout ignores the import; restoring the size then lays
        // out the visible start at once and the rest between events, as for a new document.
        // The box holds no cursor meanwhile: one moved or stretched to the end by the
        // insertion would have the layout reach there at once when it is replaced.
        QTextDocument *shown = document();
        const QSizeF pageSize = shown->pageSize();
        setTextCursor(QTextCursor());
        shown->setPageSize(QSizeF(0, 0));
        report = RtfReader::read(rtf, shown);
        shown->setPageSize(pageSize);
        setTextCursor(QTextCursor(shown));
    }
    // Loading a topic is not an edit the user could undo into the previous topic.
    document()->clearUndoRedoStacks();
    // The cursor is at the start already; moveCursor(Start) would lay out the whole content.
    ensureCursorVisible();
    return report;
}

QString RichTextBox::Text() const
{
    QString text = document()->toPlainText();
    text.remove(QChar::ObjectReplacementCharacter);
    if (std::all_of(text.cbegin(), text.cend(), isLineBreak))
        return {};
    return text;
}

void RichTextBox::setText(const QString &text)
{
    if (text.isEmpty())
        clear();
    else
        setPlainText(text);
}

void RichTextBox::setBaseFont(qreal pointSize, bool bold)
{
    QFont font = displayFace(this->font());
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    // QTextEdit hands its own font on to the document; set both so that the order of later
    // font changes does not matter.
    setFont(font);
    document()->setDefaultFont(font);
}

std::unique_ptr<QTextDocument> RichTextBox::selectionDocument(bool wholeWhenNoSelection) const
{
    const QTextCursor cursor = textCursor();
    std::unique_ptr<QTextDocument> copy;
    if (cursor.hasSelection()) {
        copy = std::make_unique<QTextDocument>();
        copy->setDefaultFont(document()->defaultFont());
        QTextCursor(copy.get()).insertFragment(cursor.selection());
    } else if (wholeWhenNoSelection) {
        copy.reset(document()->clone());
        copy->setDefaultFont(document()->defaultFont());
    } else {
        return nullptr;
    }
    copyImages(*document(), *copy);
    return copy;
}

bool RichTextBox::SelPrint(QPrinter *printer) const
{
    if (!printer)
        return false;
    const std::unique_ptr<QTextDocument> copy = selectionDocument(true);
    QPainter painter;
    if (!painter.begin(printer))
        return false;

    // Laid out on the printer itself, fonts and pictures take the printer's resolution; the
    // painter's origin is the corner of the printable area, inside the margins.
    QAbstractTextDocumentLayout *layout = copy->documentLayout();
    layout->setPaintDevice(printer);
    const QSizeF body = printer->pageRect(QPrinter::DevicePixel).size();
    copy->setPageSize(body);

    const QPageRanges ranges = printer->pageRanges();
    const int pages = copy->pageCount();
    bool first = true;
    for (int page = 0; page < pages; ++page) {
        if (!ranges.isEmpty() && !ranges.contains(page + 1))
            continue;
        if (!first && !printer->newPage())
            return false;
        first = false;
        const QRectF view(QPointF(0, page * body.height()), body);
        painter.save();
        painter.translate(0, -view.top());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        context.palette = palette();
        context.palette.setColor(QPalette::Text, Qt::black);
        layout->draw(&painter, context);
        painter.restore();
    }
    return painter.end();
}

void RichTextBox::setReadOnly(bool readOnly)
{
    QTextEdit::setReadOnly(readOnly);
    if (readOnly)
        setTextInteractionFlags(Qt::TextBrowserInteraction);
}

void RichTextBox::setLinkOpener(LinkOpener *opener)
{
    m_linkOpener = opener ? opener : m_desktopOpener.get();
}

bool RichTextBox::followLink(const QString &href)
{
    if (!isReadOnly() || href.isEmpty())
        return false;
    if (href.startsWith(QLatin1Char('#'))) {
        scrollToAnchor(href.mid(1));
        return true;
    }
    if (const std::optional<QString> topic = topicLinkName(href)) {
        Q_EMIT topicLinkActivated(*topic);
        return true;
    }
    const QUrl url(href.trimmed());
    if (!isOpenableLink(url)) {
        Q_EMIT linkRefused(url);
        return false;
    }
    return m_linkOpener->openLink(url);
}

QString RichTextBox::focusedLink() const
{
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return {};
    for (const LinkRun &run : linkRuns(*document())) {
        if (run.start == cursor.selectionStart() && run.end == cursor.selectionEnd())
            return run.href;
    }
    return {};
}

bool RichTextBox::moveLinkFocus(bool next)
{
    const std::vector<LinkRun> runs = linkRuns(*document());
    QTextCursor cursor = textCursor();
    const LinkRun *target = nullptr;
    if (next) {
        const int after = cursor.selectionEnd();
        const auto it = std::find_if(
            runs.begin(), runs.end(), [&](const LinkRun &run) { return run.start >= after; });
        if (it != runs.end())
            target = &*it;
    } else {
        const int before = cursor.selectionStart();
        const auto it = std::find_if(
            runs.rbegin(), runs.rend(), [&](const LinkRun &run) { return run.end <= before; });
        if (it != runs.rend())
            target = &*it;
    }
    if (!target) {
        cursor.clearSelection();
        setTextCursor(cursor);
        return false;
    }
    cursor.setPosition(target->start);
    cursor.setPosition(target->end, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
    return true;
}

bool RichTextBox::focusNextPrevChild(bool next)
{
    if (isReadOnly() && hasFocus() && moveLinkFocus(next))
        return true;
    return QTextEdit::focusNextPrevChild(next);
}

void RichTextBox::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (isReadOnly() && enter) {
        const QString href = focusedLink();
        if (!href.isEmpty()) {
            followLink(href);
            event->accept();
            return;
        }
    }
    QTextEdit::keyPressEvent(event);
}

void RichTextBox::mousePressEvent(QMouseEvent *event)
{
    m_pressedAnchor.clear();
    if (isReadOnly() && event->button() == Qt::LeftButton) {
        m_pressPoint = event->position().toPoint();
        m_pressedAnchor = anchorAt(m_pressPoint);
    }
    QTextEdit::mousePressEvent(event);
}

void RichTextBox::mouseMoveEvent(QMouseEvent *event)
{
    QTextEdit::mouseMoveEvent(event);
    if (isReadOnly()) {
        const bool onLink = !anchorAt(event->position().toPoint()).isEmpty();
        viewport()->setCursor(onLink ? Qt::PointingHandCursor : Qt::IBeamCursor);
    }
}

void RichTextBox::mouseReleaseEvent(QMouseEvent *event)
{
    QTextEdit::mouseReleaseEvent(event);
    const QString pressed = std::exchange(m_pressedAnchor, QString());
    if (event->button() != Qt::LeftButton || pressed.isEmpty())
        return;
    // A press that moved away selected text rather than clicked the link. (A click selects the
    // link it hits, as Tab does, so the selection itself tells nothing.)
    const QPoint release = event->position().toPoint();
    const bool moved =
        (release - m_pressPoint).manhattanLength() >= QApplication::startDragDistance();
    if (moved || anchorAt(release) != pressed)
        return;
    followLink(pressed);
}

bool RichTextBox::canInsertFromMimeData(const QMimeData *source) const
{
    return hasRtfFormat(source) || QTextEdit::canInsertFromMimeData(source);
}

void RichTextBox::insertFromMimeData(const QMimeData *source)
{
    if (isReadOnly())
        return;
    const QByteArray rtf = offeredRtf(source);
    if (rtf.isEmpty()) {
        QTextEdit::insertFromMimeData(source);
        return;
    }
    QTextCursor cursor = textCursor();
    // The pasted text replaces the selection, and both undo as one step.
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    RtfReader::insert(rtf, cursor);
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

QMimeData *RichTextBox::createMimeDataFromSelection() const
{
    // Qt's own mime data lists a fixed set of formats and would hide one added to it, so its
    // formats are copied into a plain one.
    const std::unique_ptr<QMimeData> own(QTextEdit::createMimeDataFromSelection());
    auto *mime = new QMimeData;
    for (const QString &format : own->formats())
        mime->setData(format, own->data(format));
    if (const std::unique_ptr<QTextDocument> selection = selectionDocument(false)) {
        const QByteArray rtf = RtfWriter::write(*selection);
        mime->setData(QStringLiteral("text/rtf"), rtf);
        mime->setData(QStringLiteral("application/rtf"), rtf);
    }
    return mime;
}

} // namespace richtext
