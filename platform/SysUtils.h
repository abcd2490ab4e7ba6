// Exceptions and the arithmetic the program's numbers depend on: rounding halves to even,
// truncation towards zero, MulDiv, and conversions that stay defined for NaN and huge
// values (floating-point exceptions are masked, so such values reach integer code).
#pragma once

#include <cmath>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>

#include "platform/Types.h"

// Root of the program's class trees: event handlers receive the sender as a TObject.
class TObject {
public:
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// Root of every exception the program raises; Message is the text shown to the user.
class Exception : public std::exception {
public:
  explicit Exception(std::string message) : Message(std::move(message)) {}
  const char* what() const noexcept override { return Message.c_str(); }
  std::string Message;
};

class EConvertError : public Exception {
  using Exception::Exception;
};
class EOutOfResources : public Exception {
  using Exception::Exception;
};
class EInvalidGraphic : public Exception {
  using Exception::Exception;
};
class EFOpenError : public Exception {
  using Exception::Exception;
};
class EFCreateError : public Exception {
  using Exception::Exception;
};
class EReadError : public Exception {
  using Exception::Exception;
};

// NaN gives 0, values beyond the range clamp to its ends. Every float-to-integer
// conversion of untrusted or computed values goes through these.
int32_t SafeTrunc(double v);
int32_t SafeRound(double v);   // halves to even
int64_t SafeTrunc64(double v);

// Round halves to even, as the program's arithmetic expects.
inline int32_t Round(double v) { return SafeRound(v); }
// Truncate towards zero.
inline int32_t Trunc(double v) { return SafeTrunc(v); }
// Fractional part, x - Trunc(x), computed in floating point (no integer overflow).
inline double Frac(double v) { return v - std::trunc(v); }
inline float FracS(float v) { return v - std::trunc(v); }
// a * b / c rounded to the nearest (halves away from zero); -1 when c is 0.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

// Integer division truncating towards zero that never traps: x / 0 gives 0, INT_MIN / -1 gives INT_MAX.
int32_t SafeDiv(int32_t a, int32_t b);

std::string IntToStr(int64_t v);
// Trimmed decimal, optional sign; throws EConvertError("'s' is not a valid integer value").
int32_t StrToInt(const std::string& s);
int32_t StrToIntDef(const std::string& s, int32_t def);
std::string UpperCase(const std::string& s);   // ASCII only: other bytes stay as they are
std::string LowerCase(const std::string& s);
std::string Trim(const std::string& s);
