// libFuzzer target: any bytes through the RTF reader, then through what uses its result (plain
// text, layout, the writer), so that a structure the reader leaves broken shows up too.
// Built and run by tests/fuzz/run_fuzz.sh.

#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>

namespace {

// Qt's notes (a missing font, no runtime folder) would flood the fuzzer's output.
void dropMessages(QtMsgType, const QMessageLogContext &, const QString &) { }

void startQt()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    qInstallMessageHandler(dropMessages);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_rtf_reader";
    static char *argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    startQt();
    const QByteArrayView rtf(reinterpret_cast<const char *>(data), qsizetype(size));

    QTextDocument document;
    richtext::RtfReader::read(rtf, &document);
    document.setTextWidth(400);
    document.documentLayout()->documentSize();
    document.toPlainText();
    richtext::RtfWriter::write(document);

    // A paste into the middle of existing text takes the other way in.
    QTextDocument target;
    QTextCursor cursor(&target);
    cursor.insertText(QStringLiteral("before after"));
    cursor.setPosition(7);
    richtext::RtfReader::insert(rtf, cursor);
    target.toPlainText();
    return 0;
}
