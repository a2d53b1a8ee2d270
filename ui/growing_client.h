#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QWidget>

// A window's client area that keeps its controls where the window's layout puts them at the
// design size, and lets chosen ones move and grow with the room the user gives the window
// beyond it. It is never smaller than the design size, and asks for exactly that size.
class GrowingClient : public QWidget
{
    Q_OBJECT

public:
    // How much of the extra width and height a control takes: its left, top, width and height
    // each grow by that share (0 to 1) of the extra room.
    struct Share
    {
        qreal left = 0;
        qreal top = 0;
        qreal width = 0;
        qreal height = 0;
    };

    // Fixed at the design size until the window has taken its size from it; then
    // startGrowing lets the user make it larger.
    GrowingClient(QSize designSize, QWidget *parent = nullptr);
    void startGrowing();

    // widget keeps its present geometry at the design size and takes share of the extra room.
    void grow(QWidget *widget, Share share);
    // The room beyond the design size, as last laid out.
    QSize extra() const { return m_extra; }

    QSize sizeHint() const override { return m_designSize; }
    QSize minimumSizeHint() const override { return m_designSize; }

Q_SIGNALS:
    // The controls have been placed for a new size.
    void laidOut();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Entry
    {
        QWidget *widget;
        QRect design;
        Share share;
    };
    QSize m_designSize;
    QSize m_extra;
    QList<Entry> m_entries;
};
