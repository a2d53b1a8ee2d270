#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// Modal message boxes as the windows' procedures call them: a text, a style number and an
// optional title in, the pressed button out. Tests script them through this seam.
//
// A style is the sum of a button set (0 OK, 1 OK and Cancel, 4 Yes and No), an icon (16 stop,
// 48 exclamation) and a default-button choice (256: the second button).
class MessageBoxes
{
public:
    // The answers, numbered as the procedures compare them.
    enum Answer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };
    // The parts of a style number, by name; a style is their sum, such as
    // YesNo + StopIcon + SecondDefault (276).
    enum Style : int {
        OkOnly = 0,
        OkCancel = 1,
        YesNo = 4,
        StopIcon = 16,
        QuestionIcon = 32,
        WarningIcon = 48,
        InformationIcon = 64,
        SecondDefault = 256,
    };

    virtual ~MessageBoxes() = default;
    // An empty title shows the application's title.
    virtual int show(
        QWidget *parent, const QString &text, int style, const QString &title = {}) = 0;
};

// The real thing, on QMessageBox.
class QtMessageBoxes final : public MessageBoxes
{
public:
    int show(QWidget *parent, const QString &text, int style, const QString &title = {}) override;
};

// What a style number asks of a QMessageBox. Button sets other than 0, 1 and 4 are not used by
// the windows and show a single OK button; an icon or default choice not listed shows none or
// the first button.
struct BoxStyle
{
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
    // Escape and the window's close button press this one.
    QMessageBox::StandardButton escapeButton;
    QMessageBox::Icon icon;
};

BoxStyle boxStyle(int style);
