// Internal to the library: the value pool, looked up once for a whole walk.
#pragma once

#include <kivJSON/JSONPrivateImpl.h>

#include <cstddef>
#include <new>
#include <utility>

namespace _Private {

// The calling thread's pool cache, found once: a walk that makes or frees many
// values (a copy, a teardown) then saves a thread-local lookup and a call per
// value. Blocks are taken and given back exactly as JsonValueTypeImpl's
// operator new and delete do, so either may free what the other made. A cursor
// belongs to the thread that made it.
class JsonPoolCursor {
public:
    JsonPoolCursor() noexcept;
    JsonPoolCursor(const JsonPoolCursor&) = delete;
    JsonPoolCursor& operator=(const JsonPoolCursor&) = delete;

    // A block of `size` bytes: a pool slot, else the global operator new's.
    void* New(std::size_t size);
    // Any block from New or JsonValueTypeImpl's operator new; null is ignored.
    void Delete(void* block) noexcept;

    // A new T of ours, as JsonMakeUnique<T> makes it through the class's
    // operator new.
    template <class T, class... Args>
    UniquePtr<JsonValueTypeImpl> Make(Args&&... args) {
        void* block = New(sizeof(T));
        try {
            return WrapUnique<JsonValueTypeImpl>(new (block) T(std::forward<Args>(args)...));
        } catch (...) {
            Delete(block);
            throw;
        }
    }

    // Short arrays of ours kept for reuse with the storage of their elements:
    // a walk that tears a tree down keeps them here instead of freeing them,
    // and the next parse or copy takes them back, so that the storage of a
    // coordinate pair costs no trip through malloc and free. A thread keeps
    // arrays of up to kSpareRoom elements' storage, within kSpareBytes in all,
    // and frees them when it exits (or on DropSpares).
    static constexpr size_t kSpareRoom = 4;
    static constexpr size_t kSpareBytes = size_t{4} << 20;

    // An empty array of ours: a kept one whose storage holds exactly `count`
    // elements when there is one, else a new one without storage.
    UniquePtr<JsonValueTypeImpl> TakeArray(size_t count);
    // Keeps `array`, exactly our class with no elements, when it is one of
    // the pool's slots with storage for 1 to kSpareRoom elements and the
    // thread's bound allows. False when it is not kept (the caller frees it).
    bool KeepArray(JsonArrayTypeImpl* array) noexcept;
    // Frees the calling thread's kept arrays.
    static void DropSpares() noexcept;

private:
    void* m_cache;  // the thread's cache; unused when built without the pool
};

}  // namespace _Private
