#include <kivJSON/JSONUtil.h>

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

// The scalar forms read the member in place: the result is the same as testing
// a copy, without copying a large member only to find it has the wrong type.
bool TryGet(const JsonValue& value, const std::string& key, int& out) {
    const JsonValue& member = TryGetRef(value, key);
    if (!member.IsInteger()) {
        return false;
    }
    out = member.AsInteger();
    return true;
}

bool TryGet(const JsonValue& value, const std::string& key, double& out) {
    const JsonValue& member = TryGetRef(value, key);
    if (!member.IsDouble()) {
        return false;
    }
    out = member.AsDouble();
    return true;
}

bool TryGet(const JsonValue& value, const std::string& key, bool& out) {
    const JsonValue& member = TryGetRef(value, key);
    if (!member.IsBool()) {
        return false;
    }
    out = member.AsBool();
    return true;
}

JsonValue GetIfArray(const JsonValue& value, const std::string& key) {
    const JsonValue& member = TryGetRef(value, key);
    return member.IsArray() ? member : JsonValue();
}

JsonValue GetIfObject(const JsonValue& value, const std::string& key) {
    const JsonValue& member = TryGetRef(value, key);
    return member.IsObject() ? member : JsonValue();
}
