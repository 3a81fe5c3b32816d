// JSON Patch (RFC 6902): the operations run through the pointer writes with an
// undo log, so a failing patch is taken back without copying anything.
#include <kivJSON/JSONPatch.h>
#include "internal/PointerEdit.h"

#include <stdexcept>

namespace {

class JsonPatchErrorCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "kivJSON patch"; }
    std::string message(int code) const override {
        switch (static_cast<JsonPatchError>(code)) {
            case JsonPatchError::NotAnArray:
                return "a JSON Patch is not an array";
            case JsonPatchError::NotAnOperation:
                return "a JSON Patch operation is not an object with one string \"op\"";
            case JsonPatchError::UnknownOperation:
                return "unknown JSON Patch operation";
            case JsonPatchError::MissingPath:
                return "a JSON Patch operation lacks one string \"path\"";
            case JsonPatchError::MissingFrom:
                return "a JSON Patch operation lacks one string \"from\"";
            case JsonPatchError::MissingValue:
                return "a JSON Patch operation lacks one \"value\"";
            case JsonPatchError::TestFailed:
                return "the value differs from the one tested";
            case JsonPatchError::MoveIntoChild:
                return "a value cannot move into itself";
        }
        return "Unknown JSON Patch error";
    }
};

using _Private::JsonUndoLog;

// The member `key` of `operation`, or null when there is none or more than one
// (an operation with two "op" is neither of them).
const JsonValue* MemberOf(const JsonValue& operation, const char* key) {
    const JsonValue* found = nullptr;
    for (const JsonObject::Member& member : operation.AsObject()) {
        if (member.first == key) {
            if (found != nullptr) {
                return nullptr;
            }
            found = &member.second;
        }
    }
    return found;
}

// Performs one operation; false with `failure` set (all but the index) when it fails.
bool ApplyOne(JsonValue& target, const JsonValue& operation, JsonUndoLog& log,
              JsonPatchFailure& failure) {
    const JsonValue* op = operation.IsObject() ? MemberOf(operation, "op") : nullptr;
    if (op == nullptr || !op->IsString()) {
        failure.code = JsonPatchError::NotAnOperation;
        return false;
    }
    failure.op = op->AsString();
    const JsonValue* path = MemberOf(operation, "path");
    if (path == nullptr || !path->IsString()) {
        failure.code = JsonPatchError::MissingPath;
        return false;
    }
    failure.pointer = path->AsString();
    const std::string& name = failure.op;
    const JsonValue* value = MemberOf(operation, "value");
    const JsonValue* from = MemberOf(operation, "from");
    std::error_code& ec = failure.code;

    if (name == "remove") {
        return _Private::PointerRemove(target, failure.pointer, &log, ec);
    }
    if (name == "add" || name == "replace" || name == "test") {
        if (value == nullptr) {
            ec = JsonPatchError::MissingValue;
            return false;
        }
        if (name == "test") {
            const JsonValue* found = JsonPointerFind(target, failure.pointer, ec);
            if (found == nullptr && !ec) {
                ec = JsonPointerError::NotFound;
            } else if (found != nullptr && *found != *value) {
                ec = JsonPatchError::TestFailed;
            }
            return !ec;
        }
        JsonValue copy = *value;
        return name == "add" ? _Private::PointerAdd(target, failure.pointer, copy, &log, ec)
                             : _Private::PointerReplace(target, failure.pointer, copy, &log, ec);
    }
    if (name != "move" && name != "copy") {
        ec = JsonPatchError::UnknownOperation;
        return false;
    }
    if (from == nullptr || !from->IsString()) {
        ec = JsonPatchError::MissingFrom;
        return false;
    }
    const std::string source = from->AsString();
    const std::string destination = failure.pointer;
    if (name == "move" && destination.compare(0, source.size() + 1, source + "/") == 0) {
        ec = JsonPatchError::MoveIntoChild;
        return false;
    }
    failure.pointer = source;
    JsonValue moved{UniquePtr<_Private::JsonValueTypeImpl>()};
    if (name == "copy" || source == destination) {
        const JsonValue* found = JsonPointerFind(target, source, ec);
        if (found == nullptr) {
            ec = ec ? ec : make_error_code(JsonPointerError::NotFound);
            return false;
        }
        if (name == "move") {
            return true;  // onto itself: nothing changes
        }
        moved = JsonValue(*found);
    } else {
        if (!_Private::PointerRemove(target, source, &log, ec)) {
            return false;
        }
        // The value goes on to its new place; undoing that place hands it back.
        moved = std::move(log.back().saved);
        log.back().fromCarry = true;
    }
    failure.pointer = destination;
    // A move that cannot add puts its value back for the undo of the remove.
    const auto giveBack = [&] {
        if (name == "move") {
            log.back().saved = std::move(moved);
            log.back().fromCarry = false;
        }
    };
    bool added = false;
    try {
        added = _Private::PointerAdd(target, destination, moved, &log, ec);
    } catch (...) {
        giveBack();
        throw;
    }
    if (!added) {
        giveBack();
    }
    return added;
}

}  // namespace

const std::error_category& JsonPatchCategory() noexcept {
    static const JsonPatchErrorCategory category;
    return category;
}

std::string JsonPatchFailure::Message() const {
    if (code == JsonPatchError::NotAnArray) {
        return code.message();
    }
    std::string text = "operation " + std::to_string(operation);
    if (!op.empty()) {
        const bool hasPath = code != JsonPatchError::MissingPath;
        text += " (" + op + (hasPath ? " \"" + pointer + '"' : std::string()) + ')';
    }
    return text + ": " + code.message();
}

bool JsonPatchApply(JsonValue& target, const JsonValue& patch, JsonPatchFailure& failure) {
    failure = JsonPatchFailure();
    if (!patch.IsArray()) {
        failure.code = JsonPatchError::NotAnArray;
        return false;
    }
    JsonUndoLog log;
    log.reserve(patch.Size());
    try {
        for (const JsonValue& operation : patch.AsArray()) {
            if (!ApplyOne(target, operation, log, failure)) {
                _Private::UndoEdits(log);
                return false;
            }
            ++failure.operation;
            failure.op.clear();
            failure.pointer.clear();
        }
    } catch (...) {
        _Private::UndoEdits(log);
        throw;
    }
    failure.operation = 0;
    return true;
}

void JsonPatchApply(JsonValue& target, const JsonValue& patch) {
    JsonPatchFailure failure;
    if (!JsonPatchApply(target, patch, failure)) {
        throw std::invalid_argument(failure.Message());
    }
}
