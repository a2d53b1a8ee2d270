#include "ui/reader_channel.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>

#include <unistd.h>

namespace readerchannel {

QString serverName(const QString &canonicalPath)
{
    const QByteArray hash =
        QCryptographicHash::hash(canonicalPath.toUtf8(), QCryptographicHash::Sha256).toHex();
    const QString name =
        QStringLiteral("scrivane-reader-%1-%2").arg(::getuid()).arg(QLatin1String(hash.left(32)));
    // The user's runtime folder belongs to the user alone; without one, the server's own
    // access option keeps others out of the socket in the shared temporary folder, where the
    // user's number in the name keeps users apart.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QFileInfo folder(runtime);
    if (runtime.isEmpty() || !folder.isDir() || folder.ownerId() != ::getuid())
        return name;
    return QDir(runtime).filePath(name);
}

DeliveryResult deliver(const ReaderRequest &request, const QString &canonicalPath, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverName(canonicalPath));
    const QDeadlineTimer deadline(timeoutMs);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return {};
    socket.write(encodeRequest(request));
    QByteArray answer;
    for (;;) {
        answer += socket.readAll();
        if (answer.contains('\n') || deadline.hasExpired())
            break;
        // Also writes what is still to go; false once the reader has gone or time is up.
        if (!socket.waitForReadyRead(int(deadline.remainingTime()))) {
            answer += socket.readAll();
            break;
        }
    }
    const std::optional<ReaderAnswer> answered =
        decodeAnswer(answer.left(answer.indexOf('\n') + 1));
    if (!answered)
        return {Delivery::NoAnswer,
            QStringLiteral("the reader showing the document did not answer"), {}};
    if (answered->refusal.isEmpty())
        return {Delivery::Taken, {}, answered->state};
    return {Delivery::Refused, answered->refusal, answered->state};
}

} // namespace readerchannel
