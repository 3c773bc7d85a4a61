#include "core/progress.h"

#include <atomic>

#include "core/message.h"

namespace {

// Lock-free, so that a signal handler may set it; shared, so that a request
// made on any thread reaches the thread that runs the document.
std::atomic<bool> stop_flag{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the stop flag is set from signal handlers");

thread_local int silent_depth = 0;

} // namespace

tSilentProgress::tSilentProgress() { silent_depth++; }
tSilentProgress::~tSilentProgress() { silent_depth--; }

bool progress(const char* step, int done, int total)
{
  if (stop_flag.load())
    return false;
  if (is_quiet_thread() || silent_depth > 0)
    return true;
  tFrontEnd* fe = get_front_end();
  if (fe && !fe->progress(step, done, total))
    request_stop();
  return !stop_flag.load();
}

void request_stop() { stop_flag.store(true); }

bool stop_requested() { return stop_flag.load(); }

void clear_stop() { stop_flag.store(false); }
