#pragma once

#include <QFont>
#include <QPushButton>
#include <QRect>
#include <QString>

// The windows are drawn in twips (1/1440 inch) and in Verdana, as their layouts were first
// made; these turn that into Qt's device-independent pixels and fonts.
namespace windowunits {

inline constexpr int kTwipsPerPixel = 15;

inline QRect twips(int left, int top, int width, int height)
{
    return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
        height / kTwipsPerPixel);
}

// Verdana where installed, else the system's sans-serif face.
inline QFont verdana(qreal pointSize)
{
    QFont font(QStringLiteral("Verdana"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    return font;
}

// A new control of type W on parent at rect, named as the window's procedures name it.
template<typename W>
W *place(QWidget *parent, const char *name, const QRect &rect)
{
    auto *widget = new W(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(rect);
    return widget;
}

// A command button at rect that Enter never presses: no dialog here has a default button.
inline QPushButton *commandButton(
    QWidget *parent, const char *name, const QString &caption, const QRect &rect)
{
    auto *cmd = place<QPushButton>(parent, name, rect);
    cmd->setText(caption);
    cmd->setAutoDefault(false);
    cmd->setDefault(false);
    return cmd;
}

} // namespace windowunits
