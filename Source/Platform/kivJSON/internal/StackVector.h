// Internal to the library: a std::vector whose first N elements live on the
// stack, for the worklists of the parse and of the tree walks, which are
// short for almost every document and must still grow without limit.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace _Private {

// Storage on the stack for the allocations of a vector that fit in it (one: a
// vector asks again only to grow past it); the heap for the rest.
struct StackSlab {
    void* data;
    size_t bytes;
};

template <class T>
struct StackFirst {
    using value_type = T;
    explicit StackFirst(StackSlab* slab) noexcept : slab(slab) {}
    template <class U>
    StackFirst(const StackFirst<U>& other) noexcept : slab(other.slab) {}
    T* allocate(size_t n) {
        if (n * sizeof(T) <= slab->bytes) {
            return static_cast<T*>(slab->data);
        }
        return std::allocator<T>().allocate(n);
    }
    void deallocate(T* p, size_t n) noexcept {
        if (p != slab->data) {
            std::allocator<T>().deallocate(p, n);
        }
    }
    bool operator==(const StackFirst& other) const noexcept { return slab == other.slab; }
    bool operator!=(const StackFirst& other) const noexcept { return slab != other.slab; }
    StackSlab* slab;
};

// The stack bytes come first, so that they exist when the vector takes them.
template <class T, size_t N>
struct StackBytes {
    static constexpr size_t kOnStack = N;
    alignas(T) std::byte bytes[N * sizeof(T)];
    StackSlab slab{bytes, sizeof bytes};
};

// Reserved to its stack part at construction: it starts without a call to
// operator new and grows onto the heap as usual.
template <class T, size_t N = 16>
struct StackVector : StackBytes<T, N>, std::vector<T, StackFirst<T>> {
    StackVector() : std::vector<T, StackFirst<T>>(StackFirst<T>(&this->slab)) { this->reserve(N); }
    StackVector(const StackVector&) = delete;
    StackVector& operator=(const StackVector&) = delete;
};

}  // namespace _Private
