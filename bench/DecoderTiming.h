// Shared by the benchmarks: plain timing loops for the ratios printed before the Google
// Benchmark runs, and the quantiles of what they time.
#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <vector>

// Seconds per call of f, averaged over at least half a second after one warm-up call.
template <class F>
double SecondsPer(F f)
{
  f();
  auto start = std::chrono::steady_clock::now();
  int n = 0;
  double elapsed = 0;
  do {
    f();
    ++n;
    elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  } while (elapsed < 0.5);
  return elapsed / n;
}

// Seconds of each call of each function, timed side by side: every round calls each once in
// turn, so other work on the machine slows all sides alike instead of whichever happened to
// run during it. At least five rounds, then until about budget seconds have passed.
template <class... F>
std::array<std::vector<double>, sizeof...(F)> SecondsSideBySide(double budget, F... f)
{
  constexpr size_t N = sizeof...(F);
  (f(), ...);   // warm-up
  std::array<std::vector<double>, N> times;
  auto timeOne = [](auto& g) {
    auto t0 = std::chrono::steady_clock::now();
    g();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  };
  const auto start = std::chrono::steady_clock::now();
  for (int round = 0;; ++round) {
    size_t i = 0;
    ((times[i++].push_back(timeOne(f))), ...);
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (round >= 4 && elapsed >= budget)
      break;
  }
  return times;
}

// The q-quantile of v (0.5: the median), interpolated between neighbours.
inline double Quantile(std::vector<double> v, double q)
{
  if (v.empty())
    return 0;
  std::sort(v.begin(), v.end());
  const double at = q * double(v.size() - 1);
  const size_t i = size_t(at);
  return i + 1 < v.size() ? v[i] + (v[i + 1] - v[i]) * (at - double(i)) : v[i];
}

// The ratio a[i] / b[i] of each round.
inline std::vector<double> RoundRatios(const std::vector<double>& a, const std::vector<double>& b)
{
  std::vector<double> r;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i)
    r.push_back(b[i] > 0 ? a[i] / b[i] : 0);
  return r;
}

// Seconds per call of each function, timed side by side (above): the median round counts.
template <class... F>
std::array<double, sizeof...(F)> MedianSecondsSideBySide(double budget, F... f)
{
  auto times = SecondsSideBySide(budget, f...);
  std::array<double, sizeof...(F)> medians{};
  for (size_t i = 0; i < times.size(); ++i)
    medians[i] = Quantile(times[i], 0.5);
  return medians;
}
