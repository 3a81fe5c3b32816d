#include <kivJSON/JSONFile.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include <sys/resource.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// The guide's example (examples/api_tour.cpp) covers a missing file, a bad
// document, a refused value and the texts of the throwing forms; these are the
// cases a reader would not paste.
TEST(JsonFile, ReadFailuresAndAllOrNothingWrites) {
    const fs::path dir = fs::temp_directory_path() / ("kivjson-file-" + std::to_string(::getpid()));
    const std::string comment = dir / "comment.json", out = dir / "out.json";
    fs::create_directories(dir);
    std::ofstream(comment) << "// x\n[]";
    std::error_code ec;
    JsonParsePosition at{};
    EXPECT_TRUE(JsonParseFile(dir, {}, ec, at).IsNull());
    EXPECT_EQ(ec, std::errc::is_a_directory);
    EXPECT_THROW(JsonParseFile(dir), std::system_error);
    EXPECT_TRUE(JsonParseFile(comment, {true}, ec, at).IsNull());  // the options reach the parse
    EXPECT_TRUE(ec.value() == MalformedToken && at.line == 1 && at.column == 1);

    // A file larger than the process may write fails as a full disk does.
    JsonWriteFile(out, JsonValue(1));
    fs::permissions(out, fs::perms(0640));
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const rlimit small{2, old.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_FALSE(JsonWriteFile(out, JsonValue(12345), {}, ec));
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(ec, std::errc::file_too_large);
    EXPECT_EQ(JsonParseFile(out), JsonValue(1));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 2);  // no temporary file left
    EXPECT_TRUE(JsonWriteFile(out, JsonValue(2), {}, ec) && !ec);
    EXPECT_EQ(JsonParseFile(out), JsonValue(2));
    EXPECT_EQ(fs::status(out).permissions(), fs::perms(0640));  // kept
    fs::remove_all(dir);
}

}  // namespace
