#pragma once

#include "storage/byte_source.h"
#include "storage/record_reader.h"
#include "tests/support/working_folder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <string>
#include <vector>

namespace testsupport {

inline std::string bytes(const QByteArray &data)
{
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

inline bool writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

inline QString sampleDoc(const char *name)
{
    return QStringLiteral(SCRIVANE_TEST_DATA_DIR "/documents/") + QString::fromUtf8(name);
}

// Hands out its bytes a few at a time, so that every value crosses refills of the reader.
class TrickleSource final : public storage::ByteSource
{
public:
    TrickleSource(std::string data, std::size_t step)
        : m_data(std::move(data))
        , m_step(step)
    { }
    std::size_t read(char *buffer, std::size_t size) override
    {
        const std::size_t n = std::min({size, m_step, m_data.size() - m_pos});
        std::copy_n(m_data.data() + m_pos, n, buffer);
        m_pos += n;
        return n;
    }
    const storage::Status &status() const override { return m_status; }

private:
    std::string m_data;
    std::size_t m_step;
    std::size_t m_pos = 0;
    storage::Status m_status;
};

struct ReadAll
{
    std::vector<storage::TopicRecord> records;
    storage::Status status;
};

inline ReadAll readAll(
    storage::ByteSource &source, std::uint64_t maxField = storage::FieldReader::kDefaultMaxField)
{
    ReadAll result;
    storage::RecordReader reader(source, maxField);
    storage::TopicRecord record;
    for (;;) {
        const auto read = reader.next(record);
        if (read == storage::ReadStatus::Record) {
            result.records.push_back(record);
            continue;
        }
        if (read == storage::ReadStatus::Error)
            result.status = reader.status();
        return result;
    }
}

// Runs each test in a fresh temporary folder, which becomes the working folder.
} // namespace testsupport
