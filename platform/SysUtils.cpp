#include "platform/SysUtils.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <limits>

namespace {

// v converted to the integer type I after `fn` (trunc or nearbyint), NaN as 0 and values
// beyond the range clamped to its ends.
template <class I, class F>
I ClampedInteger(double v, F fn)
{
  if (std::isnan(v))
    return 0;
  // The limits as doubles: max + 1 is exact (a power of two), min is exact too.
  constexpr double hi = static_cast<double>(std::numeric_limits<I>::max()) + 1.0;
  constexpr double lo = static_cast<double>(std::numeric_limits<I>::min());
  double r = fn(v);
  if (r >= hi)
    return std::numeric_limits<I>::max();
  if (r <= lo)
    return std::numeric_limits<I>::min();
  return static_cast<I>(r);
}

double TruncF(double v) { return std::trunc(v); }
double RoundEvenF(double v) { return std::nearbyint(v); }   // default mode: halves to even

}   // namespace

int32_t SafeTrunc(double v) { return ClampedInteger<int32_t>(v, TruncF); }
int64_t SafeTrunc64(double v) { return ClampedInteger<int64_t>(v, TruncF); }
int32_t SafeRound(double v) { return ClampedInteger<int32_t>(v, RoundEvenF); }

int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
  if (c == 0)
    return -1;
  int64_t p = static_cast<int64_t>(a) * b;
  bool negative = (p < 0) != (c < 0);
  uint64_t ap = p < 0 ? static_cast<uint64_t>(-(p + 1)) + 1 : static_cast<uint64_t>(p);
  uint64_t ac = c < 0 ? static_cast<uint64_t>(-(static_cast<int64_t>(c))) : static_cast<uint64_t>(c);
  uint64_t q = (ap + ac / 2) / ac;   // halves away from zero
  if (q > (negative ? 2147483648ull : 2147483647ull))
    return -1;
  return negative ? static_cast<int32_t>(-static_cast<int64_t>(q)) : static_cast<int32_t>(q);
}

int32_t SafeDiv(int32_t a, int32_t b)
{
  if (b == 0)
    return 0;
  if (a == INT32_MIN && b == -1)
    return INT32_MAX;
  return a / b;
}

std::string IntToStr(int64_t v) { return std::to_string(v); }

std::string Trim(const std::string& s)
{
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
    ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
    --e;
  return s.substr(b, e - b);
}

static bool ParseInt(const std::string& text, int32_t& out)
{
  std::string s = Trim(text);
  if (s.empty())
    return false;
  size_t i = 0;
  bool neg = false;
  if (s[i] == '+' || s[i] == '-') {
    neg = s[i] == '-';
    ++i;
  }
  if (i >= s.size())
    return false;
  int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(s[i])))
      return false;
    v = v * 10 + (s[i] - '0');
    if (v > static_cast<int64_t>(INT32_MAX) + 1)
      return false;
  }
  if (neg)
    v = -v;
  if (v > INT32_MAX || v < INT32_MIN)
    return false;
  out = static_cast<int32_t>(v);
  return true;
}

int32_t StrToInt(const std::string& s)
{
  int32_t v = 0;
  if (!ParseInt(s, v))
    throw EConvertError("'" + s + "' is not a valid integer value");
  return v;
}

int32_t StrToIntDef(const std::string& s, int32_t def)
{
  int32_t v = 0;
  return ParseInt(s, v) ? v : def;
}

char FindAccelChar(const std::string& S)
{
  char result = 0;
  for (size_t i = 0; i < S.size(); ++i)
    if (S[i] == '&') {
      ++i;
      if (i < S.size() && S[i] != '&')
        result = S[i];
    }
  return result;
}

std::string UpperCase(const std::string& s)
{
  std::string r = s;
  for (char& c : r)
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 32);
  return r;
}

std::string LowerCase(const std::string& s)
{
  std::string r = s;
  for (char& c : r)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c + 32);
  return r;
}
