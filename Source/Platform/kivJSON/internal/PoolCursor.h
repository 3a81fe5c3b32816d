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

private:
    void* m_cache;  // the thread's cache; unused when built without the pool
};

}  // namespace _Private
