// Files in and out: the whole file read with POSIX calls (so a failure keeps its
// errno), and a write that replaces the file only once the new text is on disk.
#include <kivJSON/JSONFile.h>

#include <atomic>
#include <cerrno>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::error_code LastFileError() {
    return {errno, std::generic_category()};
}

// The whole content of `path`, or the errno of the failing call. A directory
// opens but fails to read (EISDIR).
std::error_code ReadWholeFile(const std::string& path, std::string& text) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return LastFileError();
    }
    std::error_code result;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_size > 0) {
        text.reserve(static_cast<size_t>(info.st_size));
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            text.append(buffer, static_cast<size_t>(got));
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            result = LastFileError();
            break;
        }
    }
    ::close(fd);
    return result;
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
        if (put < 0 && errno != EINTR) {
            return false;
        }
        done += put > 0 ? static_cast<size_t>(put) : 0;
    }
    return true;
}

// A new file beside `path`, named after it, that no one else has opened; -1 and
// errno when the folder cannot take one.
int CreateTemporaryBeside(const std::string& path, std::string& name) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// Writes `text` to a temporary file, flushes it and renames it over `path`.
std::error_code ReplaceFile(const std::string& path, const std::string& text) {
    std::string temporary;
    const int fd = CreateTemporaryBeside(path, temporary);
    if (fd < 0) {
        return LastFileError();
    }
    struct stat old {};
    bool done = (::lstat(path.c_str(), &old) != 0 || !S_ISREG(old.st_mode) ||
                 ::fchmod(fd, old.st_mode & 07777) == 0) &&
                WriteAll(fd, text) && ::fsync(fd) == 0;
    std::error_code result = done ? std::error_code() : LastFileError();
    if (::close(fd) != 0 && done) {
        done = false;
        result = LastFileError();
    }
    if (done && ::rename(temporary.c_str(), path.c_str()) != 0) {
        done = false;
        result = LastFileError();
    }
    if (!done) {
        ::unlink(temporary.c_str());
        return result;
    }
    // The rename itself reaches the disk with the folder's entry.
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

}  // namespace

JsonValue JsonParseFile(const std::string& path, const JsonParseOptions& options,
                        std::error_code& ec, JsonParsePosition& position) {
    std::string text;
    ec = ReadWholeFile(path, text);
    if (ec) {
        return JsonValue();
    }
    return JsonParseText(text, options, ec, position);
}

JsonValue JsonParseFile(const std::string& path, const JsonParseOptions& options) {
    std::error_code ec;
    JsonParsePosition at{};
    JsonValue value = JsonParseFile(path, options, ec, at);
    if (ec.category() == std::generic_category()) {
        throw std::system_error(ec, "cannot read " + path);
    }
    if (ec) {
        throw std::invalid_argument(path + ":" + std::to_string(at.line) + ":" +
                                    std::to_string(at.column) + ": " + ec.message());
    }
    return value;
}

bool JsonWriteFile(const std::string& path, const JsonValue& value, const JsonWriteOptions& options,
                   std::error_code& error) {
    std::string text;
    if (!WriteJson(value, text, options, error)) {
        return false;
    }
    text += '\n';
    error = ReplaceFile(path, text);
    return !error;
}

void JsonWriteFile(const std::string& path, const JsonValue& value,
                   const JsonWriteOptions& options) {
    std::string text = WriteJson(value, options);
    text += '\n';
    const std::error_code error = ReplaceFile(path, text);
    if (error) {
        throw std::system_error(error, "cannot write " + path);
    }
}
