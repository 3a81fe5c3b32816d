#include "InputStream.h"

#include "Input.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

InputStream::~InputStream() {
    if (m_close) {
        ::close(m_fd);
    }
}

bool InputStream::Open(const std::string& path, std::string& error) {
    m_name = InputName(path);
    m_close = path != "-";
    m_fd = m_close ? ::open(path.c_str(), O_RDONLY | O_CLOEXEC) : STDIN_FILENO;
    if (m_fd < 0) {
        m_close = false;
        error = "cannot open '" + m_name + "': " + std::strerror(errno);
        return false;
    }
    setg(m_buffer, m_buffer, m_buffer);
    return true;
}

std::streambuf::int_type InputStream::underflow() {
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    if (m_fd < 0 || m_errno != 0) {
        return traits_type::eof();
    }
    // The last bytes read move to the front, so BytesAt can still see them.
    const size_t used = static_cast<size_t>(egptr() - eback());
    const size_t keep = used < kKeep ? used : kKeep;
    std::memmove(m_buffer, egptr() - keep, keep);
    m_blockStart += used - keep;
    ssize_t count;
    do {
        count = ::read(m_fd, m_buffer + keep, kBlock);
    } while (count < 0 && errno == EINTR);
    if (count < 0) {
        m_errno = errno;
    }
    const size_t got = count > 0 ? static_cast<size_t>(count) : 0;
    if (m_head.size() < 4) {
        m_head.append(m_buffer + keep, std::min(got, 4 - m_head.size()));
    }
    setg(m_buffer, m_buffer + keep, m_buffer + keep + got);
    return got == 0 ? traits_type::eof() : traits_type::to_int_type(*gptr());
}

void InputStream::SkipByteOrderMark() {
    if (sgetc() != traits_type::eof() && egptr() - gptr() >= 3 &&
        std::memcmp(gptr(), kByteOrderMark, 3) == 0) {
        gbump(3);
        m_skipped = 3;
    }
}

bool InputStream::ReadLine(std::string& line) {
    line.clear();
    if (sgetc() == traits_type::eof()) {
        return false;
    }
    for (;;) {
        const char* const begin = gptr();
        const char* const end = egptr();
        const char* const newline = static_cast<const char*>(std::memchr(begin, '\n', end - begin));
        line.append(begin, newline != nullptr ? newline : end);
        if (newline != nullptr) {
            gbump(static_cast<int>(newline + 1 - begin));
            return true;
        }
        gbump(static_cast<int>(end - begin));
        if (sgetc() == traits_type::eof()) {
            return true;
        }
    }
}

std::string InputStream::ReadError() const {
    return m_errno == 0 ? std::string() : "cannot read '" + m_name + "': " + std::strerror(m_errno);
}

std::string InputStream::BytesAt(size_t offset) {
    std::string bytes;
    offset += m_skipped;
    if (offset < m_blockStart) {
        return bytes;
    }
    for (size_t at = offset - m_blockStart; bytes.size() < 4; ++at) {
        if (eback() + at >= egptr()) {
            // Read on: the parse is over, so the rest of the input is free to take.
            setg(eback(), egptr(), egptr());
            if (sgetc() == traits_type::eof()) {
                break;
            }
            at = offset + bytes.size() - m_blockStart;
            if (offset + bytes.size() < m_blockStart) {
                break;
            }
        }
        bytes += eback()[at];
    }
    return bytes;
}
