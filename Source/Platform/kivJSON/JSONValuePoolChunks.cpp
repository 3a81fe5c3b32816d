// The value pool's chunks (included by JSONValuePool.cpp when the pool is on).
//
// All chunks are carved from one range of address space reserved on first use
// (mmap with MAP_NORESERVE: it costs no memory until touched), so a block is a
// slot exactly when its address lies in the range. Chunks that no thread holds
// wait on two lock-free stacks: up to kWarmChunks keep their memory, for the
// next document; the others are given back to the system with
// madvise(MADV_DONTNEED) and cost nothing until carved again. Without that, a
// process that built and dropped large trees on several threads kept every
// chunk it ever used.
#include <sys/mman.h>

#include <atomic>
#include <cstdint>

namespace _Private {
namespace {

constexpr size_t kChunkBytes = 32 * 1024;
// Free chunks whose memory is kept: 16 MiB shared by all threads, enough for
// the values of a document of about 5 MB (canada.json's fill 163 chunks) to be
// built, dropped and built again without a page fault: with 4 MiB, a tenth
// of a copy of that tree went to the kernel, unmapping chunks and faulting
// them back in.
constexpr uint32_t kWarmChunks = 512;

class ChunkSpace {
public:
    bool Contains(const void* block) const noexcept {
        const uintptr_t offset =
            reinterpret_cast<uintptr_t>(block) - m_first.load(std::memory_order_relaxed);
        return offset < m_bytes.load(std::memory_order_relaxed);
    }

    // A 32 KiB-aligned chunk, or null when the range is used up or could not be
    // reserved.
    void* Acquire() noexcept {
        static const bool reserved = Reserve();
        if (!reserved) {
            return nullptr;
        }
        uint32_t index = Pop(m_warm);
        if (index != 0) {
            m_warmCount.fetch_sub(1, std::memory_order_relaxed);
        } else {
            index = Pop(m_cold);
        }
        if (index == 0) {
            const uint64_t fresh = m_fresh.fetch_add(1, std::memory_order_relaxed);
            if (fresh >= m_count) {
                return nullptr;
            }
            index = static_cast<uint32_t>(fresh) + 1;
        }
        return reinterpret_cast<void*>(m_first.load(std::memory_order_relaxed) +
                                       (index - 1) * kChunkBytes);
    }

    void Release(void* chunk) noexcept {
        const uint32_t index = static_cast<uint32_t>((reinterpret_cast<uintptr_t>(chunk) -
                                                      m_first.load(std::memory_order_relaxed)) /
                                                     kChunkBytes) +
                               1;
        if (m_warmCount.fetch_add(1, std::memory_order_relaxed) < kWarmChunks) {
            Push(m_warm, index);
            return;
        }
        m_warmCount.fetch_sub(1, std::memory_order_relaxed);
        madvise(chunk, kChunkBytes, MADV_DONTNEED);
        Push(m_cold, index);
    }

private:
    // Tries smaller ranges when the system refuses a large one (a tight
    // RLIMIT_AS or overcommit turned off); the pool stays off if all fail.
    bool Reserve() noexcept {
        for (size_t bytes = size_t{16} << 30; bytes >= (size_t{64} << 20); bytes /= 4) {
            const size_t chunks = bytes / kChunkBytes;
            const size_t links = (chunks * sizeof(std::atomic<uint32_t>) + kChunkBytes - 1) /
                                 kChunkBytes * kChunkBytes;
            void* range = mmap(nullptr, links + bytes + kChunkBytes, PROT_READ | PROT_WRITE,
                               MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
            if (range == MAP_FAILED) {
                continue;
            }
            const uintptr_t start = reinterpret_cast<uintptr_t>(range);
            const uintptr_t first = (start + links + kChunkBytes - 1) & ~(kChunkBytes - 1);
            m_next = reinterpret_cast<std::atomic<uint32_t>*>(start);
            m_count = chunks;
            m_first.store(first, std::memory_order_relaxed);
            m_bytes.store(bytes, std::memory_order_relaxed);
            return true;
        }
        return false;
    }

    // The stacks hold chunk indexes (from 1; 0 ends a stack) in the low half
    // of the head and a version in the high half, so a pop that raced with a
    // pop and push of the same chunk fails its exchange instead of linking a
    // stale next.
    uint32_t Pop(std::atomic<uint64_t>& head) noexcept {
        uint64_t seen = head.load(std::memory_order_acquire);
        for (;;) {
            const uint32_t top = static_cast<uint32_t>(seen);
            if (top == 0) {
                return 0;
            }
            const uint64_t next = m_next[top - 1].load(std::memory_order_relaxed);
            const uint64_t replaced = (((seen >> 32) + 1) << 32) | next;
            if (head.compare_exchange_weak(seen, replaced, std::memory_order_acquire,
                                           std::memory_order_acquire)) {
                return top;
            }
        }
    }

    void Push(std::atomic<uint64_t>& head, uint32_t index) noexcept {
        uint64_t seen = head.load(std::memory_order_relaxed);
        uint64_t replaced = 0;
        do {
            m_next[index - 1].store(static_cast<uint32_t>(seen), std::memory_order_relaxed);
            replaced = (((seen >> 32) + 1) << 32) | index;
        } while (!head.compare_exchange_weak(seen, replaced, std::memory_order_release,
                                             std::memory_order_relaxed));
    }

    std::atomic<uintptr_t> m_first{0};
    std::atomic<size_t> m_bytes{0};
    std::atomic<uint32_t>* m_next = nullptr;  // set before any chunk exists
    size_t m_count = 0;
    std::atomic<uint64_t> m_fresh{0};
    std::atomic<uint64_t> m_warm{0};
    std::atomic<uint64_t> m_cold{0};
    std::atomic<uint32_t> m_warmCount{0};
};

// Constant-initialised, so usable from any static constructor or destructor.
ChunkSpace g_chunks;

}  // namespace
}  // namespace _Private
