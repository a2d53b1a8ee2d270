#pragma once

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPlainTextEdit;

// The About box: the program's icon, name, version and where to turn with questions. Modal,
// of a fixed size, centred on the screen; it has no buttons and closes with its close box or
// Escape.
class AboutFrm : public QDialog
{
    Q_OBJECT

public:
    struct Version
    {
        int major;
        int minor;
        int revision;
    };

    // The version of this build, from the project's version in CMake.
    static Version programVersion();
    // "Version " + major + "." + minor with the revision written straight after it, in plain
    // decimal: 2.8.0 gives "Version 2.80", 3.12.4 "Version 3.124".
    static QString versionLine(Version version);

    explicit AboutFrm(QWidget *parent = nullptr, Version version = programVersion());

    // Fills the controls: caption, icon, texts.
    void Form_Load();

    // Controls; each objectName equals the member's name.
    QLabel *Picture1 = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblContact1 = nullptr;
    QLabel *lblContact2 = nullptr;
    QFrame *Frame1 = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    QLabel *lblClosing1 = nullptr;
    QLabel *lblClosing2 = nullptr;

private:
    void setupLayout();
    void centre();

    Version m_version;
};
