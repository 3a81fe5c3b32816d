// Narrow text from a stream: the same verdict and an equal tree as the string
// source, whether the buffer holds everything or hands out one byte at a time.
// The pull reader, from the string and from the one-byte buffer, in both
// modes: JsonParseText's verdict and position, and its tree's text.
#include "FuzzSupport.h"

#include <kivJSON/JSONEventWriter.h>
#include <kivJSON/JSONReader.h>

#include <sstream>
#include <stdexcept>
#include <streambuf>

namespace {

// A buffer that refills one byte at a time, so every read crosses a refill.
class TrickleBuffer : public std::streambuf {
public:
    TrickleBuffer(const char* begin, const char* end) : m_pos(begin), m_end(end) {}

protected:
    int_type underflow() override {
        if (m_pos == m_end) {
            return traits_type::eof();
        }
        m_current = *m_pos++;
        setg(&m_current, &m_current, &m_current + 1);
        return traits_type::to_int_type(m_current);
    }

private:
    const char* m_pos;
    const char* m_end;
    char m_current = 0;
};

// Events through the writer (Serialize()'s text) against JsonParseText.
void CheckReader(JsonReader&& reader, const std::string& text, bool strict) {
    std::error_code ec;
    JsonParsePosition at{0, 1, 1};
    const JsonValue tree = JsonParseText(text, {strict}, ec, at);
    std::string written;
    JsonEventWriter writer(written);
    while (reader.Next()) {
        JsonValue scalar;
        switch (reader.Event()) {
            case JsonEvent::BeginArray:
                writer.BeginArray();
                break;
            case JsonEvent::EndArray:
                writer.EndArray();
                break;
            case JsonEvent::BeginObject:
                writer.BeginObject();
                break;
            case JsonEvent::EndObject:
                writer.EndObject();
                break;
            case JsonEvent::Key:
                writer.Key(reader.Text());
                break;
            default:
                reader.ReadValue(scalar) && writer.Value(scalar);
        }
    }
    FUZZ_CHECK(reader.Error() == ec, "reader and JsonParseText give different verdicts");
    if (ec) {
        const JsonParsePosition& got = reader.ErrorPosition();
        FUZZ_CHECK(got.offset == at.offset && got.line == at.line && got.column == at.column,
                   "reader and JsonParseText report different positions");
    } else {
        FUZZ_CHECK(writer.Finish() && written == tree.Serialize(),
                   "reader's events do not give the tree's text");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::error_code fromString;
    const JsonValue expected = JsonValue::Parse(text, fromString);

    std::istringstream whole(text);
    std::error_code ec = fuzz::Stale();
    const JsonValue value = JsonValue::Parse(whole, ec);
    fuzz::CheckVerdict(ec);
    FUZZ_CHECK(ec == fromString, "stream and string give different verdicts");
    FUZZ_CHECK(value == expected, "stream and string give different trees");
    FUZZ_CHECK(whole.rdstate() == std::ios::goodbit, "the parse changed the stream's state");
    if (!ec) {
        FUZZ_CHECK(whole.rdbuf()->sgetc() == std::char_traits<char>::eof(),
                   "a successful parse left input unread");
    }

    TrickleBuffer trickle(text.data(), text.data() + text.size());
    std::istream trickled(&trickle);
    ec = fuzz::Stale();
    const JsonValue fromTrickle = JsonValue::Parse(trickled, ec);
    FUZZ_CHECK(ec == fromString, "one-byte buffer and string give different verdicts");
    FUZZ_CHECK(fromTrickle == expected, "one-byte buffer and string give different trees");

    for (const bool strict : {false, true}) {
        CheckReader(JsonReader(text, {strict}), text, strict);
        TrickleBuffer bytes(text.data(), text.data() + text.size());
        std::istream byByte(&bytes);
        CheckReader(JsonReader(byByte, {strict}), text, strict);
    }

    std::istringstream again(text);
    try {
        const JsonValue thrown = JsonValue::Parse(again);
        FUZZ_CHECK(!fromString, "throwing stream form succeeded where the string failed");
        FUZZ_CHECK(thrown == expected, "throwing stream form built a different tree");
    } catch (const std::invalid_argument& error) {
        FUZZ_CHECK(fromString, "throwing stream form failed where the string succeeded");
        FUZZ_CHECK(fromString.message() == error.what(), "thrown message differs");
    }
    return 0;
}
