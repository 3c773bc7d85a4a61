#include "core/message.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Registered once at start-up; atomic so that a worker thread reading it
// never sees a torn pointer.
std::atomic<tFrontEnd*> front_end{nullptr};

// Nesting counters of "--"/"++"/"==": per thread, so that a quiet stretch in
// one thread never silences another.
thread_local int show_messages = 1;
thread_local int show_warnings = 1;

// Set by tQuietThread: nothing from this thread reaches the front end.
thread_local bool quiet_thread = false;
thread_local tFatalHandler quiet_fatal = nullptr;
thread_local void* quiet_fatal_data = nullptr;

// The front end, or none for a quiet thread.
tFrontEnd* reachable_front_end() { return quiet_thread ? nullptr : front_end.load(); }

// Formats into a string and cuts it to at most `limit` characters.
std::string vformat(const char* format, va_list ap, size_t limit)
{
  va_list copy;
  va_copy(copy, ap);
  int needed = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (needed <= 0)
    return std::string();
  std::string text(static_cast<size_t>(needed) + 1, '\0');
  std::vsnprintf(&text[0], text.size(), format, ap);
  text.resize(static_cast<size_t>(needed) < limit ? static_cast<size_t>(needed) : limit);
  return text;
}

// Applies a control string to a counter; true when `format` was one.
bool control(const char* format, int& counter)
{
  if (std::strcmp(format, "--") == 0) {
    counter--;
    return true;
  }
  if (std::strcmp(format, "++") == 0) {
    counter++;
    return true;
  }
  if (std::strcmp(format, "==") == 0) {
    counter = 1;
    return true;
  }
  return false;
}

} // namespace

tFrontEnd* set_front_end(tFrontEnd* fe) { return front_end.exchange(fe); }

tFrontEnd* get_front_end() { return front_end.load(); }

void tcltk_log(const char* text)
{
  if (tFrontEnd* fe = reachable_front_end())
    fe->log(text ? text : "");
}

int tcltk_command(const char* format, ...)
{
  va_list ap;
  va_start(ap, format);
  std::string script = vformat(format, ap, std::string::npos);
  va_end(ap);
  if (tFrontEnd* fe = reachable_front_end())
    return fe->command(script.c_str());
  return 0;
}

void tcltk_update()
{
  if (tFrontEnd* fe = reachable_front_end())
    fe->update();
}

static bool needs_tcl_escape(char c)
{
  return c == '[' || c == ']' || c == '{' || c == '}' || c == '"' || c == '\\';
}

void str2tcltk(const char* in, char* out)
{
  if (in) {
    for (; *in; in++) {
      if (needs_tcl_escape(*in))
        *out++ = '\\';
      *out++ = *in;
    }
  }
  *out = '\0';
}

std::string str2tcltk(const std::string& in)
{
  std::string out;
  out.reserve(in.size());
  for (char c : in) {
    if (needs_tcl_escape(c))
      out += '\\';
    out += c;
  }
  return out;
}

void error(const char* format, ...)
{
  va_list ap;
  va_start(ap, format);
  std::string text = vformat(format, ap, REPORT_BUFFER_SIZE);
  va_end(ap);
  if (quiet_thread) {
    if (quiet_fatal)
      quiet_fatal(text.c_str(), quiet_fatal_data);
    std::fprintf(stderr, "Fatal Error: %s\n", text.c_str());
    std::_Exit(1);
  }
  if (tFrontEnd* fe = front_end.load())
    fe->show_fatal(text.c_str());
  else
    std::fprintf(stderr, "Fatal Error: %s\n", text.c_str());
  std::exit(1);
}

int warning(const char* format, ...)
{
  if (control(format, show_warnings) || show_warnings <= 0)
    return 0;
  va_list ap;
  va_start(ap, format);
  std::string text = vformat(format, ap, REPORT_BUFFER_SIZE);
  va_end(ap);
  if (tFrontEnd* fe = reachable_front_end())
    fe->show_warning(text.c_str());
  return 0;
}

int message(const char* format, ...)
{
  if (control(format, show_messages) || show_messages <= 0)
    return 0;
  va_list ap;
  va_start(ap, format);
  std::string text = vformat(format, ap, MESSAGE_BUFFER_SIZE);
  va_end(ap);
  tcltk_log(text.c_str());
  return 0;
}

namespace {
std::atomic<long> failures{0};
}

void note_failure()
{
  if (!quiet_thread)
    failures.fetch_add(1, std::memory_order_relaxed);
}

long failure_count() { return failures.load(std::memory_order_relaxed); }

int get_show_messages() { return show_messages; }

int get_show_warnings() { return show_warnings; }

tQuietThread::tQuietThread(tFatalHandler on_fatal, void* data)
  : was_quiet(quiet_thread), saved_handler(quiet_fatal), saved_data(quiet_fatal_data)
{
  quiet_thread = true;
  if (on_fatal) {
    quiet_fatal = on_fatal;
    quiet_fatal_data = data;
  }
}

tQuietThread::~tQuietThread()
{
  quiet_thread = was_quiet;
  quiet_fatal = saved_handler;
  quiet_fatal_data = saved_data;
}

bool is_quiet_thread() { return quiet_thread; }
