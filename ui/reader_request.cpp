#include "ui/reader_request.h"

#include <QJsonArray>
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
const QString kShown = QStringLiteral("shown");
const QString kLine = QStringLiteral("contentsLine");
const QString kHighlights = QStringLiteral("highlights");
const QString kZoom = QStringLiteral("zoom");

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

QByteArray encodeAnswer(const ReaderAnswer &answer)
{
    QJsonObject object;
    object.insert(kRefusal, answer.refusal);
    object.insert(kShown, QString::number(answer.state.shownTopic));
    object.insert(kLine, QString::number(answer.state.contentsLine));
    QJsonArray places;
    for (const auto &[start, length] : answer.state.highlights)
        places.append(QJsonArray {start, length});
    object.insert(kHighlights, places);
    object.insert(kZoom, answer.state.zoom);
    return line(object);
}

std::optional<ReaderAnswer> decodeAnswer(const QByteArray &text)
{
    const std::optional<QJsonObject> object = objectOf(text);
    if (!object || !object->value(kRefusal).isString())
        return std::nullopt;
    ReaderAnswer answer;
    answer.refusal = object->value(kRefusal).toString();
    answer.state.shownTopic = object->value(kShown).toString().toULongLong();
    answer.state.contentsLine = object->value(kLine).toString().toULongLong();
    for (const QJsonValue place : object->value(kHighlights).toArray()) {
        const QJsonArray pair = place.toArray();
        answer.state.highlights.append({pair.at(0).toInt(), pair.at(1).toInt()});
    }
    answer.state.zoom = object->value(kZoom).toInt(100);
    return answer;
}
