#pragma once
// A vector whose new elements of plain types are left for the caller to fill. For arrays of
// millions that a parallel loop fills at once, zeroing them first would cost a pass over all
// of them on one core, and that core would touch every new page first. Large ones ask for huge
// pages (HugePages.h).

#include <cstddef>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "common/HugePages.h"

namespace korvane {

template <class T>
class FillLaterAllocator : public std::allocator<T> {
  public:
    template <class U>
    struct rebind {
        using other = FillLaterAllocator<U>;
    };

    FillLaterAllocator() = default;
    template <class U>
    explicit FillLaterAllocator(const FillLaterAllocator<U>& /*other*/) noexcept {}

    T* allocate(std::size_t n) {
        T* at = std::allocator<T>::allocate(n);
        PreferHugePages(at, n * sizeof(T));
        return at;
    }

    // Default initialisation: nothing for a plain type.
    template <class U>
    void construct(U* at) noexcept(std::is_nothrow_default_constructible_v<U>) {
        ::new (static_cast<void*>(at)) U;
    }
    template <class U, class... Args>
    void construct(U* at, Args&&... args) {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
};

template <class T>
using FillLaterVector = std::vector<T, FillLaterAllocator<T>>;

}  // namespace korvane
