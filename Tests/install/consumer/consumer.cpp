// Parses, looks up, changes and writes a document through the installed headers
// and libraries; uses kivCore directly too. Prints "ok" when everything agrees.
#include <kivCore/TextFunctions.h>
#include <kivJSON/JSONErrorCat.h>
#include <kivJSON/JSONUtil.h>
#include <kivJSON/JSONValue.h>

#include <iostream>
#include <string>

int main() {
    JsonValue doc = JsonValue::Parse(std::string(R"({"name": "caf\u00e9", "n": [1, -2, 2.5]})"));
    std::string name;
    if (!TryGet(doc, "name", name) || name != "caf\xc3\xa9") {
        std::cerr << "lookup failed\n";
        return 1;
    }
    doc["n"][3] = true;
    const std::string text = doc.Serialize();
    if (text != "{\"name\":\"caf\xc3\xa9\",\"n\":[1,-2,2.5,true]}") {
        std::cerr << "unexpected text " << text << '\n';
        return 1;
    }
    std::error_code error;
    JsonValue::Parse(std::string("[1,]"), error);
    if (error.category() != JsonErrorCategory::s_item || error.value() != MalformedToken) {
        std::cerr << "unexpected error " << error.message() << '\n';
        return 1;
    }
    if (ConvertString_UTF8_to_WSTRING(name) != L"caf\u00e9") {
        std::cerr << "kivCore conversion failed\n";
        return 1;
    }
    std::cout << "ok\n";
    return 0;
}
