#include "blocks/s_vector.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_taxa.h"
#include "nexus/nexus.h"
#include "tests/support/capture.h"

namespace {

int read_text(tNexusInput& in, const std::string& text)
{
  in.OpenString(text.c_str());
  in.NextToken();
  return in.NextToken() != nullptr;
}

} // namespace

TEST(SVectors, CountSitePatternsAgainstTheLastTaxon)
{
  tCaptureScope cap;
  tTaxaBlk taxa;
  tCharactersBlk ch;
  tNexusInput in;
  ASSERT_TRUE(read_text(in, "BEGIN TAXA; DIMENSIONS NTAX=3; TAXLABELS a b c; END;"));
  ASSERT_EQ(taxa.read(&in), 1);
  // Site 1 agrees everywhere; in site 2 taxon a is a G (strong, purine)
  // against the reference A; in site 3 taxon b is a C (strong, pyrimidine).
  // Site 4 holds a gap, the reference misses site 5, site 6 is excluded.
  ASSERT_TRUE(read_text(in, "BEGIN CHARACTERS; DIMENSIONS NCHAR=6; FORMAT DATATYPE=DNA GAP=-;"
                            "MATRIX a AGA-AT b AAC?AT c AAAA?A; END;"));
  ASSERT_EQ(ch.read(&in, &taxa), 1);
  tAssumptionsBlk assumptions;
  assumptions.exset.assign(7, 0);
  assumptions.exset[6] = 1;
  assumptions.update.post(2);
  ch.compute(&taxa, &assumptions);

  std::vector<std::vector<float>> s;
  EXPECT_EQ(ch.compute_s_vectors(4, s), 3);
  ASSERT_EQ(s.size(), 4u);
  EXPECT_EQ(s[1], (std::vector<float>{1, 1, 1, 0}));  // G/C against A/T
  EXPECT_EQ(s[2], (std::vector<float>{2, 0, 1, 0}));  // A/G against C/T
  EXPECT_EQ(s[3], (std::vector<float>{2, 1, 0, 0}));  // A/C against G/T

  EXPECT_EXIT({ set_front_end(nullptr); ch.compute_s_vectors(3, s); }, testing::ExitedWithCode(1),
              "nsize=3 too small for 3 taxa");
}
