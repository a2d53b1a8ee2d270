// Long random command sequences on the real author window, checked after every step against a
// small model of what each document must hold. Reproduce or lengthen a run with
//   SCRIVANE_MODEL_SEED=12345 ./tst_penwick_model
//   QTEST_FUNCTION_TIMEOUT=3600000 SCRIVANE_MODEL_STEPS=100000 ./tst_penwick_model
// (the steps are shared out between the rows; the timeout lifts QtTest's five minutes per
// row). A failure prints its seed and the shortest command sequence it could be shrunk to.

#include "author/create_name.h"
#include "author/get_help_files.h"
#include "author/penwick.h"
#include "author/sanitiser.h"
#include "richtext/rich_text_box.h"
#include "storage/record_writer.h"
#include "tests/support/window_test_support.h"
#include "ui/click_list.h"
#include "ui/message_boxes.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace {

using testsupport::ScriptedBoxes;

enum class Cmd {
    ChooseLine, // setList1Index(pick)
    ClickLine, // a mouse click on line pick
    Edit,
    TypeName, // kNames[pick]
    TypeLevel, // kLevels[pick], then the box loses the focus
    SetText, // generated from seed
    Save,
    Insert,
    Up,
    Down,
    Remove,
    Create, // kDocs[pick]; variant 0 saves, 1 leaves by Exit
    Open, // OpenHow variant on kDocs[pick]
};
constexpr int kCommands = int(Cmd::Open) + 1;

enum class OpenHow { Chosen, Exit, AfterDeleteNo, NothingChosen };

struct Step
{
    Cmd cmd;
    int pick = 0;
    int variant = 0;
    quint32 seed = 0;
};

const QStringList kNames = {QStringLiteral("Intro"), QStringLiteral("Install it"),
    QStringLiteral("Say \"hi\""), QString::fromUtf8("Café"), QString::fromUtf8("€ prices"),
    QString(), QString::fromUtf8("Ω omega"), QStringLiteral("a")};

// What a typed level becomes once the author leaves the box.
struct LevelEntry
{
    const char *typed;
    const char *kept;
};
constexpr std::array<LevelEntry, 10> kLevels = {{{"0", "0"}, {"1", "1"}, {"2", "2"}, {"1.5", "1.5"},
    {"7", "2"}, {"-1", "0"}, {"abc", "0"}, {"", ""}, {"2.5", "2"}, {"3", "2"}}};

const QStringList kDocs = {QStringLiteral("Help"), QStringLiteral("Alpha"), QStringLiteral("Beta2"),
    QStringLiteral("notes")};

// A topic's RTF from a seed, with the plain text it shows; some have no text at all.
QByteArray generatedRtf(quint32 seed, QString *plain = nullptr)
{
    static const char *const words[] = {"alpha", "Bravo", "charlie", "delta", "echo", "fox"};
    QRandomGenerator g(seed);
    QByteArray body;
    QString shown;
    switch (g.bounded(10)) {
    case 0:
        break;
    case 1:
        body = "{\\rtf1\\ansi \\par }";
        break;
    default: {
        body = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0 ";
        const int count = 1 + g.bounded(5);
        for (int i = 0; i < count; ++i) {
            const QByteArray word = words[g.bounded(6)];
            const QString w = QString::fromLatin1(word);
            switch (g.bounded(6)) {
            case 0:
                body += "\"" + word + "\" ";
                shown += u'"' + w + u'"';
                break;
            case 1:
                body += "\\ldblquote " + word + "\\rdblquote  ";
                shown += QChar(0x201C) + w + QChar(0x201D);
                break;
            case 2:
                body += "{\\b " + word + "} ";
                shown += w;
                break;
            default:
                body += word + " ";
                shown += w;
            }
            shown += u' ';
        }
        body += g.bounded(2) ? "\\par }" : "}";
    }
    }
    if (plain)
        *plain = shown.simplified();
    return body;
}

// Types text key by key, as the author would; keys beyond ASCII carry their character.
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(widget, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

QString describe(const Step &s)
{
    switch (s.cmd) {
    case Cmd::ChooseLine:
        return QStringLiteral("choose line %1 (setList1Index)").arg(s.pick);
    case Cmd::ClickLine:
        return QStringLiteral("click line %1").arg(s.pick);
    case Cmd::Edit:
        return QStringLiteral("Edit");
    case Cmd::TypeName:
        return QStringLiteral("type name \"%1\"").arg(kNames[s.pick]);
    case Cmd::TypeLevel:
        return QStringLiteral("type level \"%1\", leave the box").arg(kLevels[s.pick].typed);
    case Cmd::SetText:
        return QStringLiteral("set text %1").arg(QString::fromLatin1(generatedRtf(s.seed)));
    case Cmd::Save:
        return QStringLiteral("Save");
    case Cmd::Insert:
        return QStringLiteral("Insert");
    case Cmd::Up:
        return QStringLiteral("Move Up");
    case Cmd::Down:
        return QStringLiteral("Move Down");
    case Cmd::Remove:
        return QStringLiteral("Remove");
    case Cmd::Create:
        return QStringLiteral("Create \"%1\", %2")
            .arg(kDocs[s.pick], s.variant == 0 ? "Save" : "Exit");
    case Cmd::Open:
        switch (OpenHow(s.variant)) {
        case OpenHow::Chosen:
            return QStringLiteral("Open: click \"%1.scv\", Open").arg(kDocs[s.pick]);
        case OpenHow::Exit:
            return QStringLiteral("Open: Exit");
        case OpenHow::AfterDeleteNo:
            return QStringLiteral("Open: click \"%1.scv\", Delete (No), Open").arg(kDocs[s.pick]);
        default:
            return QStringLiteral("Open: Open with nothing chosen, Exit");
        }
    }
    return {};
}

// Windows-1252 as the names use it: Latin-1 plus the euro sign; nothing for other characters.
std::optional<std::string> encodedName(const QString &name)
{
    std::string out;
    for (const QChar c : name) {
        if (c == QChar(0x20AC))
            out += '\x80';
        else if (c.unicode() < 0x80 || (c.unicode() >= 0xA0 && c.unicode() <= 0xFF))
            out += char(c.unicode());
        else
            return std::nullopt;
    }
    return out;
}

QString decodedName(const std::string &bytes)
{
    QString out;
    for (const char c : bytes)
        out += c == '\x80' ? QChar(0x20AC) : QChar(uchar(c));
    return out;
}

std::optional<double> levelValue(const std::string &text)
{
    bool ok = false;
    const double v = QString::fromStdString(text).trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

QString contentsLine(const storage::TopicRecord &r)
{
    const std::optional<double> v = levelValue(r.level.text());
    const int indent = !v || *v < 0 ? 0 : int(std::min(300.0, std::nearbyint(3 * *v)));
    return QString(indent, u' ') + decodedName(r.name.text());
}

struct ModelRecord
{
    storage::TopicRecord record;
    QString plain; // the text it shows, whitespace simplified
};

struct ExpectedBox
{
    int style;
    QString fragment;
};

// What the window and its documents must hold.
struct Model
{
    std::map<QString, std::vector<ModelRecord>> docs {{QStringLiteral("Help.scv"), {}}};
    QString current = QStringLiteral("Help.scv");
    bool listShown = true; // List1 shows the current document; otherwise it is empty
    int row = -1;
    std::uint64_t selected = 0;
    bool editFlag = false;
    std::uint64_t editTarget = 0;
    QByteArray addRtf;
    QString addPlain;
    QString nameTxt;
    QString levelTxt = QStringLiteral("0");
    QList<ExpectedBox> boxes;

    std::vector<ModelRecord> &records() { return docs[current]; }
    int shownLines() { return listShown ? int(records().size()) : 0; }

    void click(int line)
    {
        row = line;
        selected = std::uint64_t(line) + 1;
        levelTxt = QString::fromStdString(records()[line].record.level.text());
    }
    void endEdit(const char *fragment)
    {
        editFlag = false;
        editTarget = 0;
        boxes.append({48, QString::fromLatin1(fragment)});
    }
    // The list is filled afresh from the current document, as loading it does.
    void refill()
    {
        listShown = true;
        if (records().empty())
            levelTxt = QStringLiteral("0");
    }
    // A document became current: Initialize and the Create dialog forget the old one's state.
    void enter(const QString &file)
    {
        if (file != current) {
            selected = 0;
            if (editFlag)
                endEdit("Another document was opened");
        }
        current = file;
    }
};

QByteArray documentBytes(const std::vector<ModelRecord> &records)
{
    std::string out;
    for (const ModelRecord &r : records) {
        const storage::Status s = storage::formatRecord(r.record, out);
        if (!s.ok())
            return "<unwritable model record: " + QByteArray::fromStdString(s.message()) + ">";
    }
    return QByteArray::fromStdString(out);
}

struct Failure
{
    qsizetype step; // index of the step after which the window and the model differed
    QString what;
};

// One fresh folder and window, the model beside it, stepped together.
class ModelRun
{
public:
    ModelRun()
        : m_previousDir(QDir::currentPath())
    {
        QDir::setCurrent(m_dir.path());
        m_window = std::make_unique<Penwick>(m_boxes);
        m_window->show();
        m_ready = QTest::qWaitForWindowExposed(m_window.get());
        // The model's own boxes read and write RTF as the window's do, in the same fonts.
        m_addBox.setFont(m_window->Add->font());
        m_displayBox.setFont(m_window->RichTextBox1->font());
        m_shownBox.setFont(m_window->RichTextBox1->font());
    }
    ~ModelRun()
    {
        m_window.reset();
        QDir::setCurrent(m_previousDir);
    }
    ModelRun(const ModelRun &) = delete;
    ModelRun &operator=(const ModelRun &) = delete;

    bool ready() const { return m_ready && m_dir.isValid(); }
    const Model &model() const { return m_model; }

    // Runs one step on the window and the model; what differs afterwards, if anything.
    std::optional<QString> apply(const Step &step)
    {
        m_boxes.shown.clear();
        m_model.boxes.clear();
        m_savedPlain.reset();
        m_scriptError.clear();
        switch (step.cmd) {
        case Cmd::ChooseLine:
            chooseLine(step.pick);
            break;
        case Cmd::ClickLine:
            clickLine(step.pick);
            break;
        case Cmd::Edit:
            edit();
            break;
        case Cmd::TypeName:
            m_window->NewTopicTxt->clear();
            typeText(m_window->NewTopicTxt, kNames[step.pick]);
            m_model.nameTxt = kNames[step.pick];
            break;
        case Cmd::TypeLevel: {
            m_window->LevelTxt->clear();
            typeText(m_window->LevelTxt, QString::fromLatin1(kLevels[step.pick].typed));
            QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
            QApplication::sendEvent(m_window->LevelTxt, &out);
            m_model.levelTxt = QString::fromLatin1(kLevels[step.pick].kept);
            break;
        }
        case Cmd::SetText:
            m_model.addRtf = generatedRtf(step.seed, &m_model.addPlain);
            m_window->Add->setTextRTF(m_model.addRtf);
            break;
        case Cmd::Save:
            save();
            break;
        case Cmd::Insert:
            insert();
            break;
        case Cmd::Up:
        case Cmd::Down:
            move(step.cmd == Cmd::Up ? -1 : +1);
            break;
        case Cmd::Remove:
            remove();
            break;
        case Cmd::Create:
            create(kDocs[step.pick], step.variant == 0);
            break;
        case Cmd::Open:
            open(kDocs[step.pick] + QStringLiteral(".scv"), OpenHow(step.variant));
            break;
        }
        return check();
    }

private:
    QByteArray roundTrip(richtext::RichTextBox &box, const QByteArray &rtf)
    {
        box.setTextRTF(rtf);
        return box.TextRTF();
    }

    void chooseLine(int line)
    {
        m_window->setList1Index(line);
        if (line >= 0 && line < m_model.shownLines())
            m_model.click(line);
        else
            m_model.row = -1;
    }

    void clickLine(int line)
    {
        ClickList *list = m_window->List1;
        if (line >= list->count())
            return;
        list->scrollToItem(list->item(line));
        QTest::mouseClick(
            list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(line)).center());
        // Every click on a line is a choice, the current line's too.
        if (line < m_model.shownLines())
            m_model.click(line);
    }

    void edit()
    {
        QTest::mouseClick(m_window->EditCmd, Qt::LeftButton);
        Model &m = m_model;
        m.selected = std::uint64_t(m.row + 1);
        if (m.row < 0)
            return;
        const ModelRecord &r = m.records()[m.row];
        m.addRtf = QByteArray::fromStdString(r.record.text.text());
        m.addPlain = r.plain;
        m.levelTxt = QString::fromStdString(r.record.level.text());
        m.nameTxt = decodedName(r.record.name.text());
        m.editFlag = true;
        m.editTarget = m.selected;
    }

    void save()
    {
        QTest::mouseClick(m_window->SaveCmd, Qt::LeftButton);
        Model &m = m_model;
        if (m.addPlain.isEmpty()) {
            m.boxes.append({257, QStringLiteral("No new info to Save")});
            return;
        }
        if (m.nameTxt.isEmpty()) {
            m.boxes.append({257, QStringLiteral("Topic box is Blank")});
            return;
        }
        QString storable = m.nameTxt;
        storable.replace(u'"', u'\'');
        const std::optional<std::string> name = encodedName(storable);
        if (!name) {
            m.boxes.append({48, QStringLiteral("cannot store")});
            return;
        }
        if (m.levelTxt.isEmpty())
            m.levelTxt = QStringLiteral("0");
        const QByteArray clean = author::illegalCharsRemoved(roundTrip(m_addBox, m.addRtf));
        // The text keeps its words; double quotes, straight or curly, become apostrophes.
        QString plain = m.addPlain;
        plain.replace(u'"', u'\'').replace(QChar(0x201C), u'\'').replace(QChar(0x201D), u'\'');
        m_savedPlain = plain;
        std::vector<ModelRecord> &records = m.records();
        if (m.editFlag) {
            // An edit writes the cleaned RTF itself.
            const QByteArray text = author::withoutQuoteBytes(clean);
            records[m.editTarget - 1] = {
                storage::stringRecord(m.levelTxt.toStdString(), *name, text.toStdString()), plain};
            m_savedRecord = m.editTarget;
        } else {
            // A new topic is written as the display shows the cleaned RTF.
            const QByteArray text = author::withoutQuoteBytes(roundTrip(m_displayBox, clean));
            records.push_back(
                {storage::stringRecord(m.levelTxt.toStdString(), *name, text.toStdString()),
                    plain});
            m_savedRecord = records.size();
        }
        m.listShown = true;
        m.addRtf.clear();
        m.addPlain.clear();
        m.nameTxt.clear();
        m.editFlag = false;
        m.editTarget = 0;
        if (m.selected >= 1 && m.selected <= records.size())
            m.click(int(m.selected - 1));
        else
            m.row = -1;
    }

    void insert()
    {
        QTest::mouseClick(m_window->InsertCmd, Qt::LeftButton);
        Model &m = m_model;
        std::vector<ModelRecord> &records = m.records();
        const int at = m.row < 0 ? int(records.size()) : m.row + 1;
        records.insert(records.begin() + at, ModelRecord {storage::placeholderRecord(), {}});
        m.listShown = true;
        m.click(at);
        m.editFlag = true;
        m.editTarget = std::uint64_t(at) + 1;
    }

    void move(int delta)
    {
        QTest::mouseClick(delta < 0 ? m_window->UpCmd : m_window->DownCmd, Qt::LeftButton);
        Model &m = m_model;
        std::vector<ModelRecord> &records = m.records();
        const std::uint64_t n = m.selected;
        if (n == 0 || n > records.size() || (delta < 0 && n == 1)
            || (delta > 0 && n == records.size()))
            return;
        // Every level is written back quoted; the moving one as a whole number when it is one.
        for (ModelRecord &r : records)
            r.record.level = storage::FieldValue::string(r.record.level.text());
        storage::FieldValue &level = records[n - 1].record.level;
        if (const std::optional<double> v = levelValue(level.text());
            v && std::abs(std::nearbyint(*v)) <= 32767)
            level = storage::FieldValue::string(std::to_string(int(std::nearbyint(*v))));
        const std::uint64_t moved = delta < 0 ? n - 1 : n + 1;
        std::swap(records[n - 1], records[moved - 1]);
        if (m.editTarget == n)
            m.editTarget = moved;
        else if (m.editTarget == moved)
            m.editTarget = n;
        m.listShown = true;
        m.click(int(moved - 1));
    }

    void remove()
    {
        QTest::mouseClick(m_window->RemoveCmd, Qt::LeftButton);
        Model &m = m_model;
        std::vector<ModelRecord> &records = m.records();
        const std::uint64_t n = m.selected;
        if (n == 0 || n > records.size())
            return;
        records.erase(records.begin() + qsizetype(n - 1));
        m.listShown = true;
        m.row = -1;
        m.selected = 0;
        if (records.empty())
            m.levelTxt = QStringLiteral("0");
        if (m.editFlag && m.editTarget == n)
            m.endEdit("The topic being edited was removed");
        else if (m.editTarget > n)
            --m.editTarget;
    }

    void create(const QString &name, bool save)
    {
        m_window->Createmnu->trigger();
        auto *dialog = qobject_cast<CreateName *>(m_window->CreateName());
        if (!dialog) {
            m_scriptError = QStringLiteral("the Create dialog did not open");
            return;
        }
        typeText(dialog->HelpFileName, name);
        if (save)
            QTest::mouseClick(dialog->Save, Qt::LeftButton);
        QTest::mouseClick(dialog->Exit, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (!save)
            return;
        const QString file = name + QStringLiteral(".scv");
        m_model.docs[file];
        m_model.enter(file);
        m_model.row = -1;
        // Save emptied the list; closing the dialog fills it with the document's topics.
        m_model.refill();
    }

    void open(const QString &file, OpenHow how)
    {
        const bool present = m_model.docs.count(file) > 0;
        QTimer::singleShot(0, m_window.get(), [&] {
            auto *dialog = qobject_cast<GetHelpFiles *>(QApplication::activeModalWidget());
            if (!dialog) {
                m_scriptError = QStringLiteral("the Open dialog is not the modal window");
                // Whatever is open must close, or the command never returns.
                if (QWidget *modal = QApplication::activeModalWidget())
                    modal->close();
                return;
            }
            const auto clickFile = [&] {
                const QList<QListWidgetItem *> found =
                    dialog->FilFiles->findItems(file, Qt::MatchExactly);
                if (found.size() != 1)
                    return;
                dialog->FilFiles->scrollToItem(found[0]);
                QTest::mouseClick(dialog->FilFiles->viewport(), Qt::LeftButton, {},
                    dialog->FilFiles->visualItemRect(found[0]).center());
            };
            if (how == OpenHow::Chosen || how == OpenHow::AfterDeleteNo)
                clickFile();
            if (how == OpenHow::AfterDeleteNo) {
                m_boxes.answers = {MessageBoxes::No};
                QTest::mouseClick(dialog->DeleteCmd, Qt::LeftButton);
                m_boxes.answers.clear();
            }
            if (how != OpenHow::Exit)
                QTest::mouseClick(dialog->Open, Qt::LeftButton);
            if (dialog->isVisible())
                QTest::mouseClick(dialog->ExitCmd, Qt::LeftButton);
            if (dialog->isVisible())
                dialog->reject();
        });
        m_window->OpenMnu->trigger();

        Model &m = m_model;
        m.listShown = false;
        m.row = -1;
        const bool chosen = how != OpenHow::Exit && how != OpenHow::NothingChosen && present;
        if (how == OpenHow::AfterDeleteNo) {
            if (chosen)
                m.boxes.append({276, QStringLiteral("Delete ") + file + u'?'});
            else
                m.boxes.append({48, QStringLiteral("No help file is chosen")});
        }
        if (how == OpenHow::Exit) {
            m.refill();
            return;
        }
        if (!chosen) {
            m.boxes.append({48, QStringLiteral("No help file is chosen")});
            m.refill();
            return;
        }
        m.enter(file);
        m.listShown = true;
        if (m.records().empty())
            m.levelTxt = QStringLiteral("0");
    }

    std::optional<QString> check()
    {
        if (!m_scriptError.isEmpty())
            return m_scriptError;
        const Penwick &w = *m_window;
        Model &m = m_model;
        const auto differ = [](const QString &what, const auto &seen, const auto &expected) {
            QString s;
            QDebug(&s) << what << "seen" << seen << "expected" << expected;
            return s;
        };

        QStringList files = QDir().entryList({QStringLiteral("*.scv")}, QDir::Files);
        QStringList modelFiles;
        for (const auto &[file, records] : m.docs)
            modelFiles << file;
        files.sort();
        modelFiles.sort();
        if (files != modelFiles)
            return differ(QStringLiteral("documents in the folder:"), files, modelFiles);
        for (const auto &[file, records] : m.docs) {
            const QByteArray seen = testsupport::readFile(file);
            const QByteArray expected = documentBytes(records);
            if (seen != expected)
                return differ(file + QStringLiteral(" bytes:"), seen, expected);
        }
        if (QFile::exists(QStringLiteral("Help.tmp")))
            return QStringLiteral("\"Help.tmp\" was left behind");

        const std::uint64_t count = m.records().size();
        if (w.CurrentHelpFileName != m.current)
            return differ(QStringLiteral("current document:"), w.CurrentHelpFileName, m.current);
        if (w.RecordCount != count)
            return differ(QStringLiteral("RecordCount:"), w.RecordCount, count);
        if (w.LabelsSaved->text() != QString::number(count))
            return differ(QStringLiteral("LabelsSaved:"), w.LabelsSaved->text(), count);

        QStringList expectedLines;
        if (m.listShown) {
            for (const ModelRecord &r : m.records())
                expectedLines << contentsLine(r.record);
        }
        const QStringList lines = testsupport::lines(w.List1);
        if (lines != expectedLines)
            return differ(QStringLiteral("List1:"), lines, expectedLines);
        if (w.List1->currentRow() != m.row)
            return differ(QStringLiteral("List1 line:"), w.List1->currentRow(), m.row);
        if (w.SelectedNumber != m.selected)
            return differ(QStringLiteral("SelectedNumber:"), w.SelectedNumber, m.selected);
        if (w.EditFlag != m.editFlag)
            return differ(QStringLiteral("EditFlag:"), w.EditFlag, m.editFlag);
        if (w.editTarget() != m.editTarget)
            return differ(QStringLiteral("edit target:"), w.editTarget(), m.editTarget);
        if (w.NewTopicTxt->text() != m.nameTxt)
            return differ(QStringLiteral("NewTopicTxt:"), w.NewTopicTxt->text(), m.nameTxt);
        if (w.LevelTxt->text() != m.levelTxt)
            return differ(QStringLiteral("LevelTxt:"), w.LevelTxt->text(), m.levelTxt);
        if (w.Add->Text().simplified() != m.addPlain)
            return differ(QStringLiteral("Add shows:"), w.Add->Text().simplified(), m.addPlain);

        if (m_boxes.shown.size() != m.boxes.size()) {
            return differ(QStringLiteral("message boxes:"), m_boxes.texts(),
                QStringList(m.boxes.size(), QStringLiteral("...")) + boxFragments());
        }
        for (qsizetype i = 0; i < m.boxes.size(); ++i) {
            const testsupport::Shown &shown = m_boxes.shown[i];
            if (shown.style != m.boxes[i].style || !shown.text.contains(m.boxes[i].fragment))
                return differ(QStringLiteral("message box:"),
                    QStringLiteral("%1 %2").arg(shown.style).arg(shown.text),
                    QStringLiteral("%1 ...%2...").arg(m.boxes[i].style).arg(m.boxes[i].fragment));
        }

        // The saved topic, read back, shows the words it was given.
        if (m_savedPlain) {
            const std::string &stored = m.records()[m_savedRecord - 1].record.text.text();
            m_shownBox.setTextRTF(QByteArray::fromStdString(stored));
            if (m_shownBox.Text().simplified() != *m_savedPlain)
                return differ(QStringLiteral("saved topic shows:"), m_shownBox.Text().simplified(),
                    *m_savedPlain);
        }
        return std::nullopt;
    }

    QStringList boxFragments() const
    {
        QStringList out;
        for (const ExpectedBox &b : m_model.boxes)
            out << b.fragment;
        return out;
    }

    QTemporaryDir m_dir;
    QString m_previousDir;
    ScriptedBoxes m_boxes;
    std::unique_ptr<Penwick> m_window;
    bool m_ready = false;
    Model m_model;
    richtext::RichTextBox m_addBox;
    richtext::RichTextBox m_displayBox;
    richtext::RichTextBox m_shownBox;
    std::optional<QString> m_savedPlain;
    std::size_t m_savedRecord = 0;
    QString m_scriptError;
};

using Weights = std::array<int, kCommands>;

// The next command, its arguments drawn so that most act on what is there and some do not.
Step nextStep(QRandomGenerator &g, const Model &model, const Weights &weights)
{
    int total = 0;
    for (const int w : weights)
        total += w;
    int pick = g.bounded(total);
    int cmd = 0;
    while (pick >= weights[cmd])
        pick -= weights[cmd++];
    const auto docIt = model.docs.find(model.current);
    const int lines = model.listShown ? int(docIt->second.size()) : 0;
    Step step {Cmd(cmd)};
    switch (step.cmd) {
    case Cmd::ChooseLine:
        // -1 and one past the last line choose nothing.
        step.pick = g.bounded(-1, lines + 1);
        break;
    case Cmd::ClickLine:
        step.pick = lines > 0 ? g.bounded(lines) : 0;
        break;
    case Cmd::TypeName:
        step.pick = g.bounded(int(kNames.size()));
        break;
    case Cmd::TypeLevel:
        step.pick = g.bounded(int(kLevels.size()));
        break;
    case Cmd::SetText:
        step.seed = g.generate();
        break;
    case Cmd::Create:
        step.pick = g.bounded(int(kDocs.size()));
        step.variant = g.bounded(8) == 0 ? 1 : 0;
        break;
    case Cmd::Open: {
        step.pick = g.bounded(int(kDocs.size()));
        const int how = g.bounded(10);
        step.variant = int(how < 6 ? OpenHow::Chosen
                : how < 8          ? OpenHow::Exit
                : how < 9          ? OpenHow::AfterDeleteNo
                                   : OpenHow::NothingChosen);
        break;
    }
    default:
        break;
    }
    return step;
}

// The first failure of a sequence in a fresh folder and window.
std::optional<Failure> replay(const std::vector<Step> &steps)
{
    ModelRun run;
    if (!run.ready())
        return Failure {-1, QStringLiteral("the window could not be started")};
    for (qsizetype i = 0; i < qsizetype(steps.size()); ++i) {
        if (std::optional<QString> what = run.apply(steps[i]))
            return Failure {i, *what};
    }
    return std::nullopt;
}

// Delta debugging: the failing prefix, then chunks and single steps left out while it still
// fails, within a time budget.
std::vector<Step> shrink(std::vector<Step> steps, Failure &failure)
{
    QElapsedTimer clock;
    clock.start();
    steps.resize(failure.step + 1);
    std::size_t parts = 2;
    while (steps.size() >= 2 && clock.elapsed() < 120000) {
        const std::size_t chunk = (steps.size() + parts - 1) / parts;
        bool reduced = false;
        for (std::size_t start = 0; start < steps.size(); start += chunk) {
            std::vector<Step> candidate(steps.begin(), steps.begin() + qsizetype(start));
            candidate.insert(candidate.end(),
                steps.begin() + qsizetype(std::min(start + chunk, steps.size())), steps.end());
            if (std::optional<Failure> f = replay(candidate); f && f->step >= 0) {
                candidate.resize(f->step + 1);
                steps = std::move(candidate);
                failure = *f;
                parts = std::max<std::size_t>(parts - 1, 2);
                reduced = true;
                break;
            }
        }
        if (!reduced) {
            if (parts >= steps.size())
                break;
            parts = std::min(steps.size(), parts * 2);
        }
    }
    return steps;
}

QString listing(const std::vector<Step> &steps)
{
    QString out;
    for (std::size_t i = 0; i < steps.size(); ++i)
        out += QStringLiteral("  %1. %2\n").arg(i + 1).arg(describe(steps[i]));
    return out;
}

} // namespace

class TestPenwickModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void randomCommands_data()
    {
        QTest::addColumn<quint64>("seed");
        QTest::addColumn<QList<int>>("weights");
        // Weights in the order of Cmd: choose, click, edit, name, level, text, save, insert,
        // up, down, remove, create, open.
        QTest::newRow("all commands alike")
            << quint64(20261207) << QList<int> {6, 6, 4, 5, 5, 5, 6, 3, 4, 4, 3, 1, 2};
        QTest::newRow("editing and saving")
            << quint64(71) << QList<int> {6, 4, 8, 6, 6, 6, 10, 2, 2, 2, 2, 1, 1};
        QTest::newRow("reordering")
            << quint64(4242) << QList<int> {8, 6, 2, 3, 3, 3, 4, 6, 8, 8, 5, 1, 1};
        QTest::newRow("several documents")
            << quint64(909) << QList<int> {5, 4, 3, 4, 3, 4, 5, 3, 3, 3, 2, 4, 6};
    }
    void randomCommands()
    {
        QFETCH(quint64, seed);
        QFETCH(QList<int>, weights);
        QCOMPARE(weights.size(), kCommands);
        Weights w {};
        std::copy(weights.begin(), weights.end(), w.begin());

        bool ok = false;
        const quint64 envSeed = qEnvironmentVariable("SCRIVANE_MODEL_SEED").toULongLong(&ok);
        if (ok)
            seed = envSeed;
        const int envSteps = qEnvironmentVariableIntValue("SCRIVANE_MODEL_STEPS", &ok);
        const int rows = 4; // the rows above share the steps
        const int steps = std::max(1, (ok && envSteps > 0 ? envSteps : 2000) / rows);

        QRandomGenerator g(seed);
        std::vector<Step> done;
        std::optional<Failure> failure;
        {
            ModelRun run;
            QVERIFY(run.ready());
            for (int i = 0; i < steps && !failure; ++i) {
                done.push_back(nextStep(g, run.model(), w));
                if (std::optional<QString> what = run.apply(done.back()))
                    failure = Failure {qsizetype(done.size()) - 1, *what};
            }
        }
        if (failure) {
            const qsizetype at = failure->step + 1;
            const std::vector<Step> shortest = shrink(done, *failure);
            QFAIL(qPrintable(QStringLiteral("seed %1: step %2 of %3 failed; shrunk to %4 steps:\n"
                                            "%5  then: %6")
                                 .arg(seed)
                                 .arg(at)
                                 .arg(steps)
                                 .arg(shortest.size())
                                 .arg(listing(shortest), failure->what)));
        }
        QCOMPARE(qsizetype(done.size()), qsizetype(steps));
    }
};

QTEST_MAIN(TestPenwickModel)
#include "tst_penwick_model.moc"
