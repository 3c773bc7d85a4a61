// String, geometry and small helpers shared by every part of the program.
#pragma once

#include <cstdarg>
#include <string>

// printf into a string of whatever length the text needs.
std::string string_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string string_vprintf(const char* format, va_list args);

// Case-insensitive comparison: -1, 0 or 1.
int strcmp_nocase(const char* a, const char* b);
// Keyword equality without regard to case; false when either is null.
bool same_token(const char* a, const char* b);

// Grow a malloc'ed string (null allowed) and return the possibly moved string.
char* appendchar(char* s, char c);
char* appendstr(char* s, const char* t);
char* my_strdup(const char* s);
char* strdup_toupper(const char* s);
char* strdup_tolower(const char* s);
// Lower-case copy in a per-thread slot, valid until the next call.
const char* str2lower(const char* s);
// Frees `old` and returns a copy of `s` (null gives null).
char* strreplace(char* old, const char* s);

inline int imin(int a, int b) { return a < b ? a : b; }
inline int imax(int a, int b) { return a > b ? a : b; }
inline double FMIN(double a, double b) { return a < b ? a : b; }
inline double FMAX(double a, double b) { return a > b ? a : b; }

// Current local date and time as "%c", valid until the next call.
const char* date_time();

// Angle of (x, y) in radians in (-pi, pi]; 0 for a vector shorter than 0.001.
double atanxy(double x, double y);

// Widths in points of characters and strings in the 12-point Times font.
int charwidth_times12(int c);
int strwidth_times12(const char* s);

// Normal form of the circular sequence a[1..n] among its rotations and reversals.
void lexicographically_order(int n, int* a);

void thanks();
void test();
