#include "publish/page_clip_device.h"

#include <QPainter>
#include <QPainterPath>

namespace publish {

namespace {

class ForwardingEngine final : public QPaintEngine
{
public:
    ForwardingEngine(QPainter &target, const QRectF &page)
        : QPaintEngine(AllFeatures)
        , m_target(target)
        , m_page(page)
    { }

    bool begin(QPaintDevice *) override
    {
        m_target.save();
        return true;
    }

    bool end() override
    {
        m_target.restore();
        return true;
    }

    void updateState(const QPaintEngineState &current) override
    {
        const DirtyFlags dirty = current.state();
        if (dirty & DirtyTransform) {
            m_transform = current.transform();
            m_target.setTransform(m_transform);
        }
        if (dirty & DirtyPen)
            m_target.setPen(current.pen());
        if (dirty & DirtyBrush)
            m_target.setBrush(current.brush());
        if (dirty & DirtyBrushOrigin)
            m_target.setBrushOrigin(current.brushOrigin());
        if (dirty & DirtyBackground)
            m_target.setBackground(current.backgroundBrush());
        if (dirty & DirtyBackgroundMode)
            m_target.setBackgroundMode(current.backgroundMode());
        if (dirty & DirtyFont)
            m_target.setFont(current.font());
        if (dirty & DirtyHints)
            m_target.setRenderHints(current.renderHints());
        if (dirty & DirtyCompositionMode)
            m_target.setCompositionMode(current.compositionMode());
        if (dirty & DirtyOpacity)
            m_target.setOpacity(current.opacity());
        // Clips come in the coordinates of the transform they were set under, which the
        // painter passes on first.
        if (dirty & DirtyClipPath)
            m_target.setClipPath(current.clipPath(), current.clipOperation());
        if (dirty & DirtyClipRegion)
            m_target.setClipRegion(current.clipRegion(), current.clipOperation());
        if (dirty & DirtyClipEnabled)
            m_target.setClipping(current.isClipEnabled());
    }

    void drawTextItem(const QPointF &position, const QTextItem &item) override
    {
        const double baseline = m_transform.map(position).y();
        if (baseline < m_page.top() || baseline > m_page.bottom())
            return;
        m_target.drawTextItem(position, item);
    }

    void drawRects(const QRectF *rects, int count) override { m_target.drawRects(rects, count); }
    void drawLines(const QLineF *lines, int count) override { m_target.drawLines(lines, count); }
    void drawEllipse(const QRectF &rect) override { m_target.drawEllipse(rect); }
    void drawPath(const QPainterPath &path) override { m_target.drawPath(path); }
    void drawPoints(const QPointF *points, int count) override
    {
        m_target.drawPoints(points, count);
    }

    void drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) override
    {
        switch (mode) {
        case PolylineMode:
            m_target.drawPolyline(points, count);
            break;
        case WindingMode:
            m_target.drawPolygon(points, count, Qt::WindingFill);
            break;
        case OddEvenMode:
        case ConvexMode:
            m_target.drawPolygon(points, count, Qt::OddEvenFill);
            break;
        }
    }

    void drawPixmap(const QRectF &rect, const QPixmap &pixmap, const QRectF &source) override
    {
        m_target.drawPixmap(rect, pixmap, source);
    }

    void drawImage(const QRectF &rect, const QImage &image, const QRectF &source,
        Qt::ImageConversionFlags flags) override
    {
        m_target.drawImage(rect, image, source, flags);
    }

    void drawTiledPixmap(const QRectF &rect, const QPixmap &pixmap, const QPointF &offset) override
    {
        m_target.drawTiledPixmap(rect, pixmap, offset);
    }

    Type type() const override { return User; }

private:
    QPainter &m_target;
    const QRectF m_page;
    QTransform m_transform;
};

} // namespace

PageClipDevice::PageClipDevice(QPainter &target, const QRectF &page)
    : m_target(target)
    , m_engine(std::make_unique<ForwardingEngine>(target, page))
{ }

PageClipDevice::~PageClipDevice() = default;

QPaintEngine *PageClipDevice::paintEngine() const
{
    return m_engine.get();
}

int PageClipDevice::metric(PaintDeviceMetric metric) const
{
    const QPaintDevice *device = m_target.device();
    switch (metric) {
    case PdmWidth:
        return device->width();
    case PdmHeight:
        return device->height();
    case PdmWidthMM:
        return device->widthMM();
    case PdmHeightMM:
        return device->heightMM();
    case PdmNumColors:
        return device->colorCount();
    case PdmDepth:
        return device->depth();
    case PdmDpiX:
        return device->logicalDpiX();
    case PdmDpiY:
        return device->logicalDpiY();
    case PdmPhysicalDpiX:
        return device->physicalDpiX();
    case PdmPhysicalDpiY:
        return device->physicalDpiY();
    case PdmDevicePixelRatio:
        return int(device->devicePixelRatio());
    case PdmDevicePixelRatioScaled:
        return int(device->devicePixelRatio() * devicePixelRatioFScale());
    }
    return 0;
}

} // namespace publish
