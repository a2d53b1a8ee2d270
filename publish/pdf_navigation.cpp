#include "publish/pdf_navigation.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <climits>
#include <map>

namespace publish {

namespace {

// Qt writes a link's action as "/S /URI", a line end, then "/URI (address)".
constexpr QLatin1StringView kPlaceholderStart {"/S /URI\n/URI (scrivane-page:"};
constexpr int kPageDigits = 20;
constexpr qsizetype kPlaceholderLength = kPlaceholderStart.size() + kPageDigits + 1;
constexpr qint64 kChunk = 1 << 20;
// An object of the catalogue, the page tree or a page is far smaller.
constexpr qint64 kMaxObject = 4 << 20;

struct CrossReference
{
    std::map<int, qint64> offsets; // object number to its offset
    qint64 start = 0; // of the cross-reference section
    int size = 0;
    int root = 0;
    int info = 0;
};

QByteArray readAt(QFile &file, qint64 offset, qint64 length)
{
    if (!file.seek(offset))
        return {};
    return file.read(length);
}

// The text of object number's dictionary, from its "N 0 obj" to its "endobj".
QByteArray objectText(QFile &file, const CrossReference &xref, int number)
{
    const auto found = xref.offsets.find(number);
    if (found == xref.offsets.end())
        return {};
    for (qint64 length = 4096; length <= kMaxObject; length *= 4) {
        const QByteArray bytes = readAt(file, found->second, length);
        const qsizetype end = bytes.indexOf("endobj");
        if (end >= 0)
            return bytes.left(end);
        if (bytes.size() < length)
            return {};
    }
    return {};
}

int capturedNumber(const QByteArray &text, const char *pattern)
{
    const QRegularExpression expression {QLatin1String(pattern)};
    const QRegularExpressionMatch match = expression.match(QString::fromLatin1(text));
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

bool readCrossReference(QFile &file, CrossReference &xref, QString &error)
{
    const qint64 size = file.size();
    const QByteArray tail = readAt(file, std::max<qint64>(0, size - 4096), 4096);
    const qsizetype trailer = tail.lastIndexOf("trailer");
    const qsizetype startxref = tail.lastIndexOf("startxref");
    if (trailer < 0 || startxref < trailer) {
        error = QStringLiteral("the PDF has no trailer");
        return false;
    }
    const QByteArray dictionary = tail.mid(trailer, startxref - trailer);
    xref.size = capturedNumber(dictionary, "/Size\\s+(\\d+)");
    xref.root = capturedNumber(dictionary, "/Root\\s+(\\d+)\\s+0\\s+R");
    xref.info = capturedNumber(dictionary, "/Info\\s+(\\d+)\\s+0\\s+R");
    xref.start = tail.mid(startxref + 9).trimmed().split('\n').value(0).trimmed().toLongLong();
    if (xref.size <= 0 || xref.root <= 0 || xref.start <= 0 || xref.start >= size) {
        error = QStringLiteral("the PDF's trailer is not as Qt writes it");
        return false;
    }
    // One subsection per run of numbers, each entry "offset generation n|f".
    const QByteArray section = readAt(file, xref.start, qint64(xref.size) * 20 + 256);
    const QList<QByteArray> lines = section.split('\n');
    if (lines.value(0).trimmed() != "xref") {
        error = QStringLiteral("the PDF's cross-reference table is not where its trailer says");
        return false;
    }
    qsizetype line = 1;
    while (line < lines.size()) {
        const QList<QByteArray> head = lines.at(line).trimmed().split(' ');
        if (head.size() != 2)
            break; // "trailer"
        const int first = head.at(0).toInt();
        const int count = head.at(1).toInt();
        for (int i = 0; i < count && line + 1 + i < lines.size(); ++i) {
            const QList<QByteArray> entry = lines.at(line + 1 + i).trimmed().split(' ');
            if (entry.size() == 3 && entry.at(2) == "n")
                xref.offsets[first + i] = entry.at(0).toLongLong();
        }
        line += 1 + count;
    }
    return true;
}

struct Page
{
    int object = 0;
    QByteArray top; // the height of its media box, where a jump puts the view
};

bool readPages(QFile &file, const CrossReference &xref, std::vector<Page> &pages, QString &error)
{
    const QByteArray catalog = objectText(file, xref, xref.root);
    const int tree = capturedNumber(catalog, "/Pages\\s+(\\d+)\\s+0\\s+R");
    const QByteArray treeText = objectText(file, xref, tree);
    const qsizetype kids = treeText.indexOf("/Kids");
    const qsizetype open = treeText.indexOf('[', kids);
    const qsizetype close = treeText.indexOf(']', open);
    if (tree <= 0 || kids < 0 || open < 0 || close < 0) {
        error = QStringLiteral("the PDF's page tree is not as Qt writes it");
        return false;
    }
    static const QRegularExpression reference(QStringLiteral("(\\d+)\\s+0\\s+R"));
    const QString list = QString::fromLatin1(treeText.mid(open + 1, close - open - 1));
    for (const QRegularExpressionMatch &match : reference.globalMatch(list)) {
        Page page;
        page.object = match.captured(1).toInt();
        const QByteArray pageText = objectText(file, xref, page.object);
        static const QRegularExpression box(QStringLiteral(
            "/MediaBox\\s*\\[\\s*[-\\d.]+\\s+[-\\d.]+\\s+[-\\d.]+\\s+([-\\d.]+)\\s*\\]"));
        const QRegularExpressionMatch height = box.match(QString::fromLatin1(pageText));
        if (!pageText.contains("/Type /Page") || !height.hasMatch()) {
            error =
                QStringLiteral("the PDF's page %1 is not as Qt writes it").arg(pages.size() + 1);
            return false;
        }
        page.top = QByteArray::number(qRound(height.captured(1).toDouble()));
        pages.push_back(page);
    }
    return true;
}

QByteArray destination(const Page &page)
{
    return "[" + QByteArray::number(page.object) + " 0 R /XYZ 0 " + page.top + " 0]";
}

// The object that holds a byte: the last one that starts at or before it.
int objectAt(const std::vector<std::pair<qint64, int>> &starts, qint64 offset)
{
    auto after = std::upper_bound(starts.begin(), starts.end(), std::make_pair(offset, INT_MAX));
    return after == starts.begin() ? 0 : std::prev(after)->second;
}

bool mendLinks(
    QFile &file, const CrossReference &xref, const std::vector<Page> &pages, QString &error)
{
    std::vector<std::pair<qint64, int>> starts;
    for (const auto &[number, offset] : xref.offsets)
        starts.emplace_back(offset, number);
    std::sort(starts.begin(), starts.end());

    struct Placeholder
    {
        qint64 offset;
        int page;
    };
    std::vector<Placeholder> found;
    const QByteArray start(kPlaceholderStart.data(), kPlaceholderStart.size());
    for (qint64 chunk = 0; chunk < xref.start; chunk += kChunk) {
        // Chunks overlap by a placeholder, so that none is cut in two.
        const QByteArray bytes = readAt(file, chunk, kChunk + kPlaceholderLength);
        for (qsizetype at = bytes.indexOf(start); at >= 0 && at < kChunk;
             at = bytes.indexOf(start, at + 1)) {
            const QByteArray digits = bytes.mid(at + start.size(), kPageDigits);
            if (bytes.mid(at + start.size() + kPageDigits, 1) != ")")
                continue;
            bool number = false;
            const int page = digits.toInt(&number);
            // Only the actions of link annotations: an image's bytes could hold the same.
            const QByteArray object = objectText(file, xref, objectAt(starts, chunk + at));
            if (!number || !object.contains("/Subtype /Link"))
                continue;
            found.push_back({chunk + at, page});
        }
    }
    for (const Placeholder &placeholder : found) {
        if (placeholder.page < 1 || placeholder.page > int(pages.size())) {
            error = QStringLiteral("a link leads to page %1 of %2")
                        .arg(placeholder.page)
                        .arg(pages.size());
            return false;
        }
        QByteArray jump = "/S /GoTo\n/D " + destination(pages[placeholder.page - 1]);
        if (jump.size() > kPlaceholderLength) {
            error = QStringLiteral("a link's jump does not fit in its place");
            return false;
        }
        jump = jump.leftJustified(kPlaceholderLength, ' ');
        if (!file.seek(placeholder.offset) || file.write(jump) != jump.size()) {
            error = file.errorString();
            return false;
        }
    }
    return true;
}

QByteArray pdfTextString(const QString &text)
{
    QByteArray hex = "<FEFF";
    for (QChar c : text)
        hex += QByteArray::number(c.unicode() | 0x10000, 16).right(4).toUpper();
    return hex + ">";
}

// The bookmarks as a tree: each one's parent (-1 for the top; a parent must come before its
// child), its children in order, and how many bookmarks lie below it.
struct OutlineTree
{
    explicit OutlineTree(const std::vector<Bookmark> &bookmarks)
        : parents(bookmarks.size(), -1)
        , children(bookmarks.size() + 1)
        , below(bookmarks.size(), 0)
    {
        const std::size_t count = bookmarks.size();
        for (std::size_t i = 0; i < count; ++i) {
            const std::ptrdiff_t parent = bookmarks[i].parent;
            if (parent >= 0 && std::size_t(parent) < i)
                parents[i] = parent;
            familyOf(parents[i]).push_back(i);
        }
        for (std::size_t i = count; i-- > 0;) {
            for (std::size_t child : children[i])
                below[i] += 1 + below[child];
        }
    }

    // The children of a bookmark, or the top's for -1.
    std::vector<std::size_t> &familyOf(std::ptrdiff_t parent)
    {
        return children[parent >= 0 ? std::size_t(parent) : children.size() - 1];
    }
    const std::vector<std::size_t> &familyOf(std::ptrdiff_t parent) const
    {
        return children[parent >= 0 ? std::size_t(parent) : children.size() - 1];
    }

    std::vector<std::ptrdiff_t> parents;
    std::vector<std::vector<std::size_t>> children; // the last: the top's
    std::vector<int> below;
};

// Objects appended after the end of a PDF with their own cross-reference section and a
// trailer that points back at the old one: what a reader takes as the newer version.
class IncrementalUpdate
{
public:
    explicit IncrementalUpdate(qint64 at)
        : m_at(at)
    { }

    void add(int number, const QByteArray &dictionary)
    {
        m_written.emplace_back(number, m_at + m_bytes.size());
        m_bytes += QByteArray::number(number) + " 0 obj\n" + dictionary + "\nendobj\n";
    }

    // The update's bytes, ended by its cross-reference section and trailer.
    QByteArray finish(const CrossReference &xref, int size)
    {
        std::sort(m_written.begin(), m_written.end());
        const qint64 section = m_at + m_bytes.size();
        QByteArray bytes = m_bytes + "xref\n0 1\n0000000000 65535 f \n";
        for (std::size_t i = 0; i < m_written.size();) {
            std::size_t run = i + 1;
            while (run < m_written.size() && m_written[run].first == m_written[run - 1].first + 1)
                ++run;
            bytes += QByteArray::number(m_written[i].first) + ' ' + QByteArray::number(int(run - i))
                + '\n';
            for (; i < run; ++i)
                bytes +=
                    QByteArray::number(m_written[i].second).rightJustified(10, '0') + " 00000 n \n";
        }
        bytes += "trailer\n<<\n/Size " + QByteArray::number(size) + "\n/Root "
            + QByteArray::number(xref.root) + " 0 R\n";
        if (xref.info > 0)
            bytes += "/Info " + QByteArray::number(xref.info) + " 0 R\n";
        bytes += "/Prev " + QByteArray::number(xref.start) + "\n>>\nstartxref\n"
            + QByteArray::number(section) + "\n%%EOF\n";
        return bytes;
    }

private:
    qint64 m_at;
    QByteArray m_bytes = "\n";
    std::vector<std::pair<int, qint64>> m_written; // object number, offset
};

bool appendOutline(QFile &file, const CrossReference &xref, const std::vector<Page> &pages,
    const std::vector<Bookmark> &bookmarks, QString &error)
{
    QByteArray catalog = objectText(file, xref, xref.root);
    const qsizetype close = catalog.lastIndexOf(">>");
    if (close < 0 || catalog.contains("/Outlines")) {
        error = QStringLiteral("the PDF's catalogue is not as Qt writes it");
        return false;
    }
    const int outline = xref.size;
    const auto reference = [outline](std::ptrdiff_t bookmark) {
        return QByteArray::number(bookmark >= 0 ? outline + 1 + int(bookmark) : outline) + " 0 R";
    };
    const auto familyLinks = [&](const std::vector<std::size_t> &family) {
        if (family.empty())
            return QByteArray();
        return "/First " + reference(family.front()) + "\n/Last " + reference(family.back()) + "\n";
    };
    const OutlineTree tree(bookmarks);
    const std::size_t count = bookmarks.size();

    IncrementalUpdate update(file.size());
    update.add(outline,
        "<<\n/Type /Outlines\n" + familyLinks(tree.familyOf(-1)) + "/Count "
            + QByteArray::number(int(count)) + "\n>>");
    for (std::size_t i = 0; i < count; ++i) {
        const Bookmark &bookmark = bookmarks[i];
        if (bookmark.page < 1 || bookmark.page > int(pages.size())) {
            error = QStringLiteral("a bookmark leads to page %1 of %2")
                        .arg(bookmark.page)
                        .arg(pages.size());
            return false;
        }
        const std::vector<std::size_t> &siblings = tree.familyOf(tree.parents[i]);
        const auto self = std::find(siblings.begin(), siblings.end(), i);
        QByteArray dictionary = "<<\n/Title " + pdfTextString(bookmark.title) + "\n/Parent "
            + reference(tree.parents[i]) + "\n";
        if (self != siblings.begin())
            dictionary += "/Prev " + reference(*std::prev(self)) + "\n";
        if (std::next(self) != siblings.end())
            dictionary += "/Next " + reference(*std::next(self)) + "\n";
        dictionary += familyLinks(tree.children[i]);
        if (tree.below[i] > 0)
            dictionary += "/Count " + QByteArray::number(tree.below[i]) + "\n";
        dictionary += "/Dest " + destination(pages[bookmark.page - 1]) + "\n>>";
        update.add(outline + 1 + int(i), dictionary);
    }
    // The catalogue again, under its own number: the update's version is the one that counts.
    const qsizetype open = catalog.indexOf("<<");
    update.add(xref.root,
        catalog.mid(open, close - open) + "/Outlines " + QByteArray::number(outline)
            + " 0 R\n/PageMode /UseOutlines\n>>");

    const QByteArray bytes = update.finish(xref, outline + 1 + int(count));
    if (!file.seek(file.size()) || file.write(bytes) != bytes.size()) {
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

QString pageLinkAddress(int page)
{
    return QStringLiteral("scrivane-page:%1").arg(page, kPageDigits, 10, QLatin1Char('0'));
}

bool addPdfNavigation(const QString &path, const std::vector<Bookmark> &bookmarks, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) {
        error = file.errorString();
        return false;
    }
    CrossReference xref;
    std::vector<Page> pages;
    if (!readCrossReference(file, xref, error) || !readPages(file, xref, pages, error)
        || !mendLinks(file, xref, pages, error))
        return false;
    if (!bookmarks.empty() && !appendOutline(file, xref, pages, bookmarks, error))
        return false;
    if (!file.flush()) {
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace publish
