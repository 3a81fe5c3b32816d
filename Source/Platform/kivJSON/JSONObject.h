// JsonObject: the members of an object value in insertion order.
//
// Lookup is a linear scan from the front; the first member with a matching key
// wins, and duplicate keys are kept.
#pragma once

#include <kivJSON/JSONValue.h>

#include <string>
#include <utility>
#include <vector>

class KIVJSON_API JsonObject {
public:
    using Member = std::pair<std::string, JsonValue>;
    using iterator = std::vector<Member>::iterator;
    using const_iterator = std::vector<Member>::const_iterator;

    JsonObject();
    explicit JsonObject(const std::vector<Member>& pairs);  // deep copies, order kept

    size_t Size() const;
    bool Empty() const;
    const_iterator Begin() const;
    const_iterator End() const;
    const_iterator begin() const { return Begin(); }
    const_iterator end() const { return End(); }

    // Position of the first member whose key equals `key`; End() when none.
    iterator FindByKey(const std::string& key);
    const_iterator FindByKey(const std::string& key) const;
    const_iterator FindImpl(const std::string& key) const;
    const_iterator Find(const std::string& key) const;

    // std::out_of_range "Key not found" when no member has `key`.
    JsonValue& At(const std::string& key);
    const JsonValue& At(const std::string& key) const;
    // The first member with `key`, or a new (key, null) member appended at the end.
    JsonValue& operator[](const std::string& key);
    JsonValue& operator[](char key);

    // Standard byte order of the keys; offered for callers that sort members.
    static bool CompareWithKey(const Member& member, const std::string& key);
    static bool CompareStdPairs(const Member& a, const Member& b);

private:
    friend class _Private::JsonObjectTypeImpl;
    friend struct _Private::JsonTreeAccess;

    std::vector<Member> m_pairs;
};
