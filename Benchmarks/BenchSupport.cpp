// The suite's shared pieces: the global allocation functions, replaced so that
// every case can report allocations and bytes per operation and each parse the
// heap bytes held by the finished tree, and the benchmark documents.
#include "BenchSupport.h"

#include <malloc.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <new>
#include <string>

// --- Counting allocation functions ---------------------------------------------
//
// Blocks come straight from malloc, so the libraries under test see the same
// block sizes and alignment as without counting. Sizes are malloc's usable
// sizes (the request rounded up to the allocator's granularity), which is what
// a block really occupies and is known again when it is freed.

namespace {

kivbench::HeapCounters g_heap;

constexpr size_t kMallocAlignment = alignof(std::max_align_t);

void* CountedAllocate(size_t size, size_t alignment) noexcept {
    void* block = nullptr;
    if (alignment <= kMallocAlignment) {
        block = std::malloc(size != 0 ? size : 1);
    } else if (size <= SIZE_MAX - alignment) {
        block = std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
    }
    if (block == nullptr) {
        return nullptr;
    }
    const size_t usable = malloc_usable_size(block);
    ++g_heap.allocations;
    g_heap.bytes += usable;
    g_heap.liveBytes += usable;
    return block;
}

void CountedFree(void* block) noexcept {
    if (block == nullptr) {
        return;
    }
    g_heap.liveBytes -= malloc_usable_size(block);
    std::free(block);
}

void* AllocateOrThrow(size_t size, size_t alignment) {
    for (;;) {
        if (void* block = CountedAllocate(size, alignment)) {
            return block;
        }
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr) {
            throw std::bad_alloc();
        }
        handler();
    }
}

size_t AlignOf(std::align_val_t alignment) {
    return static_cast<size_t>(alignment);
}

}  // namespace

void* operator new(size_t size) {
    return AllocateOrThrow(size, kMallocAlignment);
}
void* operator new[](size_t size) {
    return AllocateOrThrow(size, kMallocAlignment);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return CountedAllocate(size, kMallocAlignment);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return CountedAllocate(size, kMallocAlignment);
}
void* operator new(size_t size, std::align_val_t alignment) {
    return AllocateOrThrow(size, AlignOf(alignment));
}
void* operator new[](size_t size, std::align_val_t alignment) {
    return AllocateOrThrow(size, AlignOf(alignment));
}
void* operator new(size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return CountedAllocate(size, AlignOf(alignment));
}
void* operator new[](size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return CountedAllocate(size, AlignOf(alignment));
}

void operator delete(void* block) noexcept {
    CountedFree(block);
}
void operator delete[](void* block) noexcept {
    CountedFree(block);
}
void operator delete(void* block, size_t) noexcept {
    CountedFree(block);
}
void operator delete[](void* block, size_t) noexcept {
    CountedFree(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    CountedFree(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    CountedFree(block);
}
void operator delete(void* block, std::align_val_t) noexcept {
    CountedFree(block);
}
void operator delete[](void* block, std::align_val_t) noexcept {
    CountedFree(block);
}
void operator delete(void* block, size_t, std::align_val_t) noexcept {
    CountedFree(block);
}
void operator delete[](void* block, size_t, std::align_val_t) noexcept {
    CountedFree(block);
}
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    CountedFree(block);
}
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    CountedFree(block);
}

namespace kivbench {

HeapCounters& Heap() {
    return g_heap;
}

const std::string* LoadDocument(const std::string& name) {
    static std::map<std::string, std::unique_ptr<std::string>> documents;
    auto found = documents.find(name);
    if (found == documents.end()) {
        std::unique_ptr<std::string> text;
        std::ifstream in(std::string(KIVJSON_DATA_DIR) + "/bench/" + name + ".json",
                         std::ios::binary);
        if (in) {
            text = std::make_unique<std::string>(std::istreambuf_iterator<char>(in),
                                                 std::istreambuf_iterator<char>());
        }
        found = documents.emplace(name, std::move(text)).first;
    }
    return found->second.get();
}

}  // namespace kivbench
