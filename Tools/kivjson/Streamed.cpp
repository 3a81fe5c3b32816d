#include "Streamed.h"

#include "FoundText.h"
#include "Input.h"
#include "InputStream.h"
#include "WideInput.h"

#include <kivCore/TextFunctions.h>
#include <kivJSON/JSONErrorCat.h>
#include <kivJSON/JSONUtf8.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <istream>
#include <stdexcept>

namespace {

constexpr size_t kSpillSize = 4 << 20;

bool IsBlank(const std::string& line) {
    return std::all_of(line.begin(), line.end(),
                       [](char c) { return c != 0 && std::strchr(" \t\r\v\f", c) != nullptr; });
}

// What the parser met where it failed, for a malformed token's message.
using FoundAt = std::function<std::string(size_t offset)>;

void ReportParseError(const StreamedDocument& doc, const FoundAt& found) {
    const std::error_code& error = doc.reader.Error();
    const JsonParsePosition& at = doc.reader.ErrorPosition();
    std::string what;
    if (error.category() == JsonErrorCategory::s_item && error.value() == MalformedToken) {
        what = ": " + found(at.offset);
    }
    std::fprintf(stderr, "%s:%zu:%zu: error: %s (%s %d)%s\n", doc.name.c_str(),
                 doc.firstLine + at.line - 1, at.column, error.message().c_str(),
                 error.category().name(), error.value(), what.c_str());
}

// Reads what the command left of the document and settles its status.
int Settle(StreamedDocument& doc, InputStream* input, const FoundAt& found, std::string& out) {
    while (doc.reader.Next()) {
    }
    if (input != nullptr && !input->ReadError().empty()) {
        std::fprintf(stderr, "kivjson: %s\n", input->ReadError().c_str());
        return kExitUsage;
    }
    if (doc.reader.Error()) {
        ReportParseError(doc, found);
        return kExitInvalid;
    }
    if (!doc.problem.empty()) {
        std::fputs(doc.problem.c_str(), stderr);
        return doc.status;
    }
    return doc.output.CommitTo(out) && FlushLargeOutput(out) ? doc.status : int{kExitUsage};
}

}  // namespace

DocumentOutput::~DocumentOutput() {
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
}

void DocumentOutput::Spill() {
    if (m_text.size() < kSpillSize) {
        return;
    }
    if (m_file == nullptr && (m_file = std::tmpfile()) == nullptr) {
        return;  // no temporary file: the text stays in memory
    }
    if (std::fwrite(m_text.data(), 1, m_text.size(), m_file) != m_text.size()) {
        throw std::runtime_error("cannot write a temporary file");
    }
    m_text.clear();
}

bool DocumentOutput::CommitTo(std::string& out) {
    if (m_file != nullptr) {
        if (!WriteOutput(out)) {
            return false;
        }
        out.clear();
        std::rewind(m_file);
        std::string block(1 << 16, '\0');
        for (size_t got; (got = std::fread(&block[0], 1, block.size(), m_file)) != 0;) {
            if (!WriteOutput(block.substr(0, got))) {
                return false;
            }
        }
        std::fclose(m_file);
        m_file = nullptr;
    }
    out += m_text;
    m_text.clear();
    return true;
}

std::string StreamedDocument::Where() const {
    const JsonParsePosition at = reader.Position();
    return name + ":" + std::to_string(firstLine + at.line - 1) + ":" + std::to_string(at.column);
}

void StreamedDocument::Fail(const std::string& message) {
    if (problem.empty()) {
        problem = message;
        status = kExitInvalid;
    }
}

int VisitStreamed(const std::string& path, const ReadSettings& settings,
                  const std::function<void(StreamedDocument&)>& visit, std::string& out,
                  size_t* inputBytes) {
    InputStream input;
    std::string error;
    if (!input.Open(path, error)) {
        std::fprintf(stderr, "kivjson: %s\n", error.c_str());
        return kExitUsage;
    }
    if (settings.allowBom) {
        input.SkipByteOrderMark();
    }
    const std::string name = InputName(path);
    int worst = kExitOk;
    if (!settings.lines) {
        std::istream narrow(&input);
        WideInputStream wideInput(input);
        std::wistream wide(&wideInput);
        JsonReader reader = settings.wide ? JsonReader(wide, settings.options)
                                          : JsonReader(narrow, settings.options);
        StreamedDocument doc{name, name, 1, reader, {}, kExitOk, {}};
        visit(doc);
        worst = Settle(
            doc, &input,
            [&](size_t offset) {
                return settings.wide
                           ? DescribeFoundAt(input.Head(), wideInput.CharAt(offset), offset)
                           : DescribeFoundAt(input.Head(), input.BytesAt(offset), offset);
            },
            out);
    } else {
        std::string line;
        std::wstring wideLine;
        for (size_t number = 1; !OutputFailed() && input.ReadLine(line); ++number) {
            if (IsBlank(line)) {
                continue;
            }
            if (settings.wide) {
                wideLine = ConvertString_UTF8_to_WSTRING(line);
            }
            JsonReader reader = settings.wide ? JsonReader(wideLine, settings.options)
                                              : JsonReader(line, settings.options);
            StreamedDocument doc{
                name + ":" + std::to_string(number), name, number, reader, {}, kExitOk, {}};
            visit(doc);
            const int status = Settle(
                doc, nullptr,
                [&](size_t offset) {
                    return settings.wide ? DescribeFound(line, wideLine, offset)
                                         : DescribeFound(line, line, offset);
                },
                out);
            worst = std::max(worst, status);
        }
        if (!input.ReadError().empty()) {
            std::fprintf(stderr, "kivjson: %s\n", input.ReadError().c_str());
            worst = kExitUsage;
        }
    }
    if (inputBytes != nullptr) {
        *inputBytes = input.Consumed();
    }
    return worst;
}

int VisitAllStreamed(const std::vector<std::string>& paths, const ReadSettings& settings,
                     const std::function<void(StreamedDocument&)>& visit, std::string& out) {
    int worst = kExitOk;
    for (size_t i = 0; i < paths.size() && !OutputFailed(); ++i) {
        worst = std::max(worst, VisitStreamed(paths[i], settings, visit, out));
    }
    return WriteOutput(out) ? worst : kExitUsage;
}

bool TextIsUtf8(StreamedDocument& doc) {
    if (JsonIsUtf8(doc.reader.TextView())) {
        return true;
    }
    doc.Fail(doc.Where() + ": error: " + (doc.reader.Event() == JsonEvent::Key ? "key" : "string") +
             " is not valid UTF-8, which JSON text cannot hold\n");
    return false;
}

bool WriteNumber(StreamedDocument& doc, JsonEventWriter& writer, const JsonNumber& number) {
    if (writer.Number(number)) {
        return true;
    }
    doc.Fail(doc.label +
             ": cannot write a number that is infinite or NaN as JSON "
             "(--allow-nonfinite writes it as null)\n");
    return false;
}

bool CopyEvent(StreamedDocument& doc, JsonEventWriter& writer, bool checkUtf8) {
    const JsonEvent event = doc.reader.Event();
    if (event == JsonEvent::Number) {
        return WriteNumber(doc, writer, doc.reader.GetNumber());
    }
    if (checkUtf8 && (event == JsonEvent::Key || event == JsonEvent::String) && !TextIsUtf8(doc)) {
        return false;
    }
    return JsonCopyEvent(doc.reader, writer);
}
