// The JSONTestSuite parsing corpus against the verdicts in data/conformance-expectations.txt.
#include <kivJSON/JSONValue.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

namespace {

TEST(Conformance, CorpusMatchesTheExpectations) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(KIVJSON_DATA_DIR) / "conformance" / "test_parsing";
    if (!fs::is_directory(dir)) {
        GTEST_SKIP() << "conformance corpus not found at " << dir;
    }
    std::ifstream table(KIVJSON_TEST_DATA_DIR "/conformance-expectations.txt");
    ASSERT_TRUE(table) << "expectations file not found in " KIVJSON_TEST_DATA_DIR;
    std::map<std::string, int> expected;
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line.substr(0, line.find(" #")));
        std::string name;
        int code = -1;
        if (fields >> name && name[0] != '#') {  // skip header lines
            EXPECT_TRUE(fields >> code) << "no code: " << line;
            EXPECT_TRUE(expected.emplace(name, code).second) << "listed twice: " << name;
        }
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        const auto it = expected.find(name);
        if (it == expected.end()) {
            ADD_FAILURE() << "corpus file missing from the expectations: " << name;
            continue;
        }
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(file), {}};
        std::error_code ec, streamEc;
        const JsonValue fromString = JsonValue::Parse(text, ec);
        EXPECT_EQ(ec.value(), it->second) << name << ": " << ec.message();
        std::istringstream in(text);
        EXPECT_TRUE(JsonValue::Parse(in, streamEc) == fromString) << name << " (stream)";
        EXPECT_EQ(streamEc, ec) << name << " (stream)";
        expected.erase(it);
    }
    for (const auto& entry : expected) {
        ADD_FAILURE() << "expectation for a file not in the corpus: " << entry.first;
    }
}

}  // namespace
