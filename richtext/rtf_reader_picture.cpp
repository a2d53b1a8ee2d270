// Pictures: \pict groups in the text. PNG and JPEG are decoded; other kinds become a grey box
// of their size.

#include "richtext/rtf_reader_impl.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QTextDocument>

#include <utility>

namespace richtext::detail {

namespace {

// A picture larger than this on either side is damage or a poster; it is shown scaled down.
constexpr double kMaxSide = 4000.0;
// The placeholder box's own pixels; the shown size is set on the format.
constexpr int kMaxPlaceholderSide = 512;
// Larger pictures are kept scaled down to this; the shown size stays as the RTF says.
constexpr qint64 kMaxKeptPixels = 2048 * 2048;
constexpr int kMaxKeptSide = 2048;

QSizeF shownSize(const Picture &picture, QSize natural)
{
    double width = picture.goalWidth > 0 ? picture.goalWidth / kTwipsPerPixel : 0;
    double height = picture.goalHeight > 0 ? picture.goalHeight / kTwipsPerPixel : 0;
    if (width <= 0 || height <= 0) {
        if (natural.isValid() && !natural.isEmpty()) {
            width = natural.width();
            height = natural.height();
        } else {
            // 96 pixels to the inch: 2540 hundredths of a millimetre.
            const double unit = picture.kind == PictureKind::Metafile ? 96.0 / 2540.0 : 1.0;
            width = picture.width > 0 ? picture.width * unit : 0;
            height = picture.height > 0 ? picture.height * unit : 0;
        }
    }
    if (picture.scaleX > 0)
        width = width * picture.scaleX / 100.0;
    if (picture.scaleY > 0)
        height = height * picture.scaleY / 100.0;
    width = std::clamp(width, 1.0, kMaxSide);
    height = std::clamp(height, 1.0, kMaxSide);
    return QSizeF(width, height);
}

QImage placeholder(QSizeF size)
{
    const QSize pixels(std::clamp(qRound(size.width()), 1, kMaxPlaceholderSide),
        std::clamp(qRound(size.height()), 1, kMaxPlaceholderSide));
    QImage image(pixels, QImage::Format_RGB32);
    image.fill(QColor(0xe0, 0xe0, 0xe0));
    QPainter painter(&image);
    painter.setPen(QColor(0x90, 0x90, 0x90));
    painter.drawRect(0, 0, pixels.width() - 1, pixels.height() - 1);
    return image;
}

// The image a \pict stands for and its shown size in pixels.
struct PictureImage
{
    QImage image;
    QSizeF size;
    bool decoded = false; // from PNG or JPEG data, rather than the placeholder box
};

// pixelBudget: the decoded pixels the document may still take; lowered by what is kept.
PictureImage buildPicture(const Picture &picture, qint64 &pixelBudget)
{
    PictureImage result;
    if (picture.kind == PictureKind::None && picture.data.isEmpty())
        return result;
    if (picture.kind == PictureKind::Png || picture.kind == PictureKind::Jpeg) {
        // Some producers label PNG data \jpegblip: let the data say what it is.
        QBuffer buffer;
        buffer.setData(picture.data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        const QSize natural = reader.size();
        QSize kept = natural;
        if (natural.isValid() && qint64(natural.width()) * natural.height() > kMaxKeptPixels)
            kept = natural.scaled(kMaxKeptSide, kMaxKeptSide, Qt::KeepAspectRatio);
        if (kept.isValid() && qint64(kept.width()) * kept.height() <= pixelBudget) {
            if (kept != natural)
                reader.setScaledSize(kept);
            QImage image = reader.read();
            if (!image.isNull()) {
                pixelBudget -= qint64(image.width()) * image.height();
                result.size = shownSize(picture, natural);
                result.image = image;
                result.decoded = true;
                return result;
            }
        }
    }
    result.size = shownSize(picture, QSize());
    result.image = placeholder(result.size);
    pixelBudget -= qint64(result.image.width()) * result.image.height();
    return result;
}

} // namespace

template<PictureKind Kind>
void RtfReaderImpl::wordPictureKind(int)
{
    m_scratch.picture.kind = Kind;
}

namespace {

// Where a picture may stand in text. An object shows its result, which holds its picture.
constexpr Word kBodyWords[] = {
    {"do", &RtfReaderImpl::wordIgnore, 0, true},
    {"nonshppict", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"objclass", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"objdata", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"objname", &RtfReaderImpl::wordSkipDestination, 0, true},
    {"pict", &RtfReaderImpl::wordPicture, 0, true},
    {"result", &RtfReaderImpl::wordIgnore, 0, true},
    {"shppict", &RtfReaderImpl::wordIgnore, 0, true},
};
static_assert(isSorted(kBodyWords));

// A metafile's argument is its mapping mode or type, not a kind of picture.
constexpr Word kPictureWords[] = {
    {"dibitmap", &RtfReaderImpl::wordPictureKind<PictureKind::Bitmap>, 0, false},
    {"emfblip", &RtfReaderImpl::wordPictureKind<PictureKind::Metafile>, 0, false},
    {"jpegblip", &RtfReaderImpl::wordPictureKind<PictureKind::Jpeg>, 0, false},
    {"macpict", &RtfReaderImpl::wordPictureKind<PictureKind::Metafile>, 0, false},
    {"pich", &RtfReaderImpl::wordPictureHeight, 0, false},
    {"pichgoal", &RtfReaderImpl::wordPictureGoalHeight, 0, false},
    {"picscalex", &RtfReaderImpl::wordPictureScaleX, 100, false},
    {"picscaley", &RtfReaderImpl::wordPictureScaleY, 100, false},
    {"picw", &RtfReaderImpl::wordPictureWidth, 0, false},
    {"picwgoal", &RtfReaderImpl::wordPictureGoalWidth, 0, false},
    {"pmmetafile", &RtfReaderImpl::wordPictureKind<PictureKind::Metafile>, 0, false},
    {"pngblip", &RtfReaderImpl::wordPictureKind<PictureKind::Png>, 0, false},
    {"wbitmap", &RtfReaderImpl::wordPictureKind<PictureKind::Bitmap>, 0, false},
    {"wmetafile", &RtfReaderImpl::wordPictureKind<PictureKind::Metafile>, 0, false},
};
static_assert(isSorted(kPictureWords));

} // namespace

constexpr WordTable kPictureBodyWords = kBodyWords;

// Its text is hex data; the picture is placed where its group ends.
constexpr Destination kPicture {
    .words = &wordIndex<kPictureWords>,
    .text = &RtfReaderImpl::pictureHex,
    .binary = &RtfReaderImpl::pictureBinary,
    .groupEnd = &RtfReaderImpl::finishPicture,
};

void RtfReaderImpl::wordPicture(int)
{
    if (!inBodyText()) {
        m_state.destination = &kSkip;
        return;
    }
    m_state.destination = &kPicture;
    m_scratch.picture = Picture();
}

void RtfReaderImpl::wordPictureWidth(int value)
{
    m_scratch.picture.width = value;
}

void RtfReaderImpl::wordPictureHeight(int value)
{
    m_scratch.picture.height = value;
}

void RtfReaderImpl::wordPictureGoalWidth(int twips)
{
    m_scratch.picture.goalWidth = twips;
}

void RtfReaderImpl::wordPictureGoalHeight(int twips)
{
    m_scratch.picture.goalHeight = twips;
}

void RtfReaderImpl::wordPictureScaleX(int percent)
{
    m_scratch.picture.scaleX = percent;
}

void RtfReaderImpl::wordPictureScaleY(int percent)
{
    m_scratch.picture.scaleY = percent;
}

void RtfReaderImpl::pictureHex(QByteArrayView bytes)
{
    Picture &picture = m_scratch.picture;
    for (char c : bytes) {
        int value;
        if (c >= '0' && c <= '9')
            value = c - '0';
        else if (c >= 'a' && c <= 'f')
            value = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            value = c - 'A' + 10;
        else
            continue;
        if (picture.pendingNibble < 0) {
            picture.pendingNibble = value;
        } else {
            picture.data.append(static_cast<char>(picture.pendingNibble * 16 + value));
            picture.pendingNibble = -1;
        }
    }
}

void RtfReaderImpl::pictureBinary(QByteArrayView bytes)
{
    m_scratch.picture.data.append(bytes.data(), bytes.size());
    m_scratch.picture.pendingNibble = -1;
}

void RtfReaderImpl::finishPicture(const GroupState &group)
{
    // Groups inside the picture's own hold parts of its data.
    if (m_state.destination == group.destination)
        return;
    const Picture picture = std::exchange(m_scratch.picture, Picture());
    if (!inBodyText() || shownChars().hidden || !m_document)
        return;
    const PictureImage built = buildPicture(picture, m_counters.pixelBudget);
    if (built.image.isNull())
        return;
    prepareContent();
    flushText();
    QUrl name;
    do {
        name = QUrl(QStringLiteral("rtfimage:%1").arg(++m_counters.images));
    } while (!m_document->resource(QTextDocument::ImageResource, name).isNull());
    m_document->addResource(QTextDocument::ImageResource, name, built.image);
    QTextImageFormat format;
    format.setName(name.toString());
    format.setWidth(built.size.width());
    format.setHeight(built.size.height());
    if (built.decoded)
        format.setProperty(kPictureDataProperty, picture.data);
    m_cursor.insertImage(format);
    m_paragraph.hasContent = true;
    m_paragraph.contentPara = m_state.para;
}

} // namespace richtext::detail
