#include <kivJSON/JSONPointer.h>

#include <algorithm>
#include <charconv>

namespace {

class JsonPointerErrorCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "kivJSON pointer"; }
    std::string message(int code) const override {
        switch (static_cast<JsonPointerError>(code)) {
            case JsonPointerError::MissingSlash:
                return "JSON Pointer does not start with '/'";
            case JsonPointerError::BadEscape:
                return "'~' in a JSON Pointer is not followed by '0' or '1'";
            case JsonPointerError::NotFound:
                return "no value at the JSON Pointer";
            case JsonPointerError::BadIndex:
                return "JSON Pointer has no array index in range";
            case JsonPointerError::RootNotRemovable:
                return "the whole document cannot be removed";
        }
        return "Unknown JSON Pointer error";
    }
};

// Whether the escaped token [begin, end) spells `key`. Each escape is decoded
// once, left to right, so "~01" is "~1" and never "/".
bool TokenSpells(const char* begin, const char* end, const std::string& key) {
    size_t matched = 0;
    for (const char* p = begin; p != end; ++p, ++matched) {
        char c = *p;
        if (c == '~') {
            c = *++p == '0' ? '~' : '/';
        }
        if (matched == key.size() || key[matched] != c) {
            return false;
        }
    }
    return matched == key.size();
}

// One step down from `value` along the token [begin, end).
const JsonValue* Step(const JsonValue& value, const char* begin, const char* end) {
    if (value.IsObject()) {
        for (const JsonObject::Member& member : value.AsObject()) {
            if (TokenSpells(begin, end, member.first)) {
                return &member.second;
            }
        }
        return nullptr;
    }
    if (!value.IsArray() || begin == end || (*begin == '0' && end - begin > 1)) {
        return nullptr;
    }
    // Decimal digits only: no sign, and too many digits for size_t is no index.
    size_t index = 0;
    const std::from_chars_result read = std::from_chars(begin, end, index);
    if (read.ec != std::errc() || read.ptr != end || index >= value.Size()) {
        return nullptr;
    }
    return &value.At(index);
}

}  // namespace

const std::error_category& JsonPointerCategory() noexcept {
    static const JsonPointerErrorCategory category;
    return category;
}

const JsonValue* JsonPointerFind(const JsonValue& root, const std::string& pointer,
                                 std::error_code& ec) {
    ec.clear();
    if (!pointer.empty() && pointer[0] != '/') {
        ec = JsonPointerError::MissingSlash;
        return nullptr;
    }
    // The whole pointer is checked first, so a malformed one is an error even
    // where the walk would stop early.
    for (size_t i = pointer.find('~'); i != std::string::npos; i = pointer.find('~', i + 1)) {
        if (i + 1 == pointer.size() || (pointer[i + 1] != '0' && pointer[i + 1] != '1')) {
            ec = JsonPointerError::BadEscape;
            return nullptr;
        }
    }
    const JsonValue* current = &root;
    const char* end = pointer.data() + pointer.size();
    for (const char* slash = pointer.data(); current != nullptr && slash != end;) {
        const char* next = std::find(slash + 1, end, '/');
        current = Step(*current, slash + 1, next);
        slash = next;
    }
    return current;
}

JsonValue* JsonPointerFind(JsonValue& root, const std::string& pointer, std::error_code& ec) {
    // The value found belongs to `root`, which the caller may change.
    return const_cast<JsonValue*>(
        JsonPointerFind(static_cast<const JsonValue&>(root), pointer, ec));
}
