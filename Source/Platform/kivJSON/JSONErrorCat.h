// The error category of kivJSON parse failures.
#pragma once

#include <kivJSON/JSONSystem.h>

#include <string>
#include <system_error>

// Parse error codes. Use them as std::error_code(code, JsonErrorCategory::s_item).
enum JsonErrorCode : int {
    LeftOverCharacters = 1,
    MalformedArray = 2,
    MalformedComment = 3,
    MalformedLiteral = 4,
    MalformedObject = 5,
    MalformedNumber = 6,
    MalformedString = 7,
    MalformedToken = 8,
    MismatchedBraces = 9,
    NestingTooDeep = 10,
    UnexpectedToken = 11,  // never raised; the message exists for the code only
};

class KIVJSON_API JsonErrorCategory : public std::error_category {
public:
    constexpr JsonErrorCategory() noexcept = default;

    const char* name() const noexcept override;  // "kivJSON"
    // The fixed sentence of `code`; "Unknown JSON error" outside 1 to 11.
    std::string message(int code) const override;

    // The one instance. Constant-initialized, so it is usable from any static
    // initializer; codes are recognised by comparing categories with it.
    static JsonErrorCategory s_item;
};
