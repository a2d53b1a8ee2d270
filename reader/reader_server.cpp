#include "reader/reader_server.h"

#include "ui/reader_channel.h"

#include <QLocalSocket>

namespace {

// A request is one short line; anything longer is no caller of ours.
constexpr qint64 kMaxRequestBytes = 64 * 1024;
// How often a reader that found its document's name held tries to take it again.
constexpr int kRetryMs = 1000;

} // namespace

ReaderServer::ReaderServer(Handler handler, QObject *parent)
    : QObject(parent)
    , m_handler(std::move(handler))
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &ReaderServer::takeConnection);
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        if (takeName() != NameTaken::HeldByReader)
            m_retry.stop();
    });
}

bool ReaderServer::listen(const QString &canonicalPath)
{
    m_retry.stop();
    m_server.close();
    m_name = readerchannel::serverName(canonicalPath);
    switch (takeName()) {
    case NameTaken::Listening:
        return true;
    case NameTaken::HeldByReader:
        m_retry.start();
        return false;
    case NameTaken::Failed:
        break;
    }
    return false;
}

ReaderServer::NameTaken ReaderServer::takeName()
{
    // Qt moves a new socket into place over whatever file has the name, and would take the
    // name from a live reader without a word: ask first whether one answers there.
    QLocalSocket probe;
    probe.connectToServer(m_name);
    if (probe.waitForConnected(1000))
        return NameTaken::HeldByReader;
    // Nothing answers: the name is free, or a dead reader's socket file is left there.
    QLocalServer::removeServer(m_name);
    return m_server.listen(m_name) ? NameTaken::Listening : NameTaken::Failed;
}

void ReaderServer::takeConnection()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        if (socket->bytesAvailable() > 0)
            readRequest(socket);
    }
}

void ReaderServer::readRequest(QLocalSocket *socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kMaxRequestBytes)
            socket->abort();
        return;
    }
    // One request per connection: whatever else the caller sends is not read.
    socket->disconnect(this);
    const std::optional<ReaderRequest> request = decodeRequest(socket->readLine(kMaxRequestBytes));
    // Answered at once, so that the caller can end before this window shows any message.
    ReaderAnswer answer;
    if (request)
        answer = m_handler(*request);
    else
        answer.refusal = QStringLiteral("the request could not be understood");
    socket->write(encodeAnswer(answer));
    socket->flush();
    socket->disconnectFromServer();
    Q_EMIT answered(answer.refusal);
}
