#include "blocks/s_vector.h"

#include "blocks/blk_characters.h"
#include "core/message.h"
#include "core/sets.h"

namespace {

// Byte sets, built once per thread.
struct tBaseClasses {
  tSet nucleotides{255}, strong{255}, purines{255};
  tBaseClasses()
  {
    for (const char* p = "acgtuACGTU"; *p; p++)
      nucleotides.insert(static_cast<unsigned char>(*p));
    for (const char* p = "gGcC"; *p; p++)
      strong.insert(static_cast<unsigned char>(*p));
    for (const char* p = "aAgG"; *p; p++)
      purines.insert(static_cast<unsigned char>(*p));
  }
};

const tBaseClasses& base_classes()
{
  thread_local const tBaseClasses classes;
  return classes;
}

} // namespace

bool is_nucleotide(unsigned char x) { return base_classes().nucleotides.is_element(x); }
bool is_strong_base(unsigned char x) { return base_classes().strong.is_element(x); }
bool is_purine_base(unsigned char x) { return base_classes().purines.is_element(x); }

int tCharactersBlk::compute_s_vectors(int nsize, std::vector<std::vector<float>>& s_vec) const
{
  // Pattern indices run up to 2^(ntax-1) - 1.
  if (ntax < 1 || ntax > 31 || nsize < (1 << (ntax - 1)))
    error("compute_s_vectors(): nsize=%d too small for %d taxa", nsize, ntax);
  s_vec.assign(4, std::vector<float>());
  for (int k = 1; k <= 3; k++)
    s_vec[k].assign(static_cast<size_t>(nsize), 0.0f);

  int used = 0;
  for (int c = 1; c <= nchar; c++) {
    if (!get_mask(c))
      continue;
    const unsigned char r = get_matrix(ntax, c);
    if (!is_nucleotide(r))
      continue;
    const bool r_strong = is_strong_base(r), r_purine = is_purine_base(r);
    int i1 = 0, i2 = 0, i3 = 0;
    bool keep = true;
    for (int t = 1; t < ntax && keep; t++) {
      const unsigned char y = get_matrix(t, c);
      if (!is_nucleotide(y)) {
        keep = false;
        break;
      }
      const int weight = 1 << (t - 1);
      const bool d1 = is_strong_base(y) != r_strong;
      const bool d2 = is_purine_base(y) != r_purine;
      if (d1)
        i1 += weight;
      if (d2)
        i2 += weight;
      if (d1 != d2)
        i3 += weight;
    }
    if (!keep)
      continue;
    s_vec[1][i1] += 1.0f;
    s_vec[2][i2] += 1.0f;
    s_vec[3][i3] += 1.0f;
    used++;
  }
  return used;
}
