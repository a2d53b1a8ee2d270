#include "ui/reader_request.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

namespace {

const QString kDocument = QStringLiteral("document");
const QString kTopic = QStringLiteral("topic");
const QString kTopicNumber = QStringLiteral("topicNumber");
const QString kSearch = QStringLiteral("search");
const QString kReload = QStringLiteral("reload");
const QString kRefusal = QStringLiteral("refusal");

QByteArray line(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<QJsonObject> objectOf(const QByteArray &line)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line.trimmed(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

} // namespace

QByteArray encodeRequest(const ReaderRequest &request)
{
    QJsonObject object;
    object.insert(kDocument, request.document);
    if (request.topicName)
        object.insert(kTopic, *request.topicName);
    // As text: a JSON number cannot carry every record number exactly.
    if (request.topicNumber)
        object.insert(kTopicNumber, QString::number(*request.topicNumber));
    if (request.searchWord)
        object.insert(kSearch, *request.searchWord);
    if (request.reload)
        object.insert(kReload, true);
    return line(object);
}

std::optional<ReaderRequest> decodeRequest(const QByteArray &text)
{
    const std::optional<QJsonObject> object = objectOf(text);
    if (!object || !object->value(kDocument).isString())
        return std::nullopt;
    ReaderRequest request;
    request.document = object->value(kDocument).toString();
    if (const QJsonValue topic = object->value(kTopic); topic.isString())
        request.topicName = topic.toString();
    if (const QJsonValue number = object->value(kTopicNumber); number.isString()) {
        bool ok = false;
        const qulonglong value = number.toString().toULongLong(&ok);
        if (!ok || value == 0)
            return std::nullopt;
        request.topicNumber = value;
    }
    if (const QJsonValue search = object->value(kSearch); search.isString())
        request.searchWord = search.toString();
    request.reload = object->value(kReload).toBool(false);
    return request;
}

QByteArray encodeAnswer(const QString &refusal)
{
    QJsonObject object;
    object.insert(kRefusal, refusal);
    return line(object);
}

std::optional<QString> decodeAnswer(const QByteArray &text)
{
    const std::optional<QJsonObject> object = objectOf(text);
    if (!object || !object->value(kRefusal).isString())
        return std::nullopt;
    return object->value(kRefusal).toString();
}
