#include "ui/growing_client.h"

#include <cmath>

GrowingClient::GrowingClient(QSize designSize, QWidget *parent)
    : QWidget(parent)
    , m_designSize(designSize)
{
    setFixedSize(designSize);
}

void GrowingClient::startGrowing()
{
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

void GrowingClient::grow(QWidget *widget, Share share)
{
    m_entries.append({widget, widget->geometry(), share});
}

void GrowingClient::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_extra = QSize(
        std::max(0, width() - m_designSize.width()), std::max(0, height() - m_designSize.height()));
    const auto part = [](int room, qreal share) { return int(std::lround(room * share)); };
    for (const Entry &entry : std::as_const(m_entries)) {
        const QRect &d = entry.design;
        const Share &s = entry.share;
        entry.widget->setGeometry(d.x() + part(m_extra.width(), s.left),
            d.y() + part(m_extra.height(), s.top), d.width() + part(m_extra.width(), s.width),
            d.height() + part(m_extra.height(), s.height));
    }
    Q_EMIT laidOut();
}
