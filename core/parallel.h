// Threads for computations whose parts are independent (the candidate scans
// of split decomposition, the runs of a bootstrap). Results never depend on
// the number of threads: parts write to their own slots, and the caller
// combines them in order.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// The --threads setting of the calling thread; 0 means one per core.
void set_thread_count(int n);
int get_thread_count();
// The threads a computation started on the calling thread may use: the
// setting (at least 1), or 1 inside a tSingleThreadScope.
int computation_threads();

// Within its lifetime computations of this thread stay on it: a bootstrap
// that runs its replicates side by side keeps each replicate on one thread.
class tSingleThreadScope {
public:
  tSingleThreadScope();
  ~tSingleThreadScope();
  tSingleThreadScope(const tSingleThreadScope&) = delete;
  tSingleThreadScope& operator=(const tSingleThreadScope&) = delete;
};

// A calling thread and lanes - 1 helpers that share the parts of one job at a
// time. The helpers live as long as the crew, so that a computation made of
// many short jobs does not start threads for each.
class tWorkCrew {
public:
  explicit tWorkCrew(int lanes);
  ~tWorkCrew();
  tWorkCrew(const tWorkCrew&) = delete;
  tWorkCrew& operator=(const tWorkCrew&) = delete;

  int lanes() const { return static_cast<int>(helpers.size()) + 1; }
  // Calls work(i, lane) for every i in [0, count), in chunks of `chunk`
  // parts; the calling thread is lane 0 and calls between() after each chunk
  // it did (helpers never call it). Returns when every part is done; an
  // exception thrown by a part is thrown again here.
  void run(size_t count, size_t chunk, const std::function<void(size_t, int)>& work,
           const std::function<void()>& between);

private:
  std::vector<std::thread> helpers;
  std::mutex lock;
  std::condition_variable start, finished;
  const std::function<void(size_t, int)>* job = nullptr;
  size_t job_count = 0, job_chunk = 1, next = 0;
  // Changed under the lock; read without it while waiting briefly.
  std::atomic<unsigned long> generation{0};
  std::atomic<int> busy{0};
  std::atomic<bool> closing{false};
  std::exception_ptr failure;

  void helper(int lane);
  // Takes the next chunk; false when none is left.
  bool take(size_t& from, size_t& to);
  void do_chunks(int lane, const std::function<void()>* between);
};
