// Run-time failures that end the current operation and pass to its caller,
// and the checked arithmetic that raises them.
#pragma once

#include <cstdint>
#include <limits>
#include <stdexcept>

namespace plat {

enum class ErrorKind {
  Overflow,
  DivisionByZero,
  ObjectNotSet,
  TypeMismatch,  // a text that does not convert
  Subscript,     // an array sized below zero, an index outside it
  Other,
};

class RuntimeError : public std::runtime_error {
 public:
  explicit RuntimeError(ErrorKind kind, const char* what = "run-time error")
      : std::runtime_error(what), kind_(kind) {}
  ErrorKind kind() const { return kind_; }

 private:
  ErrorKind kind_;
};

[[noreturn]] inline void Raise(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::Overflow:
      throw RuntimeError(kind, "overflow");
    case ErrorKind::DivisionByZero:
      throw RuntimeError(kind, "division by zero");
    case ErrorKind::ObjectNotSet:
      throw RuntimeError(kind, "object not set");
    case ErrorKind::TypeMismatch:
      throw RuntimeError(kind, "type mismatch");
    case ErrorKind::Subscript:
      throw RuntimeError(kind, "subscript out of range");
    case ErrorKind::Other:
      break;
  }
  throw RuntimeError(kind);
}

// 32-bit and 16-bit signed arithmetic that raises Overflow instead of
// wrapping.
inline std::int32_t Add32(std::int32_t a, std::int32_t b) {
  std::int32_t r;
  if (__builtin_add_overflow(a, b, &r)) Raise(ErrorKind::Overflow);
  return r;
}
inline std::int32_t Sub32(std::int32_t a, std::int32_t b) {
  std::int32_t r;
  if (__builtin_sub_overflow(a, b, &r)) Raise(ErrorKind::Overflow);
  return r;
}
inline std::int32_t Mul32(std::int32_t a, std::int32_t b) {
  std::int32_t r;
  if (__builtin_mul_overflow(a, b, &r)) Raise(ErrorKind::Overflow);
  return r;
}
inline std::int32_t Neg32(std::int32_t a) { return Sub32(0, a); }
inline std::int32_t Abs32(std::int32_t a) { return a < 0 ? Neg32(a) : a; }
// Integer division truncated toward zero; remainder takes the dividend's sign.
inline std::int32_t Div32(std::int32_t a, std::int32_t b) {
  if (b == 0) Raise(ErrorKind::DivisionByZero);
  if (a == std::numeric_limits<std::int32_t>::min() && b == -1) Raise(ErrorKind::Overflow);
  return a / b;
}
inline std::int32_t Mod32(std::int32_t a, std::int32_t b) {
  if (b == 0) Raise(ErrorKind::DivisionByZero);
  if (b == -1) return 0;
  return a % b;
}
// A 32-bit value stored into a 16-bit variable.
inline std::int16_t To16(std::int32_t v) {
  if (v < std::numeric_limits<std::int16_t>::min() || v > std::numeric_limits<std::int16_t>::max())
    Raise(ErrorKind::Overflow);
  return static_cast<std::int16_t>(v);
}

}  // namespace plat
