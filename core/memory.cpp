#include "core/memory.h"

#include <cstring>

#include "core/message.h"

// A request for zero bytes still gets a block of its own, so that a null
// result always means exhausted memory.
static size_t at_least_one(size_t bytes) { return bytes ? bytes : 1; }

void* my_malloc(size_t bytes)
{
  tcltk_update();
  void* p = std::malloc(at_least_one(bytes));
  if (!p)
    error("my_malloc(bytes=%ld): out of memory", static_cast<long>(bytes));
  return p;
}

void* my_malloc0(size_t bytes)
{
  tcltk_update();
  void* p = std::calloc(1, at_least_one(bytes));
  if (!p)
    error("my_malloc0(bytes=%ld): out of memory", static_cast<long>(bytes));
  return p;
}

void* my_realloc(void* ptr, size_t bytes)
{
  tcltk_update();
  void* p = std::realloc(ptr, at_least_one(bytes));
  if (!p)
    error("my_realloc(*ptr=%ld,bytes=%ld): out of memory", 0L, static_cast<long>(bytes));
  return p;
}

void* my_realloc0(void* ptr, size_t bytes)
{
  tcltk_update();
  void* p = std::realloc(ptr, at_least_one(bytes));
  if (!p)
    error("my_realloc0(*ptr=%ld,bytes=%ld): out of memory", 0L, static_cast<long>(bytes));
  std::memset(p, 0, bytes);
  return p;
}

// n+1 entries: the arrays are used as 1..n.
static size_t entries(int n) { return static_cast<size_t>(static_cast<long>(n) + 1); }

int* alloc_int_array(int n)
{
  return static_cast<int*>(my_malloc0(entries(n) * sizeof(int)));
}

int** alloc_int_array2(int n, int m)
{
  int** p = static_cast<int**>(my_malloc0(entries(n) * sizeof(int*)));
  for (int i = 1; i <= n; i++)
    p[i] = alloc_int_array(m);
  return p;
}

int*** alloc_int_array3(int n, int m, int k)
{
  int*** p = static_cast<int***>(my_malloc0(entries(n) * sizeof(int**)));
  for (int i = 1; i <= n; i++)
    p[i] = alloc_int_array2(m, k);
  return p;
}

double* alloc_double_array(int n)
{
  return static_cast<double*>(my_malloc0(entries(n) * sizeof(double)));
}

double** alloc_double_array2(int n, int m)
{
  double** p = static_cast<double**>(my_malloc0(entries(n) * sizeof(double*)));
  for (int i = 1; i <= n; i++)
    p[i] = alloc_double_array(m);
  return p;
}

double*** alloc_double_array3(int n, int m, int k)
{
  double*** p = static_cast<double***>(my_malloc0(entries(n) * sizeof(double**)));
  for (int i = 1; i <= n; i++)
    p[i] = alloc_double_array2(m, k);
  return p;
}

char* alloc_char_array(int n)
{
  return static_cast<char*>(my_malloc0(entries(n)));
}

void my_free_int2(int n, int** p)
{
  if (!p)
    return;
  for (int i = 0; i <= n; i++)
    MY_FREE(p[i]);
  std::free(p);
}

void my_free_double2(int n, double** p)
{
  if (!p)
    return;
  for (int i = 0; i <= n; i++)
    MY_FREE(p[i]);
  std::free(p);
}

void my_free_int3(int n, int m, int*** p)
{
  if (!p)
    return;
  for (int i = 0; i <= n; i++)
    my_free_int2(m, p[i]);
  std::free(p);
}

void my_free_double3(int n, int m, double*** p)
{
  if (!p)
    return;
  for (int i = 0; i <= n; i++)
    my_free_double2(m, p[i]);
  std::free(p);
}
