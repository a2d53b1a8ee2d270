#include "publish/pdf_export.h"

#include "publish/document_contents.h"
#include "publish/page_clip_device.h"
#include "publish/page_names.h"
#include "publish/pdf_navigation.h"
#include "publish/topic_html.h"
#include "richtext/display_font.h"
#include "richtext/topic_link.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <sys/stat.h>

namespace publish {

namespace {

constexpr double kMarginMillimetres = 20.0;
// Room below the text for the page number, in the layout's pixels (96 to the inch).
constexpr double kFooterPixels = 32.0;
constexpr double kPixelsPerPoint = 96.0 / 72.0;
// The writer's dots to the inch; text and pictures are laid out at 96 and drawn scaled.
constexpr int kPdfResolution = 1200;

// A page's text area in the layout's pixels, and how the painter maps them onto the page.
struct PageGeometry
{
    QSizeF body;
    double scale = 1.0;
};

void prepare(QTextDocument &document, const PageGeometry &geometry)
{
    document.setDefaultFont(richtext::displayFont());
    document.setDocumentMargin(0);
    document.setPageSize(geometry.body);
}

// Points of a heading for a topic at each depth: a level deeper, a size smaller.
double headingPoints(int depth)
{
    static constexpr double sizes[] = {20.0, 16.0, 13.0};
    return sizes[std::clamp(depth, 0, 2)];
}

// Puts the topic's name before its text as a heading of its level.
void insertHeading(QTextDocument &document, const ContentsEntry &entry)
{
    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::Start);
    // The text's first paragraph moves on with its own format; the empty one left in front
    // becomes the heading.
    cursor.insertBlock(cursor.blockFormat(), cursor.charFormat());
    cursor.movePosition(QTextCursor::Start);
    QTextBlockFormat block;
    block.setHeadingLevel(std::min(entry.depth + 1, 6));
    block.setBottomMargin(headingPoints(entry.depth) * kPixelsPerPoint * 0.6);
    cursor.setBlockFormat(block);
    QTextCharFormat heading;
    heading.setFontWeight(QFont::Bold);
    heading.setFontPointSize(headingPoints(entry.depth));
    cursor.setBlockCharFormat(heading);
    cursor.insertText(shownTopicName(entry.name), heading);
}

// Gives every link the address addressFor gives its href; an empty address makes it plain text.
void retargetLinks(
    QTextDocument &document, const std::function<QString(const QString &)> &addressFor)
{
    struct Change
    {
        int position;
        int length;
        QTextCharFormat format;
    };
    std::vector<Change> changes;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat format = fragment.charFormat();
            if (!format.isAnchor())
                continue;
            const QString address = addressFor(format.anchorHref());
            if (address == format.anchorHref())
                continue;
            if (address.isEmpty()) {
                format.setAnchor(false);
                format.clearProperty(QTextFormat::AnchorHref);
            } else {
                format.setAnchorHref(address);
            }
            changes.push_back({fragment.position(), fragment.length(), format});
        }
    }
    QTextCursor cursor(&document);
    for (const Change &change : changes) {
        cursor.setPosition(change.position);
        cursor.setPosition(change.position + change.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(change.format);
    }
}

void drawPage(QPainter &painter, QTextDocument &document, int index, const PageGeometry &geometry)
{
    // Text of the lines on the pages before and after is left out, not only hidden.
    PageClipDevice page(painter, QRectF(QPointF(0, 0), geometry.body * geometry.scale));
    QPainter pagePainter(&page);
    pagePainter.scale(geometry.scale, geometry.scale);
    const QRectF view(QPointF(0, index * geometry.body.height()), geometry.body);
    pagePainter.translate(0, -view.top());
    pagePainter.setClipRect(view);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = view;
    context.palette.setColor(QPalette::Text, Qt::black);
    document.documentLayout()->draw(&pagePainter, context);
}

void drawFooter(QPainter &painter, int page, const PageGeometry &geometry)
{
    QTextDocument footer;
    footer.setDefaultFont(richtext::displayFont());
    footer.setDocumentMargin(0);
    footer.setTextWidth(geometry.body.width());
    QTextCursor cursor(&footer);
    QTextBlockFormat block;
    block.setAlignment(Qt::AlignHCenter);
    cursor.setBlockFormat(block);
    QTextCharFormat number;
    number.setFontPointSize(9);
    number.setForeground(QColor(0x55, 0x55, 0x55));
    cursor.insertText(QString::number(page), number);
    painter.save();
    painter.scale(geometry.scale, geometry.scale);
    painter.translate(0, geometry.body.height() + kFooterPixels - footer.size().height());
    footer.drawContents(&painter);
    painter.restore();
}

void buildTitlePage(
    QTextDocument &document, const QString &title, const QDate &date, const PageGeometry &geometry)
{
    prepare(document, geometry);
    QTextCursor cursor(&document);
    QTextBlockFormat block;
    block.setAlignment(Qt::AlignHCenter);
    block.setTopMargin(geometry.body.height() * 0.3);
    block.setBottomMargin(24);
    block.setHeadingLevel(1);
    cursor.setBlockFormat(block);
    QTextCharFormat big;
    big.setFontPointSize(28);
    big.setFontWeight(QFont::Bold);
    cursor.insertText(title, big);
    QTextBlockFormat second;
    second.setAlignment(Qt::AlignHCenter);
    QTextCharFormat small;
    small.setFontPointSize(12);
    cursor.insertBlock(second, small);
    cursor.insertText(date.toString(Qt::ISODate), small);
}

// The table of contents: each entry its name, indented by its depth, and its page number at
// the right margin, all of it a link to that page.
void buildContentsPages(QTextDocument &document, const std::vector<ContentsEntry> &entries,
    const std::vector<int> &pages, const PageGeometry &geometry)
{
    prepare(document, geometry);
    QTextCursor cursor(&document);
    QTextBlockFormat title;
    title.setHeadingLevel(1);
    title.setBottomMargin(16);
    cursor.setBlockFormat(title);
    QTextCharFormat titleFormat;
    titleFormat.setFontPointSize(18);
    titleFormat.setFontWeight(QFont::Bold);
    cursor.insertText(QStringLiteral("Contents"), titleFormat);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        QTextBlockFormat block;
        block.setLeftMargin(std::min(entries[i].depth, 4) * 20.0);
        block.setTopMargin(entries[i].depth == 0 ? 6 : 2);
        block.setTabPositions({QTextOption::Tab(
            geometry.body.width() - block.leftMargin() - 1, QTextOption::RightTab)});
        QTextCharFormat format;
        if (entries[i].depth == 0)
            format.setFontWeight(QFont::Bold);
        format.setAnchor(true);
        format.setAnchorHref(pageLinkAddress(pages[i]));
        cursor.insertBlock(block, format);
        cursor.insertText(
            shownTopicName(entries[i].name) + QLatin1Char('\t') + QString::number(pages[i]),
            format);
    }
}

ExportResult failed(ExportOutcome outcome, const QString &message)
{
    ExportResult result;
    result.outcome = outcome;
    result.message = message;
    return result;
}

ExportResult cancelled()
{
    return failed(ExportOutcome::Cancelled, QStringLiteral("the export was cancelled"));
}

// The bookmarks of the manual, nested as the contents are.
std::vector<Bookmark> bookmarksFor(
    const std::vector<ContentsEntry> &entries, const std::vector<int> &topicPages)
{
    std::vector<int> depths;
    for (const ContentsEntry &entry : entries)
        depths.push_back(entry.depth);
    const std::vector<std::ptrdiff_t> parents = outlineParents(depths);
    std::vector<Bookmark> bookmarks;
    for (std::size_t i = 0; i < entries.size(); ++i)
        bookmarks.push_back({shownTopicName(entries[i].name), topicPages[i], parents[i]});
    return bookmarks;
}

// One export: the topics laid out once to count their pages, the contents laid out with those
// numbers, then everything drawn.
class Manual
{
public:
    Manual(const std::string &documentPath, const QString &shownPath,
        const DocumentContents &contents, const PageGeometry &geometry, ExportObserver &observer)
        : m_documentPath(documentPath)
        , m_shownPath(shownPath)
        , m_contents(contents)
        , m_entries(contents.entries)
        , m_geometry(geometry)
        , m_observer(observer)
        , m_steps(2 * m_entries.size() + 1)
        , m_pageCounts(m_entries.size(), 1)
        , m_topicPages(m_entries.size(), 1)
    { }

    // Fills result and returns false when the export stops.
    bool countPages(ExportResult &result)
    {
        return eachTopic(result, 0, [this](QTextDocument &document) {
            m_pageCounts[m_current] = document.pageCount();
            return true;
        });
    }

    // The contents pages come before the topics, and their number moves the topics' pages:
    // laid out until the count holds.
    bool layOutContents(ExportResult &result)
    {
        for (int tries = 0; tries < 4; ++tries) {
            int page = 2 + m_contentsPages;
            for (std::size_t i = 0; i < m_entries.size(); ++i) {
                m_topicPages[i] = page;
                page += m_pageCounts[i];
            }
            m_contentsDocument.clear();
            buildContentsPages(m_contentsDocument, m_entries, m_topicPages, m_geometry);
            const int counted = m_entries.empty() ? 0 : m_contentsDocument.pageCount();
            if (counted == m_contentsPages)
                return true;
            m_contentsPages = counted;
        }
        result = failed(ExportOutcome::Failed,
            QStringLiteral("the table of contents of %1 found no page count").arg(m_shownPath));
        return false;
    }

    bool draw(QPdfWriter &writer, const QString &title, const QDate &date, ExportResult &result)
    {
        QPainter painter;
        if (!painter.begin(&writer)) {
            result = failed(ExportOutcome::Failed, QStringLiteral("cannot draw the manual"));
            return false;
        }
        m_writer = &writer;
        m_painter = &painter;
        QTextDocument titlePage;
        buildTitlePage(titlePage, title, date, m_geometry);
        drawPages(titlePage, 1, false);
        drawPages(m_contentsDocument, m_contentsPages, true);
        // Each topic again, its links now leading to their pages.
        m_warn = true;
        const bool drawn = eachTopic(result, m_entries.size(), [this](QTextDocument &document) {
            if (document.pageCount() != m_pageCounts[m_current])
                return false;
            drawPages(document, m_pageCounts[m_current], true);
            return true;
        });
        if (!painter.end() && drawn) {
            result = failed(ExportOutcome::Failed, QStringLiteral("cannot draw the manual"));
            return false;
        }
        return drawn;
    }

    int pages() const { return m_pagesDrawn; }
    std::uint64_t steps() const { return m_steps; }
    const std::vector<int> &topicPages() const { return m_topicPages; }

private:
    // Reads every topic into a document laid out for the page and hands it to use; stops when
    // the observer cancels, the document is damaged, or use says the document changed.
    template<typename Use>
    bool eachTopic(ExportResult &result, std::uint64_t firstStep, Use use)
    {
        storage::DocumentReader reader(m_documentPath);
        storage::TopicRecord record;
        for (m_current = 0; m_current < m_entries.size(); ++m_current) {
            if (!m_observer.progress(firstStep + m_current, m_steps)) {
                result = cancelled();
                return false;
            }
            const storage::ReadStatus read = reader.next(record);
            if (read == storage::ReadStatus::Error) {
                reportReadFailure(m_shownPath, reader.status(), result);
                return false;
            }
            QTextDocument document;
            if (read == storage::ReadStatus::Record)
                buildTopic(record, document);
            if (read == storage::ReadStatus::End || !use(document)) {
                result = failed(ExportOutcome::Failed,
                    m_shownPath + QStringLiteral(" changed while it was being exported"));
                return false;
            }
        }
        return true;
    }

    void buildTopic(const storage::TopicRecord &record, QTextDocument &document)
    {
        prepare(document, m_geometry);
        readTopic(record, document);
        insertHeading(document, m_entries[m_current]);
        retargetLinks(document, [this](const QString &href) { return addressFor(href); });
    }

    // Where a link of the current topic leads: the first page of the topic it names, a web or
    // mail address as it is, nowhere for anything else.
    QString addressFor(const QString &href)
    {
        if (const std::optional<QString> name = richtext::topicLinkName(href)) {
            if (const std::optional<std::size_t> found = m_contents.topicNamed(*name))
                return pageLinkAddress(m_topicPages[*found]);
            if (m_warn)
                m_observer.warning(missingLinkWarning(m_shownPath, m_entries[m_current], *name));
            return {};
        }
        return publishedWebAddress(href);
    }

    void drawPages(QTextDocument &document, int count, bool numbered)
    {
        for (int page = 0; page < count; ++page) {
            if (m_pagesDrawn > 0)
                m_writer->newPage();
            ++m_pagesDrawn;
            drawPage(*m_painter, document, page, m_geometry);
            if (numbered)
                drawFooter(*m_painter, m_pagesDrawn, m_geometry);
        }
    }

    const std::string m_documentPath;
    const QString m_shownPath;
    const DocumentContents &m_contents;
    const std::vector<ContentsEntry> &m_entries;
    const PageGeometry m_geometry;
    ExportObserver &m_observer;
    const std::uint64_t m_steps;
    std::vector<int> m_pageCounts;
    std::vector<int> m_topicPages;
    QTextDocument m_contentsDocument;
    int m_contentsPages = 0;
    std::size_t m_current = 0;
    bool m_warn = false; // the first pass says nothing: the second meets the same links
    QPdfWriter *m_writer = nullptr;
    QPainter *m_painter = nullptr;
    int m_pagesDrawn = 0;
};

// Makes the finished manual readable as any file made here (a temporary file is private) and
// moves it over target.
bool moveIntoPlace(QTemporaryFile &file, const QFileInfo &target, QString &error)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const QByteArray from = QFile::encodeName(file.fileName());
    const QByteArray to = QFile::encodeName(target.absoluteFilePath());
    if (::chmod(from.constData(), 0666 & ~mask) != 0
        || ::rename(from.constData(), to.constData()) != 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    file.setAutoRemove(false);
    return true;
}

} // namespace

ExportResult exportPdf(const std::string &documentPath, const QString &shownPath,
    const QString &outPath, const PdfOptions &options, ExportObserver &observer)
{
    ExportResult result;
    const std::optional<DocumentContents> contents =
        readDocumentContents(documentPath, shownPath, result);
    if (!contents)
        return result;
    const QString shownOut = QDir::toNativeSeparators(outPath);
    const QFileInfo target(outPath);
    if (target.isDir())
        return failed(ExportOutcome::Refused, QStringLiteral("%1 is a folder").arg(shownOut));
    // The manual would replace the document it is made from.
    const QString source = QFileInfo(QString::fromStdString(documentPath)).canonicalFilePath();
    if (target.exists() && target.canonicalFilePath() == source)
        return failed(
            ExportOutcome::Refused, QStringLiteral("%1 is the document itself").arg(shownOut));

    const QPageLayout layout(QPageSize(options.pageSize), QPageLayout::Portrait,
        QMarginsF(kMarginMillimetres, kMarginMillimetres, kMarginMillimetres, kMarginMillimetres),
        QPageLayout::Millimeter);
    const QRectF area = layout.paintRect(QPageLayout::Point);
    PageGeometry geometry;
    geometry.body =
        QSizeF(area.width() * kPixelsPerPoint, area.height() * kPixelsPerPoint - kFooterPixels);
    geometry.scale = kPdfResolution / 96.0;

    Manual manual(documentPath, shownPath, *contents, geometry, observer);
    if (!manual.countPages(result) || !manual.layOutContents(result))
        return result;
    QTemporaryFile file(
        target.absolutePath() + QLatin1String("/.") + target.fileName() + QLatin1String(".XXXXXX"));
    if (!file.open())
        return failed(ExportOutcome::Failed,
            QStringLiteral("cannot write in %1: %2")
                .arg(QDir::toNativeSeparators(target.absolutePath()), file.errorString()));
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(layout);
        writer.setResolution(kPdfResolution);
        writer.setTitle(documentTitle(shownPath));
        writer.setCreator(QStringLiteral("Scrivane"));
        if (!manual.draw(writer, documentTitle(shownPath),
                options.date.isValid() ? options.date : QDate::currentDate(), result))
            return result;
    }
    QString error;
    if (!file.flush())
        return failed(ExportOutcome::Failed,
            QStringLiteral("cannot write %1: %2").arg(shownOut, file.errorString()));
    const std::vector<Bookmark> bookmarks = bookmarksFor(contents->entries, manual.topicPages());
    if (!addPdfNavigation(file.fileName(), bookmarks, error))
        return failed(
            ExportOutcome::Failed, QStringLiteral("cannot finish %1: %2").arg(shownOut, error));
    if (!observer.progress(manual.steps() - 1, manual.steps()))
        return cancelled();
    if (!moveIntoPlace(file, target, error))
        return failed(
            ExportOutcome::Failed, QStringLiteral("cannot write %1: %2").arg(shownOut, error));

    result.outcome = ExportOutcome::Written;
    result.written = outPath;
    result.topics = contents->entries.size();
    result.pages = manual.pages();
    result.topicPages = manual.topicPages();
    result.outline = !bookmarks.empty();
    return result;
}

} // namespace publish
