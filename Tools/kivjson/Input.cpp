#include "Input.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Reads into the spare room of `text` first (sized from the file length), then
// in chunks for whatever the size did not predict (pipes, growing files).
bool ReadDescriptor(int fd, std::string& text, size_t sizeHint) {
    text.resize(sizeHint);
    size_t used = 0;
    char chunk[64 * 1024];
    for (;;) {
        ssize_t count;
        if (used < text.size()) {
            count = ::read(fd, &text[used], text.size() - used);
        } else {
            count = ::read(fd, chunk, sizeof chunk);
            if (count > 0) {
                text.append(chunk, static_cast<size_t>(count));
            }
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (count == 0) {
            text.resize(used);
            return true;
        }
        used += static_cast<size_t>(count);
    }
}

}  // namespace

bool ReadInput(const std::string& path, InputDocument& doc, std::string& error) {
    const bool isStdin = path == "-";
    doc.name = InputName(path);
    const int fd = isStdin ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot open '" + doc.name + "': " + std::strerror(errno);
        return false;
    }
    struct stat info {};
    size_t sizeHint = 0;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        sizeHint = static_cast<size_t>(info.st_size);
    }
    const bool ok = ReadDescriptor(fd, doc.text, sizeHint);
    const int readErrno = errno;
    if (!isStdin) {
        ::close(fd);
    }
    if (!ok) {
        error = "cannot read '" + doc.name + "': " + std::strerror(readErrno);
        doc.text.clear();
        doc.text.shrink_to_fit();
    }
    return ok;
}

std::string InputName(const std::string& path) {
    return path == "-" ? "<stdin>" : path;
}

const char kByteOrderMark[4] = "\xEF\xBB\xBF";

void DropByteOrderMark(std::string& text) {
    if (text.compare(0, 3, kByteOrderMark) == 0) {
        text.erase(0, 3);
    }
}
