// opm::Span: a view of contiguous elements, the way every opm:: operation takes an array.
//
// A Span shows `size` elements starting at `data`, indexed from 0. It never owns, copies or
// resizes what it shows: the caller keeps the elements alive while an operation runs, and no
// operation keeps a Span after it returns. It is made from a pointer and a count (a C array, a
// NumPy buffer, a block of any container) or implicitly from a std::vector or std::array of the
// element type; a Span<double> converts to a Span<const double>. Operations that take a Span
// accept a null pointer only with a count of 0 and throw opm::InvalidArgument otherwise.
#pragma once

#include <array>
#include <cstddef>
#include <type_traits>
#include <vector>

namespace opm {

template <class T> class Span {
    using Value = std::remove_const_t<T>;

public:
    using element_type = T;

    constexpr Span() noexcept = default;
    constexpr Span(T* data, std::size_t size) noexcept : m_data(data), m_size(size) {}

    // From containers of the element type. The const overloads exist only for Span<const T>.
    Span(std::vector<Value>& values) noexcept : m_data(values.data()), m_size(values.size()) {}
    template <class U = T, class = std::enable_if_t<std::is_const_v<U>>>
    Span(const std::vector<Value>& values) noexcept
        : m_data(values.data()), m_size(values.size()) {}
    template <std::size_t N>
    constexpr Span(std::array<Value, N>& values) noexcept : m_data(values.data()), m_size(N) {}
    template <std::size_t N, class U = T, class = std::enable_if_t<std::is_const_v<U>>>
    constexpr Span(const std::array<Value, N>& values) noexcept
        : m_data(values.data()), m_size(N) {}
    template <std::size_t N> constexpr Span(T (&values)[N]) noexcept : m_data(values), m_size(N) {}

    // Span<double> -> Span<const double>.
    template <class U,
              class = std::enable_if_t<std::is_same_v<const U, T> && !std::is_same_v<U, T>>>
    constexpr Span(const Span<U>& other) noexcept : m_data(other.data()), m_size(other.size()) {}

    constexpr T* data() const noexcept { return m_data; }
    constexpr std::size_t size() const noexcept { return m_size; }
    constexpr bool empty() const noexcept { return m_size == 0; }
    // Unchecked element access, as for a plain array.
    constexpr T& operator[](std::size_t i) const noexcept { return m_data[i]; }
    constexpr T* begin() const noexcept { return m_data; }
    constexpr T* end() const noexcept { return m_data + m_size; }

private:
    T* m_data = nullptr;
    std::size_t m_size = 0;
};

} // namespace opm
