#pragma once

#include "ui/reader_request.h"

#include <QString>
#include <QStringList>

// Leafwick's command line:
//   leafwick [--topic NAME | --topic-number N] [--search WORD] [--new-window] [DOCUMENT]
//   leafwick --help | --version
struct ReaderCommandLine
{
    enum class Outcome {
        Run, // open (or hand over) the request
        Help, // print text on standard output and end
        Version,
        UsageError, // print text on standard error and end with status 2
    };
    Outcome outcome = Outcome::Run;
    ReaderRequest request;
    QString text;
};

// arguments as QCoreApplication::arguments() gives them: the program first, Qt's own options
// already taken out.
ReaderCommandLine parseReaderCommandLine(const QStringList &arguments);
