#include "ui/message_boxes.h"

#include <QCoreApplication>

namespace {

// The parts of a style number.
constexpr int kButtonSetMask = 0x7;
constexpr int kIconMask = 0x70;
constexpr int kDefaultMask = 0x300;

int answerFor(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Cancel:
        return MessageBoxes::Cancel;
    case QMessageBox::Yes:
        return MessageBoxes::Yes;
    case QMessageBox::No:
        return MessageBoxes::No;
    default:
        return MessageBoxes::Ok;
    }
}

} // namespace

BoxStyle boxStyle(int style)
{
    BoxStyle result {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::NoIcon};
    QMessageBox::StandardButton second = QMessageBox::NoButton;
    switch (style & kButtonSetMask) {
    case MessageBoxes::OkCancel:
        result.buttons = QMessageBox::Ok | QMessageBox::Cancel;
        second = QMessageBox::Cancel;
        result.escapeButton = QMessageBox::Cancel;
        break;
    case MessageBoxes::YesNo:
        result.buttons = QMessageBox::Yes | QMessageBox::No;
        result.defaultButton = QMessageBox::Yes;
        second = QMessageBox::No;
        result.escapeButton = QMessageBox::No;
        break;
    default:
        break;
    }
    if ((style & kDefaultMask) == MessageBoxes::SecondDefault && second != QMessageBox::NoButton)
        result.defaultButton = second;

    switch (style & kIconMask) {
    case MessageBoxes::StopIcon:
        result.icon = QMessageBox::Critical;
        break;
    case MessageBoxes::QuestionIcon:
        result.icon = QMessageBox::Question;
        break;
    case MessageBoxes::WarningIcon:
        result.icon = QMessageBox::Warning;
        break;
    case MessageBoxes::InformationIcon:
        result.icon = QMessageBox::Information;
        break;
    default:
        break;
    }
    return result;
}

int QtMessageBoxes::show(QWidget *parent, const QString &text, int style, const QString &title)
{
    const BoxStyle look = boxStyle(style);
    QMessageBox box(parent);
    box.setWindowTitle(title.isEmpty() ? QCoreApplication::applicationName() : title);
    // The texts are fixed sentences; never let a '<' in them turn the box into rich text.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setIcon(look.icon);
    box.setStandardButtons(look.buttons);
    box.setDefaultButton(look.defaultButton);
    box.setEscapeButton(look.escapeButton);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    const QMessageBox::StandardButton pressed = box.standardButton(box.clickedButton());
    return answerFor(pressed == QMessageBox::NoButton ? look.escapeButton : pressed);
}
