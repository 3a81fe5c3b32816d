// The compact writer: escaping, number text and the Format recursion of the
// type implementations. Narrow and wide output share every template below.
#include <kivJSON/JSONPrivateImpl.h>
#include "internal/StringScan.h"
#include "internal/TreeAccess.h"

#include <kivCore/Conversion.h>
#include <kivCore/TextFunctions.h>

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <type_traits>

namespace _Private {
namespace {

template <class C>
constexpr C kHexDigits[] = {'0', '1', '2', '3', '4', '5', '6', '7',
                            '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};

// The four lowercase hex digits of a "\u" escape (the escaper passes 0x00 to 0x1F).
template <class C>
void AppendControlCharDigits(std::basic_string<C>& target, unsigned value) {
    const C digits[4] = {kHexDigits<C>[(value >> 12) & 0xF], kHexDigits<C>[(value >> 8) & 0xF],
                         kHexDigits<C>[(value >> 4) & 0xF], kHexDigits<C>[value & 0xF]};
    target.append(digits, 4);
}

void AppendControlChar(std::string& target, char c) {
    AppendControlCharDigits(target, static_cast<unsigned char>(c));
}

void AppendControlChar(std::wstring& target, wchar_t c) {
    AppendControlCharDigits(target, static_cast<unsigned>(c));
}

template <class C>
using Unsigned = std::make_unsigned_t<C>;

// The short escape of `c`, or 0 when it is written as "\u00XX".
template <class C>
C ShortEscape(Unsigned<C> c) {
    switch (c) {
        case 0x08: return C('b');
        case 0x09: return C('t');
        case 0x0A: return C('n');
        case 0x0C: return C('f');
        case 0x0D: return C('r');
        case 0x22: return C('"');
        case 0x5C: return C('\\');
        default: return C(0);
    }
}

// Appends `count` characters of same-width or ASCII text. Widening is done in
// place: the iterator form of append would build a temporary string.
template <class C, class S>
void AppendChars(std::basic_string<C>& target, const S* text, size_t count) {
    if constexpr (std::is_same_v<C, S>) {
        target.append(text, count);
    } else {
        const size_t size = target.size();
        target.resize(size + count);
        std::copy(text, text + count, target.begin() + static_cast<std::ptrdiff_t>(size));
    }
}

// Runs of characters that need no escape are appended in one block. The source
// may be narrower than the target only when it is ASCII.
template <class C, class S>
void AppendEscapedChars(std::basic_string<C>& target, const S* run, const S* const end) {
    for (const S* p = FindStringSpecial(run, end); p != end; p = FindStringSpecial(p + 1, end)) {
        const Unsigned<S> c = static_cast<Unsigned<S>>(*p);
        AppendChars(target, run, static_cast<size_t>(p - run));
        run = p + 1;
        target.push_back(C('\\'));
        if (const S letter = ShortEscape<S>(c)) {
            target.push_back(C(letter));
        } else {
            target.push_back(C('u'));
            AppendControlChar(target, C(*p));
        }
    }
    AppendChars(target, run, static_cast<size_t>(end - run));
}

template <class C>
void AppendEscapedString(std::basic_string<C>& target, const std::basic_string<C>& source) {
    AppendEscapedChars(target, source.data(), source.data() + source.size());
}

void FormatString(const std::string& source, std::string& target) {
    target.push_back('"');
    AppendEscapedString<char>(target, source);
    target.push_back('"');
}

[[maybe_unused]] void FormatString(const std::wstring& source, std::wstring& target) {
    target.push_back(L'"');
    AppendEscapedString<wchar_t>(target, source);
    target.push_back(L'"');
}

[[maybe_unused]] void FormatString(const std::wstring& source, std::string& target) {
    target.push_back('"');
    AppendEscapedString<char>(target, ConvertTo<std::string, std::wstring>(source));
    target.push_back('"');
}

void FormatString(const std::string& source, std::wstring& target) {
    target.push_back(L'"');
    if (KivIsAsciiText(source)) {
        // ASCII converts one to one; this skips building a converter and its
        // locale facet for every key.
        AppendEscapedChars(target, source.data(), source.data() + source.size());
    } else {
        AppendEscapedString<wchar_t>(target, ConvertTo<std::wstring, std::string>(source));
    }
    target.push_back(L'"');
}

// A literal of ASCII characters appended in the target's width.
template <class C, size_t N>
void AppendLiteral(std::basic_string<C>& target, const char (&text)[N]) {
    AppendChars(target, text, N - 1);
}

// --- Number text ---------------------------------------------------------------

// The count is widened as a signed value: a failed format's negative count is
// then larger than any room left, and append throws std::length_error.
template <class C>
void AppendFormattedCount(std::basic_string<C>& target, const C* buffer, int count) {
    target.append(buffer, static_cast<size_t>(static_cast<long>(count)));
}

void AppendDouble(std::string& target, double value) {
    char buffer[25];
    AppendFormattedCount(target, buffer, sprintf_s(buffer, 25, "%.*g", 17, value));
}

void AppendDouble(std::wstring& target, double value) {
    wchar_t buffer[25];
    AppendFormattedCount(target, buffer, swprintf_s(buffer, 25, L"%.*g", 17, value));
}

// Plain decimal, the text "%ld" / "%lu" give, without a temporary string.
template <class C, class Integer>
void AppendInteger(std::basic_string<C>& target, Integer value) {
    char digits[24];
    const char* const end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    AppendChars(target, digits, static_cast<size_t>(end - digits));
}

}  // namespace

// --- Scalars ----------------------------------------------------------------------

void JsonValueTypeImpl::SerializeImpl(std::string& out) const { Format(out); }
void JsonValueTypeImpl::SerializeImpl(std::wstring& out) const { Format(out); }

std::string JsonValueTypeImpl::ToString() const {
    std::string text;
    SerializeImpl(text);
    return text;
}

void JsonValueTypeImpl::Format(std::string& out) const { AppendLiteral(out, "null"); }
void JsonValueTypeImpl::Format(std::wstring& out) const { AppendLiteral(out, "null"); }

void JsonBoolTypeImpl::Format(std::string& out) const {
    m_value ? AppendLiteral(out, "true") : AppendLiteral(out, "false");
}
void JsonBoolTypeImpl::Format(std::wstring& out) const {
    m_value ? AppendLiteral(out, "true") : AppendLiteral(out, "false");
}

namespace {
template <class C>
void FormatNumber(const JsonNumber& number, std::basic_string<C>& out) {
    switch (number.m_kind) {
        case JsonNumber::Double:
            AppendDouble(out, number.AsDouble());
            break;
        case JsonNumber::Int64:
            AppendInteger(out, static_cast<long>(number.m_value));
            break;
        default:
            AppendInteger(out, static_cast<unsigned long>(number.m_value));
            break;
    }
}
}  // namespace

void JsonNumberTypeImpl::Format(std::string& out) const { FormatNumber(m_number, out); }
void JsonNumberTypeImpl::Format(std::wstring& out) const { FormatNumber(m_number, out); }

// --- Strings ------------------------------------------------------------------------

size_t JsonStringTypeImpl::GetReservedSize() const { return m_value.size() + 2; }

template <class C>
void JsonStringTypeImpl::SerializeImplForCharType(std::basic_string<C>& out) const {
    out.reserve(GetReservedSize());
    Format(out);
}

void JsonStringTypeImpl::SerializeImpl(std::string& out) const { SerializeImplForCharType(out); }
void JsonStringTypeImpl::SerializeImpl(std::wstring& out) const { SerializeImplForCharType(out); }

void JsonStringTypeImpl::Format(std::string& out) const {
    out.push_back('"');
    if (m_escapeCharsPresent) {
        AppendEscapedString<char>(out, m_value);
    } else {
        out.append(m_value);
    }
    out.push_back('"');
}

void JsonStringTypeImpl::Format(std::wstring& out) const {
    out.push_back(L'"');
    const std::wstring wide = ConvertString_UTF8_to_WSTRING(m_value);
    if (m_escapeCharsPresent) {
        AppendEscapedString<wchar_t>(out, wide);
    } else {
        out.append(wide);
    }
    out.push_back(L'"');
}

// --- Containers -----------------------------------------------------------------------

namespace {
// 20 characters per element of a container child, 5 for anything else.
size_t ChildEstimate(const JsonValue& child) {
    const size_t size = child.Size();
    return size != 0 ? 20 * size : 5;
}
}  // namespace

size_t JsonArrayTypeImpl::GetReservedSize() const {
    size_t estimate = 2;
    for (const JsonValue& element : m_array) {
        estimate += ChildEstimate(element);
    }
    return estimate;
}

size_t JsonObjectTypeImpl::GetReservedSize() const {
    size_t estimate = 2;
    for (const JsonObject::Member& member : m_object) {
        estimate += member.first.size() + 2;
        const JsonValue& value = member.second;
        if (value.Size() == 0 && value.IsString()) {
            estimate +=
                static_cast<const JsonStringTypeImpl&>(*JsonTreeAccess::Impl(value)).GetReservedSize();
        } else {
            estimate += ChildEstimate(value);
        }
    }
    return estimate;
}

namespace {

// The writer's recursion, as a loop: containers nested inside the one being
// written are opened on an explicit stack instead of the call stack, so a tree
// built by hand may be nested as deeply as memory allows.
template <class C>
void WriteContainer(const JsonValueTypeImpl& root, std::basic_string<C>& out) {
    struct OpenContainer {
        bool isArray;
        const JsonValue* elements;          // of an array
        const JsonObject::Member* members;  // of an object
        size_t count;
        size_t next;
    };
    std::vector<OpenContainer> open;
    auto enter = [&open, &out](const JsonValueTypeImpl& container) {
        if (container.Type() == JsonType::Array) {
            const std::vector<JsonValue>& elements = JsonTreeAccess::Elements(container);
            out.push_back(C('['));
            open.push_back({true, elements.data(), nullptr, elements.size(), 0});
        } else {
            const std::vector<JsonObject::Member>& members = JsonTreeAccess::Members(container);
            out.push_back(C('{'));
            open.push_back({false, nullptr, members.data(), members.size(), 0});
        }
    };

    enter(root);
    while (!open.empty()) {
        OpenContainer& top = open.back();
        if (top.next == top.count) {
            out.push_back(top.isArray ? C(']') : C('}'));
            open.pop_back();
            continue;
        }
        if (top.next != 0) {
            out.push_back(C(','));
        }
        const JsonValue* child;
        if (top.isArray) {
            child = &top.elements[top.next];
        } else {
            const JsonObject::Member& member = top.members[top.next];
            FormatString(member.first, out);
            out.push_back(C(':'));
            child = &member.second;
        }
        ++top.next;
        if (JsonTreeAccess::IsNestedContainer(*child)) {
            enter(*JsonTreeAccess::Impl(*child));  // `top` is not used after this
        } else {
            child->Format(out);
        }
    }
}

}  // namespace

template <class C>
void JsonArrayTypeImpl::FormatImpl(std::basic_string<C>& out) const {
    WriteContainer(*this, out);
}

template <class C>
void JsonObjectTypeImpl::FormatImpl(std::basic_string<C>& out) const {
    WriteContainer(*this, out);
}

void JsonArrayTypeImpl::SerializeImpl(std::string& out) const {
    out.reserve(GetReservedSize());
    Format(out);
}
void JsonArrayTypeImpl::SerializeImpl(std::wstring& out) const {
    out.reserve(GetReservedSize());
    Format(out);
}
void JsonArrayTypeImpl::Format(std::string& out) const { FormatImpl(out); }
void JsonArrayTypeImpl::Format(std::wstring& out) const { FormatImpl(out); }

void JsonObjectTypeImpl::SerializeImpl(std::string& out) const {
    out.reserve(GetReservedSize());
    Format(out);
}
void JsonObjectTypeImpl::SerializeImpl(std::wstring& out) const {
    out.reserve(GetReservedSize());
    Format(out);
}
void JsonObjectTypeImpl::Format(std::string& out) const { FormatImpl(out); }
void JsonObjectTypeImpl::Format(std::wstring& out) const { FormatImpl(out); }

}  // namespace _Private
