// The option writer: the settings of the one tree walk (JSONWriter.cpp) made
// public, with a failure that leaves the caller's string or stream untouched.
#include <kivJSON/JSONWriteOptions.h>
#include "internal/TreeAccess.h"
#include "internal/TreeWriter.h"

#include <ostream>
#include <stdexcept>

namespace {

class WriteErrorCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "kivJSON write"; }
    std::string message(int code) const override {
        switch (static_cast<JsonWriteError>(code)) {
            case JsonWriteError::NonFiniteNumber:
                return "Non-finite number (NaN or infinity) cannot be written as JSON";
            case JsonWriteError::InvalidKeyText:
                return "Object key is not valid UTF-8";
            case JsonWriteError::IndentTooLarge:
                return "Indentation too large for the nesting depth";
            case JsonWriteError::CallerFormatIgnoresOptions:
                return "A value's own Format cannot honour the write options";
        }
        return "Unknown JSON write error";
    }
};

_Private::WriteSettings SettingsOf(const JsonWriteOptions& options) {
    _Private::WriteSettings settings;
    settings.indent = options.indent;
    settings.shortest = options.numbers == JsonNumberStyle::Shortest;
    switch (options.nonFinite) {
        case JsonNonFinite::Fail:
            settings.nonFinite = _Private::NonFiniteText::Fail;
            break;
        case JsonNonFinite::Null:
            settings.nonFinite = _Private::NonFiniteText::Null;
            break;
        default:
            settings.nonFinite = _Private::NonFiniteText::AsFormatted;
            break;
    }
    return settings;
}

// Appends the text; on any failure `out` is cut back to its old length.
// Returns the failure (none on success); exceptions other than a wide key's
// conversion error pass through after the cut.
template <class C>
std::error_code AppendText(const JsonValue& value, std::basic_string<C>& out,
                           const JsonWriteOptions& options) {
    const size_t oldSize = out.size();
    const _Private::JsonValueTypeImpl& root = *_Private::JsonTreeAccess::Impl(value);
    _Private::WriteFailure failure;
    try {
        failure = _Private::WriteTree(root, out, SettingsOf(options));
    } catch (const std::range_error&) {
        out.resize(oldSize);
        return JsonWriteError::InvalidKeyText;
    } catch (...) {
        out.resize(oldSize);
        throw;
    }
    if (failure == _Private::WriteFailure::None) {
        return {};
    }
    out.resize(oldSize);
    return static_cast<JsonWriteError>(failure);
}

template <class C>
bool AppendOrReport(const JsonValue& value, std::basic_string<C>& out,
                    const JsonWriteOptions& options, std::error_code& error) {
    error = AppendText(value, out, options);
    return !error;
}

template <class C>
bool InsertOrReport(const JsonValue& value, std::basic_ostream<C>& out,
                    const JsonWriteOptions& options, std::error_code& error) {
    std::basic_string<C> text;
    error = AppendText(value, text, options);
    if (!error) {
        out << text;
    }
    return !error;
}

template <class C>
std::basic_string<C> TextOrThrow(const JsonValue& value, const JsonWriteOptions& options) {
    std::basic_string<C> text;
    const _Private::JsonValueTypeImpl& root = *_Private::JsonTreeAccess::Impl(value);
    const _Private::WriteFailure failure = _Private::WriteTree(root, text, SettingsOf(options));
    if (failure != _Private::WriteFailure::None) {
        throw std::invalid_argument(
            make_error_code(static_cast<JsonWriteError>(failure)).message());
    }
    return text;
}

}  // namespace

const std::error_category& JsonWriteErrorCategory() noexcept {
    static const WriteErrorCategory category;
    return category;
}

bool WriteJson(const JsonValue& value, std::string& out, const JsonWriteOptions& options,
               std::error_code& error) {
    return AppendOrReport(value, out, options, error);
}

bool WriteJson(const JsonValue& value, std::wstring& out, const JsonWriteOptions& options,
               std::error_code& error) {
    return AppendOrReport(value, out, options, error);
}

bool WriteJson(const JsonValue& value, std::ostream& out, const JsonWriteOptions& options,
               std::error_code& error) {
    return InsertOrReport(value, out, options, error);
}

bool WriteJson(const JsonValue& value, std::wostream& out, const JsonWriteOptions& options,
               std::error_code& error) {
    return InsertOrReport(value, out, options, error);
}

std::string WriteJson(const JsonValue& value, const JsonWriteOptions& options) {
    return TextOrThrow<char>(value, options);
}

std::wstring WriteJsonWide(const JsonValue& value, const JsonWriteOptions& options) {
    return TextOrThrow<wchar_t>(value, options);
}
