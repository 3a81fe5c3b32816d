// Parses texts with an error code and reports why a parse failed; shows the
// throwing form as well.
#include <kivJSON/JSONErrorCat.h>
#include <kivJSON/JSONValue.h>

#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

void Report(const std::string& text) {
    std::error_code error;
    const JsonValue value = JsonValue::Parse(text, error);
    if (text.size() > 40) {
        std::cout << text.substr(0, 10) << "... (" << text.size() << " characters)\n  -> ";
    } else {
        std::cout << text << "\n  -> ";
    }
    if (!error) {
        // `null` parses to a null value too: test the code, not the value.
        std::cout << "ok, " << value.GetTypeString() << ": " << value.Serialize() << '\n';
    } else if (error.category() == JsonErrorCategory::s_item) {
        std::cout << error.category().name() << " error " << error.value() << ": "
                  << error.message() << '\n';
    }
}

}  // namespace

int main() {
    Report(R"({"a": [1, 2,]})");      // a value is missing after the comma: Malformed token
    Report(R"({"a" 1})");             // no colon: Malformed object literal
    Report(R"([1 2])");               // no comma: Malformed array literal
    Report(R"(["tab	inside"])");  // a raw control character: Malformed string literal
    Report("01.5e");                  // an exponent without digits: Malformed numeric literal
    Report("nul");                    // Malformed literal
    Report("{} {}");                  // a second value: Left-over characters
    Report("[1]]");                   // Mismatched braces
    Report(std::string(129, '['));    // Nesting too deep
    Report("/* comments are allowed */ null // and ignored");

    // A code can be told apart from other libraries' codes by its category.
    std::error_code error;
    JsonValue::Parse(std::string("[1,]"), error);
    if (error == std::error_code(MalformedToken, JsonErrorCategory::s_item)) {
        std::cout << "[1,] gives MalformedToken\n";
    }

    // The other forms throw std::invalid_argument carrying the same message.
    try {
        std::istringstream in("{\"unterminated\": \"text");
        JsonValue::Parse(in);
    } catch (const std::invalid_argument& e) {
        std::cout << "thrown: " << e.what() << '\n';
    }
    return 0;
}
