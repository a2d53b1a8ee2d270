#include "reader/reader_server.h"

#include "ui/reader_channel.h"

#include <QLocalSocket>

namespace {

// A request is one short line; anything longer is no caller of ours.
constexpr qint64 kMaxRequestBytes = 64 * 1024;

} // namespace

ReaderServer::ReaderServer(Handler handler, QObject *parent)
    : QObject(parent)
    , m_handler(std::move(handler))
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &ReaderServer::takeConnection);
}

bool ReaderServer::listen(const QString &canonicalPath)
{
    const QString name = readerchannel::serverName(canonicalPath);
    if (m_server.listen(name))
        return true;
    if (m_server.serverError() != QAbstractSocket::AddressInUseError)
        return false;
    // The name is taken: by a live reader, which answers, or by a dead one's socket file.
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(1000))
        return false;
    QLocalServer::removeServer(name);
    return m_server.listen(name);
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
