#include <kivJSON/JSONParser.h>

#include <stdexcept>

// Placeholder until the parser lands.
JsonValue JsonValue::Parse(const std::string&) { throw std::logic_error("parser not built"); }
JsonValue JsonValue::Parse(const std::string&, std::error_code&) {
    throw std::logic_error("parser not built");
}
JsonValue JsonValue::Parse(const std::wstring&) { throw std::logic_error("parser not built"); }
JsonValue JsonValue::Parse(const std::wstring&, std::error_code&) {
    throw std::logic_error("parser not built");
}
JsonValue JsonValue::Parse(std::istream&) { throw std::logic_error("parser not built"); }
JsonValue JsonValue::Parse(std::istream&, std::error_code&) {
    throw std::logic_error("parser not built");
}
JsonValue JsonValue::Parse(std::wistream&) { throw std::logic_error("parser not built"); }
JsonValue JsonValue::Parse(std::wistream&, std::error_code&) {
    throw std::logic_error("parser not built");
}
