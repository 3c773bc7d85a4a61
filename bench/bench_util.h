// Small helpers shared by the benchmarks: a wall clock and a fixed-seed
// generator, so that every run times the same work.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>

#include "core/random.h"

// Runs `work` `repeat` times and returns the best wall-clock time in seconds.
inline double best_seconds(int repeat, const std::function<void()>& work)
{
  double best = 1e300;
  for (int i = 0; i < repeat; i++) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (took.count() < best)
      best = took.count();
  }
  return best;
}

// Prints one figure in a fixed layout: "name  size  seconds".
inline void report(const char* name, const char* size, double seconds)
{
  std::printf("%-28s %-18s %10.4f s\n", name, size, seconds);
  std::fflush(stdout);
}
