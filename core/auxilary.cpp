#include "core/auxilary.h"

#include <cstdio>

#include <cctype>
#include <cmath>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "core/memory.h"
#include "core/message.h"

int strcmp_nocase(const char* a, const char* b)
{
  if (!a || !b)
    return a == b ? 0 : (a ? 1 : -1);
  for (;; a++, b++) {
    int ca = std::toupper(static_cast<unsigned char>(*a));
    int cb = std::toupper(static_cast<unsigned char>(*b));
    if (ca < cb)
      return -1;
    if (ca > cb)
      return 1;
    if (ca == 0)
      return 0;
  }
}

bool same_token(const char* a, const char* b)
{
  if (!a || !b)
    return false;
  return strcmp_nocase(a, b) == 0;
}

char* appendchar(char* s, char c)
{
  size_t len = s ? std::strlen(s) : 0;
  s = static_cast<char*>(my_realloc(s, len + 2));
  s[len] = c;
  s[len + 1] = '\0';
  return s;
}

char* appendstr(char* s, const char* t)
{
  if (!t || !*t)
    return s;
  size_t len = s ? std::strlen(s) : 0;
  size_t tlen = std::strlen(t);
  s = static_cast<char*>(my_realloc(s, len + tlen + 1));
  std::memcpy(s + len, t, tlen + 1);
  return s;
}

char* my_strdup(const char* s)
{
  if (!s)
    return nullptr;
  size_t len = std::strlen(s);
  char* copy = static_cast<char*>(my_malloc(len + 1));
  std::memcpy(copy, s, len + 1);
  return copy;
}

char* strdup_toupper(const char* s)
{
  char* copy = my_strdup(s);
  for (char* p = copy; p && *p; p++)
    *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
  return copy;
}

char* strdup_tolower(const char* s)
{
  char* copy = my_strdup(s);
  for (char* p = copy; p && *p; p++)
    *p = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
  return copy;
}

const char* str2lower(const char* s)
{
  thread_local std::string last;
  last = s ? s : "";
  for (char& c : last)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return last.c_str();
}

char* strreplace(char* old, const char* s)
{
  // Copy before freeing: `s` may point into `old`.
  char* copy = my_strdup(s);
  MY_FREE(old);
  return copy;
}

const char* date_time()
{
  thread_local std::string text;
  std::time_t now = std::time(nullptr);
  std::tm local{};
  char buf[81];
  if (!localtime_r(&now, &local) || std::strftime(buf, sizeof buf, "%c", &local) == 0)
    buf[0] = '\0';
  text = buf;
  return text.c_str();
}

double atanxy(double x, double y)
{
  if (x * x + y * y < 0.000001)
    return 0.0;
  // Adding +0.0 turns a negative zero into a positive one, so that a vector
  // along -x gives pi and not -pi.
  return std::atan2(y + 0.0, x);
}

namespace {
// Widths in points of the 256 character codes in 12-point Times.
const unsigned char times12_widths[256] = {
  3, 6, 6, 6, 6, 6, 6, 6, 6, 3, 6, 6, 6, 0, 6, 6,
  6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6,
  3, 4, 5, 6, 6, 10, 9, 4, 4, 4, 6, 7, 4, 4, 4, 3,
  6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 3, 3, 7, 7, 7, 5,
  11, 8, 8, 8, 8, 7, 7, 9, 9, 4, 5, 9, 7, 10, 9, 8,
  7, 8, 8, 7, 7, 9, 8, 11, 9, 8, 7, 4, 3, 4, 6, 6,
  4, 5, 6, 5, 6, 5, 4, 6, 6, 3, 3, 6, 3, 9, 6, 6,
  6, 6, 4, 5, 3, 6, 6, 9, 6, 6, 5, 6, 2, 6, 6, 6,
  8, 8, 8, 7, 9, 8, 9, 5, 5, 5, 5, 5, 5, 5, 5, 5,
  5, 5, 3, 3, 3, 3, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6,
  6, 3, 6, 6, 6, 4, 6, 6, 9, 9, 11, 4, 4, 7, 11, 9,
  9, 7, 7, 7, 6, 7, 6, 9, 10, 7, 3, 3, 4, 9, 8, 6,
  5, 4, 9, 7, 6, 7, 7, 6, 6, 12, 6, 8, 8, 8, 11, 9,
  6, 12, 5, 5, 4, 4, 7, 6, 6, 8, 2, 6, 4, 4, 7, 7,
  6, 4, 4, 5, 12, 8, 7, 8, 7, 7, 4, 4, 4, 4, 8, 8,
  10, 8, 9, 9, 9, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 0,
};
} // namespace

int charwidth_times12(int c) { return times12_widths[c & 0xff]; }

int strwidth_times12(const char* s)
{
  // Single precision, so that labels land on the same points as they
  // always have.
  float sum = 0.0f;
  for (const char* p = s; p && *p; p++)
    sum += static_cast<float>(charwidth_times12(static_cast<unsigned char>(*p)) + 0.5);
  return static_cast<int>(sum + 0.5);
}

void lexicographically_order(int n, int* a)
{
  if (n <= 1)
    return;
  std::vector<int> b(2 * static_cast<size_t>(n) + 1);
  for (int i = 1; i <= n; i++)
    b[i] = b[i + n] = a[i];

  // Smallest forward rotation.
  int s = 1;
  for (int t = 2; t <= n; t++) {
    for (int i = 0; i < n; i++) {
      if (b[t + i] != b[s + i]) {
        if (b[t + i] < b[s + i])
          s = t;
        break;
      }
    }
  }
  // Smallest backward reading.
  int r = n + 1;
  for (int t = n + 2; t <= 2 * n; t++) {
    for (int i = 0; i < n; i++) {
      if (b[t - i] != b[r - i]) {
        if (b[t - i] < b[r - i])
          r = t;
        break;
      }
    }
  }
  // Ties keep the forward reading.
  bool backward = false;
  for (int i = 0; i < n; i++) {
    if (b[r - i] != b[s + i]) {
      backward = b[r - i] < b[s + i];
      break;
    }
  }
  for (int i = 1; i <= n; i++)
    a[i] = backward ? b[r - i + 1] : b[s + i - 1];
}

void thanks()
{
  message("Thanks to the authors of the methods that this program implements,\n"
          "to everyone who reported a problem or suggested an improvement,\n"
          "and to all who use it in their work.\n");
}

void test() {}

std::string string_vprintf(const char* format, va_list args)
{
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n <= 0)
    return std::string();
  std::string text(static_cast<size_t>(n) + 1, '\0');
  std::vsnprintf(&text[0], text.size(), format, args);
  text.resize(static_cast<size_t>(n));
  return text;
}

std::string string_printf(const char* format, ...)
{
  va_list args;
  va_start(args, format);
  std::string text = string_vprintf(format, args);
  va_end(args);
  return text;
}
