// Allocation of the type implementations: JsonMakeUnique's `new` and the
// virtual destructor's `delete` land in the class-specific operators of
// JsonValueTypeImpl defined here. The tree walks (copy, teardown) reach the
// same pool through a JsonPoolCursor, which finds the thread's cache once.
//
// With KIVJSON_POOL_ALLOCATOR (the default), objects of up to 128 bytes are
// carved from 32 KiB chunks, one size class (a multiple of 16 bytes) per chunk.
// Every chunk lies in one range of address space the pool reserves once, so
// whether a block is a slot is decided from its address alone: every delete
// form gives a block outside the range to the matching global delete, whatever
// allocated it (a caller's `::new`, a nothrow or an aligned form).
//
// Each thread carves from one active chunk per class and reuses the slots it
// frees there itself, without atomics. Any other free (another thread, or a
// chunk its carver has moved on from) only decrements the chunk's atomic count,
// once for each run of frees into the same chunk;
// the thread that brings the count to zero takes the chunk: it keeps up to
// kKeptEmptyChunks empty chunks for reuse and hands the rest to the shared
// lists (JSONValuePoolChunks.cpp), which give the memory of all but a few back
// to the system. No lock anywhere.
//
// When the range cannot be reserved or is used up, objects come from the
// global operator new, whose std::bad_alloc reaches the caller unchanged.
// Built without the pool (sanitizer and memcheck builds), every object is its
// own global block, so those tools see each one.
//
// Blocks go back through the unsized global forms: clang++ declares the sized
// ones only with -fsized-deallocation, and glibc's free does not use the size.
#include <kivJSON/JSONPrivateImpl.h>
#include "internal/PoolCursor.h"

#include <new>

#ifndef KIVJSON_POOL_ALLOCATOR
#define KIVJSON_POOL_ALLOCATOR 1
#endif

#if KIVJSON_POOL_ALLOCATOR

#include "JSONValuePoolChunks.cpp"

namespace _Private {
namespace {

constexpr size_t kGranule = 16;
constexpr size_t kClasses = 8;  // slots of 16, 32, ..., 128 bytes
constexpr size_t kMaxPooledSize = kClasses * kGranule;
constexpr size_t kKeptEmptyChunks = 2;

struct FreeSlot {
    FreeSlot* next;
};

// The header at the start of every chunk; slots follow it.
struct alignas(64) Chunk {
    // The chunk's slots not yet returned remotely (counted in full when the
    // chunk is activated, so carving needs no atomic), plus one while a thread
    // carves from the chunk. Whoever brings it to zero owns the chunk.
    std::atomic<uint32_t> count;
    // The carving thread's cache, or null once it has moved on. Only the
    // carving thread writes it; other threads only compare it with their own.
    std::atomic<struct ThreadCache*> carver;
    // Fields of the carving thread only.
    char* bump;
    char* end;
    FreeSlot* freeSlots;
    uint32_t freeCount;
};

constexpr size_t kHeaderBytes = sizeof(Chunk);
static_assert(kHeaderBytes % kGranule == 0, "slots must stay 16-byte aligned");

Chunk* ChunkOf(void* slot) {
    return reinterpret_cast<Chunk*>(reinterpret_cast<uintptr_t>(slot) & ~(kChunkBytes - 1));
}

size_t ClassOf(size_t size) {
    return (size + kGranule - 1) / kGranule - 1;
}

void RegisterThreadExit();

struct ThreadCache {
    Chunk* active[kClasses];
    Chunk* empty[kKeptEmptyChunks];
    size_t emptyCount;
    bool finished;  // the thread is exiting: carve no chunk for later
    // Frees into a chunk this thread does not carve from, not yet taken from
    // its count: a tree is freed in about the order it was carved, so one
    // atomic subtraction stands for a run of frees into the same chunk. The
    // chunk cannot be reused or released meanwhile (its count stays above
    // zero); the run is settled when a free lands elsewhere or the thread exits.
    Chunk* remoteChunk;
    uint32_t remoteFrees;

    // A chunk whose count reached zero: nobody else can reach it any more.
    void TakeEmpty(Chunk* chunk) {
        chunk->~Chunk();
        if (emptyCount < kKeptEmptyChunks && !finished) {
            RegisterThreadExit();
            empty[emptyCount++] = chunk;
        } else {
            g_chunks.Release(chunk);
        }
    }

    // False when no chunk is to be had.
    bool Activate(size_t cls) {
        void* memory = emptyCount != 0 ? empty[--emptyCount] : g_chunks.Acquire();
        if (memory == nullptr) {
            return false;
        }
        if (!finished) {
            RegisterThreadExit();
        }
        Chunk* chunk = new (memory) Chunk();
        const size_t slots = (kChunkBytes - kHeaderBytes) / ((cls + 1) * kGranule);
        chunk->count.store(static_cast<uint32_t>(slots) + 1, std::memory_order_relaxed);
        chunk->carver.store(this, std::memory_order_relaxed);
        chunk->bump = reinterpret_cast<char*>(chunk) + kHeaderBytes;
        chunk->end = reinterpret_cast<char*>(chunk) + kChunkBytes;
        chunk->freeSlots = nullptr;
        chunk->freeCount = 0;
        active[cls] = chunk;
        return true;
    }

    // Stops carving from the chunk of `cls`: its free and uncarved slots and
    // the carver's share leave the count.
    void Retire(size_t cls) {
        Chunk* chunk = active[cls];
        active[cls] = nullptr;
        chunk->carver.store(nullptr, std::memory_order_relaxed);
        const size_t uncarved =
            static_cast<size_t>(chunk->end - chunk->bump) / ((cls + 1) * kGranule);
        const uint32_t share = chunk->freeCount + static_cast<uint32_t>(uncarved) + 1;
        if (chunk->count.fetch_sub(share, std::memory_order_acq_rel) == share) {
            TakeEmpty(chunk);
        }
    }

    // A slot, or null when the pool has no chunk to give. The common case (a
    // free or uncarved slot in the active chunk) needs no registers to be saved:
    // changing chunks is a call of its own.
    void* Allocate(size_t cls) {
        Chunk* chunk = active[cls];
        if (chunk != nullptr) {
            if (FreeSlot* slot = chunk->freeSlots) {
                chunk->freeSlots = slot->next;
                --chunk->freeCount;
                return slot;
            }
            const size_t slotBytes = (cls + 1) * kGranule;
            if (static_cast<size_t>(chunk->end - chunk->bump) >= slotBytes) {
                void* slot = chunk->bump;
                chunk->bump += slotBytes;
                return slot;
            }
        }
        return AllocateFromNextChunk(cls);
    }

    [[gnu::noinline]] void* AllocateFromNextChunk(size_t cls) {
        if (active[cls] != nullptr) {
            Retire(cls);
        }
        if (!Activate(cls)) {
            return nullptr;
        }
        Chunk* chunk = active[cls];
        void* slot = chunk->bump;
        chunk->bump += (cls + 1) * kGranule;
        if (finished) {
            Retire(cls);  // carved during thread exit: leave nothing behind
        }
        return slot;
    }

    void Free(void* block) {
        Chunk* chunk = ChunkOf(block);
        if (chunk->carver.load(std::memory_order_relaxed) == this) {
            FreeSlot* slot = static_cast<FreeSlot*>(block);
            slot->next = chunk->freeSlots;
            chunk->freeSlots = slot;
            ++chunk->freeCount;
            return;
        }
        if (chunk == remoteChunk) {
            ++remoteFrees;
            return;
        }
        StartRemoteRun(chunk);
    }

    // Out of line, like changing chunks when allocating: the frees above need
    // no registers saved.
    [[gnu::noinline]] void StartRemoteRun(Chunk* chunk) {
        SettleRemoteFrees();
        if (finished) {  // exiting: nothing may wait for a later settling
            if (chunk->count.fetch_sub(1, std::memory_order_acq_rel) == 1) {
                TakeEmpty(chunk);
            }
            return;
        }
        RegisterThreadExit();  // which settles the last run
        remoteChunk = chunk;
        remoteFrees = 1;
    }

    void SettleRemoteFrees() {
        Chunk* chunk = remoteChunk;
        if (chunk == nullptr) {
            return;
        }
        const uint32_t frees = remoteFrees;
        remoteChunk = nullptr;
        remoteFrees = 0;
        if (chunk->count.fetch_sub(frees, std::memory_order_acq_rel) == frees) {
            TakeEmpty(chunk);
        }
    }

    void Finish() {
        SettleRemoteFrees();
        finished = true;
        for (size_t cls = 0; cls < kClasses; ++cls) {
            if (active[cls] != nullptr) {
                Retire(cls);
            }
        }
        while (emptyCount != 0) {
            g_chunks.Release(empty[--emptyCount]);
        }
    }
};

// Plain data (zero-initialised, no constructor or destructor), so it stays
// usable while other thread_local objects are destroyed; the guard below gives
// its chunks back when the thread exits. A thread registers the guard when it
// first holds a chunk.
thread_local ThreadCache t_cache;

struct ThreadCacheGuard {
    ThreadCacheGuard() = default;
    ThreadCacheGuard(const ThreadCacheGuard&) = delete;
    ThreadCacheGuard& operator=(const ThreadCacheGuard&) = delete;
    ~ThreadCacheGuard() { t_cache.Finish(); }
};

void RegisterThreadExit() {
    thread_local ThreadCacheGuard guard;
    (void)guard;
}

// The calling thread's cache.
void* ThisThreadCache() noexcept {
    return &t_cache;
}

// A slot for `size` bytes from `cache`, or null: the block then comes from a
// global form.
void* PoolTake(void* cache, std::size_t size) noexcept {
    return size <= kMaxPooledSize ? static_cast<ThreadCache*>(cache)->Allocate(ClassOf(size))
                                  : nullptr;
}

// False when the block is not a slot (it goes to the matching global delete).
bool PoolGiveBack(void* cache, void* block) noexcept {
    if (!g_chunks.Contains(block)) {
        return false;
    }
    static_cast<ThreadCache*>(cache)->Free(block);
    return true;
}

}  // namespace
}  // namespace _Private

#else  // !KIVJSON_POOL_ALLOCATOR

namespace _Private {
namespace {

void* ThisThreadCache() noexcept {
    return nullptr;
}

void* PoolTake(void*, std::size_t) noexcept {
    return nullptr;
}

bool PoolGiveBack(void*, void*) noexcept {
    return false;
}

}  // namespace
}  // namespace _Private

#endif

namespace _Private {

JsonPoolCursor::JsonPoolCursor() noexcept : m_cache(ThisThreadCache()) {}

void* JsonPoolCursor::New(std::size_t size) {
    void* slot = PoolTake(m_cache, size);
    return slot != nullptr ? slot : ::operator new(size);
}

void JsonPoolCursor::Delete(void* block) noexcept {
    if (block != nullptr && !PoolGiveBack(m_cache, block)) {
        ::operator delete(block);
    }
}

// The same two steps as JsonPoolCursor's New and Delete, written out: through
// a temporary cursor g++ no longer specialises them for each class's size
// (canada's parse +2 % instructions).
void* JsonValueTypeImpl::operator new(std::size_t size) {
    void* slot = PoolTake(ThisThreadCache(), size);
    return slot != nullptr ? slot : ::operator new(size);
}

void JsonValueTypeImpl::operator delete(void* block, std::size_t) noexcept {
    if (block != nullptr && !PoolGiveBack(ThisThreadCache(), block)) {
        ::operator delete(block);
    }
}

void* JsonValueTypeImpl::operator new(std::size_t size, const std::nothrow_t&) noexcept {
    void* slot = PoolTake(ThisThreadCache(), size);
    return slot != nullptr ? slot : ::operator new(size, std::nothrow);
}

void JsonValueTypeImpl::operator delete(void* block, const std::nothrow_t&) noexcept {
    if (block != nullptr && !PoolGiveBack(ThisThreadCache(), block)) {
        ::operator delete(block, std::nothrow);
    }
}

// Over-aligned subclasses bypass the pool: its slots are 16-byte aligned. The
// aligned deletes still take back a slot, which a caller's program built before
// the aligned nothrow form existed got from the unaligned one.
void* JsonValueTypeImpl::operator new(std::size_t size, std::align_val_t alignment) {
    return ::operator new(size, alignment);
}

void JsonValueTypeImpl::operator delete(void* block, std::size_t,
                                        std::align_val_t alignment) noexcept {
    if (block != nullptr && !PoolGiveBack(ThisThreadCache(), block)) {
        ::operator delete(block, alignment);
    }
}

void JsonValueTypeImpl::operator delete(void* block, std::align_val_t alignment) noexcept {
    if (block != nullptr && !PoolGiveBack(ThisThreadCache(), block)) {
        ::operator delete(block, alignment);
    }
}

void* JsonValueTypeImpl::operator new(std::size_t size, std::align_val_t alignment,
                                      const std::nothrow_t&) noexcept {
    return ::operator new(size, alignment, std::nothrow);
}

void JsonValueTypeImpl::operator delete(void* block, std::align_val_t alignment,
                                        const std::nothrow_t&) noexcept {
    if (block != nullptr && !PoolGiveBack(ThisThreadCache(), block)) {
        ::operator delete(block, alignment, std::nothrow);
    }
}

}  // namespace _Private
