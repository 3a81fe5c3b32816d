// UniquePtr<T>: the platform's single-owner pointer.
//
// Unlike std::unique_ptr, copying transfers ownership: the copy constructor and
// copy assignment take a const reference, move the pointer into the target and
// leave the source empty. Code written against the platform relies on that, so
// it is kept exactly.
#pragma once

#include <cstddef>

template <class T>
class UniquePtr {
public:
    UniquePtr() noexcept = default;
    explicit UniquePtr(T* pointer) noexcept : m_pointer(pointer) {}

    // Ownership moves from `other` to the new pointer; `other` becomes empty.
    UniquePtr(const UniquePtr& other) noexcept : m_pointer(other.m_pointer) {
        other.m_pointer = nullptr;
    }

    // Converting transfer, e.g. from UniquePtr<Derived> to UniquePtr<Base>.
    template <class U>
    UniquePtr(const UniquePtr<U>& other) noexcept : m_pointer(other.Release()) {}

    // Destroys the object owned so far, then takes over `other`'s pointer.
    UniquePtr& operator=(const UniquePtr& other) noexcept {
        if (this != &other) {
            T* taken = other.m_pointer;
            other.m_pointer = nullptr;
            delete m_pointer;
            m_pointer = taken;
        }
        return *this;
    }

    ~UniquePtr() { delete m_pointer; }

    void Swap(UniquePtr& other) noexcept {
        T* mine = m_pointer;
        m_pointer = other.m_pointer;
        other.m_pointer = mine;
    }

    T* Get() const noexcept { return m_pointer; }
    T* operator->() const noexcept { return m_pointer; }
    T& operator*() const noexcept { return *m_pointer; }
    explicit operator bool() const noexcept { return m_pointer != nullptr; }

    // Gives up ownership without deleting; the caller now owns the object.
    T* Release() const noexcept {
        T* released = m_pointer;
        m_pointer = nullptr;
        return released;
    }

    // Deletes the owned object (if any) and takes `pointer`.
    void Reset(T* pointer = nullptr) noexcept {
        T* old = m_pointer;
        m_pointer = pointer;
        delete old;
    }

private:
    // Mutable because a copy from a const source still empties it.
    mutable T* m_pointer = nullptr;
};

template <class T>
UniquePtr<T> WrapUnique(T* pointer) noexcept {
    return UniquePtr<T>(pointer);
}
