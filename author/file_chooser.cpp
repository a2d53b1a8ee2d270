#include "author/file_chooser.h"

#include <QFileDialog>

QString DialogFileChooser::chooseFolder(
    QWidget *parent, const QString &caption, const QString &start)
{
    return QFileDialog::getExistingDirectory(parent, caption, start);
}

QString DialogFileChooser::chooseFileToWrite(
    QWidget *parent, const QString &caption, const QString &start, const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, caption, start, filter);
}
