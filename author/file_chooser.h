#pragma once

#include <QString>

class QWidget;

// Where the author wants something written, as Penwick's export commands ask it. Tests script
// the answers through this seam instead of a file dialog.
class FileChooser
{
public:
    virtual ~FileChooser() = default;
    // A folder; empty when the author cancelled.
    virtual QString chooseFolder(QWidget *parent, const QString &caption, const QString &start) = 0;
    // A file to write, which may exist (the dialog asks before it is replaced); empty when the
    // author cancelled. filter as QFileDialog takes it.
    virtual QString chooseFileToWrite(
        QWidget *parent, const QString &caption, const QString &start, const QString &filter) = 0;
};

// The real thing: QFileDialog.
class DialogFileChooser final : public FileChooser
{
public:
    QString chooseFolder(QWidget *parent, const QString &caption, const QString &start) override;
    QString chooseFileToWrite(QWidget *parent, const QString &caption, const QString &start,
        const QString &filter) override;
};
