// The pull reader against the tree parser: verdict, code, position and content.
#include <kivCore/TextFunctions.h>
#include <kivJSON/JSONEventWriter.h>
#include <kivJSON/JSONReader.h>
#include <kivJSON/JSONWriteOptions.h>
#include <kivJSON/internal/SpaceScan.h>
#include <kivJSON/internal/StringScan.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

struct Outcome {
    std::error_code error;
    JsonParsePosition position{0, 1, 1};
    std::string text;  // the document written compactly (from the events, or the tree)
    bool written = false;
};

// Every event through the writer; scalars in arrays also through ReadValue.
Outcome Drain(JsonReader&& reader, const JsonWriteOptions& options = {}) {
    Outcome out;
    JsonEventWriter writer(out.text, options);
    bool complete = true;
    while (reader.Next()) {
        JsonValue scalar;
        const JsonEvent event = reader.Event();
        if (event == JsonEvent::Key || event == JsonEvent::String) {
            // The view as read, then the copy Text() makes, then the view again.
            const std::string view(reader.TextView());
            EXPECT_EQ(reader.Text(), view);
            EXPECT_EQ(reader.TextView(), view);
        }
        if (reader.Depth() != 0 && (event == JsonEvent::Number || event == JsonEvent::String)) {
            complete = reader.ReadValue(scalar) && writer.Value(scalar) && complete;
        } else {
            complete = JsonCopyEvent(reader, writer) && complete;
        }
    }
    out.written = complete && writer.Finish();
    out.error = reader.Error();
    out.position = reader.ErrorPosition();
    return out;
}

template <class Source>
Outcome Tree(Source&& source, const JsonParseOptions& options) {
    Outcome out;
    const JsonValue value = JsonParseText(source, options, out.error, out.position);
    out.text = out.error ? "" : value.Serialize();
    return out;
}

void ExpectSame(const Outcome& tree, const Outcome& events, const std::string& what) {
    EXPECT_EQ(tree.error, events.error) << what;
    if (tree.error) {
        EXPECT_EQ(tree.position.offset, events.position.offset) << what;
        EXPECT_EQ(tree.position.line, events.position.line) << what;
        EXPECT_EQ(tree.position.column, events.position.column) << what;
    } else {
        EXPECT_TRUE(events.written) << what;
        EXPECT_EQ(tree.text, events.text) << what;
    }
}

// Every source, both modes.
void ExpectReaderMatchesTree(const std::string& text, const std::string& name) {
    const std::wstring wide = ConvertString_UTF8_to_WSTRING(text);
    for (const bool strict : {false, true}) {
        const JsonParseOptions options{strict};
        const std::string what = name + (strict ? " (strict)" : "");
        std::istringstream in1(text), in2(text);
        std::wistringstream win1(wide), win2(wide);
        ExpectSame(Tree(text, options), Drain(JsonReader(text, options)), what + " text");
        ExpectSame(Tree(in1, options), Drain(JsonReader(in2, options)), what + " stream");
        ExpectSame(Tree(wide, options), Drain(JsonReader(wide, options)), what + " wide");
        ExpectSame(Tree(win1, options), Drain(JsonReader(win2, options)), what + " wstream");
    }
}

TEST(Reader, MatchesTheTreeParserOnTheCorpus) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(KIVJSON_DATA_DIR) / "conformance" / "test_parsing";
    if (!fs::is_directory(dir)) {
        GTEST_SKIP() << "conformance corpus not found at " << dir;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        std::ifstream file(entry.path(), std::ios::binary);
        ExpectReaderMatchesTree(std::string(std::istreambuf_iterator<char>(file), {}),
                                entry.path().filename().string());
    }
}

TEST(Reader, MatchesTheTreeParserOnEdgeCases) {
    for (const char* text : {"",
                             " ",
                             "1 2",
                             "[1,]",
                             "{\"a\" 1}",
                             "{\"a\":1,}",
                             "{,}",
                             "[}",
                             "]",
                             "[1 2]",
                             "{1:2}",
                             "// c\n[1, /* x */ 2]\n",
                             "[1] // end",
                             "\"\xff\"",
                             "[01]",
                             "1e999",
                             "[\"a\\u00e9\",-0]",
                             "{\"k\":[{},[]],\"k\":null}",
                             "[tru]",
                             "\n\n  [\n 1,\n  x]",
                             "{\"a\" : [1 , 2] ,\n \"b\" /*c*/ : 3 , \"c\":4}",
                             "{\"a\":1 , }",
                             "{\"a\" : }",
                             "[1 , x]"}) {
        ExpectReaderMatchesTree(text, std::string("'") + text + "'");
    }
    ExpectReaderMatchesTree(std::string(129, '[') + std::string(129, ']'), "too deep");
}

TEST(Reader, EventsCarryPositionsAndDepth) {
    const std::string text = "{\"a\": [1,\n  true], \"b\": null}";
    JsonReader reader(text);
    const struct {
        JsonEvent event;
        size_t offset, line, column, depth;
    } expected[] = {{JsonEvent::BeginObject, 0, 1, 1, 1}, {JsonEvent::Key, 1, 1, 2, 1},
                    {JsonEvent::BeginArray, 6, 1, 7, 2},  {JsonEvent::Number, 7, 1, 8, 2},
                    {JsonEvent::Bool, 12, 2, 3, 2},       {JsonEvent::EndArray, 16, 2, 7, 1},
                    {JsonEvent::Key, 19, 2, 10, 1},       {JsonEvent::Null, 24, 2, 15, 1},
                    {JsonEvent::EndObject, 28, 2, 19, 0}};
    for (const auto& want : expected) {
        ASSERT_TRUE(reader.Next());
        EXPECT_EQ(reader.Event(), want.event) << want.offset;
        const JsonParsePosition at = reader.Position();
        EXPECT_EQ(at.offset, want.offset);
        EXPECT_EQ(at.line, want.line) << want.offset;
        EXPECT_EQ(at.column, want.column) << want.offset;
        EXPECT_EQ(reader.Depth(), want.depth) << want.offset;
    }
    EXPECT_FALSE(reader.Next());
    EXPECT_FALSE(reader.Error());
}

// Streaming an array of records: skip some, build the others one at a time.
TEST(Reader, SkipsAndReadsOneRecordAtATime) {
    std::istringstream in("[{\"id\":1,\"tags\":[\"x\"]}, [9, [9]], {\"id\":-2}, 7]");
    JsonReader reader(in);
    ASSERT_TRUE(reader.Next());
    std::string ids;
    while (reader.Next() && reader.Depth() != 0) {
        JsonValue record;
        if (reader.Event() == JsonEvent::BeginArray) {
            ASSERT_TRUE(reader.Skip());
            EXPECT_EQ(reader.Event(), JsonEvent::EndArray);
            continue;
        }
        ASSERT_TRUE(reader.ReadValue(record));
        // The reader stands on the record's last event.
        EXPECT_EQ(reader.Event(), record.IsObject() ? JsonEvent::EndObject : JsonEvent::Number);
        EXPECT_EQ(reader.Depth(), 1u);
        ids += record.IsObject() ? record["id"].Serialize() : "#" + record.Serialize();
    }
    EXPECT_EQ(ids, "1-2#7");
    EXPECT_FALSE(reader.Next());
    EXPECT_FALSE(reader.Error());
}

}  // namespace

namespace {

// Events written with options give WriteJson's text, also with whole values
// written inside indented containers.
TEST(EventWriter, GivesWriteJsonText) {
    const JsonWriteOptions styles[] = {{2, JsonNumberStyle::Shortest, JsonNonFinite::Fail},
                                       {3, JsonNumberStyle::Exact17, JsonNonFinite::Null},
                                       {0, JsonNumberStyle::Shortest, JsonNonFinite::Write}};
    for (const char* text : {"[]", "{}", "[[], {}, [1, [0.1, -2]], {\"a\\n\": {\"b\": [true]}}]",
                             "{\"k\": [1e999, null, \"\\u0001\\\"\"], \"e\": {}}", "0.1"}) {
        for (const JsonWriteOptions& options : styles) {
            std::error_code error;
            std::string want;
            const bool writes =
                WriteJson(JsonValue::Parse(std::string(text)), want, options, error);
            const std::string doc = text;
            Outcome events = Drain(JsonReader(doc), options);
            EXPECT_EQ(writes, events.written) << text << options.indent;
            EXPECT_EQ(writes ? want : "", writes ? events.text : "") << text << options.indent;
        }
    }
}

TEST(EventWriter, RefusesWhatIsNotJson) {
    using E = JsonEventWriteError;
    const struct {
        const char* calls;  // [ ] { } k(ey) s(tring) n(ull) F(inish)
        JsonEventWriteError error;
    } cases[] = {{"{n", E::KeyExpected},      {"{kk", E::ValueExpected},
                 {"[k", E::ValueExpected},    {"{k}", E::ValueExpected},
                 {"[}", E::UnexpectedEnd},    {"]", E::UnexpectedEnd},
                 {"nn", E::DocumentComplete}, {"[]k", E::DocumentComplete},
                 {"[F", E::Incomplete},       {"F", E::Incomplete}};
    for (const auto& c : cases) {
        std::string out;
        JsonEventWriter writer(out);
        bool ok = true;
        std::string before;
        for (const char* call = c.calls; *call != 0; ++call) {
            before = out;
            switch (*call) {
                case '[':
                    ok = writer.BeginArray();
                    break;
                case ']':
                    ok = writer.EndArray();
                    break;
                case '{':
                    ok = writer.BeginObject();
                    break;
                case '}':
                    ok = writer.EndObject();
                    break;
                case 'k':
                    ok = writer.Key("k");
                    break;
                case 'n':
                    ok = writer.Null();
                    break;
                default:
                    ok = writer.Finish();
                    break;
            }
        }
        EXPECT_FALSE(ok) << c.calls;
        EXPECT_EQ(writer.Error(), make_error_code(c.error)) << c.calls;
        EXPECT_EQ(out, before) << c.calls;  // the refused call wrote nothing
        EXPECT_FALSE(writer.Null()) << c.calls;
    }
}

// A whole tree written inside open containers is indented from their depth
// on; indentation beyond any string is refused before anything is written.
TEST(EventWriter, IndentsWholeValuesFromTheirDepth) {
    const std::string inner = "{\"a\": [1, {}], \"b\": {\"c\": [[]]}}";
    const JsonValue value = JsonValue::Parse(inner);
    for (const size_t indent : {0, 3}) {
        std::string out;
        JsonEventWriter writer(out, {indent});
        EXPECT_TRUE(writer.BeginArray() && writer.Value(value) && writer.BeginObject() &&
                    writer.Key("k") && writer.Value(value) && writer.EndObject() &&
                    writer.EndArray() && writer.Finish());
        const JsonValue whole = JsonValue::Parse("[" + inner + ", {\"k\": " + inner + "}]");
        EXPECT_EQ(out, WriteJson(whole, {indent})) << indent;
    }
    for (const bool whole : {false, true}) {
        std::string out;
        JsonEventWriter writer(out, {SIZE_MAX / 2 + 1});  // too large from depth 1 on
        EXPECT_TRUE(writer.BeginArray());
        EXPECT_FALSE(whole ? writer.Value(value) : writer.Null());
        EXPECT_EQ(writer.Error(), make_error_code(JsonWriteError::IndentTooLarge));
        EXPECT_EQ(out, "[");
    }
}

}  // namespace

namespace {

// Both scans, wherever the special byte falls in or after a block, and never
// on bytes from 0x20 up (0x7F and above included, where a signed compare slips).
TEST(StringScan, BothPathsFindTheFirstSpecialByte) {
    for (const char special : {'"', '\\', '\0', '\x1f', '\n'}) {
        for (size_t at = 0; at <= 40; ++at) {
            std::string text(41, 'a');
            for (size_t i = 0; i < text.size(); i += 3) {
                text[i] = static_cast<char>(0x7F + i % 0x81);  // 0x7F..0xFF
            }
            const bool present = at < text.size();
            if (present) {
                text[at] = special;
            }
            const char* const begin = text.data();
            const char* const end = begin + text.size();
            const size_t want = present ? at : text.size();
            EXPECT_EQ(_Private::FindStringSpecialPortable(begin, end) - begin,
                      static_cast<long>(want))
                << at;
#if defined(__SSE2__)
            EXPECT_EQ(_Private::FindStringSpecialSse2(begin, end) - begin, static_cast<long>(want))
                << at;
#endif
        }
    }
}

// Both whitespace skips stop at the first byte that is not one of the four,
// wherever it falls in or after a block: bytes next to them in value (0x0B,
// 0x1F, 0x21) and bytes a signed compare would misplace (0x80, 0xA0).
TEST(SpaceScan, BothPathsStopAtTheFirstOtherByte) {
    for (const char other : {'a', '\0', '\x0b', '\x1f', '!', '\x80', '\xa0'}) {
        for (size_t at = 0; at <= 40; ++at) {
            std::string text(41, ' ');
            for (size_t i = 0; i < text.size(); ++i) {
                text[i] = " \n\r\t"[i % 4];
            }
            if (at < text.size()) {
                text[at] = other;
            }
            const char* const begin = text.data();
            const char* const end = begin + text.size();
            const long want = static_cast<long>(std::min(at, text.size()));
            EXPECT_EQ(_Private::SkipJsonSpacePortable(begin, end) - begin, want) << at;
            EXPECT_EQ(_Private::SkipJsonSpace(begin, end) - begin, want) << at;
#if defined(__SSE2__)
            EXPECT_EQ(_Private::SkipJsonSpaceSse2(begin, end) - begin, want) << at;
#endif
        }
    }
}

}  // namespace
