#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <cstdint>
#include <optional>

// What a caller asks a reader to show: from Leafwick's command line, from a second call that a
// running reader takes over, or from Penwick's Review.
struct ReaderRequest
{
    // The help document's path as given; empty: the reader's own start-up chooses it.
    QString document;
    std::optional<QString> topicName; // the first topic of exactly this name
    std::optional<std::uint64_t> topicNumber; // record number, from 1
    std::optional<QString> searchWord; // run as if typed and "List Topics" pressed
    bool newWindow = false; // never hand over to a running reader
    bool reload = false; // read the document afresh first (it was saved)

    bool operator==(const ReaderRequest &) const = default;
};

// A request as one line of the channel between processes (JSON, UTF-8, ending in '\n'), and
// back; std::nullopt for a line that is no request.
QByteArray encodeRequest(const ReaderRequest &request);
std::optional<ReaderRequest> decodeRequest(const QByteArray &line);

// What a reader window shows, as it tells a caller in its answer.
struct ReaderState
{
    std::uint64_t shownTopic = 0; // record number; 0: none
    std::uint64_t contentsLine = 0; // the highlighted contents line, from 1; 0: none
    QList<QPair<int, int>> highlights; // start and length of each highlighted place
    int zoom = 100; // percent

    bool operator==(const ReaderState &) const = default;
};

// A reader's answer: refusal empty when it took the request, else why not; and what it shows.
struct ReaderAnswer
{
    QString refusal;
    ReaderState state;
};

QByteArray encodeAnswer(const ReaderAnswer &answer);
std::optional<ReaderAnswer> decodeAnswer(const QByteArray &line);
