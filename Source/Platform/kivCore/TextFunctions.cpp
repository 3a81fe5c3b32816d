#include <kivCore/TextFunctions.h>

#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

// "%.*g" is the one directive kivJSON passes for every double it writes. The
// standard to_chars with a precision gives exactly printf's text for it in the
// C locale, at a fraction of the cost, and keeps the period as decimal point
// whatever locale the program sets (JSON needs the period).
template <class C>
bool IsPrecisionGeneral(const C* format) {
    return format[0] == '%' && format[1] == '.' && format[2] == '*' && format[3] == 'g' &&
           format[4] == 0;
}

int FormatWithLibc(char* buffer, size_t bufferCount, int precision, double value) {
    return std::snprintf(buffer, bufferCount, "%.*g", precision, value);
}

int FormatWithLibc(wchar_t* buffer, size_t bufferCount, int precision, double value) {
    return std::swprintf(buffer, bufferCount, L"%.*g", precision, value);
}

template <class C>
int FormatPrecisionGeneral(C* buffer, size_t bufferCount, va_list args) {
    const int precision = va_arg(args, int);
    const double value = va_arg(args, double);
    char text[64];
    const std::to_chars_result result = std::to_chars(
        text, text + sizeof text, value, std::chars_format::general, precision < 0 ? 6 : precision);
    if (result.ec != std::errc()) {
        // Only a precision far beyond a double's digits gets here.
        const int written = FormatWithLibc(buffer, bufferCount, precision, value);
        if (written < 0 || static_cast<size_t>(written) >= bufferCount) {
            buffer[0] = 0;
            return -1;
        }
        return written;
    }
    const size_t length = static_cast<size_t>(result.ptr - text);
    if (length >= bufferCount) {
        buffer[0] = 0;
        return -1;
    }
    for (size_t i = 0; i < length; ++i) {
        buffer[i] = static_cast<C>(text[i]);
    }
    buffer[length] = 0;
    return static_cast<int>(length);
}

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Decodes one well-formed UTF-8 sequence at `p`, or returns U+FFFD for the
// longest ill-formed prefix (at least one byte), as Unicode recommends.
char32_t DecodeUtf8(const unsigned char*& p, const unsigned char* end) {
    const unsigned char lead = *p++;
    if (lead < 0x80) {
        return lead;
    }
    int length;
    char32_t c;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;  // no overlong forms
        if (lead == 0xED)
            high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;  // no overlong forms
        if (lead == 0xF4)
            high = 0x8F;  // nothing above U+10FFFF
    } else {
        return kReplacement;
    }
    for (int i = 1; i < length; ++i) {
        if (p == end || !IsContinuation(*p) || (i == 1 && (*p < low || *p > high))) {
            return kReplacement;
        }
        c = (c << 6) | (*p++ & 0x3F);
    }
    return c;
}

}  // namespace

int sprintf_s(char* buffer, size_t bufferCount, const char* format, ...) {
    if (buffer == nullptr || bufferCount == 0 || format == nullptr) {
        return -1;
    }
    va_list args;
    va_start(args, format);
    int written;
    if (IsPrecisionGeneral(format)) {
        written = FormatPrecisionGeneral(buffer, bufferCount, args);
    } else {
        written = std::vsnprintf(buffer, bufferCount, format, args);
        if (written < 0 || static_cast<size_t>(written) >= bufferCount) {
            buffer[0] = '\0';
            written = -1;
        }
    }
    va_end(args);
    return written;
}

int swprintf_s(wchar_t* buffer, size_t bufferCount, const wchar_t* format, ...) {
    if (buffer == nullptr || bufferCount == 0 || format == nullptr) {
        return -1;
    }
    va_list args;
    va_start(args, format);
    int written;
    if (IsPrecisionGeneral(format)) {
        written = FormatPrecisionGeneral(buffer, bufferCount, args);
    } else {
        // vswprintf already fails with -1 when the text does not fit.
        written = std::vswprintf(buffer, bufferCount, format, args);
        if (written < 0) {
            buffer[0] = L'\0';
        }
    }
    va_end(args);
    return written;
}

std::string ConvertString_UTF16_to_UTF8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            AppendUtf8(out, kReplacement);  // a surrogate without its partner
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

std::wstring ConvertString_UTF8_to_WSTRING(const std::string& text) {
    std::wstring out;
    out.reserve(text.size());
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* const end = p + text.size();
    while (p != end) {
        out.push_back(static_cast<wchar_t>(DecodeUtf8(p, end)));
    }
    return out;
}
