// Hostile input: every cut of the benchmark documents (at a stride) and random
// byte changes in them must give a tree or an error code of our category, never
// a crash or a foreign exception (std::range_error is allowed for wide text).
#include "HostileSources.h"

#include <kivJSON/JSONErrorCat.h>
#include <kivJSON/JSONParseOptions.h>
#include <kivJSON/JSONValue.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <locale>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

const char* const kDocuments[] = {"canada.json", "citm_catalog.json", "twitter.json"};

std::string ReadBenchDocument(const std::string& name) {
    std::ifstream in(std::string(KIVJSON_DATA_DIR) + "/bench/" + name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Empty when the outcome is acceptable, else what went wrong.
template <class Input>
std::string CheckParse(Input& input, bool wide) {
    std::error_code ec(MismatchedBraces, JsonErrorCategory::s_item);
    try {
        const JsonValue value = JsonValue::Parse(input, ec);
        if (!ec) {
            return ec.category() == std::system_category()
                       ? ""
                       : "success reported in a foreign category";
        }
        if (&ec.category() != &JsonErrorCategory::s_item || ec.value() < 1 || ec.value() > 10) {
            return "error outside our category: " + ec.message();
        }
        return value.IsNull() || ec.value() == LeftOverCharacters
                   ? ""
                   : "a failed parse handed out a tree";
    } catch (const std::range_error& error) {
        return wide ? "" : std::string("std::range_error from narrow text: ") + error.what();
    } catch (const std::exception& error) {
        return std::string("exception: ") + error.what();
    }
}

std::string CheckNarrow(const std::string& text, bool viaStream) {
    if (viaStream) {
        std::istringstream in(text);
        return CheckParse(in, false);
    }
    return CheckParse(text, false);
}

// Bytes taken one to one as wide elements: no conversion can fail on the way in.
std::string CheckWide(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    std::transform(text.begin(), text.end(), wide.begin(),
                   [](char c) { return static_cast<wchar_t>(static_cast<unsigned char>(c)); });
    std::string problem = CheckParse(wide, true);
    if (problem.empty()) {
        std::wistringstream in(wide);
        problem = CheckParse(in, true);
    }
    return problem;
}

class HostileInput : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        m_text = ReadBenchDocument(GetParam());
        if (m_text.empty()) {
            GTEST_SKIP() << "benchmark document " << GetParam() << " not found under "
                         << KIVJSON_DATA_DIR << "/bench";
        }
    }

    void Expect(const std::string& problem, const std::string& what) {
        if (!problem.empty() && ++m_failures <= 5) {
            ADD_FAILURE() << GetParam() << ", " << what << ": " << problem;
        }
    }

    std::string m_text;
    int m_failures = 0;
};

TEST_P(HostileInput, EveryPrefixAtAStride) {
    // Every cut in the first 2 KB, then about 100 cuts spread over the rest at an
    // odd stride, so the cuts land on every sort of token. Whole-document work
    // is what costs, so the stride grows with the size.
    size_t tried = 0;
    const size_t dense = std::min<size_t>(2048, m_text.size());
    for (size_t length = 0; length <= dense; ++length, ++tried) {
        const std::string prefix = m_text.substr(0, length);
        Expect(CheckNarrow(prefix, length % 7 == 0), "prefix of " + std::to_string(length));
        if (length % 5 == 0) {
            Expect(CheckWide(prefix), "wide prefix of " + std::to_string(length));
        }
    }
    const size_t stride = (m_text.size() / 100) | 1;
    for (size_t length = dense + 1; length <= m_text.size(); length += stride, ++tried) {
        Expect(CheckNarrow(m_text.substr(0, length), tried % 4 == 0),
               "prefix of " + std::to_string(length));
    }
    std::error_code ec;
    JsonValue::Parse(m_text, ec);
    EXPECT_FALSE(ec) << "the whole document must parse";
    RecordProperty("prefixes", static_cast<int>(tried));
}

TEST_P(HostileInput, RandomByteChanges) {
    std::mt19937 random(20261205);
    auto below = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
    auto mutate = [&](std::string text) {
        for (size_t i = 0, n = 1 + below(8); i < n; ++i) {
            const size_t at = below(text.size());
            text[at] =
                below(2) ? static_cast<char>(below(256)) : "{}[],:\"\\/*-.0e \n\x80\xff"[below(18)];
        }
        return text;
    };
    // A few whole documents, then many windows of a few kilobytes.
    for (int i = 0; i < 6; ++i) {
        Expect(CheckNarrow(mutate(m_text), i % 2 == 1),
               "whole document, change " + std::to_string(i));
    }
    for (int i = 0; i < 600; ++i) {
        const size_t start = below(m_text.size());
        const std::string window = mutate(m_text.substr(start, 64 + below(4096)));
        Expect(CheckNarrow(window, i % 3 == 0), "window " + std::to_string(i));
        if (i % 4 == 0) {
            Expect(CheckWide(window), "wide window " + std::to_string(i));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BenchDocuments, HostileInput, ::testing::ValuesIn(kDocuments),
                         [](const auto& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find_first_of("_."));
                         });

TEST(HostileInputStreams, StreamWithoutBufferReadsAsEmptyInput) {
    std::istream narrow(nullptr);
    std::wistream wide(nullptr);
    std::error_code ec;
    EXPECT_TRUE(JsonValue::Parse(narrow, ec).IsNull());
    EXPECT_EQ(ec, std::error_code(MalformedToken, JsonErrorCategory::s_item));
    ec.clear();
    EXPECT_TRUE(JsonValue::Parse(wide, ec).IsNull());
    EXPECT_EQ(ec, std::error_code(MalformedToken, JsonErrorCategory::s_item));
    EXPECT_THROW(JsonValue::Parse(narrow), std::invalid_argument);
    EXPECT_THROW(JsonValue::Parse(wide), std::invalid_argument);
}

// Wide text may hold any 32-bit element: the conversion refuses what UTF-8
// cannot hold with std::range_error and nothing else.
TEST(HostileInputStreams, WideElementsOutsideUnicode) {
    for (const wchar_t element : {wchar_t(0x110000), wchar_t(0xD800), wchar_t(0x7FFFFFFF),
                                  static_cast<wchar_t>(0x80000000u), wchar_t(0xFFFE)}) {
        for (std::wstring text :
             {std::wstring(L"[\"") + element + L"\"]", std::wstring(L"{\"") + element + L"\":1}",
              std::wstring(L"[") + element + L"]"}) {
            std::wistringstream in(text);
            EXPECT_EQ(CheckParse(text, true), "") << std::hex << int(element);
            EXPECT_EQ(CheckParse(in, true), "") << std::hex << int(element);
        }
    }
}

// A buffer that throws from underflow: the exception reaches the caller as it
// was thrown, from every stream entry point, at every depth (leaks show in the
// sanitizer builds).
TEST(HostileInputStreams, ThrowingBufferPassesTheExceptionThrough) {
    const std::string text = "{\"a\": [1, 2.5, {\"b\": \"text\\n\"}], \"c\": null}";
    for (size_t failAt = 0; failAt < text.size(); failAt += 3) {
        TrickleBuf<char> narrowBuf(text, failAt);
        TrickleBuf<wchar_t> wideBuf(std::wstring(text.begin(), text.end()), failAt);
        std::istream narrow(&narrowBuf);
        std::wistream wide(&wideBuf);
        std::error_code ec;
        JsonParsePosition at{};
        const auto thrownAt = [&](auto&& parse) {
            try {
                parse();
            } catch (const SourceFailure& failure) {
                return failure.at;
            }
            return std::string::npos;
        };
        EXPECT_EQ(thrownAt([&] { JsonValue::Parse(narrow, ec); }), failAt);
        EXPECT_EQ(thrownAt([&] { JsonParseText(wide, {true}, ec, at); }), failAt);
    }
}

// The decimal separator of the caller's locale changes nothing read or written,
// the numbers that strtod converts (out of the double's range) included.
TEST(HostileInputStreams, CommaDecimalLocaleChangesNothing) {
    const std::string text = "[0.5,-1.25e-3,1e400,2.5e-320,123456789012345678901234.5,7]";
    const JsonValue inC = JsonValue::Parse(text);
    const std::string outC = inC.Serialize();
    try {
        std::locale::global(std::locale("de_DE.UTF-8"));
    } catch (const std::runtime_error&) {
        GTEST_SKIP()
            << "locale de_DE.UTF-8 not installed (localedef -i de_DE -f UTF-8 de_DE.UTF-8)";
    }
    std::istringstream in(text);
    const JsonValue fromText = JsonValue::Parse(text);
    const JsonValue fromStream = JsonValue::Parse(in);
    const std::string out = fromText.Serialize();
    std::locale::global(std::locale::classic());
    EXPECT_EQ(fromText, inC);
    EXPECT_EQ(fromStream, inC);
    EXPECT_EQ(out, outC);
}

}  // namespace
