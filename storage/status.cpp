#include "storage/status.h"

#include <cerrno>
#include <cstring>

namespace storage {

std::string_view describe(ErrorCode code)
{
    switch (code) {
    case ErrorCode::None:
        return "no error";
    case ErrorCode::Io:
        return "input or output failed";
    case ErrorCode::NotFound:
        return "file not found";
    case ErrorCode::CutShort:
        return "the file ends inside a record";
    case ErrorCode::UnterminatedQuote:
        return "a quoted value has no closing double quote";
    case ErrorCode::FieldTooLarge:
        return "a value is too large";
    case ErrorCode::QuoteInValue:
        return "a value contains a double quote, which a help document cannot hold";
    case ErrorCode::InvalidNumber:
        return "a number has no decimal form";
    case ErrorCode::Busy:
        return "another program is rewriting a document in this folder";
    case ErrorCode::Unrepresentable:
        return "a character cannot be written in the Windows-1252 code page";
    }
    return "unknown error";
}

Status Status::error(ErrorCode code, std::string message)
{
    Status s;
    s.m_code = code;
    s.m_message = message.empty() ? std::string(describe(code)) : std::move(message);
    return s;
}

Status Status::fromErrno(int sysError, std::string_view what)
{
    Status s;
    s.m_code = sysError == ENOENT ? ErrorCode::NotFound : ErrorCode::Io;
    s.m_sysError = sysError;
    s.m_message = std::string(what) + ": " + std::strerror(sysError);
    return s;
}

Status Status::damaged(
    ErrorCode code, std::uint64_t record, std::uint64_t offset, std::string_view detail)
{
    Status s;
    s.m_code = code;
    s.m_record = record;
    s.m_offset = offset;
    s.m_message = "record " + std::to_string(record) + ", byte " + std::to_string(offset) + ": "
        + std::string(describe(code));
    if (!detail.empty())
        s.m_message += " (" + std::string(detail) + ")";
    return s;
}

} // namespace storage
