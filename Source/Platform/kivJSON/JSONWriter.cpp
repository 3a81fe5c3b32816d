// The writer: escaping, number text, and the one walk over a tree that every
// text output goes through (Serialize, Format and the write options). Narrow and
// wide output share every template below. Commas, line breaks, indentation and
// the stack of open containers are internal/JsonLayout.h's, which the
// incremental writer (JSONEventWriter.cpp) uses too.
#include <kivJSON/JSONPrivateImpl.h>
#include "internal/JsonLayout.h"
#include "internal/NumberText.h"
#include "internal/StringScan.h"
#include "internal/TreeAccess.h"
#include "internal/TreeWriter.h"
#include "internal/WriteSink.h"

#include <kivCore/Conversion.h>
#include <kivCore/TextFunctions.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace _Private {
namespace {

// --- Escaping -----------------------------------------------------------------------

constexpr char kHexDigits[] = "0123456789abcdef";

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

// Only '"', '\\' and the characters below 0x20 are escaped, control characters
// without a short escape as "\u" and four lowercase hex digits. Runs of other
// characters are copied in one block. The source may be narrower than the
// target only when it is ASCII.
template <class C, class S>
void AppendEscapedChars(Sink<C>& sink, const S* run, const S* const end) {
    for (const S* p = FindStringSpecial(run, end); p != end; p = FindStringSpecial(p + 1, end)) {
        const Unsigned<S> c = static_cast<Unsigned<S>>(*p);
        sink.Copy(run, static_cast<size_t>(p - run));
        run = p + 1;
        sink.Room(6);
        sink.Put(C('\\'));
        if (const S letter = ShortEscape<S>(c)) {
            sink.Put(C(letter));
        } else {
            sink.Put(C('u'));
            for (int shift = 12; shift >= 0; shift -= 4) {
                sink.Put(C(kHexDigits[(c >> shift) & 0xF]));
            }
        }
    }
    sink.Copy(run, static_cast<size_t>(end - run));
}

template <class C>
void AppendEscapedString(Sink<C>& sink, const std::basic_string<C>& source) {
    AppendEscapedChars(sink, source.data(), source.data() + source.size());
}

// A key, quoted and always escaped; in wide text converted from UTF-8 first.
// A failed conversion leaves the opening quote written.
void FormatString(const std::string& source, Sink<char>& sink) {
    sink.Push('"');
    AppendEscapedString(sink, source);
    sink.Push('"');
}

void FormatString(const std::string& source, Sink<wchar_t>& sink) {
    sink.Push(L'"');
    if (KivIsAsciiText(source)) {
        // ASCII converts one to one; this skips building a converter and its
        // locale facet for every key.
        AppendEscapedChars(sink, source.data(), source.data() + source.size());
    } else {
        AppendEscapedString(sink, ConvertTo<std::wstring, std::string>(source));
    }
    sink.Push(L'"');
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

// The room a number's text is written into: no text is longer, and the
// double writers store fixed-size words up to that far.
constexpr size_t kNumberTextRoom = 32;

bool IsFiniteNumber(const JsonNumber& number) {
    return number.m_kind != JsonNumber::Double || std::isfinite(number.AsDouble());
}

// The text of a number that is not a non-finite double, at `text` (with
// kNumberTextRoom characters of room); returns its end. Integers as "%ld" /
// "%lu" give them.
template <bool kShortest>
char* FiniteNumberText(const JsonNumber& number, char* text) {
    switch (number.m_kind) {
        case JsonNumber::Double:
            return kShortest ? WriteDoubleShortest(number.AsDouble(), text)
                             : WriteDouble17(number.AsDouble(), text);
        case JsonNumber::Int64:
            return std::to_chars(text, text + 24, static_cast<long>(number.m_value)).ptr;
        default:
            return std::to_chars(text, text + 24, static_cast<unsigned long>(number.m_value)).ptr;
    }
}

// Writes narrow number text made by `write(char* buffer) -> end` (at most
// kNumberTextRoom characters), in place when the target is narrow and has the room.
template <class C, class Write>
void PutNumberText(Sink<C>& sink, Write write) {
    if constexpr (std::is_same_v<C, char>) {
        if (sink.HasRoom(kNumberTextRoom)) {
            sink.Advance(write(sink.Position()));
            return;
        }
    }
    char text[kNumberTextRoom];
    const char* const end = write(text);
    sink.Copy(text, static_cast<size_t>(end - text));
}

// --- The walk -----------------------------------------------------------------------

// What the walk does with a value: the library's own classes, recognised by
// their exact class (JsonTreeAccess::KindOf, the same rule as copy, equality
// and destruction use), are written here; anything else (Other: a caller's
// subclass, even of one of ours) is asked for its text through its virtual Format.
using WriteKind = JsonTreeAccess::Kind;

// A walk that handed a caller's class to its virtual Format: if that Format is
// one of the library's (inherited), it takes these settings and this depth
// from here and reports its failure back. One per thread, for the Format call.
struct ForeignFormat {
    const WriteSettings* settings;
    size_t depth;
    bool taken;
    WriteFailure failure;
};
thread_local ForeignFormat* t_foreignFormat = nullptr;

// Writes one tree into `out`. Containers are opened on an explicit stack
// instead of the call stack, so a tree built by hand may be nested as deeply as
// memory allows. `baseDepth`: the levels the text is already indented by.
template <class C>
class TreeWriter {
public:
    TreeWriter(std::basic_string<C>& out, const WriteSettings& settings, size_t baseDepth = 0)
        : m_sink(out),
          m_settings(settings),
          m_baseDepth(baseDepth),
          m_layout(settings.indent, baseDepth) {}

    WriteFailure Failure() const { return m_failure; }
    // Gives the target its text; on an exception instead, the sink's
    // destructor does what it can.
    void Finish() { m_sink.Flush(); }

    // `value` as the library's class for `kind`, whatever its dynamic type:
    // this is what the Format overrides of our classes write.
    bool WriteAs(const JsonValueTypeImpl& value, WriteKind kind) {
        switch (kind) {
            case WriteKind::Null:
                m_sink.Literal("null");
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
            case WriteKind::Other:
                return WriteForeign(value);
        }
        return true;
    }

private:
    // The children of an open container; the layout counts those begun.
    struct Children {
        union {  // as the frame's kind says
            const JsonValue* elements;
            const JsonObject::Member* members;
        };
        size_t count;
    };
    using Layout = JsonLayout<C, Children>;

    // A caller's class through its virtual Format.
    bool WriteForeign(const JsonValueTypeImpl& value) {
        ForeignFormat context{&m_settings, m_baseDepth + m_layout.Depth(), false,
                              WriteFailure::None};
        struct Scope {
            ForeignFormat* outer = t_foreignFormat;
            ~Scope() { t_foreignFormat = outer; }
        } scope;
        t_foreignFormat = &context;
        value.Format(m_sink.Flush());
        m_sink.Resume();
        m_failure = context.taken || Unchanged(value) ? context.failure : WriteFailure::CallerText;
        return m_failure == WriteFailure::None;
    }

    // Whether the settings leave the compact text of a value of this type as it is.
    bool Unchanged(const JsonValueTypeImpl& value) const {
        switch (value.Type()) {
            case JsonType::Array:
            case JsonType::Object:
                return m_settings.indent == 0 && !m_settings.shortest &&
                       m_settings.nonFinite == NonFiniteText::AsFormatted;
            case JsonType::Number:
                return (!m_settings.shortest || value.IsInteger()) &&
                       (m_settings.nonFinite == NonFiniteText::AsFormatted ||
                        std::isfinite(value.AsDouble()));
            default:
                return true;
        }
    }

    void WriteBool(bool value) { value ? m_sink.Literal("true") : m_sink.Literal("false"); }

    bool WriteNumber(const JsonNumber& number) {
        if (!IsFiniteNumber(number)) {
            return WriteNonFinite(number.AsDouble());
        }
        if (m_settings.shortest) {
            PutNumberText(m_sink,
                          [&number](char* text) { return FiniteNumberText<true>(number, text); });
        } else {
            PutNumberText(m_sink,
                          [&number](char* text) { return FiniteNumberText<false>(number, text); });
        }
        return true;
    }

    bool WriteNonFinite(double value) {
        switch (m_settings.nonFinite) {
            case NonFiniteText::AsFormatted:
                AppendFormattedDouble(m_sink.Flush(), value);
                m_sink.Resume();
                return true;
            case NonFiniteText::Null:
                m_sink.Literal("null");
                return true;
            case NonFiniteText::Fail:
                break;
        }
        m_failure = WriteFailure::NonFinite;
        return false;
    }

    // Narrow: the UTF-8 text; wide: converted by the core library. Escaped only
    // when the value's flag says so.
    void WriteString(const JsonValueTypeImpl& value) {
        const std::string& text = JsonTreeAccess::TextOf(value);
        const bool escape = JsonTreeAccess::EscapeFlagOf(value);
        m_sink.Push(C('"'));
        if constexpr (std::is_same_v<C, char>) {
            WriteText(text, escape);
        } else {
            WriteText(ConvertString_UTF8_to_WSTRING(text), escape);
        }
        m_sink.Push(C('"'));
    }

    void WriteText(const std::basic_string<C>& text, bool escape) {
        if (escape) {
            AppendEscapedString(m_sink, text);
        } else {
            m_sink.Copy(text.data(), text.size());
        }
    }

    // Writes an empty container whole; opens any other.
    void Open(const JsonValueTypeImpl& container, bool isArray) {
        Children children{};
        if (isArray) {
            const std::vector<JsonValue>& elements = JsonTreeAccess::Elements(container);
            children.elements = elements.data();
            children.count = elements.size();
        } else {
            const std::vector<JsonObject::Member>& members = JsonTreeAccess::Members(container);
            children.members = members.data();
            children.count = members.size();
        }
        if (children.count == 0) {
            Layout::Empty(m_sink, !isArray);
            return;
        }
        m_layout.Open(m_sink, !isArray, children);
        if constexpr (std::is_same_v<C, char>) {
            if (isArray && m_settings.indent == 0) {
                m_layout.Top().children =
                    m_settings.shortest ? WriteNumberRun<true>(children.elements, children.count)
                                        : WriteNumberRun<false>(children.elements, children.count);
            }
        }
    }

    // Compact narrow text, an array just opened: its first elements that are
    // numbers of ours (finite when doubles), each with its comma, in one loop
    // that keeps the text's position in a register (the general loop reloads
    // it after every character it stores). A coordinate pair is written whole
    // here. Stops where the room ahead runs short and before any other value,
    // which the general loop then takes; returns how many it wrote.
    template <bool kShortest>
    size_t WriteNumberRun(const JsonValue* elements, const size_t count) {
        size_t index = 0;
        char* pos = m_sink.Position();
        char* const end = m_sink.RoomEnd();
        for (; index < count && end - pos > static_cast<ptrdiff_t>(kNumberTextRoom); ++index) {
            const JsonValueTypeImpl& impl = *JsonTreeAccess::Impl(elements[index]);
            if (!JsonTreeAccess::IsExactly(impl, WriteKind::Number)) {
                break;
            }
            const JsonNumber& number = JsonTreeAccess::NumberOf(impl);
            if (!IsFiniteNumber(number)) {
                break;
            }
            *pos = ',';
            pos = FiniteNumberText<kShortest>(number, pos + (index != 0 ? 1 : 0));
        }
        m_sink.Advance(pos);
        return index;
    }

    bool WriteContainers(const JsonValueTypeImpl& root, bool isArray) {
        Open(root, isArray);
        while (m_layout.Depth() != 0) {
            typename Layout::Frame& top = m_layout.Top();
            const size_t index = top.children;
            if (index == top.count) {
                m_layout.Close(m_sink);
                continue;
            }
            if (!m_layout.BeforeChild(m_sink)) {
                m_failure = WriteFailure::Indentation;
                return false;
            }
            const JsonValue* child;
            if (!top.object) {
                child = &top.elements[index];
            } else {
                const JsonObject::Member& member = top.members[index];
                if (!m_sink.PlainKey(member.first)) {
                    FormatString(member.first, m_sink);
                }
                m_layout.AfterKey(m_sink);
                child = &member.second;
            }
            // `top` is not used after this: Open may move the stack.
            const JsonValueTypeImpl& impl = *JsonTreeAccess::Impl(*child);
            const WriteKind kind = JsonTreeAccess::KindOf(impl);
            if (kind == WriteKind::Number) {  // the commonest leaf, without a call
                if (!WriteNumber(JsonTreeAccess::NumberOf(impl))) {
                    return false;
                }
            } else if (kind == WriteKind::Array || kind == WriteKind::Object) {
                Open(impl, kind == WriteKind::Array);
            } else if (!WriteAs(impl, kind)) {
                return false;
            }
        }
        return true;
    }

    Sink<C> m_sink;
    const WriteSettings& m_settings;
    const size_t m_baseDepth;
    Layout m_layout;
    WriteFailure m_failure = WriteFailure::None;
};

// The text of our own classes' Format overrides: compact, 17-digit doubles;
// inside a walk that handed a caller's subclass to Format, that walk's.
constexpr WriteSettings kCompactText{};

template <class C>
void WriteOwnText(const JsonValueTypeImpl& self, WriteKind kind, std::basic_string<C>& out) {
    ForeignFormat* const context = t_foreignFormat;
    if (context == nullptr || context->taken) {
        TreeWriter<C> writer(out, kCompactText);
        writer.WriteAs(self, kind);
        writer.Finish();
        return;
    }
    context->taken = true;
    TreeWriter<C> writer(out, *context->settings, context->depth);
    writer.WriteAs(self, kind);
    writer.Finish();
    context->failure = writer.Failure();
}

// SerializeImpl of the types with a size estimate: reserve, then the virtual Format.
template <class T, class C>
void ReserveAndFormat(const T& self, std::basic_string<C>& out) {
    out.reserve(self.GetReservedSize());
    self.Format(out);
}

}  // namespace

template <class C>
WriteFailure WriteTree(const JsonValueTypeImpl& root, std::basic_string<C>& out,
                       const WriteSettings& settings, size_t baseDepth) {
    TreeWriter<C> writer(out, settings, baseDepth);
    writer.WriteAs(root, JsonTreeAccess::KindOf(root));
    writer.Finish();
    return writer.Failure();
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
        const JsonValueTypeImpl& impl = *JsonTreeAccess::Impl(value);
        if (JsonTreeAccess::KindOf(impl) == WriteKind::String) {  // exactly ours
            estimate += static_cast<const JsonStringTypeImpl&>(impl).GetReservedSize();
        } else {
            estimate += ChildEstimate(value);
        }
    }
    return estimate;
}

template WriteFailure WriteTree(const JsonValueTypeImpl&, std::string&, const WriteSettings&,
                                size_t);
template WriteFailure WriteTree(const JsonValueTypeImpl&, std::wstring&, const WriteSettings&,
                                size_t);

}  // namespace _Private
