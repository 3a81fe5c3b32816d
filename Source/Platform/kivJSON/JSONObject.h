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

    // --- Extensions: changing the members -------------------------------------
    // Each leaves the object as it was when it throws (std::out_of_range "Key
    // not found", std::bad_alloc). Keys and values are taken by value, so a
    // member of this very object may be passed (`o.Set("b", o.At("a"))`): it is
    // copied before the members can move.
    // Mutable iteration: `for (Member& m : object)` may change keys and values.
    iterator begin() { return m_pairs.begin(); }
    iterator end() { return m_pairs.end(); }
    // The members in order, read without a call into the library: for code
    // that walks many small objects (the conversions of <kivJSON/JSONConvert.h> do).
    const std::vector<Member>& Members() const noexcept { return m_pairs; }
    // Appends (key, value) even when `key` is present, as the parser does.
    JsonValue& Append(std::string key, JsonValue value);  // amortised O(1)
    // Assigns the first member with `key`, or appends one.
    JsonValue& Set(std::string key, JsonValue value);
    // Removes the first member with `key` (returns 1), or nothing (returns 0).
    size_t Erase(const std::string& key);
    // Removes every member with `key` in one scan; returns how many.
    size_t EraseAll(const std::string& key);
    iterator Erase(const_iterator position);
    iterator Erase(const_iterator first, const_iterator last);
    // Removes the first member with `key` and hands its value back;
    // "Key not found" when there is none.
    JsonValue Take(const std::string& key);
    void Clear();
    void Reserve(size_t count);

private:
    friend class _Private::JsonObjectTypeImpl;
    friend struct _Private::JsonTreeAccess;

    std::vector<Member> m_pairs;
};
