// Reading a document from a file and writing one to a file: extensions beside
// JsonValue::Parse, JsonParseText and WriteJson, with the same options.
#pragma once

#include <kivJSON/JSONErrorCat.h>
#include <kivJSON/JSONParseOptions.h>
#include <kivJSON/JSONSystem.h>
#include <kivJSON/JSONValue.h>
#include <kivJSON/JSONWriteOptions.h>

#include <string>
#include <system_error>

// Parse the file at `path` as one UTF-8 document, as JsonParseText parses text.
// Never throws for a bad document or a file that cannot be read: on failure a
// null value comes back with `ec` set, either to a kivJSON parse code (with
// `position` where it happened) or, when the file cannot be read, to the errno
// value in std::generic_category() (its message is the errno text, `position`
// is left as it was). On success `ec` is cleared. Exhausted memory still throws.
KIVJSON_API JsonValue JsonParseFile(const std::string& path, const JsonParseOptions& options,
                                    std::error_code& ec, JsonParsePosition& position);
// The same; a file that cannot be read throws std::system_error ("cannot read
// PATH: errno text"), a bad document std::invalid_argument ("PATH:LINE:COLUMN:
// message").
KIVJSON_API JsonValue JsonParseFile(const std::string& path, const JsonParseOptions& options = {});

// Write the text of `value` (WriteJson with `options`, then a line feed) to the
// file at `path`, all or nothing: the text goes to a new file in the same folder,
// is flushed to the disk (fsync) and then renamed over `path`. On any failure
// (a value the options cannot write, a full disk, a folder that cannot be
// written) the new file is removed, `path` keeps its old content (or stays
// absent), `error` is set (a JsonWriteError, or the errno value in
// std::generic_category()) and false comes back. An existing file keeps its
// permission bits; a new one gets the process's default (0666 less the umask).
// A symbolic link at `path` is replaced by the file, not followed.
KIVJSON_API bool JsonWriteFile(const std::string& path, const JsonValue& value,
                               const JsonWriteOptions& options, std::error_code& error);
// The same; failures throw: std::invalid_argument for the value (as WriteJson
// does), std::system_error ("cannot write PATH: errno text") for the file.
KIVJSON_API void JsonWriteFile(const std::string& path, const JsonValue& value,
                               const JsonWriteOptions& options = {});
