// Pictures: PNG and JPEG are decoded; other kinds become a grey box of their size.

#include "richtext/rtf_reader_impl.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

namespace richtext::detail {

namespace {

constexpr double kTwipsPerPixel = 15.0;
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

} // namespace

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
                return result;
            }
        }
    }
    result.size = shownSize(picture, QSize());
    result.image = placeholder(result.size);
    pixelBudget -= qint64(result.image.width()) * result.image.height();
    return result;
}

} // namespace richtext::detail
