#pragma once

// What bench_penwick and bench_reader share: silent message boxes, timing, the standalone
// display of a topic that their targets allow for, and the "result NAME VALUE" lines that
// bench/run.sh reads.

#include "ui/message_boxes.h"

#include <QElapsedTimer>
#include <QString>

#include <cstdint>
#include <string>

namespace bench {

// Every message a window shows during a benchmark is a fault of the run: it is printed and
// counted, and the run then fails.
class ReportingBoxes final : public MessageBoxes
{
public:
    int show(QWidget *parent, const QString &text, int style, const QString &title) override;
    int shown() const { return m_shown; }

private:
    int m_shown = 0;
};

// For a window started where a message is expected.
class SilentBoxes final : public MessageBoxes
{
public:
    int show(QWidget *, const QString &, int, const QString &) override { return Ok; }
};

double ms(const QElapsedTimer &timer);

// Prints "result NAME VALUE" on stdout.
void result(const char *name, double value);

// The process's largest resident set so far, in KiB.
long peakRssKib();

// The RTF text of record number (from 1) of the document; empty when it cannot be read.
std::string topicRtf(const std::string &path, std::uint64_t number);

// What a display does with a topic and a tool does not: the RTF read into a fresh document and
// the whole of it laid out at the given width, in milliseconds.
double displayMs(const std::string &rtf, int width);

} // namespace bench
