#pragma once

#include "storage/posix_file.h"
#include "storage/status.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace storage {

// Where a reader's bytes come from: one read call into the caller's buffer.
class ByteSource
{
public:
    virtual ~ByteSource() = default;
    // Fills up to size bytes; returns how many, 0 at the end. A failure is kept in status().
    virtual std::size_t read(char *buffer, std::size_t size) = 0;
    virtual const Status &status() const = 0;
};

// Bytes of an open file, read with read(2).
class FileByteSource final : public ByteSource
{
public:
    FileByteSource() = default;
    // Opens path for reading; check status() afterwards.
    explicit FileByteSource(const std::string &path);
    FileByteSource(const FileByteSource &) = delete;
    FileByteSource &operator=(const FileByteSource &) = delete;

    bool isOpen() const { return m_fd.valid(); }
    std::size_t read(char *buffer, std::size_t size) override;
    const Status &status() const override { return m_status; }

private:
    detail::UniqueFd m_fd;
    std::string m_path;
    Status m_status;
};

// Bytes already in memory (tests, fuzzing, the hand-over file). The bytes must outlive it.
class MemoryByteSource final : public ByteSource
{
public:
    explicit MemoryByteSource(std::string_view bytes)
        : m_rest(bytes)
    { }
    std::size_t read(char *buffer, std::size_t size) override;
    const Status &status() const override { return m_status; }

private:
    std::string_view m_rest;
    Status m_status;
};

} // namespace storage
