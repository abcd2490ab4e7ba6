// Shared by the decoder benchmarks: a plain timing loop for the ratio printed before the
// Google Benchmark runs.
#pragma once

#include <chrono>

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
