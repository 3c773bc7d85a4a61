// Distance transforms on small hand-computed data, run as the document runs
// them: through the DISTANCES block's computation.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "document/document.h"
#include "distances/jukecantor.h"
#include "distances/pam250.h"
#include "nexus/nexus.h"
#include "tests/distances/transform_data.h"
#include "tests/support/capture.h"


TEST(Transforms, HammingComparesOnlyKnownStates)
{
  tCaptureScope cap;
  // t2 differs from t1 once, t3 has a gap and a missing state where t1 has
  // T and A, t4 differs everywhere, t5 has nothing to compare.
  tData data("DATATYPE=DNA GAP=-", {"ACGTACGT", "ACGTACGA", "ACG-?CGT", "TGCATGCA", "????????"});
  data.compute("hamming");
  EXPECT_NE(cap.fe.logged.find("Computing DISTANCES from CHARACTERS (Hamming distances): ... done\n"),
            std::string::npos);
  EXPECT_EQ(data.d(2, 1), 0.125);
  EXPECT_EQ(data.d(1, 3), 0.0);        // the gap and the missing site are left out
  EXPECT_DOUBLE_EQ(data.d(2, 3), 1.0 / 6.0);  // 6 sites compared, the last one differs
  EXPECT_EQ(data.d(1, 4), 1.0);
  EXPECT_EQ(data.d(1, 5), 1.0);
  EXPECT_EQ(data.assumptions.update.updates, 8);

  // A gap that is a state of its own is a difference.
  data.assumptions.gapmode = "NEWSTATE";
  data.compute("HAMMING");
  EXPECT_DOUBLE_EQ(data.d(1, 3), 1.0 / 7.0);
}

// With every site excluded the per-site tables are empty; each transform
// still ends with a matrix or a refusal (the sanitized build sees the rest).
TEST(Transforms, NoActiveSiteComparesNothing)
{
  tCaptureScope cap;
  tDocument doc;
  doc.read_string("begin taxa; dimensions ntax=3; taxlabels a b c; end;"
                  " begin characters; dimensions nchar=2; format datatype=dna missing=?; matrix a A? b ?C c AC; end;"
                  " assume exclude missing");
  ASSERT_TRUE(doc.distances->valid());
  EXPECT_EQ(doc.distances->get_matrix(1, 3), 1.0);
  for (const char* t : {"JC", "K3ST", "LOGDET", "NEI_MILLER", "PAM250", "GAPDIST"}) {
    doc.read_string((std::string("assume transform=") + t).c_str());
    EXPECT_TRUE(doc.taxa->valid()) << t;
  }
}

TEST(Transforms, GapDistanceCountsSitesWithExactlyOneGap)
{
  tCaptureScope cap;
  tData gaps("DATATYPE=DNA GAP=-", {"A-C", "AGC", "A-C", "---"});
  gaps.compute("GAPDIST");
  EXPECT_NE(cap.fe.logged.find("(Gap distances): ... done\n"), std::string::npos);
  EXPECT_DOUBLE_EQ(gaps.d(1, 2), 1.0 / 3.0);
  EXPECT_EQ(gaps.d(1, 3), 0.0);
  EXPECT_DOUBLE_EQ(gaps.d(1, 4), 2.0 / 3.0);
  // Without a gap symbol the missing symbol plays its part.
  tData missing("DATATYPE=DNA", {"A?C", "AGC"});
  missing.compute("GAPDIST");
  EXPECT_DOUBLE_EQ(missing.d(1, 2), 1.0 / 3.0);
}

TEST(Transforms, IdenticalSequencesAreAtDistanceZero)
{
  tCaptureScope cap;
  tData data("DATATYPE=DNA GAP=-", {"ACGTTGCA-", "ACGTTGCA-", "ACGTAGCAA"});
  for (const char* transform : {"HAMMING", "GAPDIST", "JC", "K3ST", "LOGDET"}) {
    data.compute(transform);
    EXPECT_EQ(data.d(1, 2), 0.0) << transform;
    EXPECT_FALSE(std::signbit(data.d(1, 2))) << transform;  // printed as 0, not -0
    EXPECT_GT(data.d(1, 3), 0.0) << transform;
  }
  EXPECT_TRUE(cap.fe.warnings.empty());
}

TEST(Transforms, JukesCantorCorrectsAndSaturatesWithOneWarning)
{
  tCaptureScope cap;
  tData data("DATATYPE=DNA", {"ACGTACGT", "ACGTACGA", "CATGCATG", "GTACGTAC"});
  data.compute("JC");
  ASSERT_TRUE(data.distances.valid());
  EXPECT_NE(cap.fe.logged.find("Computing DISTANCES from CHARACTERS (Jukes-Cantor): ... done\n"),
            std::string::npos);
  EXPECT_DOUBLE_EQ(data.d(1, 2), -0.75 * std::log(1.0 - 4.0 / 3.0 * 0.125));
  // Every other pair differs at every site: h = 1, far beyond h = 3/4.
  for (int j = 3; j <= 4; j++)
    EXPECT_EQ(data.d(1, j), JC_SATURATED_DISTANCE);
  EXPECT_EQ(data.d(3, 4), JC_SATURATED_DISTANCE);
  EXPECT_EQ(cap.fe.warnings, tStrings{"Juke-Cantor: Value too small: -0.333333 (no further warnings)"});

  // Each run warns again, once.
  data.compute("JC");
  EXPECT_EQ(cap.fe.warnings.size(), 2u);

}

TEST(Transforms, Kimura3stSeparatesTheThreeSubstitutionClasses)
{
  tCaptureScope cap;
  tData data("DATATYPE=DNA", {
                                 "ACGTACGT",
                                 "GCGTTCGT",  // one transition (A-G), one A-T change
                                 "GTCAACGT",  // two transitions, two A-T/C-G changes: saturated
                                 "GTCAACGA",  // saturated too
                             });
  data.compute("K3ST");
  ASSERT_TRUE(data.distances.valid());
  EXPECT_NE(cap.fe.logged.find("Computing DISTANCES from CHARACTERS (Kimura 3ST): ... done\n"),
            std::string::npos);
  // p = r = 1/8, q = 0: (1 - 2p)(1 - 2r)(1 - 2p - 2r) = 0.75 * 0.75 * 0.5.
  EXPECT_DOUBLE_EQ(data.d(1, 2), -0.25 * std::log(0.28125));
  EXPECT_EQ(data.d(1, 3), 100.0);
  EXPECT_EQ(data.d(1, 4), 100.0);
  EXPECT_EQ(cap.fe.warnings, tStrings{"Kimura3: Value too small: 0 (no further warnings)"});
}

TEST(TransformsDeathTest, Kimura3stNeedsFourColors)
{
  EXPECT_EXIT(
      {
        set_front_end(nullptr);
        tData data("DATATYPE=PROTEIN", {"ACDE", "ACDF"});
        data.compute("K3ST");
      },
      testing::ExitedWithCode(1), "Fatal Error: Kimura3 correction only defined for 4-colored data\n$");
}

TEST(Transforms, ConstantSitesComeOffThePairFrequencies)
{
  tCaptureScope cap;
  tData data("DATATYPE=DNA", {"AACGT", "AACGA", "AACGT"});
  data.assumptions.exclude_constant = 2;
  data.compute("JC");
  // Four constant sites (A A C G) scaled to two: A 1, C 0.5, G 0.5.
  EXPECT_NE(cap.fe.logged.find("Computing DISTANCES from CHARACTERS Excluding 2 constant sites:\n"
                               " A:1 C:0.5 G:0.5\n(Jukes-Cantor): ..."),
            std::string::npos);
  const std::string removing = "removing: 1\nremoving: 0.5\nremoving: 0.5\nremoving: 0\n";
  size_t count = 0;
  for (size_t at = cap.fe.logged.find(removing); at != std::string::npos;
       at = cap.fe.logged.find(removing, at + 1))
    count++;
  EXPECT_EQ(count, 3u);  // one set per pair
  // Left: A-A 1, C-C 0.5, G-G 0.5 and the T-A difference: h = 1/3.
  EXPECT_DOUBLE_EQ(data.d(1, 2), -0.75 * std::log(1.0 - 4.0 / 3.0 / 3.0));
  EXPECT_EQ(data.d(1, 3), 0.0);
}

TEST(Transforms, UserMatrixSumsTheTableOverComparedSites)
{
  tCaptureScope cap;
  tData data("MISSING=?", {"0011", "0101", "01?1"});
  data.assumptions.n_colors = 2;
  data.assumptions.usermatrix = {{0, 0, 0}, {0, 0, 3}, {0, 3, 0.5}};
  data.compute("USERMATRIX");
  ASSERT_TRUE(data.distances.valid());
  EXPECT_NE(cap.fe.logged.find("(Haming distances using user-matrix): ... done\n"), std::string::npos);
  EXPECT_EQ(data.d(1, 2), 0 + 3 + 3 + 0.5);
  EXPECT_EQ(data.d(1, 3), 0 + 3 + 0.5);
  EXPECT_EQ(data.assumptions.colors2symbols[1], '0');
  EXPECT_EQ(data.assumptions.colors2symbols[2], '1');

  // A table smaller than the alphabet: the states without a row add nothing.
  data.assumptions.n_colors = 1;
  data.assumptions.usermatrix = {{0, 0}, {0, 7}};
  data.compute("USERMATRIX");
  EXPECT_EQ(data.d(1, 2), 7.0);
}

TEST(Transforms, Pam250SumsTheTableAndLeavesOutNonAminoAcids)
{
  tCaptureScope cap;
  tData data("DATATYPE=PROTEIN GAP=-", {"CWAZA", "CWAA-", "WC?AZ"});
  data.compute("PAM250");
  ASSERT_TRUE(data.distances.valid());
  EXPECT_NE(cap.fe.logged.find("(Haming distances using PAM250): ... done\n"), std::string::npos);
  EXPECT_EQ(data.d(1, 2), 5 + 0 + 15);   // C-C, W-W, A-A; Z and the gap are left out
  EXPECT_EQ(data.d(1, 3), 25 + 25);      // C-W, W-C; missing and Z left out
  EXPECT_EQ(data.d(2, 3), 25 + 25 + 15);
  EXPECT_EQ(data.assumptions.colors2symbols[21], 'Z');

  for (const char* x = "ARNDCQEGHILKMFPSTWYV"; *x; x++)
    for (const char* y = "ARNDCQEGHILKMFPSTWYV"; *y; y++)
      ASSERT_EQ(pam250_entry(*x, *y), pam250_entry(*y, *x)) << *x << *y;
  EXPECT_EQ(pam250_entry('r', 'w'), 15);
  EXPECT_EQ(pam250_entry('A', 'X'), -1);

  // Gaps as a state have no entry: the transform refuses.
  cap.fe.clear();
  data.assumptions.gapmode = "NEWSTATE";
  data.compute("PAM250");
  EXPECT_FALSE(data.distances.valid());
  EXPECT_EQ(cap.fe.warnings, tStrings{"PAM250 only valid with GAPMODE=MISSING"});
  EXPECT_EQ(cap.fe.logged, "Computing DISTANCES from CHARACTERS (Haming distances using PAM250): ...");
}

TEST(Transforms, UnknownTransformsAreRefused)
{
  tCaptureScope cap;
  tData data("DATATYPE=DNA", {"ACGT", "ACGA", "ACTT"});
  data.compute("HAMMING");
  ASSERT_TRUE(data.distances.valid());
  cap.fe.clear();
  data.assumptions.update.updates = 0;
  data.compute("WHATEVER");
  EXPECT_FALSE(data.distances.valid());
  EXPECT_EQ(cap.fe.warnings, tStrings{"Transformation not implemented: WHATEVER"});
  EXPECT_EQ(data.assumptions.update.updates, 0);
}

TEST(Transforms, ForcedMetricAppliesToComputedDistances)
{
  tCaptureScope cap;
  // With missing states Hamming distances need not be metric: 1 3 is 1,
  // through 2 it is 0 + 0.5.
  tData data("DATATYPE=DNA", {"AA??", "AAAA", "CCAA"});
  tNexusInput in;
  in.OpenString("; FORCE_METRIC; MATRIX t1 0 t2 1 0 t3 9 1 0; END");
  ASSERT_EQ(data.distances.read(&in, &data.taxa), 1);
  EXPECT_EQ(data.distances.get_offset(), 7.0);

  // The offset of the block that was read is dropped; the computed matrix
  // gets its own.
  cap.fe.clear();
  data.compute("HAMMING");
  EXPECT_NE(cap.fe.logged.find("[Worst violating triplet(s): 2 1 3.]\n"
                               "FORCING triangle inequalities: Adding offset 0.5 to all distances\n"),
            std::string::npos);
  EXPECT_EQ(data.distances.get_offset(), 0.5);
  EXPECT_EQ(data.d(1, 2), 0.5);
  EXPECT_EQ(data.d(1, 3), 1.5);
  EXPECT_EQ(data.d(2, 3), 1.0);
}
