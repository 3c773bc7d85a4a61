// The packed pair loops must give exactly what the plain loops over the
// sites give, for any alphabet, mask and gap mode.
#include <gtest/gtest.h>

#include <string>

#include "core/random.h"
#include "distances/compute_freq.h"
#include "distances/hamming.h"
#include "document/document.h"
#include "tests/support/capture.h"

namespace {

std::string random_block(const char* datatype, const char* alphabet, int ntax, int nchar)
{
  ref_srand(99);
  std::string text = "begin taxa; dimensions ntax=" + std::to_string(ntax) + "; taxlabels";
  for (int t = 1; t <= ntax; t++)
    text += " t" + std::to_string(t);
  text += "; end; begin characters; dimensions nchar=" + std::to_string(nchar) + "; format datatype=" +
          datatype + " missing=? gap=-; matrix\n";
  const int k = static_cast<int>(std::string(alphabet).size());
  for (int t = 1; t <= ntax; t++) {
    text += "t" + std::to_string(t) + " ";
    for (int c = 0; c < nchar; c++) {
      const int r = ref_rand() % 20;
      text += r == 0 ? '-' : r == 1 ? '?' : alphabet[ref_rand() % k];
    }
    text += "\n";
  }
  return text + "; end;";
}

double plain_hamming(const tCharactersBlk& ch, int i, int j, int gap)
{
  int compared = 0, same = 0;
  for (int c = 1; c <= ch.get_nchar(); c++) {
    if (!ch.get_mask(c))
      continue;
    const int x = ch.get_matrix(i, c), y = ch.get_matrix(j, c);
    if (x == ch.missing || y == ch.missing || (gap && (x == gap || y == gap)))
      continue;
    compared++;
    same += x == y;
  }
  return (compared == 0 || same == 0) ? 1.0 : 1.0 - static_cast<double>(same) / compared;
}

} // namespace

TEST(PackedPairs, AgreeWithThePlainLoops)
{
  tCaptureScope capture;
  struct tCase {
    const char* datatype;
    const char* alphabet;
    const char* assume;
  };
  const tCase cases[] = {
    {"DNA", "ACGT", "exclude gaps;"},
    {"DNA", "ACGT", "options gapmode=newstate; exset = 3-40 77;"},
    {"PROTEIN", "ACDEFGHIKLMNPQRSTVWY", "exclude missing;"},
    {"STANDARD", "01", "exset = 5-70;"},
  };
  for (const tCase& tc : cases) {
    SCOPED_TRACE(std::string(tc.datatype) + " " + tc.assume);
    tDocument doc;
    doc.read_string(random_block(tc.datatype, tc.alphabet, 9, 300).c_str());
    doc.read_string((std::string("assume ") + tc.assume).c_str());
    const tCharactersBlk& ch = *doc.characters;
    ASSERT_TRUE(ch.valid()) << capture.fe.transcript;
    computeHamming(doc.taxa.get(), doc.assumptions.get(), doc.characters.get(), doc.distances.get());
    const int gap = doc.assumptions->gapmode == "MISSING" ? ch.gap : 0;
    const tPairCounter counter(doc.characters.get()), scalar(doc.characters.get(), false);
    tSquareMatrix fast(ch.ncolors), plain(ch.ncolors), popcount(ch.ncolors);
    for (int i = 1; i <= 9; i++)
      for (int j = i + 1; j <= 9; j++) {
        EXPECT_EQ(doc.distances->get_matrix(j, i), plain_hamming(ch, i, j, gap));
        computeF(counter, doc.characters.get(), doc.assumptions.get(), i, j, fast.rows());
        computeF(doc.taxa.get(), doc.characters.get(), doc.assumptions.get(), i, j, plain.rows());
        computeF(scalar, doc.characters.get(), doc.assumptions.get(), i, j, popcount.rows());
        for (int a = 1; a <= ch.ncolors; a++)
          for (int b = 1; b <= ch.ncolors; b++) {
            ASSERT_EQ(fast[a][b], plain[a][b]) << i << "," << j << " " << a << "," << b;
            ASSERT_EQ(popcount[a][b], plain[a][b]) << i << "," << j << " " << a << "," << b;
          }
      }
  }
}
