#include "storage/hand_over.h"

#include "storage/field_reader.h"
#include "storage/posix_file.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace storage {

namespace {

// A file name is short; a hand-over file of megabytes is not one.
constexpr std::uint64_t kMaxNameLength = 64 * 1024;

bool needsQuotes(const std::string &name)
{
    if (name.empty())
        return false;
    return name.find_first_of(",\r\n") != std::string::npos || name.front() == ' '
        || name.back() == ' ' || name.front() == '"';
}

} // namespace

Status handOverLine(const std::string &documentName, std::string &line)
{
    if (!needsQuotes(documentName)) {
        line = documentName + "\r\n";
        return {};
    }
    if (documentName.find('"') != std::string::npos)
        return Status::error(ErrorCode::QuoteInValue,
            "the document name \"" + documentName + "\" cannot be handed to the reader");
    line = '"' + documentName + "\"\r\n";
    return {};
}

Status writeHandOver(const std::string &documentName, const std::string &path)
{
    std::string line;
    if (Status s = handOverLine(documentName, line); !s.ok())
        return s;
    const std::string what = "cannot write " + path;
    detail::UniqueFd fd = detail::openFile(path, O_WRONLY | O_CREAT | O_TRUNC);
    if (!fd.valid())
        return Status::fromErrno(errno, what);
    if (Status s = detail::writeAll(fd.get(), line, what); !s.ok()) {
        ::unlink(path.c_str());
        return s;
    }
    return fd.close(what);
}

HandOverResult readHandOver(const std::string &path)
{
    FileByteSource source(path);
    if (!source.status().ok())
        return {{}, source.status()};
    return readHandOver(source, path);
}

HandOverResult readHandOver(ByteSource &source, const std::string &name)
{
    HandOverResult result;
    FieldReader reader(source, kMaxNameLength);
    FieldValue field;
    switch (reader.readField(&field)) {
    case FieldReader::Result::Value:
        result.documentName = field.text();
        break;
    case FieldReader::Result::NoField:
        break;
    case FieldReader::Result::Error:
        result.status = reader.error() == ErrorCode::Io
            ? source.status()
            : Status::damaged(reader.error(), 1, reader.errorOffset(), name);
        break;
    }
    return result;
}

Status deleteHandOver(const std::string &path)
{
    if (::unlink(path.c_str()) != 0)
        return Status::fromErrno(errno, "cannot delete " + path);
    return {};
}

} // namespace storage
