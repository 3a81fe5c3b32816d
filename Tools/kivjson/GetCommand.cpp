// kivjson get: print the value at a JSON Pointer in each document.
#include "CommandLine.h"
#include "Commands.h"
#include "Documents.h"
#include "Streamed.h"
#include "ValueText.h"

#include <kivJSON/JSONPointer.h>

#include <charconv>
#include <cstdio>

namespace {

const char kGetUsage[] =
    "Usage: kivjson get [--raw] [--lines] [--exact] [--allow-nonfinite] [--allow-bom]\n"
    "                   POINTER [FILE|-]...\n"
    "\n"
    "Prints the value at POINTER (RFC 6901, e.g. /items/0/name; ~0 is '~',\n"
    "~1 is '/'; \"\" is the whole document) in each document as compact JSON,\n"
    "one line per document. With no FILE, or when FILE is -, reads standard\n"
    "input. A document without such a value prints 'FILE: no value at POINTER'\n"
    "(with --lines 'FILE:LINE: ...') on stderr and makes the exit status 1.\n"
    "With duplicate keys the first member counts. A value holding a string or\n"
    "key whose bytes are not UTF-8 is not printed: its FILE:LINE:COLUMN is\n"
    "reported and the exit status is 1. Numbers are printed as minify prints\n"
    "them: the shortest text that reads back as the same value (0.1 stays 0.1).\n"
    "\n"
    "  --raw              print a string's text without quotes or escapes\n"
    "  --lines            JSON Lines: each line is one document; lines holding\n"
    "                     only whitespace are skipped\n"
    "  --exact            17 significant digits, the library's Serialize() text\n"
    "  --allow-nonfinite  print infinite and NaN numbers as null (otherwise exit "
    "1)\n" KIVJSON_BOM_HELP;

// The reference tokens of a well-formed pointer, unescaped ("~01" is "~1").
std::vector<std::string> PointerTokens(const std::string& pointer) {
    std::vector<std::string> tokens;
    for (size_t slash = 0; slash < pointer.size();) {
        const size_t next = std::min(pointer.find('/', slash + 1), pointer.size());
        std::string token;
        for (size_t i = slash + 1; i < next; ++i) {
            token += pointer[i] != '~' ? pointer[i] : pointer[++i] == '0' ? '~' : '/';
        }
        tokens.push_back(std::move(token));
        slash = next;
    }
    return tokens;
}

// An array index: decimal digits, no leading zero; npos for anything else.
size_t ArrayIndex(const std::string& token) {
    size_t index = 0;
    const char* const end = token.data() + token.size();
    const auto read = std::from_chars(token.data(), end, index);
    const bool leadingZero = token.size() > 1 && token[0] == '0';
    return token.empty() || leadingZero || read.ec != std::errc() || read.ptr != end
               ? std::string::npos
               : index;
}

// From the event of a value, down along `token` to the event of the child it
// names (the first member with that key). False when there is none.
bool Step(JsonReader& reader, const std::string& token) {
    if (reader.Event() == JsonEvent::BeginObject) {
        while (reader.Next() && reader.Event() == JsonEvent::Key) {
            const bool match = reader.TextView() == token;
            if (!reader.Next() || match) {
                return match;
            }
            reader.Skip();
        }
        return false;
    }
    const size_t index = ArrayIndex(token);
    if (reader.Event() != JsonEvent::BeginArray || index == std::string::npos) {
        return false;
    }
    for (size_t i = 0; reader.Next() && reader.Event() != JsonEvent::EndArray; ++i) {
        if (i == index) {
            return true;
        }
        reader.Skip();
    }
    return false;
}

}  // namespace

int RunGet(const std::vector<std::string>& args) {
    CommandLine line;
    if (auto stop = ParseCommandLine("get", kGetUsage, args,
                                     {{"--raw", false},
                                      {"--lines", false},
                                      {"--allow-bom", false},
                                      KIVJSON_TEXT_STYLE_OPTIONS},
                                     line)) {
        return *stop;
    }
    if (line.operands.empty()) {
        return UsageError("get", "expects a POINTER");
    }
    const std::string pointer = line.operands[0];
    std::error_code error;
    JsonPointerFind(JsonValue(), pointer, error);  // a malformed pointer fails on any document
    if (error) {
        return UsageError("get", "'" + pointer + "': " + error.message());
    }
    std::vector<std::string> paths;
    if (auto stop = InputPaths("get", line, 1, paths)) {
        return *stop;
    }
    const TextStyle style = TextStyleOf(line);
    std::string out;
    const std::vector<std::string> tokens = PointerTokens(pointer);
    const JsonWriteOptions options = WriteOptionsOf(style);
    const auto print = [&](StreamedDocument& doc) {
        JsonReader& reader = doc.reader;
        bool found = reader.Next();
        for (size_t i = 0; found && i < tokens.size(); ++i) {
            found = Step(reader, tokens[i]);
        }
        if (!found) {
            doc.Fail(doc.label + ": no value at " + pointer + "\n");
            return;
        }
        std::string& text = doc.output.Text();
        if (line.Has("--raw") && reader.Event() == JsonEvent::String) {
            if (!JsonIsUtf8(reader.TextView())) {
                doc.Fail(doc.Where() +
                         ": error: string is not valid UTF-8, which JSON text cannot hold\n");
                return;
            }
            (text += reader.TextView()) += '\n';
            return;
        }
        JsonEventWriter writer(text, options);
        const size_t depth = reader.Depth();
        const bool container =
            reader.Event() == JsonEvent::BeginArray || reader.Event() == JsonEvent::BeginObject;
        // A container's events up to its End*, which leaves Depth() below `depth`.
        for (bool more = CopyEvent(doc, writer); more && container && reader.Next();) {
            more = CopyEvent(doc, writer) && reader.Depth() >= depth;
            doc.output.Spill();
        }
        text += '\n';
    };
    return VisitAllStreamed(paths, ReadSettingsOf(line), print, out);
}
