// Internal to the library: the layout of JSON text, one set of rules for the
// tree walk (JSONWriter.cpp) and the incremental writer (JSONEventWriter.cpp).
// It keeps the stack of open containers (object or array, how many children
// so far, the depth) and writes what goes between values: the comma before
// every child but the first, the ':' after a key, and in indented text the
// line break and indentation before each child and before the bracket that
// closes a container with children. Empty containers stay [] and {}.
//
// It writes through an `Out` with two calls, Push(C) and Break(spaces) (a line
// break and that many spaces): AppendTo below for a string, the walk's own
// sink for its raw-pointer writes. What is written between the separators
// (keys, scalars) and the validation of a call sequence belong to the writers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace _Private {

// The layout's Out for a plain string.
template <class C>
class AppendTo {
public:
    explicit AppendTo(std::basic_string<C>& text) : m_text(text) {}
    void Push(C c) { m_text += c; }
    void Break(size_t spaces) {  // one call to the library, not two
        m_text.append(spaces + 1, C(' '));
        m_text[m_text.size() - spaces - 1] = C('\n');
    }

private:
    std::basic_string<C>& m_text;
};

struct NoPayload {};

// `Payload`: what a writer keeps beside each open container (the walk: the
// children still to write).
template <class C, class Payload = NoPayload>
class JsonLayout {
public:
    struct Frame : Payload {
        size_t children;  // begun so far (an object's member counts from its key)
        bool object;
    };

    // `indent`: spaces a level, 0 for compact text. `baseDepth`: the levels the
    // text is already indented by (a value written inside another document).
    explicit JsonLayout(size_t indent, size_t baseDepth = 0)
        : m_indent(indent), m_baseDepth(baseDepth) {}

    size_t Depth() const { return m_depth; }  // open containers
    Frame& Top() { return m_open[m_depth - 1]; }
    const Frame& Top() const { return m_open[m_depth - 1]; }

    // Before the next child of the innermost container (an array's element,
    // an object's key): a comma after the first child, and in indented text a
    // line break and the child's indentation. False, writing nothing and
    // counting nothing, when that indentation would not fit any string (or
    // depth x indent would wrap around).
    template <class Out>
    bool BeforeChild(Out& out) {
        if (m_indent == 0) {  // the common case first, without the depth
            Separate(out);
            return true;
        }
        constexpr size_t kMostSpaces = PTRDIFF_MAX / sizeof(C) / 2;
        const size_t depth = m_baseDepth + m_depth;
        if (depth > kMostSpaces / m_indent) {
            return false;
        }
        Separate(out);
        out.Break(depth * m_indent);
        return true;
    }

    // Between a key and its value.
    template <class Out>
    void AfterKey(Out& out) const {
        out.Push(C(':'));
        if (m_indent != 0) {
            out.Push(C(' '));
        }
    }

    // Opens a container; BeforeChild comes before each of its children.
    template <class Out>
    void Open(Out& out, bool object, const Payload& payload = {}) {
        out.Push(object ? C('{') : C('['));
        if (m_depth == m_open.size()) {
            Grow();
        }
        Frame& frame = m_open[m_depth++];
        static_cast<Payload&>(frame) = payload;
        frame.children = 0;
        frame.object = object;
    }

    // Closes the innermost container. Its line break needs no check: the
    // children's lines, one level deeper, fitted.
    template <class Out>
    void Close(Out& out) {
        const Frame& top = m_open[--m_depth];
        if (m_indent != 0 && top.children != 0) {
            out.Break((m_baseDepth + m_depth) * m_indent);
        }
        out.Push(top.object ? C('}') : C(']'));
    }

    // A container without children, whole, with no frame: the same text as
    // Open and then Close.
    template <class Out>
    static void Empty(Out& out, bool object) {
        out.Push(object ? C('{') : C('['));
        out.Push(object ? C('}') : C(']'));
    }

private:
    // A comma before every child of the innermost container but the first;
    // counts the child.
    template <class Out>
    void Separate(Out& out) {
        if (Top().children++ != 0) {
            out.Push(C(','));
        }
    }

    // Out of line: it is rare, and Open stays small enough to be inlined.
    [[gnu::noinline]] void Grow() { m_open.resize(m_open.empty() ? 32 : 2 * m_open.size()); }

    size_t m_indent;
    size_t m_baseDepth;
    std::vector<Frame> m_open;  // [0, m_depth) are open; the rest is kept for reuse
    size_t m_depth = 0;
};

}  // namespace _Private
