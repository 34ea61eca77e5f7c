#pragma once
// A value or an error, for calls that can fail in more than one way.
// (std::expected arrives only with C++23.)
#include <utility>
#include <variant>

namespace nimbo {

template <typename E>
struct Err {
    E error;
};
template <typename E>
Err(E) -> Err<E>;

template <typename T, typename E>
class Result {
public:
    Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}
    Result(Err<E> e) : v_(std::in_place_index<1>, std::move(e.error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(v_); }
    const T& value() const { return std::get<0>(v_); }
    T& operator*() { return value(); }
    T* operator->() { return &value(); }
    E error() const { return std::get<1>(v_); }

private:
    std::variant<T, E> v_;
};

}  // namespace nimbo
