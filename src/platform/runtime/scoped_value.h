#pragma once
// ScopedValue: gives a variable a value for the length of a scope and puts the old value back
// on every way out, an exception included, so a handler that fails half-way never leaves a
// guard flag set behind it.
//
//   const ScopedValue resizing(resizing_, true);  // resizing_ is false again after the scope
#include <utility>

namespace ov {

template <class T>
class ScopedValue {
public:
    ScopedValue(T& variable, T value) : variable_(variable), saved_(std::exchange(variable, std::move(value))) {}
    ~ScopedValue() { variable_ = std::move(saved_); }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

private:
    T& variable_;
    T saved_;
};

}  // namespace ov
