// The four text functions of the platform's core library that kivJSON calls.
#pragma once

#include <kivCore/KivCoreSystem.h>

#include <cstddef>
#include <string>

// Bounded printf: never writes more than `bufferCount` characters, always
// terminates inside the buffer (when bufferCount > 0), and returns the number of
// characters written without the terminating zero, or a negative count when the
// text does not fit or the format fails.
KIVCORE_API int sprintf_s(char* buffer, size_t bufferCount, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
KIVCORE_API int swprintf_s(wchar_t* buffer, size_t bufferCount, const wchar_t* format, ...);

// UTF-16 to UTF-8. A surrogate without its partner becomes U+FFFD; the unit
// after an unpaired high surrogate is converted on its own.
KIVCORE_API std::string ConvertString_UTF16_to_UTF8(const std::u16string& text);

// UTF-8 to wide text, one wchar_t per code point. Each maximal ill-formed
// subsequence (Unicode's recommended practice) becomes one U+FFFD; encoded
// surrogates, overlong forms and code points above U+10FFFF are ill-formed.
KIVCORE_API std::wstring ConvertString_UTF8_to_WSTRING(const std::string& text);
