#include <kivJSON/JSONUtil.h>
#include "internal/TreeAccess.h"

namespace {

// What TryGetRef hands out when there is no member: alive from load to unload.
const JsonValue s_nothing;

}  // namespace

JsonValue TryGet(const JsonValue& value, const std::string& key) {
    return JsonValue(TryGetRef(value, key));
}

const JsonValue& TryGetRef(const JsonValue& value, const std::string& key) {
    if (!value.IsObject()) {
        return s_nothing;
    }
    const JsonObject& object = value.AsObject();
    const JsonObject::const_iterator found = object.Find(key);
    return found != object.End() ? found->second : s_nothing;
}

namespace {

// The member when `value` is an object holding `key` with the wanted type.
const JsonValue* MemberOfType(const JsonValue& value, const std::string& key, JsonType type) {
    if (!value.HasField(key)) {
        return nullptr;
    }
    const JsonValue& member = value.At(key);
    return member.Type() == type ? &member : nullptr;
}

}  // namespace

bool TryGet(const JsonValue& value, const std::string& key, std::string& out) {
    const JsonValue* member = MemberOfType(value, key, JsonType::String);
    if (member == nullptr) {
        return false;
    }
    out = member->AsString();
    return true;
}

bool TryGet(const JsonValue& value, const std::string& key, const JsonObject** out) {
    const JsonValue* member = MemberOfType(value, key, JsonType::Object);
    if (member == nullptr) {
        return false;
    }
    *out = &member->AsObject();
    return true;
}

bool TryGet(const JsonValue& value, const std::string& key, const JsonArray** out) {
    const JsonValue* member = MemberOfType(value, key, JsonType::Array);
    if (member == nullptr) {
        return false;
    }
    *out = &member->AsArray();
    return true;
}

// The scalar forms and GetIfArray/GetIfObject answer for a copy of the member.
// The library's own classes are read in place: a copy would read the same, and
// a large member is not copied only to find it has the wrong type. A caller's
// subclass is read from the copy its CopyValue makes, which may differ.
template <class Read>
auto ReadAsCopy(const JsonValue& value, const std::string& key, Read read) {
    using Access = _Private::JsonTreeAccess;
    const JsonValue& member = TryGetRef(value, key);
    if (Access::KindOf(*Access::Impl(member)) != Access::Kind::Other) {
        return read(member);
    }
    return read(JsonValue(member));
}

bool TryGet(const JsonValue& value, const std::string& key, int& out) {
    return ReadAsCopy(value, key, [&out](const JsonValue& member) {
        return member.IsInteger() && (out = member.AsInteger(), true);
    });
}

bool TryGet(const JsonValue& value, const std::string& key, double& out) {
    return ReadAsCopy(value, key, [&out](const JsonValue& member) {
        return member.IsDouble() && (out = member.AsDouble(), true);
    });
}

bool TryGet(const JsonValue& value, const std::string& key, bool& out) {
    return ReadAsCopy(value, key, [&out](const JsonValue& member) {
        return member.IsBool() && (out = member.AsBool(), true);
    });
}

JsonValue GetIfArray(const JsonValue& value, const std::string& key) {
    return ReadAsCopy(value, key, [](const JsonValue& member) {
        return member.IsArray() ? member : JsonValue();
    });
}

JsonValue GetIfObject(const JsonValue& value, const std::string& key) {
    return ReadAsCopy(value, key, [](const JsonValue& member) {
        return member.IsObject() ? member : JsonValue();
    });
}
