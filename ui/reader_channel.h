#pragma once

#include "ui/reader_request.h"

#include <QString>

// How a call reaches a reader that already shows a document: a local socket named after the
// user and the document, in the user's own runtime folder, reachable by that user only.
namespace readerchannel {

// The server name of a reader showing the document whose canonical path is given.
QString serverName(const QString &canonicalPath);

enum class Delivery {
    NoReader, // no reader shows the document (or a dead one left its name behind)
    Taken, // the reader took the request
    Refused, // the reader refused it; message says why
    NoAnswer, // a reader was reached but did not answer in time
};

struct DeliveryResult
{
    Delivery delivery = Delivery::NoReader;
    QString message;
    ReaderState state; // what the reader shows after the request, when it answered
};

// Hands the request to the reader showing the document at canonicalPath, and waits up to
// timeoutMs for its answer.
DeliveryResult deliver(const ReaderRequest &request, const QString &canonicalPath, int timeoutMs);

} // namespace readerchannel
