// The whole replaceable operator new/delete family, routed to two functions the
// including program defines (once, in one translation unit):
//   void* ReplacedAllocate(size_t size, size_t alignment);  // throws std::bad_alloc
//   void ReplacedRelease(void* block) noexcept;
// alignment is 0 for the forms without std::align_val_t. Every form is replaced,
// so that no allocation escapes the program's count. Never inlined: memcheck
// replaces them by their symbols and must see every call.
#pragma once

#include <cstddef>
#include <new>

void* ReplacedAllocate(std::size_t size, std::size_t alignment);
void ReplacedRelease(void* block) noexcept;

inline void* ReplacedTryAllocate(std::size_t size, std::size_t alignment) noexcept {
    try {
        return ReplacedAllocate(size, alignment);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

#if defined(__clang__)
#define KIVJSON_NOT_INLINED __attribute__((noinline))
#else
#define KIVJSON_NOT_INLINED __attribute__((noipa))  // no inlining, no clones
#endif

// PARAMS is the parameter list in parentheses; the size parameter is `size`.
#define KIVJSON_REPLACE_NEW(PARAMS, ALIGNMENT, QUALIFIER, CALL) \
    KIVJSON_NOT_INLINED void* operator new PARAMS QUALIFIER {   \
        return CALL(size, ALIGNMENT);                           \
    }                                                           \
    KIVJSON_NOT_INLINED void* operator new[] PARAMS QUALIFIER { \
        return CALL(size, ALIGNMENT);                           \
    }
#define KIVJSON_REPLACE_DELETE(PARAMS)                           \
    KIVJSON_NOT_INLINED void operator delete PARAMS noexcept {   \
        ReplacedRelease(block);                                  \
    }                                                            \
    KIVJSON_NOT_INLINED void operator delete[] PARAMS noexcept { \
        ReplacedRelease(block);                                  \
    }

KIVJSON_REPLACE_NEW((std::size_t size), 0, , ReplacedAllocate)
KIVJSON_REPLACE_NEW((std::size_t size, std::align_val_t a), static_cast<std::size_t>(a), ,
                    ReplacedAllocate)
KIVJSON_REPLACE_NEW((std::size_t size, const std::nothrow_t&), 0, noexcept, ReplacedTryAllocate)
KIVJSON_REPLACE_NEW((std::size_t size, std::align_val_t a, const std::nothrow_t&),
                    static_cast<std::size_t>(a), noexcept, ReplacedTryAllocate)
KIVJSON_REPLACE_DELETE((void* block))
KIVJSON_REPLACE_DELETE((void* block, std::size_t))
KIVJSON_REPLACE_DELETE((void* block, std::align_val_t))
KIVJSON_REPLACE_DELETE((void* block, std::size_t, std::align_val_t))
KIVJSON_REPLACE_DELETE((void* block, const std::nothrow_t&))
KIVJSON_REPLACE_DELETE((void* block, std::align_val_t, const std::nothrow_t&))

#undef KIVJSON_REPLACE_NEW
#undef KIVJSON_REPLACE_DELETE
#undef KIVJSON_NOT_INLINED
