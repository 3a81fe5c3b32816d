// JSON Merge Patch (RFC 7396), atomic through the undo log of the pointer
// writes, and the diff that writes a JSON Patch. Both walk with explicit stacks.
#include <kivJSON/JSONPatch.h>
#include "internal/PointerEdit.h"
#include "internal/TreeAccess.h"

#include <algorithm>
#include <iterator>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

using _Private::JsonEditUndo;
using _Private::JsonUndoLog;
using _Private::RecordEdit;

// Puts `value` at `place`, keeping the former content in a new record.
void Replace(JsonUndoLog& log, JsonEditUndo::Kind kind, void* owner, size_t position,
             JsonValue& place, JsonValue value) {
    JsonValue& saved = RecordEdit(&log, kind, owner, position)->saved;
    saved = std::move(value);
    place = std::move(saved);  // exchanges: `saved` now holds the former content
}

// Merges the object `patch` into the object `target`; deeper objects are queued.
void MergeObject(JsonObject& target, const JsonObject& patch, JsonUndoLog& log,
                 std::vector<std::pair<JsonObject*, const JsonObject*>>& pending) {
    std::vector<JsonObject::Member>& members = _Private::JsonTreeAccess::Members(target);
    for (const JsonObject::Member& change : patch) {
        if (change.second.IsNull()) {
            // Every member with the key goes, the last first, so that undoing in
            // reverse puts each back at its position.
            for (size_t i = members.size(); i-- > 0;) {
                if (members[i].first == change.first) {
                    JsonEditUndo* record =
                        RecordEdit(&log, JsonEditUndo::Kind::MemberErase, &target, i);
                    record->key = std::move(members[i].first);
                    record->saved = std::move(members[i].second);
                    members.erase(members.begin() + static_cast<std::ptrdiff_t>(i));
                }
            }
            continue;
        }
        const JsonObject::iterator found = target.FindByKey(change.first);
        const bool merge = change.second.IsObject();
        JsonValue value = merge ? JsonValue::ObjectType() : change.second;
        JsonValue* place = nullptr;
        if (found == target.end()) {
            RecordEdit(&log, JsonEditUndo::Kind::MemberAppend, &target, members.size());
            try {
                place = &target.Append(change.first, std::move(value));
            } catch (...) {
                log.pop_back();
                throw;
            }
        } else {
            place = &found->second;
            if (!merge || !place->IsObject()) {
                Replace(log, JsonEditUndo::Kind::MemberReplace, &target,
                        static_cast<size_t>(found - target.begin()), *place, std::move(value));
            }
        }
        if (merge) {
            pending.emplace_back(&place->AsObject(), &change.second.AsObject());
        }
    }
}

std::string Escaped(const std::string& key) {
    std::string token;
    for (const char c : key) {
        token += c == '~' ? "~0" : c == '/' ? "~1" : std::string(1, c);
    }
    return token;
}

void Emit(JsonArray& patch, const char* op, const std::string& path, const JsonValue* value) {
    JsonValue& operation = patch.PushBack(JsonValue::ObjectType());
    operation.Append("op", op);
    operation.Append("path", path);
    if (value != nullptr) {
        operation.Append("value", *value);
    }
}

// Positions of the members by key, or false when a key occurs twice.
bool IndexKeys(const JsonObject& object, std::unordered_map<std::string, size_t>& index) {
    size_t position = 0;
    for (const JsonObject::Member& member : object) {
        if (!index.emplace(member.first, position++).second) {
            return false;
        }
    }
    return true;
}

}  // namespace

void JsonMergePatchApply(JsonValue& target, const JsonValue& patch) {
    if (!patch.IsObject()) {
        target = patch;  // a copy first: unchanged if it throws
        return;
    }
    JsonUndoLog log;
    try {
        if (!target.IsObject()) {
            Replace(log, JsonEditUndo::Kind::Root, &target, 0, target, JsonValue::ObjectType());
        }
        std::vector<std::pair<JsonObject*, const JsonObject*>> pending{
            {&target.AsObject(), &patch.AsObject()}};
        while (!pending.empty()) {
            const std::pair<JsonObject*, const JsonObject*> next = pending.back();
            pending.pop_back();
            MergeObject(*next.first, *next.second, log, pending);
        }
    } catch (...) {
        _Private::UndoEdits(log);
        throw;
    }
}

JsonValue JsonDiff(const JsonValue& from, const JsonValue& to) {
    JsonValue result = JsonValue::ArrayType();
    JsonArray& patch = result.AsArray();
    // A comparison still to make (`op` null), or an operation to write; each
    // container queues its steps in reverse, so the patch follows document order.
    struct Step {
        const char* op;
        const JsonValue* a;
        const JsonValue* b;
        std::string path;
    };
    std::vector<Step> pending{{nullptr, &from, &to, std::string()}};
    std::vector<Step> steps;
    while (!pending.empty()) {
        const Step next = std::move(pending.back());
        pending.pop_back();
        if (next.op != nullptr) {
            Emit(patch, next.op, next.path, next.b);
            continue;
        }
        const JsonValue& a = *next.a;
        const JsonValue& b = *next.b;
        const bool sameContainer = a.Type() == b.Type() && (a.IsArray() || a.IsObject());
        if (!sameContainer) {
            if (a != b) {
                Emit(patch, "replace", next.path, &b);
            }
            continue;
        }
        steps.clear();
        if (a.IsArray()) {
            const size_t common = std::min(a.Size(), b.Size());
            for (size_t i = 0; i < common; ++i) {
                steps.push_back({nullptr, &a.At(i), &b.At(i), next.path + '/' + std::to_string(i)});
            }
            for (size_t i = a.Size(); i-- > common;) {
                steps.push_back({"remove", nullptr, nullptr, next.path + '/' + std::to_string(i)});
            }
            for (size_t i = common; i < b.Size(); ++i) {
                steps.push_back({"add", nullptr, &b.At(i), next.path + '/' + std::to_string(i)});
            }
        } else {
            // Objects: the members kept must stay in order and come before the
            // new ones, since adds append; otherwise the object is replaced whole.
            std::unordered_map<std::string, size_t> keysA;
            std::unordered_map<std::string, size_t> keysB;
            bool patchable = IndexKeys(a.AsObject(), keysA) && IndexKeys(b.AsObject(), keysB);
            size_t kept = 0;
            for (const JsonObject::Member& member : a.AsObject()) {
                const auto inB = keysB.find(member.first);
                if (patchable && inB != keysB.end()) {
                    patchable = inB->second == kept++;
                }
            }
            if (!patchable) {
                Emit(patch, "replace", next.path, &b);
                continue;
            }
            const JsonObject::const_iterator members = b.AsObject().Begin();
            for (const JsonObject::Member& member : a.AsObject()) {
                const std::string path = next.path + '/' + Escaped(member.first);
                const auto inB = keysB.find(member.first);
                if (inB == keysB.end()) {
                    steps.push_back({"remove", nullptr, nullptr, path});
                } else {
                    const auto at = static_cast<std::ptrdiff_t>(inB->second);
                    steps.push_back({nullptr, &member.second, &members[at].second, path});
                }
            }
            for (const JsonObject::Member& member : b.AsObject()) {
                if (keysA.find(member.first) == keysA.end()) {
                    steps.push_back(
                        {"add", nullptr, &member.second, next.path + '/' + Escaped(member.first)});
                }
            }
        }
        pending.insert(pending.end(), std::make_move_iterator(steps.rbegin()),
                       std::make_move_iterator(steps.rend()));
    }
    return result;
}
