// Documents read as events: each input a block at a time, or with --lines a
// line at a time, so no command holds a whole document. What a command writes
// for a document is held until the document has turned out valid.
#pragma once

#include "CommandLine.h"
#include "Documents.h"

#include <kivJSON/JSONEventWriter.h>
#include <kivJSON/JSONReader.h>
#include <kivJSON/JSONUtf8.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// The output of one document: in memory up to a few MiB, then in a temporary file.
class DocumentOutput {
public:
    DocumentOutput() = default;
    DocumentOutput(const DocumentOutput&) = delete;
    DocumentOutput& operator=(const DocumentOutput&) = delete;
    ~DocumentOutput();

    std::string& Text() { return m_text; }
    // Moves the text to the temporary file once it has grown large.
    void Spill();
    // Appends all of it to `out`, writing `out` first when part of it is in
    // the file. False when output failed.
    bool CommitTo(std::string& out);

private:
    std::string m_text;
    std::FILE* m_file = nullptr;
};

struct StreamedDocument {
    std::string label;  // "FILE", or "FILE:LINE" with --lines
    std::string name;   // "FILE"
    size_t firstLine;   // of the document in its file
    JsonReader& reader;
    DocumentOutput output;
    int status = kExitOk;  // the command's verdict, once the document turned out valid
    std::string problem;   // printed instead of the output then, when not empty

    // The current event's place: "FILE:LINE:COLUMN".
    std::string Where() const;
    // Records the first problem of the document.
    void Fail(const std::string& message);
};

// Reads `path` and calls `visit` for each document, which reads the events
// it needs; the rest are read after it, and an invalid document is reported
// on stderr instead of its output and problem. Returns the worst status (2
// when the input cannot be read).
int VisitStreamed(const std::string& path, const ReadSettings& settings,
                  const std::function<void(StreamedDocument&)>& visit, std::string& out,
                  size_t* inputBytes = nullptr);

// VisitStreamed for each path (stopping once output failed), then writes what
// is left in `out`. Returns the worst status, 2 when output failed.
int VisitAllStreamed(const std::vector<std::string>& paths, const ReadSettings& settings,
                     const std::function<void(StreamedDocument&)>& visit, std::string& out);

// Whether the reader's current Key or String is UTF-8; records the document's
// problem when it is not.
bool TextIsUtf8(StreamedDocument& doc);

// Writes `number`; false, with the document's problem recorded, when the
// writer refuses it (NaN or infinite).
bool WriteNumber(StreamedDocument& doc, JsonEventWriter& writer, const JsonNumber& number);

// Hands the reader's current event to `writer`. False, with the document's
// problem recorded, for a Key or String that is not UTF-8 (JSON cannot hold
// it, unless `checkUtf8` is off) or a number the writer refuses (NaN or infinite).
bool CopyEvent(StreamedDocument& doc, JsonEventWriter& writer, bool checkUtf8 = true);
