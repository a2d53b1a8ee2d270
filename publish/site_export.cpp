#include "publish/site_export.h"

#include "publish/document_contents.h"
#include "publish/html_text.h"
#include "publish/page_names.h"
#include "publish/site_folder.h"
#include "publish/site_pages.h"
#include "publish/topic_html.h"
#include "richtext/rtf_reader.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QSet>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

namespace publish {

namespace {

// The site's own files, from the library's resources.
QByteArray asset(const QString &name)
{
    QFile file(QStringLiteral(":/publish/assets/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("the publishing library lacks its file %s", qPrintable(name));
    return file.readAll();
}

// What a topic's links and pictures become on its page.
class SiteResources final : public TopicResources
{
public:
    SiteResources(const DocumentContents &contents, const QString &shownPath, SiteFolder &folder,
        ExportObserver &observer)
        : m_contents(contents)
        , m_shownPath(shownPath)
        , m_folder(folder)
        , m_observer(observer)
    { }

    void startTopic(std::size_t index) { m_topic = index; }

    QString pageOfTopic(const QString &name) override
    {
        if (const std::optional<std::size_t> found = m_contents.topicNamed(name))
            return m_contents.entries[*found].page;
        m_observer.warning(missingLinkWarning(m_shownPath, m_contents.entries[m_topic], name));
        return {};
    }

    // Each picture is written once, named after its bytes: a picture that several topics show
    // is one file.
    QString pictureFile(const QTextImageFormat &format, const QTextDocument &document) override
    {
        QByteArray bytes = format.property(richtext::kPictureDataProperty).toByteArray();
        QString extension;
        if (bytes.startsWith("\x89PNG\r\n\x1a\n")) {
            extension = QStringLiteral("png");
        } else if (bytes.startsWith("\xff\xd8\xff")) {
            extension = QStringLiteral("jpg");
        } else {
            // The grey box the reader draws for other kinds, or data it decoded otherwise.
            const QImage image =
                document.resource(QTextDocument::ImageResource, QUrl(format.name()))
                    .value<QImage>();
            if (image.isNull())
                return {};
            bytes.clear();
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
            extension = QStringLiteral("png");
        }
        const QString name =
            QStringLiteral("images/%1.%2")
                .arg(
                    QString::fromLatin1(
                        QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(20)),
                    extension);
        if (!m_written.contains(name)) {
            if (!m_failure.isEmpty() || !m_folder.write(name, bytes, m_failure))
                return {};
            m_written.insert(name);
        }
        return name;
    }

    std::uint64_t pictures() const { return std::uint64_t(m_written.size()); }
    // Why a picture could not be written; empty while none failed.
    const QString &failure() const { return m_failure; }

private:
    const DocumentContents &m_contents;
    const QString m_shownPath;
    SiteFolder &m_folder;
    ExportObserver &m_observer;
    std::size_t m_topic = 0;
    QSet<QString> m_written;
    QString m_failure;
};

// search-index.js: one entry per topic, written as the topics are, so that the texts are never
// all in memory.
class SearchIndexFile
{
public:
    explicit SearchIndexFile(const QString &path)
        : m_file(path)
    { }

    bool open()
    {
        return m_file.open(QIODevice::WriteOnly) && put("var scrivaneSearchIndex = [\n");
    }

    bool add(const ContentsEntry &entry, const QString &text)
    {
        const QString line =
            QStringLiteral("%1{\"page\":%2,\"name\":%3,\"text\":%4}\n")
                .arg(m_first ? QString() : QStringLiteral(","), jsonString(entry.page),
                    jsonString(shownTopicName(entry.name)), jsonString(text.simplified()));
        m_first = false;
        return put(line.toUtf8());
    }

    bool close()
    {
        const bool written = put("];\n") && m_file.flush();
        m_file.close();
        return written;
    }

    QString errorString() const { return m_file.errorString(); }

private:
    bool put(const QByteArray &bytes) { return m_file.write(bytes) == bytes.size(); }

    QFile m_file;
    bool m_first = true;
};

ExportResult failed(ExportOutcome outcome, const QString &message)
{
    ExportResult result;
    result.outcome = outcome;
    result.message = message;
    return result;
}

} // namespace

ExportResult exportSite(const std::string &documentPath, const QString &shownPath,
    const QString &folder, const SiteOptions &options, ExportObserver &observer)
{
    ExportResult result;
    SiteFolder site(folder);
    QString error;
    if (!site.check(error))
        return failed(ExportOutcome::Refused, error);
    const std::optional<DocumentContents> contents =
        readDocumentContents(documentPath, shownPath, result);
    if (!contents)
        return result;
    const std::vector<ContentsEntry> &entries = contents->entries;
    if (!site.begin(error))
        return failed(ExportOutcome::Failed, error);

    SiteInfo info;
    info.title = documentTitle(shownPath);
    info.language = options.language;
    if (!site.write(QStringLiteral("style.css"), asset(QStringLiteral("style.css")), error)
        || !site.write(QStringLiteral("search.js"), asset(QStringLiteral("search.js")), error))
        return failed(ExportOutcome::Failed, error);

    const QString indexName = QStringLiteral("search-index.js");
    SearchIndexFile index(site.scratchPath(indexName));
    if (!index.open())
        return failed(ExportOutcome::Failed,
            QStringLiteral("cannot write %1: %2").arg(indexName, index.errorString()));

    const SitePages pages(info, entries);
    SiteResources resources(*contents, shownPath, site, observer);
    storage::DocumentReader reader(documentPath);
    storage::TopicRecord record;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!observer.progress(i, entries.size()))
            return failed(ExportOutcome::Cancelled, QStringLiteral("the export was cancelled"));
        const storage::ReadStatus read = reader.next(record);
        if (read == storage::ReadStatus::Error) {
            reportReadFailure(shownPath, reader.status(), result);
            return result;
        }
        if (read == storage::ReadStatus::End)
            return failed(ExportOutcome::Failed,
                shownPath + QStringLiteral(" changed while it was being exported"));
        const ContentsEntry &entry = entries[i];
        QTextDocument document;
        readTopic(record, document);
        resources.startTopic(i);
        const QString text = topicHtml(document, resources,
            QStringLiteral("Picture in \u201c%1\u201d,").arg(shownTopicName(entry.name)));
        if (!resources.failure().isEmpty())
            return failed(ExportOutcome::Failed, resources.failure());
        if (!site.write(entry.page, pages.topicPage(i, text).toUtf8(), error))
            return failed(ExportOutcome::Failed, error);
        if (!index.add(entry, shownText(document)))
            return failed(ExportOutcome::Failed,
                QStringLiteral("cannot write %1: %2").arg(indexName, index.errorString()));
    }
    if (!index.close())
        return failed(ExportOutcome::Failed,
            QStringLiteral("cannot write %1: %2").arg(indexName, index.errorString()));
    if (!site.write(QStringLiteral("index.html"), pages.indexPage().toUtf8(), error)
        || !site.write(QStringLiteral("search.html"), pages.searchPage().toUtf8(), error))
        return failed(ExportOutcome::Failed, error);
    site.adopt(indexName);
    if (!observer.progress(entries.size(), entries.size()))
        return failed(ExportOutcome::Cancelled, QStringLiteral("the export was cancelled"));
    switch (site.finish(error)) {
    case SiteFolder::Finish::Done:
        break;
    case SiteFolder::Finish::Refused:
        return failed(ExportOutcome::Refused, error);
    case SiteFolder::Finish::Failed:
        return failed(ExportOutcome::Failed, error);
    }
    result.outcome = ExportOutcome::Written;
    result.written = site.folder();
    result.topics = entries.size();
    result.pictures = resources.pictures();
    return result;
}

} // namespace publish
