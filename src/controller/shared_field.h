#pragma once
// A setting that one thread writes while another reads it: the board type is
// chosen on the GUI thread while flash workers and the status threads read it, and
// a status thread's Y reset writes the Y selections the page reads. Every access is
// atomic, copies of the whole settings included, so a plain write never meets
// another thread's read. Reads and writes look like those of the plain value.

#include <atomic>

namespace velmor::controller {

template <class T>
class SharedField {
  public:
    using value_type = T;

    constexpr SharedField(T value = T{}) noexcept : value_(value) {}
    SharedField(const SharedField& other) noexcept : value_(other.Load()) {}
    SharedField& operator=(const SharedField& other) noexcept {
        Store(other.Load());
        return *this;
    }
    SharedField& operator=(T value) noexcept {
        Store(value);
        return *this;
    }

    operator T() const noexcept { return Load(); }
    T Load() const noexcept { return value_.load(); }
    void Store(T value) noexcept { value_.store(value); }

  private:
    std::atomic<T> value_;
};

namespace detail {
template <class T>
struct PlainValueOf {
    using type = T;
};
template <class T>
struct PlainValueOf<SharedField<T>> {
    using type = T;
};
}  // namespace detail

// The value type of a field that may or may not be shared, for code that handles
// plain and shared settings alike.
template <class T>
using PlainValue = typename detail::PlainValueOf<T>::type;

}  // namespace velmor::controller
