#include "JsonPointer.h"

#include <charconv>

namespace {

bool ParseArrayIndex(const std::string& token, size_t& index) {
    if (token.empty() || (token[0] == '0' && token.size() > 1)) {
        return false;
    }
    const char* end = token.data() + token.size();
    const auto result = std::from_chars(token.data(), end, index);
    return result.ec == std::errc() && result.ptr == end;
}

}  // namespace

bool SplitJsonPointer(const std::string& pointer, std::vector<std::string>& tokens) {
    tokens.clear();
    if (pointer.empty()) {
        return true;
    }
    if (pointer[0] != '/') {
        return false;
    }
    for (size_t i = 0; i < pointer.size(); ++i) {
        const char c = pointer[i];
        if (c == '/') {
            tokens.emplace_back();
        } else if (c != '~') {
            tokens.back() += c;
        } else if (i + 1 < pointer.size() && (pointer[i + 1] == '0' || pointer[i + 1] == '1')) {
            tokens.back() += pointer[++i] == '0' ? '~' : '/';
        } else {
            return false;
        }
    }
    return true;
}

const JsonValue* ResolveJsonPointer(const JsonValue& root, const std::vector<std::string>& tokens) {
    const JsonValue* current = &root;
    for (const std::string& token : tokens) {
        if (current->IsObject()) {
            const JsonObject& object = current->AsObject();
            const auto member = object.Find(token);
            if (member == object.End()) {
                return nullptr;
            }
            current = &member->second;
        } else if (current->IsArray()) {
            size_t index = 0;
            if (!ParseArrayIndex(token, index) || index >= current->Size()) {
                return nullptr;
            }
            current = &current->At(index);
        } else {
            return nullptr;
        }
    }
    return current;
}
