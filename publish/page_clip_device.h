#pragma once

#include <QPaintDevice>
#include <QPaintEngine>
#include <QRectF>
#include <QTransform>

#include <memory>

class QPainter;

namespace publish {

// A paint device that passes what is drawn on it on to another painter, leaving out the text
// whose baseline lies outside one page. Qt's text layout draws every line of a paragraph or
// table cell that touches the page being drawn, counting on the clip to hide the rest: in a
// PDF, hidden text is still text, and a search or a copy would find it on both pages.
class PageClipDevice final : public QPaintDevice
{
public:
    // target: the painter that draws the page, active while this device is painted on; page:
    // the page's area in target's device coordinates.
    PageClipDevice(QPainter &target, const QRectF &page);
    ~PageClipDevice() override;

    QPaintEngine *paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QPainter &m_target;
    std::unique_ptr<QPaintEngine> m_engine;
};

} // namespace publish
