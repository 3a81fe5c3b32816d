// The writer: escaping, number text, and the one walk over a tree that every
// text output goes through (Serialize, Format and the write options). Narrow and
// wide output share every template below.
#include <kivJSON/JSONPrivateImpl.h>
#include "internal/NumberText.h"
#include "internal/StringScan.h"
#include "internal/TreeAccess.h"
#include "internal/TreeWriter.h"

#include <kivCore/Conversion.h>
#include <kivCore/TextFunctions.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <type_traits>
#include <typeinfo>

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
        case 0x08:
            return C('b');
        case 0x09:
            return C('t');
        case 0x0A:
            return C('n');
        case 0x0C:
            return C('f');
        case 0x0D:
            return C('r');
        case 0x22:
            return C('"');
        case 0x5C:
            return C('\\');
        default:
            return C(0);
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

// The core library's "%.*g" text with precision 17. The walk takes it for
// NaN and the infinities only: every finite double goes through WriteDouble17,
// which gives the same characters without the variadic call.
void AppendFormattedDouble(std::string& target, double value) {
    char buffer[25];
    AppendFormattedCount(target, buffer, sprintf_s(buffer, 25, "%.*g", 17, value));
}

void AppendFormattedDouble(std::wstring& target, double value) {
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

// --- The walk -----------------------------------------------------------------------

// What the walk does with a value: the library's own classes are written here;
// anything else (a caller's subclass, even of one of ours) is asked for its
// text through its virtual Format.
enum class WriteKind { Null, Bool, Number, String, Array, Object, Foreign };

WriteKind KindOf(const JsonValueTypeImpl& value) {
    const std::type_info& type = typeid(value);
    switch (value.Type()) {
        case JsonType::Number:
            return type == typeid(JsonNumberTypeImpl) ? WriteKind::Number : WriteKind::Foreign;
        case JsonType::Bool:
            return type == typeid(JsonBoolTypeImpl) ? WriteKind::Bool : WriteKind::Foreign;
        case JsonType::String:
            return type == typeid(JsonStringTypeImpl) ? WriteKind::String : WriteKind::Foreign;
        case JsonType::Object:
            return type == typeid(JsonObjectTypeImpl) ? WriteKind::Object : WriteKind::Foreign;
        case JsonType::Array:
            return type == typeid(JsonArrayTypeImpl) ? WriteKind::Array : WriteKind::Foreign;
        default:
            return type == typeid(JsonNullTypeImpl) ? WriteKind::Null : WriteKind::Foreign;
    }
}

// Writes one tree into `out`. Containers are opened on an explicit stack
// instead of the call stack, so a tree built by hand may be nested as deeply as
// memory allows.
template <class C>
class TreeWriter {
public:
    TreeWriter(std::basic_string<C>& out, const WriteSettings& settings)
        : m_out(out), m_settings(settings) {}

    // `value` as the library's class for `kind`, whatever its dynamic type:
    // this is what the Format overrides of our classes write.
    bool WriteAs(const JsonValueTypeImpl& value, WriteKind kind) {
        switch (kind) {
            case WriteKind::Null:
                AppendLiteral(m_out, "null");
                return true;
            case WriteKind::Bool:
                WriteBool(JsonTreeAccess::BoolOf(value));
                return true;
            case WriteKind::Number:
                return WriteNumber(JsonTreeAccess::NumberOf(value));
            case WriteKind::String:
                WriteString(value);
                return true;
            case WriteKind::Array:
            case WriteKind::Object:
                return WriteContainers(value, kind == WriteKind::Array);
            case WriteKind::Foreign:
                value.Format(m_out);
                return true;
        }
        return true;
    }

private:
    struct OpenContainer {
        const JsonValue* elements;          // of an array
        const JsonObject::Member* members;  // of an object, null for an array
        size_t count;
        size_t next;
    };

    void WriteBool(bool value) {
        value ? AppendLiteral(m_out, "true") : AppendLiteral(m_out, "false");
    }

    bool WriteNumber(const JsonNumber& number) {
        switch (number.m_kind) {
            case JsonNumber::Double:
                return WriteDouble(number.AsDouble());
            case JsonNumber::Int64:
                AppendInteger(m_out, static_cast<long>(number.m_value));
                break;
            default:
                AppendInteger(m_out, static_cast<unsigned long>(number.m_value));
                break;
        }
        return true;
    }

    bool WriteDouble(double value) {
        if (std::isfinite(value)) {
            char text[32];
            const char* const end =
                m_settings.shortest ? WriteDoubleShortest(value, text) : WriteDouble17(value, text);
            AppendChars(m_out, text, static_cast<size_t>(end - text));
            return true;
        }
        switch (m_settings.nonFinite) {
            case NonFiniteText::AsFormatted:
                AppendFormattedDouble(m_out, value);
                return true;
            case NonFiniteText::Null:
                AppendLiteral(m_out, "null");
                return true;
            case NonFiniteText::Fail:
                return false;
        }
        return false;
    }

    void WriteString(const JsonValueTypeImpl& value) {
        const std::string& text = JsonTreeAccess::TextOf(value);
        const bool escape = JsonTreeAccess::EscapeFlagOf(value);
        m_out.push_back(C('"'));
        if constexpr (std::is_same_v<C, char>) {
            AppendText(text, escape);
        } else {
            AppendText(ConvertString_UTF8_to_WSTRING(text), escape);
        }
        m_out.push_back(C('"'));
    }

    void AppendText(const std::basic_string<C>& text, bool escape) {
        if (escape) {
            AppendEscapedString<C>(m_out, text);
        } else {
            m_out.append(text);
        }
    }

    // A line break and the indentation of `depth` levels (indented text only).
    void NewLine(size_t depth) {
        m_out.push_back(C('\n'));
        m_out.append(depth * m_settings.indent, C(' '));
    }

    // Writes an empty container whole; opens any other on the stack.
    void Open(const JsonValueTypeImpl& container, bool isArray) {
        size_t count;
        if (isArray) {
            const std::vector<JsonValue>& elements = JsonTreeAccess::Elements(container);
            count = elements.size();
            m_out.push_back(C('['));
            if (count != 0) {
                m_open.push_back({elements.data(), nullptr, count, 0});
                return;
            }
        } else {
            const std::vector<JsonObject::Member>& members = JsonTreeAccess::Members(container);
            count = members.size();
            m_out.push_back(C('{'));
            if (count != 0) {
                m_open.push_back({nullptr, members.data(), count, 0});
                return;
            }
        }
        m_out.push_back(isArray ? C(']') : C('}'));
    }

    bool WriteContainers(const JsonValueTypeImpl& root, bool isArray) {
        const bool indented = m_settings.indent != 0;
        Open(root, isArray);
        while (!m_open.empty()) {
            OpenContainer& top = m_open.back();
            if (top.next == top.count) {
                const bool closesArray = top.members == nullptr;
                m_open.pop_back();
                if (indented) {
                    NewLine(m_open.size());
                }
                m_out.push_back(closesArray ? C(']') : C('}'));
                continue;
            }
            if (top.next != 0) {
                m_out.push_back(C(','));
            }
            if (indented) {
                NewLine(m_open.size());
            }
            const JsonValue* child;
            if (top.members == nullptr) {
                child = &top.elements[top.next];
            } else {
                const JsonObject::Member& member = top.members[top.next];
                FormatString(member.first, m_out);
                m_out.push_back(C(':'));
                if (indented) {
                    m_out.push_back(C(' '));
                }
                child = &member.second;
            }
            ++top.next;  // `top` is not used after this: Open may move the stack
            const JsonValueTypeImpl& impl = *JsonTreeAccess::Impl(*child);
            const WriteKind kind = KindOf(impl);
            if (kind == WriteKind::Array || kind == WriteKind::Object) {
                Open(impl, kind == WriteKind::Array);
            } else if (!WriteAs(impl, kind)) {
                return false;
            }
        }
        return true;
    }

    std::basic_string<C>& m_out;
    const WriteSettings& m_settings;
    std::vector<OpenContainer> m_open;
};

// The text of our own classes' Format overrides: compact, 17-digit doubles.
constexpr WriteSettings kCompactText{};

template <class C>
void WriteOwnText(const JsonValueTypeImpl& self, WriteKind kind, std::basic_string<C>& out) {
    TreeWriter<C>(out, kCompactText).WriteAs(self, kind);
}

// SerializeImpl of the types with a size estimate: reserve, then the virtual Format.
template <class T, class C>
void ReserveAndFormat(const T& self, std::basic_string<C>& out) {
    out.reserve(self.GetReservedSize());
    self.Format(out);
}

}  // namespace

template <class C>
bool WriteTree(const JsonValueTypeImpl& root, std::basic_string<C>& out,
               const WriteSettings& settings) {
    return TreeWriter<C>(out, settings).WriteAs(root, KindOf(root));
}

// --- The exported slots -------------------------------------------------------------

template <class C>
void JsonStringTypeImpl::SerializeImplForCharType(std::basic_string<C>& out) const {
    ReserveAndFormat(*this, out);
}

template <class C>
void JsonArrayTypeImpl::FormatImpl(std::basic_string<C>& out) const {
    WriteOwnText(*this, WriteKind::Array, out);
}

template <class C>
void JsonObjectTypeImpl::FormatImpl(std::basic_string<C>& out) const {
    WriteOwnText(*this, WriteKind::Object, out);
}

void JsonValueTypeImpl::SerializeImpl(std::string& out) const {
    Format(out);
}
void JsonValueTypeImpl::SerializeImpl(std::wstring& out) const {
    Format(out);
}

std::string JsonValueTypeImpl::ToString() const {
    std::string text;
    SerializeImpl(text);
    return text;
}

void JsonValueTypeImpl::Format(std::string& out) const {
    WriteOwnText(*this, WriteKind::Null, out);
}
void JsonValueTypeImpl::Format(std::wstring& out) const {
    WriteOwnText(*this, WriteKind::Null, out);
}
void JsonBoolTypeImpl::Format(std::string& out) const {
    WriteOwnText(*this, WriteKind::Bool, out);
}
void JsonBoolTypeImpl::Format(std::wstring& out) const {
    WriteOwnText(*this, WriteKind::Bool, out);
}
void JsonNumberTypeImpl::Format(std::string& out) const {
    WriteOwnText(*this, WriteKind::Number, out);
}
void JsonNumberTypeImpl::Format(std::wstring& out) const {
    WriteOwnText(*this, WriteKind::Number, out);
}
void JsonStringTypeImpl::Format(std::string& out) const {
    WriteOwnText(*this, WriteKind::String, out);
}
void JsonStringTypeImpl::Format(std::wstring& out) const {
    WriteOwnText(*this, WriteKind::String, out);
}
void JsonArrayTypeImpl::Format(std::string& out) const {
    FormatImpl(out);
}
void JsonArrayTypeImpl::Format(std::wstring& out) const {
    FormatImpl(out);
}
void JsonObjectTypeImpl::Format(std::string& out) const {
    FormatImpl(out);
}
void JsonObjectTypeImpl::Format(std::wstring& out) const {
    FormatImpl(out);
}

void JsonStringTypeImpl::SerializeImpl(std::string& out) const {
    SerializeImplForCharType(out);
}
void JsonStringTypeImpl::SerializeImpl(std::wstring& out) const {
    SerializeImplForCharType(out);
}
void JsonArrayTypeImpl::SerializeImpl(std::string& out) const {
    ReserveAndFormat(*this, out);
}
void JsonArrayTypeImpl::SerializeImpl(std::wstring& out) const {
    ReserveAndFormat(*this, out);
}
void JsonObjectTypeImpl::SerializeImpl(std::string& out) const {
    ReserveAndFormat(*this, out);
}
void JsonObjectTypeImpl::SerializeImpl(std::wstring& out) const {
    ReserveAndFormat(*this, out);
}

// --- Size estimates -----------------------------------------------------------------

size_t JsonStringTypeImpl::GetReservedSize() const {
    return m_value.size() + 2;
}

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
            estimate += static_cast<const JsonStringTypeImpl&>(*JsonTreeAccess::Impl(value))
                            .GetReservedSize();
        } else {
            estimate += ChildEstimate(value);
        }
    }
    return estimate;
}

template bool WriteTree(const JsonValueTypeImpl&, std::string&, const WriteSettings&);
template bool WriteTree(const JsonValueTypeImpl&, std::wstring&, const WriteSettings&);

}  // namespace _Private
