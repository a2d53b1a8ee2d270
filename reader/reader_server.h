#pragma once

#include "ui/reader_request.h"

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class QLocalSocket;

// Takes the requests of later calls for the document a reader window shows (see
// ui/reader_channel.h): one request per connection, answered with the refusal the handler
// returns, or with none when it took it.
class ReaderServer : public QObject
{
    Q_OBJECT

public:
    // Does what the request asks; answers why not, in the user's words (or nothing), and what
    // the window shows now.
    using Handler = std::function<ReaderAnswer(const ReaderRequest &)>;

    explicit ReaderServer(Handler handler, QObject *parent = nullptr);

    // Listens for the document at canonicalPath. A name left behind by a reader that ended
    // without removing it is taken over. False when a live reader holds it: this one then
    // tries again now and then, so that once that reader has ended, calls for the document
    // come here instead of opening one more window.
    bool listen(const QString &canonicalPath);
    bool isListening() const { return m_server.isListening(); }
    QString serverName() const { return m_server.fullServerName(); }

Q_SIGNALS:
    // A request was answered; refusal is what the caller was told, empty when it was taken.
    void answered(const QString &refusal);

private:
    enum class NameTaken { Listening, HeldByReader, Failed };
    NameTaken takeName();
    void takeConnection();
    void readRequest(QLocalSocket *socket);

    Handler m_handler;
    QLocalServer m_server;
    QString m_name;
    QTimer m_retry;
};
