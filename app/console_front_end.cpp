#include "app/console_front_end.h"

#include <csignal>
#include <cstdio>
#include <unistd.h>

#include "core/progress.h"

namespace {

// The first Ctrl-C asks for a stop at the next boundary (the program then
// ends); the next one ends the program at once.
extern "C" void on_interrupt(int)
{
  request_stop();
  std::signal(SIGINT, SIG_DFL);
}

// A computation shows its progress once it has run this long.
constexpr int PROGRESS_DELAY_MS = 500;
constexpr int PROGRESS_INTERVAL_MS = 100;

} // namespace

tConsoleFrontEnd::tConsoleFrontEnd() : _terminal(isatty(2) != 0), _terminal_out(isatty(1) != 0)
{
  struct sigaction sa = {};
  sa.sa_handler = on_interrupt;
  sigemptyset(&sa.sa_mask);
  // No SA_RESTART: a read from the terminal returns, so the input ends.
  sa.sa_flags = 0;
  sigaction(SIGINT, &sa, &_old_interrupt);
  // Started with Ctrl-C ignored (in the background of a script): so be it.
  if (_old_interrupt.sa_handler == SIG_IGN)
    sigaction(SIGINT, &_old_interrupt, nullptr);
}

tConsoleFrontEnd::~tConsoleFrontEnd()
{
  end_progress();
  sigaction(SIGINT, &_old_interrupt, nullptr);
}

void tConsoleFrontEnd::log(const char* text)
{
  // A stopped computation reports no more progress.
  if (_active && stop_requested())
    end_progress();
  if (!_active || !_terminal_out) {
    std::fputs(text, stdout);
    return;
  }
  // On a terminal shared with the progress line, a line is written only
  // once it is complete, so that the progress line never runs into it.
  _pending += text;
  const size_t end = _pending.rfind('\n');
  if (end == std::string::npos)
    return;
  erase_progress();
  std::fwrite(_pending.data(), 1, end + 1, stdout);
  std::fflush(stdout);
  _pending.erase(0, end + 1);
}

void tConsoleFrontEnd::end_progress()
{
  erase_progress();
  _active = false;
  std::fputs(_pending.c_str(), stdout);
  _pending.clear();
}

void tConsoleFrontEnd::show_warning(const char* text)
{
  end_progress();
  // Keep the two streams in the order the user caused them.
  std::fflush(stdout);
  std::fprintf(stderr, "Warning: %s\n", text);
}

void tConsoleFrontEnd::show_fatal(const char* text)
{
  end_progress();
  std::fflush(stdout);
  std::fprintf(stderr, "Fatal Error: %s\n", text);
}

bool tConsoleFrontEnd::progress(const char* step, int done, int total)
{
  if (!_terminal)
    return true;
  using namespace std::chrono;
  const steady_clock::time_point now = steady_clock::now();
  if (done <= 0 || _step != step) {
    _step = step;
    _started = now;
  }
  if (done >= total || stop_requested()) {
    end_progress();
    return true;
  }
  _active = true;
  if (now - _started < milliseconds(PROGRESS_DELAY_MS) || (_shown && now - _last < milliseconds(PROGRESS_INTERVAL_MS)))
    return true;
  _last = now;
  _shown = true;
  std::fprintf(stderr, "\r%s: %d of %d (Ctrl-C stops)\033[K", step, done, total);
  std::fflush(stderr);
  return true;
}

void tConsoleFrontEnd::erase_progress()
{
  if (!_shown)
    return;
  _shown = false;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
}
