// Writing through a JSON Pointer: add, replace and remove, each checked in full
// before anything changes, and the undo log behind the atomic JSON Patch.
#include <kivJSON/JSONPointer.h>
#include "internal/PointerEdit.h"
#include "internal/TreeAccess.h"

#include <charconv>

namespace {

using _Private::JsonEditUndo;
using _Private::JsonTreeAccess;
using _Private::JsonUndoLog;
using UndoKind = _Private::JsonEditUndo::Kind;

// Where a pointer lands: the container that holds the target (null for the
// root itself) and the decoded last token.
struct Slot {
    JsonValue* parent = nullptr;
    std::string token;
};

bool Locate(JsonValue& root, const std::string& pointer, Slot& slot, std::error_code& ec) {
    ec.clear();
    if (pointer.empty()) {
        return true;
    }
    const size_t last = pointer.rfind('/');
    if (last == std::string::npos) {
        ec = JsonPointerError::MissingSlash;
        return false;
    }
    for (size_t i = last + 1; i < pointer.size(); ++i) {
        char c = pointer[i];
        if (c == '~') {
            c = ++i < pointer.size() ? pointer[i] : ' ';
            if (c != '0' && c != '1') {
                ec = JsonPointerError::BadEscape;
                return false;
            }
            c = c == '0' ? '~' : '/';
        }
        slot.token += c;
    }
    slot.parent = JsonPointerFind(root, pointer.substr(0, last), ec);
    if (ec) {
        return false;
    }
    if (slot.parent == nullptr || (!slot.parent->IsArray() && !slot.parent->IsObject())) {
        ec = JsonPointerError::NotFound;
        return false;
    }
    return true;
}

// The array index `token` names: below `size`, or up to it (and "-") when
// `forInsert`. Digits only, no leading zeros.
bool IndexOf(const std::string& token, size_t size, bool forInsert, size_t& index,
             std::error_code& ec) {
    if (forInsert && token == "-") {
        index = size;
        return true;
    }
    const char* end = token.data() + token.size();
    const std::from_chars_result read = std::from_chars(token.data(), end, index);
    if (token.empty() || (token[0] == '0' && token.size() > 1) || token[0] == '+' ||
        read.ec != std::errc() || read.ptr != end || index > size ||
        (index == size && !forInsert)) {
        ec = JsonPointerError::BadIndex;
        return false;
    }
    return true;
}

using _Private::RecordEdit;

// Makes room for one more element, growing as push_back would.
template <class T>
void Reserve(std::vector<T>& elements) {
    if (elements.size() == elements.capacity()) {
        elements.reserve(elements.empty() ? 1 : 2 * elements.size());
    }
}

// Exchanges `place` and `value`; the former content goes to the record, if any.
void Exchange(JsonValue& place, JsonValue& value, JsonEditUndo* record) {
    place = std::move(value);  // exchanges
    if (record != nullptr) {
        record->saved = std::move(value);
    }
}

}  // namespace

namespace _Private {

JsonEditUndo* RecordEdit(JsonUndoLog* log, JsonEditUndo::Kind kind, void* place, size_t position) {
    if (log == nullptr) {
        return nullptr;
    }
    log->push_back(
        {kind, place, position, false, std::string(), JsonValue(UniquePtr<JsonValueTypeImpl>())});
    return &log->back();
}

namespace {

// Add (`insert`) and replace walk alike; they differ in what an absent member
// and an array position mean.
bool PointerPut(JsonValue& root, const std::string& pointer, JsonValue& value, JsonUndoLog* log,
                std::error_code& ec, bool insert) {
    Slot slot;
    if (!Locate(root, pointer, slot, ec)) {
        return false;
    }
    if (slot.parent == nullptr) {
        Exchange(root, value, RecordEdit(log, UndoKind::Root, &root, 0));
        return true;
    }
    if (slot.parent->IsObject()) {
        JsonObject& object = slot.parent->AsObject();
        const JsonObject::iterator found = object.FindByKey(slot.token);
        if (found != object.end()) {
            Exchange(found->second, value,
                     RecordEdit(log, UndoKind::MemberReplace, &object,
                                static_cast<size_t>(found - object.begin())));
            return true;
        }
        if (!insert) {
            ec = JsonPointerError::NotFound;
            return false;
        }
        // Room first: the value moves only once nothing can fail.
        std::vector<JsonObject::Member>& members = JsonTreeAccess::Members(object);
        Reserve(members);
        RecordEdit(log, UndoKind::MemberAppend, &object, members.size());
        members.emplace_back(std::move(slot.token), std::move(value));
        return true;
    }
    JsonArray& array = slot.parent->AsArray();
    size_t index = 0;
    if (!IndexOf(slot.token, array.Size(), insert, index, ec)) {
        return false;
    }
    if (!insert) {
        Exchange(array.At(index), value, RecordEdit(log, UndoKind::ArrayReplace, &array, index));
        return true;
    }
    std::vector<JsonValue>& elements = JsonTreeAccess::Elements(array);
    Reserve(elements);
    RecordEdit(log, UndoKind::ArrayInsert, &array, index);
    elements.insert(elements.begin() + static_cast<std::ptrdiff_t>(index), std::move(value));
    return true;
}

}  // namespace

bool PointerAdd(JsonValue& root, const std::string& pointer, JsonValue& value, JsonUndoLog* log,
                std::error_code& ec) {
    return PointerPut(root, pointer, value, log, ec, true);
}

bool PointerReplace(JsonValue& root, const std::string& pointer, JsonValue& value, JsonUndoLog* log,
                    std::error_code& ec) {
    return PointerPut(root, pointer, value, log, ec, false);
}

bool PointerRemove(JsonValue& root, const std::string& pointer, JsonUndoLog* log,
                   std::error_code& ec) {
    Slot slot;
    if (!Locate(root, pointer, slot, ec)) {
        return false;
    }
    if (slot.parent == nullptr) {
        ec = JsonPointerError::RootNotRemovable;
        return false;
    }
    if (slot.parent->IsObject()) {
        JsonObject& object = slot.parent->AsObject();
        const JsonObject::iterator found = object.FindByKey(slot.token);
        if (found == object.end()) {
            ec = JsonPointerError::NotFound;
            return false;
        }
        JsonEditUndo* record = RecordEdit(log, UndoKind::MemberErase, &object,
                                          static_cast<size_t>(found - object.begin()));
        if (record != nullptr) {
            record->key = std::move(found->first);
            record->saved = std::move(found->second);
        }
        object.Erase(found);
        return true;
    }
    JsonArray& array = slot.parent->AsArray();
    size_t index = 0;
    if (!IndexOf(slot.token, array.Size(), false, index, ec)) {
        return false;
    }
    JsonEditUndo* record = RecordEdit(log, UndoKind::ArrayErase, &array, index);
    if (record != nullptr) {
        record->saved = std::move(array.At(index));
    }
    array.Erase(index);
    return true;
}

void UndoEdits(JsonUndoLog& log) noexcept {
    JsonValue carry{UniquePtr<JsonValueTypeImpl>()};
    for (auto record = log.rbegin(); record != log.rend(); ++record) {
        JsonValue& saved = record->fromCarry ? carry : record->saved;
        const auto at = static_cast<std::ptrdiff_t>(record->position);
        switch (record->kind) {
            case UndoKind::Root:
                *static_cast<JsonValue*>(record->place) = std::move(saved);
                carry = std::move(saved);  // the value the change had put there
                break;
            case UndoKind::ArrayInsert: {
                std::vector<JsonValue>& elements =
                    JsonTreeAccess::Elements(*static_cast<JsonArray*>(record->place));
                carry = std::move(elements[record->position]);
                elements.erase(elements.begin() + at);
                break;
            }
            case UndoKind::ArrayErase: {
                // The erase left the capacity, so this insert does not allocate.
                std::vector<JsonValue>& elements =
                    JsonTreeAccess::Elements(*static_cast<JsonArray*>(record->place));
                elements.insert(elements.begin() + at, std::move(saved));
                break;
            }
            case UndoKind::ArrayReplace:
                JsonTreeAccess::Elements(
                    *static_cast<JsonArray*>(record->place))[record->position] = std::move(saved);
                carry = std::move(saved);
                break;
            case UndoKind::MemberAppend: {
                std::vector<JsonObject::Member>& members =
                    JsonTreeAccess::Members(*static_cast<JsonObject*>(record->place));
                carry = std::move(members.back().second);
                members.pop_back();
                break;
            }
            case UndoKind::MemberErase: {
                std::vector<JsonObject::Member>& members =
                    JsonTreeAccess::Members(*static_cast<JsonObject*>(record->place));
                members.insert(members.begin() + at,
                               JsonObject::Member(std::move(record->key), std::move(saved)));
                break;
            }
            case UndoKind::MemberReplace:
                JsonTreeAccess::Members(*static_cast<JsonObject*>(record->place))[record->position]
                    .second = std::move(saved);
                carry = std::move(saved);
                break;
        }
    }
    log.clear();
}

}  // namespace _Private

bool JsonPointerAdd(JsonValue& root, const std::string& pointer, JsonValue value,
                    std::error_code& ec) {
    return _Private::PointerAdd(root, pointer, value, nullptr, ec);
}

bool JsonPointerReplace(JsonValue& root, const std::string& pointer, JsonValue value,
                        std::error_code& ec) {
    return _Private::PointerReplace(root, pointer, value, nullptr, ec);
}

bool JsonPointerRemove(JsonValue& root, const std::string& pointer, std::error_code& ec) {
    return _Private::PointerRemove(root, pointer, nullptr, ec);
}
