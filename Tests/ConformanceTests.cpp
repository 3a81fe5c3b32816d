// The JSONTestSuite parsing corpus against the verdicts in data/conformance-expectations.txt.
#include <kivCore/TextFunctions.h>
#include <kivJSON/JSONParseOptions.h>
#include <kivJSON/JSONValue.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

namespace {

// Strict mode accepts every y_ file and rejects every n_ file, from each source
// the file can be given as: wide text only when the file is well-formed UTF-8.
void ExpectStrictVerdict(const std::string& name, const std::string& text) {
    const std::wstring wide = ConvertString_UTF8_to_WSTRING(text);
    size_t replacements = 0;  // U+FFFD written in the file itself
    for (size_t at = text.find("\xEF\xBF\xBD"); at != std::string::npos;
         at = text.find("\xEF\xBF\xBD", at + 1)) {
        ++replacements;
    }
    const bool wideExact =
        static_cast<size_t>(std::count(wide.begin(), wide.end(), L'\uFFFD')) == replacements;
    std::istringstream in(text);
    std::wistringstream win(wide);
    std::error_code ec[4];
    JsonParsePosition where{};
    JsonParseText(text, {true}, ec[0], where);
    JsonParseText(in, {true}, ec[1], where);
    JsonParseText(wideExact ? wide : L"[]", {true}, ec[2], where);
    JsonParseText(win, {true}, ec[3], where);
    for (int source = 0; source < (wideExact ? 4 : 2); ++source) {
        EXPECT_EQ(!ec[source], name[0] == 'y') << name << " (strict, source " << source << ")";
    }
}

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
        if (name[0] == 'y' || name[0] == 'n') {
            ExpectStrictVerdict(name, text);
        }
        expected.erase(it);
    }
    for (const auto& entry : expected) {
        ADD_FAILURE() << "expectation for a file not in the corpus: " << entry.first;
    }
}

}  // namespace
