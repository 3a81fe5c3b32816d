#include <kivJSON/JSONErrorCat.h>

// Both compilers check that no dynamic initializer is needed.
#if defined(__clang__)
[[clang::require_constant_initialization]]
#elif defined(__GNUC__)
__constinit
#endif
JsonErrorCategory JsonErrorCategory::s_item;

const char* JsonErrorCategory::name() const noexcept { return "kivJSON"; }

std::string JsonErrorCategory::message(int code) const {
    switch (code) {
        case LeftOverCharacters:
            return "Left-over characters in stream after parsing a JSON value";
        case MalformedArray:
            return "Malformed array literal";
        case MalformedComment:
            return "Malformed comment";
        case MalformedLiteral:
            return "Malformed literal";
        case MalformedObject:
            return "Malformed object literal";
        case MalformedNumber:
            return "Malformed numeric literal";
        case MalformedString:
            return "Malformed string literal";
        case MalformedToken:
            return "Malformed token";
        case MismatchedBraces:
            return "Mismatched braces";
        case NestingTooDeep:
            return "Nesting too deep";
        case UnexpectedToken:
            return "Unexpected token";
        default:
            return "Unknown JSON error";
    }
}
