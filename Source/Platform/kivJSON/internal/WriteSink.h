// Internal to the library: where the tree writer (JSONWriter.cpp) puts its
// characters, and the thread's scratch block that text bound for a string
// without room for it is written into first.
//
// Why the scratch block: a document's text written straight into a new string
// makes it double a dozen times, copying the text each time, and the blocks
// freed on the way leave glibc's heap top large enough to be given back to the
// system after every call. A program that serialises a 2 MB document in a
// loop then took about 1,900 page faults a call, a third of its time in the
// kernel. Written into a block the thread keeps, the text reaches the string
// in one allocation of its exact length.
#pragma once

#include "StringScan.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>

namespace _Private {
namespace {

// A target with less room than this left is written through the scratch block.
constexpr size_t kScratchBelow = size_t{64} << 10;
// A scratch block grown past this is freed after use instead of kept.
constexpr size_t kScratchKept = size_t{4} << 20;

template <class C>
struct ScratchBlock {
    C* data;
    size_t capacity;
    bool taken;  // by a sink of this thread; a nested write goes direct
};

// Plain data, zero-initialised, so usable while other thread_local objects are
// destroyed; the guard below frees the blocks when the thread exits, after
// which writes go straight into their targets.
struct ThreadScratch {
    ScratchBlock<char> narrow;
    ScratchBlock<wchar_t> wide;
    bool finished;
};
thread_local ThreadScratch t_scratch;

template <class C>
void FreeScratch(ScratchBlock<C>& block) noexcept {
    ::operator delete(block.data);
    block.data = nullptr;
    block.capacity = 0;
}

struct ThreadScratchGuard {
    ThreadScratchGuard() = default;
    ThreadScratchGuard(const ThreadScratchGuard&) = delete;
    ThreadScratchGuard& operator=(const ThreadScratchGuard&) = delete;
    ~ThreadScratchGuard() {
        FreeScratch(t_scratch.narrow);
        FreeScratch(t_scratch.wide);
        t_scratch.finished = true;
    }
};

// Frees the thread's blocks when it exits; registered on first use.
inline void RegisterScratchGuard() {
    thread_local ThreadScratchGuard guard;
    (void)guard;
}

template <class C>
ScratchBlock<C>& ScratchOf(ThreadScratch& scratch) {
    if constexpr (sizeof(C) == 1) {
        return scratch.narrow;
    } else {
        return scratch.wide;
    }
}

// The thread's block for characters of type C, or null when it is in use or
// the thread is exiting.
template <class C>
ScratchBlock<C>* TakeScratch() noexcept {
    ThreadScratch& scratch = t_scratch;
    ScratchBlock<C>& block = ScratchOf<C>(scratch);
    if (block.taken || scratch.finished) {
        return nullptr;
    }
    RegisterScratchGuard();
    block.taken = true;
    return &block;
}

template <class C>
void GiveBackScratch(ScratchBlock<C>& block) noexcept {
    if (block.capacity > kScratchKept) {
        FreeScratch(block);
    }
    block.taken = false;
}

// The walk writes through a raw pointer into room made ahead instead of one
// checked append per character: in the thread's scratch block while the target
// string has little room, else in the target itself. The target gets the text
// (or its true length) whenever other code appends to it and when the sink
// finishes; through an exception, it holds the text written up to the failure,
// as appends would have left it. A user calls Flush at the end: the
// destructor's own append, meant for an exception on its way, cannot report
// that it failed.
template <class C>
class Sink {
public:
    explicit Sink(std::basic_string<C>& out) : m_out(out) { Resume(); }
    ~Sink() {
        try {
            Flush();
        } catch (...) {  // the scratch's append, while unwinding: the target keeps what it had
            GiveBackScratch(*m_scratch);
        }
    }
    Sink(const Sink&) = delete;
    Sink& operator=(const Sink&) = delete;

    // Makes room for `count` more characters; Put writes into it.
    void Room(size_t count) {
        if (static_cast<size_t>(m_end - m_pos) < count) {
            Grow(count);
        }
    }
    bool HasRoom(size_t count) const { return static_cast<size_t>(m_end - m_pos) >= count; }
    void Put(C c) { *m_pos++ = c; }
    void Push(C c) {
        Room(1);
        Put(c);
    }
    // `count` characters of same-width or ASCII text.
    template <class S>
    void Copy(const S* text, size_t count) {
        Room(count);
        if constexpr (sizeof(C) == 1 && sizeof(S) == 1) {
            if (count <= 16) {  // keys and short strings: no library call
                CopyShort(text, count);
                return;
            }
        }
        std::copy(text, text + count, m_pos);
        m_pos += count;
    }
    // A key of narrow text without any character to escape, quoted (the
    // common case, in one pass). Returns false, having written nothing, when
    // the key needs the escaper.
    bool PlainKey(const std::string& key) {
        constexpr uint64_t kHighBits = 0x8080808080808080ull;
        const size_t count = key.size();
        Room(count + 2);
        C* out = m_pos + 1;
        const char* in = key.data();
        const char* const end = in + count;
        for (; end - in >= 8; in += 8, out += 8) {
            uint64_t word;
            std::memcpy(&word, in, sizeof word);
            // Wide text takes ASCII keys only: other UTF-8 must be converted.
            if (HasStringSpecialByte(word) || (sizeof(C) != 1 && (word & kHighBits) != 0)) {
                return false;
            }
            std::copy(in, in + 8, out);
        }
        for (; in != end; ++in, ++out) {
            if (IsStringSpecial(*in) || (sizeof(C) != 1 && (*in & 0x80) != 0)) {
                return false;
            }
            *out = C(static_cast<unsigned char>(*in));
        }
        *m_pos = C('"');
        *out = C('"');
        m_pos = out + 1;
        return true;
    }
    // The layout's line break: '\n' and `spaces` spaces.
    void Break(size_t spaces) {
        Room(spaces + 1);
        Put(C('\n'));
        m_pos = std::fill_n(m_pos, spaces, C(' '));
    }
    template <size_t N>
    void Literal(const char (&text)[N]) {
        Copy(text, N - 1);
    }
    // Narrow text may be written in place: the room is ahead of `Position()`.
    C* Position() { return m_pos; }
    C* RoomEnd() const { return m_end; }  // the end of the room ahead of Position()
    void Advance(C* end) { m_pos = end; }

    // Gives the target the text written (from the scratch block, in one
    // append) or its true length, for code that appends to it directly and at
    // the end of the walk; Resume takes it back.
    std::basic_string<C>& Flush() {
        if (m_scratch != nullptr) {
            m_out.append(m_scratch->data, static_cast<size_t>(m_pos - m_scratch->data));
            GiveBackScratch(*m_scratch);
            m_scratch = nullptr;
        } else if (m_pos != nullptr) {
            m_out.resize(static_cast<size_t>(m_pos - m_out.data()));
        }
        m_pos = m_end = nullptr;
        return m_out;
    }
    void Resume() {
        const size_t used = m_out.size();
        const size_t spare = m_out.capacity() - used;
        if (spare < kScratchBelow) {
            m_scratch = TakeScratch<C>();
            if (m_scratch != nullptr) {
                m_pos = m_scratch->data;
                m_end = m_pos + m_scratch->capacity;
                return;
            }
        }
        // Room the string already has first, so that text that fits what
        // Serialize reserved never makes it grow; at most 64 KiB of it at a
        // time, so that a short text appended to a string with a large
        // capacity does not fill all of it.
        m_out.resize(used + (spare != 0 ? std::min(spare, kWindow) : 64));
        m_pos = m_out.data() + used;
        m_end = m_out.data() + m_out.size();
    }

private:
    template <class S>
    void CopyShort(const S* text, size_t count) {
        if (count >= 8) {  // two overlapping blocks of eight
            std::memcpy(m_pos, text, 8);
            std::memcpy(m_pos + count - 8, text + count - 8, 8);
        } else {
            for (size_t i = 0; i < count; ++i) {
                m_pos[i] = C(text[i]);
            }
        }
        m_pos += count;
    }

    void Grow(size_t count) {
        if (m_scratch != nullptr) {
            GrowScratch(count);
            return;
        }
        // The block doubles, copying only the text written; the room is then
        // opened (zero-filled by resize) at most a window at a time, so that
        // it is still in cache when the walk writes over it.
        const size_t used = static_cast<size_t>(m_pos - m_out.data());
        const size_t needed = used + count;
        if (m_out.capacity() < needed) {
            m_out.resize(used);
            m_out.reserve(std::max(2 * m_out.capacity(), needed));
        }
        m_out.resize(std::max(needed, std::min(m_out.capacity(), used + kWindow)));
        m_pos = m_out.data() + used;
        m_end = m_out.data() + m_out.size();
    }

    // The scratch block doubles (from 64 KiB), keeping the text written.
    void GrowScratch(size_t count) {
        ScratchBlock<C>& block = *m_scratch;
        const size_t used = static_cast<size_t>(m_pos - block.data);
        const size_t capacity = std::max({2 * block.capacity, used + count, kWindow});
        C* const data = static_cast<C*>(::operator new(capacity * sizeof(C)));
        if (used != 0) {
            std::memcpy(data, block.data, used * sizeof(C));
        }
        ::operator delete(block.data);
        block.data = data;
        block.capacity = capacity;
        m_pos = data + used;
        m_end = data + capacity;
    }

    static constexpr size_t kWindow = size_t{1} << 16;

    std::basic_string<C>& m_out;
    ScratchBlock<C>* m_scratch = nullptr;
    C* m_pos = nullptr;
    C* m_end = nullptr;
};

}  // namespace
}  // namespace _Private
