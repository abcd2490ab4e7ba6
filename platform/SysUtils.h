// Exceptions and the arithmetic the program's numbers depend on: rounding halves to even,
// truncation towards zero, MulDiv, and conversions that stay defined for NaN and huge
// values (floating-point exceptions are masked, so such values reach integer code).
#pragma once

#include <cmath>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <utility>

#include "platform/Types.h"

// Root of the program's class trees: event handlers receive the sender as a TObject.
class TObject {
public:
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// An event handler in half a std::function's room: a handler that captures no more than a
// pointer (the usual [this]) is kept in place, a larger one on the heap. For what holds many
// events and is made by the thousand (a page's form fields). Set, tested and called as the
// std::function it stands for; it is not copied (a handler read out to be kept is Get()).
template <class Function>
class TEventSlot;

template <class R, class... Args>
class TEventSlot<std::function<R(Args...)>> {
public:
  using Function = std::function<R(Args...)>;

  TEventSlot() = default;
  TEventSlot(const TEventSlot&) = delete;
  TEventSlot& operator=(const TEventSlot&) = delete;
  TEventSlot(TEventSlot&& other) noexcept : FOps(other.FOps), FData(other.FData) { other.FOps = nullptr; }
  TEventSlot& operator=(TEventSlot&& other) noexcept
  {
    if (this != &other) {
      Reset();
      FOps = std::exchange(other.FOps, nullptr);
      FData = other.FData;
    }
    return *this;
  }
  ~TEventSlot() { Reset(); }

  TEventSlot& operator=(std::nullptr_t)
  {
    Reset();
    return *this;
  }
  template <class F>
  requires(!std::is_same_v<std::remove_cvref_t<F>, TEventSlot> && std::is_constructible_v<Function, F&&>) TEventSlot&
  operator=(F&& handler)
  {
    using D = std::decay_t<F>;
    if constexpr (std::is_pointer_v<D> || std::is_member_pointer_v<D> || std::is_same_v<D, Function>)
      if (!handler) {
        Reset();
        return *this;
      }
    Reset();
    if constexpr (Inline<D>) {
      ::new (static_cast<void*>(&FData)) D(std::forward<F>(handler));
    } else {
      FData = new D(std::forward<F>(handler));
    }
    FOps = &OpsFor<D>;
    return *this;
  }

  explicit operator bool() const { return FOps != nullptr; }
  // Calling an empty slot throws std::bad_function_call, as an empty std::function does.
  R operator()(Args... args) const
  {
    if (!FOps)
      throw std::bad_function_call();
    return FOps->Invoke(&FData, std::forward<Args>(args)...);
  }
  // A copy of the handler (empty when none is set).
  Function Get() const { return FOps ? FOps->Copy(&FData) : Function(); }

private:
  template <class D>
  static constexpr bool Inline = sizeof(D) <= sizeof(void*) && alignof(D) <= alignof(void*)
                                 && std::is_trivially_copyable_v<D>&& std::is_trivially_destructible_v<D>;
  template <class D>
  static D& Target(void* const* data)
  {
    if constexpr (Inline<D>)
      return *std::launder(reinterpret_cast<D*>(const_cast<void**>(data)));
    else
      return *static_cast<D*>(*data);
  }
  struct TOps {
    R (*Invoke)(void* const* data, Args&&... args);
    Function (*Copy)(void* const* data);
    void (*Destroy)(void** data);
  };
  template <class D>
  static constexpr TOps OpsFor = {
      [](void* const* data, Args&&... args) -> R {
        if constexpr (std::is_void_v<R>)
          std::invoke(Target<D>(data), std::forward<Args>(args)...);
        else
          return std::invoke(Target<D>(data), std::forward<Args>(args)...);
      },
      [](void* const* data) { return Function(Target<D>(data)); },
      [](void** data) {
        if constexpr (!Inline<D>)
          delete static_cast<D*>(*data);
      },
  };
  void Reset()
  {
    if (FOps)
      FOps->Destroy(&FData);
    FOps = nullptr;
    FData = nullptr;
  }

  const TOps* FOps = nullptr;
  void* FData = nullptr;   // the handler itself when it fits, else the heap copy
};

// Root of every exception the program raises; Message is the text shown to the user.
class Exception : public std::exception {
public:
  explicit Exception(std::string message) : Message(std::move(message)) {}
  const char* what() const noexcept override { return Message.c_str(); }
  std::string Message;
};

// Runs Decode, which reads bytes taken from FileName; an error it raises says which file it was
// reading, as every damaged file's message does, and keeps its kind.
template <class F>
void DecodingFile(const std::string& FileName, F&& Decode)
{
  try {
    Decode();
  } catch (Exception& e) {
    e.Message = FileName + ": " + e.Message;
    throw;
  }
}

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
// The character after the last single "&" of a caption, its access key (0 when there is none).
char FindAccelChar(const std::string& S);
