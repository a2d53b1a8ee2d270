// Pictures of every window for the documentation: each window is built offscreen on a sample
// document, shown, grabbed and written as PNG into the folder named on the command line.
#include "author/about_frm.h"
#include "author/create_name.h"
#include "author/get_help_files.h"
#include "author/penwick.h"
#include "ui/click_list.h"
#include "ui/message_boxes.h"
#include "reader/reader_window.h"
#include "storage/hand_over.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// Penwick's own help, built from data/help: topics at all three levels.
const QString kSampleDocument = QStringLiteral(SCRIVANE_SOURCE_DIR "/data/Scrivane.scv");

// A window that wanted to tell the user something would spoil its picture: name it and go on.
class PrintedBoxes final : public MessageBoxes
{
public:
    int show(QWidget *, const QString &text, int, const QString &) override
    {
        std::fprintf(stderr, "message box: %s\n", qPrintable(text));
        ++count;
        return Ok;
    }
    int count = 0;
};

class Shooter
{
public:
    explicit Shooter(const QDir &out)
        : m_out(out)
    { }

    void shoot(QWidget &window, const QString &name)
    {
        window.show();
        // Two rounds: the first lays out, the second paints what the layout settled.
        QApplication::processEvents();
        QApplication::processEvents();
        const QString path = m_out.filePath(name + QStringLiteral(".png"));
        const QPixmap picture = window.grab();
        if (picture.isNull() || !picture.save(path, "PNG", 9)) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(path));
            m_failed = true;
            return;
        }
        std::printf("%s %dx%d\n", qPrintable(path), picture.width(), picture.height());
    }
    bool failed() const { return m_failed; }

private:
    QDir m_out;
    bool m_failed = false;
};

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QDir out(QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[1])));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(out.path()));
        return 1;
    }
    // The programs work on the files of the current folder.
    QTemporaryDir work;
    if (!work.isValid() || !QDir::setCurrent(work.path())
        || !QFile::copy(kSampleDocument, QStringLiteral("Help.scv"))
        || !QFile::copy(kSampleDocument, QStringLiteral("Manual.scv"))
        || !QFile::copy(kSampleDocument, QStringLiteral("Scrivane.scv"))
        || !QFile::copy(kSampleDocument, QStringLiteral("Release Notes.scv"))) {
        std::fprintf(
            stderr, "cannot set up the sample folder from %s\n", qPrintable(kSampleDocument));
        return 1;
    }

    PrintedBoxes boxes;
    Shooter shooter(out);

    // Opens Help.scv, as it does in a folder where the author has already written topics.
    Penwick penwick(boxes);
    penwick.setList1Index(3);
    shooter.shoot(penwick, QStringLiteral("penwick"));

    if (!storage::writeHandOver("Help.scv").ok()) {
        std::fprintf(stderr, "cannot write the hand-over file\n");
        return 1;
    }
    ReaderWindow leafwick(ReaderKind::Leafwick, boxes);
    leafwick.setList1Index(0);
    leafwick.SSTab1->setCurrentIndex(1);
    leafwick.Text1->setText(QStringLiteral("topic"));
    leafwick.ListTopicsCmd_Click();
    leafwick.setList2Index(0);
    shooter.shoot(leafwick, QStringLiteral("leafwick-search"));

    ReaderWindow help(ReaderKind::BuiltInHelp, boxes);
    help.setList1Index(0);
    shooter.shoot(help, QStringLiteral("built-in-help"));

    CreateName create(penwick);
    create.HelpFileName->setText(QStringLiteral("Tutorial"));
    shooter.shoot(create, QStringLiteral("create"));

    GetHelpFiles open(penwick);
    open.FilFiles->setListIndex(0);
    shooter.shoot(open, QStringLiteral("open"));

    AboutFrm about(&penwick);
    shooter.shoot(about, QStringLiteral("about"));

    if (boxes.count != 0)
        return 1;
    return shooter.failed() ? 1 : 0;
}
