// Reading an input a block at a time, for the commands that stream.
#pragma once

#include <cstddef>
#include <streambuf>
#include <string>

// A file or standard input ("-") as a stream buffer over 64 KiB blocks. A read
// error ends the input early and is kept for the message. The first bytes of
// the input and the last bytes before the current block stay available, so
// that a parse error can say what it met.
class InputStream : public std::streambuf {
public:
    InputStream() = default;
    InputStream(const InputStream&) = delete;
    InputStream& operator=(const InputStream&) = delete;
    ~InputStream() override;

    // Opens `path`; on failure `error` names the file and the reason.
    bool Open(const std::string& path, std::string& error);
    // Skips a UTF-8 byte-order mark at the start of the input, if there is one.
    void SkipByteOrderMark();
    // Reads one line (without its '\n') into `line`; false at the end of input.
    bool ReadLine(std::string& line);
    // After a read error: "cannot read 'NAME': REASON"; else empty.
    std::string ReadError() const;
    // Bytes taken from the input so far.
    size_t Consumed() const { return m_blockStart + static_cast<size_t>(gptr() - eback()); }
    // The first bytes of the input (up to 4).
    const std::string& Head() const { return m_head; }
    // Up to 4 bytes from `offset` of the text after a skipped byte-order mark
    // on (fewer at the end of the input), when
    // the offset is no further back than the previous block's last bytes.
    std::string BytesAt(size_t offset);

protected:
    int_type underflow() override;

private:
    static constexpr size_t kBlock = 64 * 1024;
    static constexpr size_t kKeep = 8;  // bytes kept before each new block

    int m_fd = -1;
    bool m_close = false;
    int m_errno = 0;
    std::string m_name;
    std::string m_head;
    size_t m_blockStart = 0;  // input offset of eback()
    size_t m_skipped = 0;     // length of the byte-order mark skipped
    char m_buffer[kKeep + kBlock];
};
