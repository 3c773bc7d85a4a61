#include "core/parallel.h"

#include <chrono>

#include "core/message.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

thread_local int thread_count = 0;
thread_local int single_depth = 0;

// The jobs of split decomposition (three a level) follow each other within
// a fraction of a millisecond: waiting this long before sleeping saves the
// wake-up of a helper for each, which would cost the helper its share.
constexpr auto SPIN_TIME = std::chrono::microseconds(200);

// Waits up to SPIN_TIME for done() without giving up the processor.
template <class tDone> void spin_until(tDone done)
{
  const auto until = std::chrono::steady_clock::now() + SPIN_TIME;
  for (int i = 0; !done(); i++) {
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#endif
    if (i % 64 == 63 && std::chrono::steady_clock::now() >= until)
      return;
  }
}

} // namespace

void set_thread_count(int n) { thread_count = n < 0 ? 0 : n; }

int get_thread_count() { return thread_count; }

int computation_threads()
{
  if (single_depth > 0)
    return 1;
  if (thread_count > 0)
    return thread_count;
  const unsigned hardware = std::thread::hardware_concurrency();
  return hardware > 0 ? static_cast<int>(hardware) : 1;
}

tSingleThreadScope::tSingleThreadScope() { single_depth++; }
tSingleThreadScope::~tSingleThreadScope() { single_depth--; }

tWorkCrew::tWorkCrew(int lanes)
{
  for (int lane = 1; lane < lanes; lane++)
    helpers.emplace_back(&tWorkCrew::helper, this, lane);
}

tWorkCrew::~tWorkCrew()
{
  {
    std::lock_guard<std::mutex> hold(lock);
    closing = true;
  }
  start.notify_all();
  for (std::thread& t : helpers)
    t.join();
}

bool tWorkCrew::take(size_t& from, size_t& to)
{
  std::lock_guard<std::mutex> hold(lock);
  if (failure || next >= job_count)
    return false;
  from = next;
  to = next + job_chunk < job_count ? next + job_chunk : job_count;
  next = to;
  return true;
}

void tWorkCrew::do_chunks(int lane, const std::function<void()>* between)
{
  size_t from = 0, to = 0;
  while (take(from, to)) {
    try {
      for (size_t i = from; i < to; i++)
        (*job)(i, lane);
    } catch (...) {
      std::lock_guard<std::mutex> hold(lock);
      if (!failure)
        failure = std::current_exception();
    }
    if (between)
      (*between)();
  }
}

void tWorkCrew::helper(int lane)
{
  // Helpers never reach the user: the calling thread reports.
  tQuietThread quiet;
  message("--");
  warning("--");
  unsigned long seen = 0;
  for (;;) {
    spin_until([&] { return closing.load() || generation.load() != seen; });
    {
      std::unique_lock<std::mutex> hold(lock);
      start.wait(hold, [&] { return closing || generation != seen; });
      if (closing)
        return;
      seen = generation;
      busy++;
    }
    do_chunks(lane, nullptr);
    {
      std::lock_guard<std::mutex> hold(lock);
      busy--;
    }
    finished.notify_all();
  }
}

void tWorkCrew::run(size_t count, size_t chunk, const std::function<void(size_t, int)>& work,
                    const std::function<void()>& between)
{
  {
    std::lock_guard<std::mutex> hold(lock);
    job = &work;
    job_count = count;
    job_chunk = chunk > 0 ? chunk : 1;
    next = 0;
    failure = nullptr;
    generation++;
  }
  start.notify_all();
  do_chunks(0, &between);
  spin_until([&] { return busy.load() == 0; });
  std::exception_ptr failed;
  {
    std::unique_lock<std::mutex> hold(lock);
    finished.wait(hold, [&] { return busy == 0; });
    job = nullptr;
    failed = failure;
  }
  if (failed)
    std::rethrow_exception(failed);
}
