// Shared by the decoder benchmarks: plain timing loops for the ratios printed before the
// Google Benchmark runs.
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

// Seconds per call of each function, timed side by side: every round calls each once in
// turn, and the median round counts. Other work on the machine then slows all sides alike
// instead of whichever happened to run during it. At least three rounds, then until about
// Budget seconds have passed.
template <class... F>
std::array<double, sizeof...(F)> MedianSecondsSideBySide(double budget, F... f)
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
    if (round >= 2 && elapsed >= budget)
      break;
  }
  std::array<double, N> medians{};
  for (size_t i = 0; i < N; ++i) {
    auto& t = times[i];
    std::nth_element(t.begin(), t.begin() + ptrdiff_t(t.size() / 2), t.end());
    medians[i] = t[t.size() / 2];
  }
  return medians;
}
