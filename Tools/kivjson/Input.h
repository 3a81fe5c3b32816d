// Reading a whole document from a file or from standard input.
#pragma once

#include <string>

struct InputDocument {
    std::string name;  // as shown in diagnostics: the path, or "<stdin>" for "-"
    std::string text;
};

// Reads the file `path` ("-" is standard input) into `doc` in one pass: a
// regular file goes straight into a string sized from its length, anything
// else is read in chunks. On failure `error` names the file and the reason.
bool ReadInput(const std::string& path, InputDocument& doc, std::string& error);

// The name of an input in messages: the path, or "<stdin>" for "-".
std::string InputName(const std::string& path);

// A UTF-8 byte-order mark, which --allow-bom lets an input start with.
extern const char kByteOrderMark[4];

// Removes a byte-order mark from the start of `text`, if it has one.
void DropByteOrderMark(std::string& text);
