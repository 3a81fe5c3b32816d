// Internal to the library: the writes through a JSON Pointer, with an undo log
// so that a JSON Patch can take back every operation before a failing one.
#pragma once

#include <kivJSON/JSONValue.h>

#include <string>
#include <system_error>
#include <vector>

namespace _Private {

// One change, with what it takes to reverse it without allocating: values are
// moved aside, never copied, and a vector that shrank still has the capacity
// to grow back.
struct JsonEditUndo {
    enum class Kind : unsigned char {
        Root,           // `place` is the root; `saved` its former value
        ArrayInsert,    // `place` is a JsonArray
        ArrayErase,     // `saved` is the element (or the carry, see below)
        ArrayReplace,   // `saved` is the former element
        MemberAppend,   // `place` is a JsonObject
        MemberErase,    // `key` and `saved` are the member
        MemberReplace,  // `saved` is the former value
    };
    Kind kind;
    void* place;
    size_t position;
    // An erase whose value a later insert took over (a JSON Patch "move"):
    // undoing that insert hands the value back through the carry.
    bool fromCarry;
    std::string key;
    JsonValue saved;
};
using JsonUndoLog = std::vector<JsonEditUndo>;

// Adds a record (when there is a log) before the change it describes, so that
// making it cannot fail after the change; the caller pops it if the change throws.
JsonEditUndo* RecordEdit(JsonUndoLog* log, JsonEditUndo::Kind kind, void* place, size_t position);

// As JsonPointerAdd / Replace / Remove; with a log, each change is recorded
// (a failed call records nothing) and a removed value is kept in the record.
bool PointerAdd(JsonValue& root, const std::string& pointer, JsonValue& value, JsonUndoLog* log,
                std::error_code& ec);
bool PointerReplace(JsonValue& root, const std::string& pointer, JsonValue& value, JsonUndoLog* log,
                    std::error_code& ec);
bool PointerRemove(JsonValue& root, const std::string& pointer, JsonUndoLog* log,
                   std::error_code& ec);
// Reverses every change of `log`, newest first, and empties it.
void UndoEdits(JsonUndoLog& log) noexcept;

}  // namespace _Private
