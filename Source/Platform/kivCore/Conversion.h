// ConvertTo<To, From>: text conversions between UTF-8 (std::string) and wide
// text (std::wstring, one 32-bit wchar_t per code point).
//
// Both directions use the standard converter over codecvt_utf8<wchar_t> with
// the maximum code point 0x10FFFF and no error strings, so unconvertible input
// throws std::range_error ("wstring_convert::to_bytes" / "...::from_bytes").
#pragma once

#include <codecvt>
#include <locale>
#include <string>
#include <type_traits>

template <class To, class From>
To ConvertTo(From value);

// The standard converter is deprecated in C++17 but is the documented
// behaviour (exact exceptions and messages), so the warning is silenced here only.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

using KivUtf8WideConverter = std::wstring_convert<std::codecvt_utf8<wchar_t, 0x10FFFF>, wchar_t>;

// ASCII text converts one character to one: it skips building a converter and
// its locale facet, which costs far more than the conversion itself.
template <class C>
bool KivIsAsciiText(const std::basic_string<C>& text) {
    for (const C c : text) {
        if (static_cast<std::make_unsigned_t<C>>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

template <>
inline std::string ConvertTo<std::string, std::wstring>(std::wstring text) {
    if (KivIsAsciiText(text)) {
        return std::string(text.begin(), text.end());
    }
    KivUtf8WideConverter converter;
    return converter.to_bytes(text);
}

template <>
inline std::wstring ConvertTo<std::wstring, std::string>(std::string text) {
    if (KivIsAsciiText(text)) {
        return std::wstring(text.begin(), text.end());
    }
    KivUtf8WideConverter converter;
    return converter.from_bytes(text);
}

#pragma GCC diagnostic pop
