#include <kivJSON/JSONObject.h>

#include <algorithm>
#include <stdexcept>

JsonObject::JsonObject() = default;

JsonObject::JsonObject(const std::vector<Member>& pairs) : m_pairs(pairs) {}

size_t JsonObject::Size() const { return m_pairs.size(); }
bool JsonObject::Empty() const { return m_pairs.empty(); }
JsonObject::const_iterator JsonObject::Begin() const { return m_pairs.begin(); }
JsonObject::const_iterator JsonObject::End() const { return m_pairs.end(); }

JsonObject::iterator JsonObject::FindByKey(const std::string& key) {
    return std::find_if(m_pairs.begin(), m_pairs.end(),
                        [&key](const Member& member) { return member.first == key; });
}

JsonObject::const_iterator JsonObject::FindByKey(const std::string& key) const {
    return std::find_if(m_pairs.begin(), m_pairs.end(),
                        [&key](const Member& member) { return member.first == key; });
}

JsonObject::const_iterator JsonObject::FindImpl(const std::string& key) const {
    return FindByKey(key);
}

JsonObject::const_iterator JsonObject::Find(const std::string& key) const { return FindImpl(key); }

JsonValue& JsonObject::At(const std::string& key) {
    const iterator found = FindByKey(key);
    if (found == m_pairs.end()) {
        throw std::out_of_range("Key not found");
    }
    return found->second;
}

const JsonValue& JsonObject::At(const std::string& key) const {
    const const_iterator found = FindByKey(key);
    if (found == m_pairs.end()) {
        throw std::out_of_range("Key not found");
    }
    return found->second;
}

JsonValue& JsonObject::operator[](const std::string& key) {
    const iterator found = FindByKey(key);
    if (found != m_pairs.end()) {
        return found->second;
    }
    m_pairs.emplace_back(key, JsonValue());
    return m_pairs.back().second;
}

JsonValue& JsonObject::operator[](char key) {
    // NUL stands for the empty key rather than a one-byte "\0" key.
    return (*this)[key == '\0' ? std::string() : std::string(1, key)];
}

bool JsonObject::CompareWithKey(const Member& member, const std::string& key) {
    return member.first < key;
}

bool JsonObject::CompareStdPairs(const Member& a, const Member& b) { return a.first < b.first; }
