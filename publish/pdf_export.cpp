#include "publish/pdf_export.h"

#include "publish/document_contents.h"
#include "publish/page_clip_device.h"
#include "publish/page_names.h"
#include "publish/pdf_navigation.h"
#include "publish/topic_html.h"
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

// The reader's display: Verdana (or the nearest sans face), 10 points.
QFont displayFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Verdana")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(10);
    return font;
}

// A page's text area in the layout's pixels, and how the painter maps them onto the page.
struct PageGeometry
{
    QSizeF body;
    double scale = 1.0;
};

void prepare(QTextDocument &document, const PageGeometry &geometry)
{
    document.setDefaultFont(displayFont());
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
    footer.setDefaultFont(displayFont());
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

} // namespace

ExportResult exportPdf(const std::string &documentPath, const QString &shownPath,
    const QString &outPath, const PdfOptions &options, ExportObserver &observer)
{
    ExportResult result;
    const std::optional<DocumentContents> contents =
        readDocumentContents(documentPath, shownPath, result);
    if (!contents)
        return result;
    const std::vector<ContentsEntry> &entries = contents->entries;
    const QFileInfo target(outPath);
    if (target.isDir())
        return failed(ExportOutcome::Refused,
            QStringLiteral("%1 is a folder").arg(QDir::toNativeSeparators(outPath)));
    // The manual would replace the document it is made from.
    const QString source = QFileInfo(QString::fromStdString(documentPath)).canonicalFilePath();
    if (target.exists() && target.canonicalFilePath() == source)
        return failed(ExportOutcome::Refused,
            QStringLiteral("%1 is the document itself").arg(QDir::toNativeSeparators(outPath)));

    const QPageLayout layout(QPageSize(options.pageSize), QPageLayout::Portrait,
        QMarginsF(kMarginMillimetres, kMarginMillimetres, kMarginMillimetres, kMarginMillimetres),
        QPageLayout::Millimeter);
    const QRectF area = layout.paintRect(QPageLayout::Point);
    PageGeometry geometry;
    geometry.body =
        QSizeF(area.width() * kPixelsPerPoint, area.height() * kPixelsPerPoint - kFooterPixels);
    const std::uint64_t steps = 2 * entries.size() + 1;

    // How a topic's links read: to the first page of the topic they name, web and mail links
    // as they are, nothing else.
    std::vector<int> topicPages(entries.size(), 1);
    std::size_t current = 0;
    bool warn = false;
    const auto addressFor = [&](const QString &href) -> QString {
        if (const std::optional<QString> name = richtext::topicLinkName(href)) {
            if (const std::optional<std::size_t> found = contents->topicNamed(*name))
                return pageLinkAddress(topicPages[*found]);
            if (warn)
                observer.warning(missingLinkWarning(shownPath, entries[current], *name));
            return {};
        }
        return publishedWebAddress(href);
    };
    const auto buildTopic = [&](const storage::TopicRecord &record, QTextDocument &document) {
        prepare(document, geometry);
        readTopic(record, document);
        insertHeading(document, entries[current]);
        retargetLinks(document, addressFor);
    };

    // First pass: how many pages each topic takes.
    std::vector<int> pageCounts(entries.size(), 1);
    {
        storage::DocumentReader reader(documentPath);
        storage::TopicRecord record;
        for (current = 0; current < entries.size(); ++current) {
            if (!observer.progress(current, steps))
                return failed(ExportOutcome::Cancelled, QStringLiteral("the export was cancelled"));
            const storage::ReadStatus read = reader.next(record);
            if (read == storage::ReadStatus::Error) {
                reportReadFailure(shownPath, reader.status(), result);
                return result;
            }
            if (read == storage::ReadStatus::End)
                return failed(ExportOutcome::Failed,
                    shownPath + QStringLiteral(" changed while it was being exported"));
            QTextDocument document;
            buildTopic(record, document);
            pageCounts[current] = document.pageCount();
        }
    }

    // The contents pages come before the topics, and their number moves the topics' pages:
    // laid out until the count holds.
    int contentsPages = 0;
    QTextDocument contentsDocument;
    for (int tries = 0; tries < 4; ++tries) {
        int page = 2 + contentsPages;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            topicPages[i] = page;
            page += pageCounts[i];
        }
        contentsDocument.clear();
        buildContentsPages(contentsDocument, entries, topicPages, geometry);
        const int counted = entries.empty() ? 0 : contentsDocument.pageCount();
        if (counted == contentsPages)
            break;
        contentsPages = counted;
    }

    QTemporaryFile file(
        target.absolutePath() + QLatin1String("/.") + target.fileName() + QLatin1String(".XXXXXX"));
    if (!file.open())
        return failed(ExportOutcome::Failed,
            QStringLiteral("cannot write in %1: %2")
                .arg(QDir::toNativeSeparators(target.absolutePath()), file.errorString()));
    int pagesDrawn = 0;
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(layout);
        writer.setTitle(documentTitle(shownPath));
        writer.setCreator(QStringLiteral("Scrivane"));
        geometry.scale = writer.resolution() / 96.0;
        QPainter painter;
        if (!painter.begin(&writer))
            return failed(ExportOutcome::Failed,
                QStringLiteral("cannot write %1").arg(QDir::toNativeSeparators(outPath)));
        auto nextPage = [&] {
            if (pagesDrawn > 0)
                writer.newPage();
            ++pagesDrawn;
        };

        QTextDocument title;
        buildTitlePage(title, documentTitle(shownPath),
            options.date.isValid() ? options.date : QDate::currentDate(), geometry);
        nextPage();
        drawPage(painter, title, 0, geometry);
        for (int page = 0; page < contentsPages; ++page) {
            nextPage();
            drawPage(painter, contentsDocument, page, geometry);
            drawFooter(painter, pagesDrawn, geometry);
        }

        // Second pass: each topic drawn, its links now leading to their pages.
        warn = true;
        storage::DocumentReader reader(documentPath);
        storage::TopicRecord record;
        for (current = 0; current < entries.size(); ++current) {
            if (!observer.progress(entries.size() + current, steps)) {
                painter.end();
                return failed(ExportOutcome::Cancelled, QStringLiteral("the export was cancelled"));
            }
            const storage::ReadStatus read = reader.next(record);
            if (read != storage::ReadStatus::Record) {
                painter.end();
                if (read == storage::ReadStatus::Error) {
                    reportReadFailure(shownPath, reader.status(), result);
                    return result;
                }
                return failed(ExportOutcome::Failed,
                    shownPath + QStringLiteral(" changed while it was being exported"));
            }
            QTextDocument document;
            buildTopic(record, document);
            if (document.pageCount() != pageCounts[current]) {
                painter.end();
                return failed(ExportOutcome::Failed,
                    shownPath + QStringLiteral(" changed while it was being exported"));
            }
            for (int page = 0; page < pageCounts[current]; ++page) {
                nextPage();
                drawPage(painter, document, page, geometry);
                drawFooter(painter, pagesDrawn, geometry);
            }
        }
        if (!painter.end())
            return failed(ExportOutcome::Failed,
                QStringLiteral("cannot write %1").arg(QDir::toNativeSeparators(outPath)));
    }
    if (!file.flush())
        return failed(ExportOutcome::Failed,
            QStringLiteral("cannot write %1: %2")
                .arg(QDir::toNativeSeparators(outPath), file.errorString()));

    std::vector<Bookmark> bookmarks;
    std::vector<int> depths;
    for (const ContentsEntry &entry : entries)
        depths.push_back(entry.depth);
    const std::vector<std::ptrdiff_t> parents = outlineParents(depths);
    for (std::size_t i = 0; i < entries.size(); ++i)
        bookmarks.push_back({shownTopicName(entries[i].name), topicPages[i], parents[i]});
    QString error;
    if (!addPdfNavigation(file.fileName(), bookmarks, error))
        return failed(ExportOutcome::Failed,
            QStringLiteral("cannot finish %1: %2").arg(QDir::toNativeSeparators(outPath), error));
    if (!observer.progress(steps - 1, steps))
        return failed(ExportOutcome::Cancelled, QStringLiteral("the export was cancelled"));

    // A temporary file is private; the manual is to be as readable as any file made here.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const QByteArray from = QFile::encodeName(file.fileName());
    const QByteArray to = QFile::encodeName(target.absoluteFilePath());
    if (::chmod(from.constData(), 0666 & ~mask) != 0
        || ::rename(from.constData(), to.constData()) != 0)
        return failed(ExportOutcome::Failed,
            QStringLiteral("cannot write %1: %2")
                .arg(QDir::toNativeSeparators(outPath),
                    QString::fromLocal8Bit(std::strerror(errno))));
    file.setAutoRemove(false);

    result.outcome = ExportOutcome::Written;
    result.written = outPath;
    result.topics = entries.size();
    result.pages = pagesDrawn;
    result.topicPages = topicPages;
    result.outline = !bookmarks.empty();
    return result;
}

} // namespace publish
