#include "ui/program_icon.h"

#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

#include <array>

namespace {

// The sizes desktops ask for most; others are scaled from the nearest.
constexpr std::array kIconSizes = {16, 22, 24, 32, 48, 64, 128, 256};

QString resourcePath(const QString &program)
{
    if (program != u"penwick" && program != u"leafwick")
        return {};
    return QStringLiteral(":/scrivane/icons/%1.svg").arg(program);
}

QPixmap render(QSvgRenderer &renderer, int pixels)
{
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    return pixmap;
}

} // namespace

QIcon programIcon(const QString &program)
{
    const QString path = resourcePath(program);
    if (path.isEmpty())
        return {};
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return {};
    QIcon icon;
    for (const int size : kIconSizes)
        icon.addPixmap(render(renderer, size));
    return icon;
}

QPixmap programPixmap(const QString &program, int size)
{
    const QString path = resourcePath(program);
    if (path.isEmpty() || size <= 0)
        return {};
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return {};
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap pixmap = render(renderer, qRound(size * ratio));
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}
