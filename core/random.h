// The C standard's reference pseudo-random generator, our own so that
// bootstrap samples and layout jitter are the same on every platform.
// The state is per thread; a thread that never seeds starts from seed 1.
#pragma once

constexpr int REF_RAND_MAX = 32767;

int ref_rand();
void ref_srand(unsigned int seed);
