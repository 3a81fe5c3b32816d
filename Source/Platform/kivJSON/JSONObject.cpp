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

// --- Extensions: changing the members ------------------------------------------

JsonValue& JsonObject::Append(std::string key, JsonValue value) {
    m_pairs.emplace_back(std::move(key), std::move(value));
    return m_pairs.back().second;
}

JsonValue& JsonObject::Set(std::string key, JsonValue value) {
    const iterator found = FindByKey(key);
    if (found == m_pairs.end()) {
        return Append(std::move(key), std::move(value));
    }
    found->second = std::move(value);
    return found->second;
}

size_t JsonObject::Erase(const std::string& key) {
    const iterator found = FindByKey(key);
    if (found == m_pairs.end()) {
        return 0;
    }
    m_pairs.erase(found);
    return 1;
}

size_t JsonObject::EraseAll(const std::string& key) {
    // `key` may be one of the keys about to move.
    const std::string wanted = key;
    const iterator kept =
        std::remove_if(m_pairs.begin(), m_pairs.end(),
                       [&wanted](const Member& member) { return member.first == wanted; });
    const size_t removed = static_cast<size_t>(m_pairs.end() - kept);
    m_pairs.erase(kept, m_pairs.end());
    return removed;
}

JsonObject::iterator JsonObject::Erase(const_iterator position) {
    return m_pairs.erase(position);
}

JsonObject::iterator JsonObject::Erase(const_iterator first, const_iterator last) {
    return m_pairs.erase(first, last);
}

JsonValue JsonObject::Take(const std::string& key) {
    const iterator found = FindByKey(key);
    if (found == m_pairs.end()) {
        throw std::out_of_range("Key not found");
    }
    JsonValue taken = std::move(found->second);
    m_pairs.erase(found);
    return taken;
}

void JsonObject::Clear() {
    m_pairs.clear();
}
void JsonObject::Reserve(size_t count) {
    m_pairs.reserve(count);
}
