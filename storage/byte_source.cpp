#include "storage/byte_source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>

namespace storage {

FileByteSource::FileByteSource(const std::string &path)
    : m_fd(detail::openFile(path, O_RDONLY))
    , m_path(path)
{
    if (!m_fd.valid())
        m_status = Status::fromErrno(errno, "cannot open " + path);
}

std::size_t FileByteSource::read(char *buffer, std::size_t size)
{
    if (!m_fd.valid())
        return 0;
    const long n = detail::readSome(m_fd.get(), buffer, size);
    if (n < 0) {
        m_status = Status::fromErrno(errno, "cannot read " + m_path);
        m_fd = detail::UniqueFd();
        return 0;
    }
    return static_cast<std::size_t>(n);
}

std::size_t MemoryByteSource::read(char *buffer, std::size_t size)
{
    const std::size_t n = std::min(size, m_rest.size());
    if (n > 0)
        std::memcpy(buffer, m_rest.data(), n);
    m_rest.remove_prefix(n);
    return n;
}

} // namespace storage
