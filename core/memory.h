// Checked allocation and 1-based arrays. Every allocation pumps the front
// end's event loop first, so that long computations keep the GUI alive.
#pragma once

#include <cstddef>
#include <cstdlib>

void* my_malloc(size_t bytes);
void* my_malloc0(size_t bytes);
void* my_realloc(void* ptr, size_t bytes);
// Zero-fills the whole resized block: earlier contents are not kept.
void* my_realloc0(void* ptr, size_t bytes);

#define MY_FREE(p) do { if (p) { ::free(p); } } while (0)

// Arrays for n items have n+1 zeroed entries; entry 0 is unused.
int* alloc_int_array(int n);
int** alloc_int_array2(int n, int m);
int*** alloc_int_array3(int n, int m, int k);
double* alloc_double_array(int n);
double** alloc_double_array2(int n, int m);
double*** alloc_double_array3(int n, int m, int k);
char* alloc_char_array(int n);

void my_free_int2(int n, int** p);
void my_free_double2(int n, double** p);
void my_free_int3(int n, int m, int*** p);
void my_free_double3(int n, int m, double*** p);
