// Distances between groups of taxa (COVARION, CCONST, FITCHSIDOW) on a
// two-group partition worked by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/message.h"
#include "distances/fitchsidow.h"
#include "document/document.h"
#include "tests/distances/transform_data.h"
#include "tests/support/capture.h"

namespace {

// Groups {t1, t2} and {t3, t4}. Per site, group 1 / group 2 show:
// A/A, C/variable, G/T, variable/T, A/C, variable/C.
const char* const TWO_GROUPS =
    "begin taxa; dimensions ntax=4; taxlabels t1 t2 t3 t4; end;"
    "begin characters; dimensions nchar=6; format datatype=dna;"
    " matrix t1 ACGTAC t2 ACGAAG t3 ACTTCC t4 AGTTCC; end;"
    "begin qv_assumptions; taxa_partition = 1 2, 3 4,; transform=";

double group_distance(const tDocument& doc, int i, int j) { return doc.distances->get_matrix(i, j); }

void expect_group_matrix(const tDocument& doc, double between)
{
  ASSERT_TRUE(doc.distances->valid());
  EXPECT_EQ(group_distance(doc, 1, 2), 0.0);
  EXPECT_EQ(group_distance(doc, 3, 4), 0.0);
  for (int i : {1, 2})
    for (int j : {3, 4})
      EXPECT_DOUBLE_EQ(group_distance(doc, i, j), between) << i << "," << j;
}

} // namespace

TEST(GroupTransforms, CovarionOnTwoGroups)
{
  tCaptureScope cap;
  tDocument doc;
  doc.read_string((std::string(TWO_GROUPS) + "covarion; end;").c_str());
  // pi = 4/6 and 5/6, both constant at 3 of 6 sites: x = 1/2 - 20/36 = -1/18,
  // d = ln 18 + ln(4/6) + ln(5/6) = ln 10.
  expect_group_matrix(doc, std::log(10.0));
  EXPECT_NE(cap.fe.logged.find("(Covarion distances): ... done\n"), std::string::npos);
  EXPECT_EQ(cap.fe.logged.find("Proportions"), std::string::npos);  // diagnostics stay quiet
}

TEST(GroupTransforms, CconstOnTwoGroups)
{
  tCaptureScope cap;
  tDocument doc;
  // n1 = 1 (A/A), n2 = 2 (G/T, A/C), n3 = 1, n4 = 2: (x*2 + 1 + 2) / (2*1).
  doc.read_string((std::string(TWO_GROUPS) + "cconst 3; end;").c_str());
  expect_group_matrix(doc, (3.0 * 2 + 3) / 2);
  EXPECT_NE(cap.fe.logged.find("\nusing dij=(3*n2+n3+n4)/(2n1) ... "), std::string::npos);
  // PARAMETER=1 divides by the six sites.
  doc.read_string("assume parameter=1;");
  expect_group_matrix(doc, (3.0 * 2 + 3) / 6);
  EXPECT_NE(cap.fe.logged.find("\nusing dij=(3*n2+n3+n4)/n ... "), std::string::npos);
  EXPECT_TRUE(cap.fe.warnings.empty());

  // Groups that never share a constant state are infinitely far apart.
  cap.fe.clear();
  tDocument apart;
  apart.read_string("begin taxa; dimensions ntax=3; taxlabels a b c; end;"
                    "begin characters; dimensions nchar=3; format datatype=dna; matrix a ACG b ACG c CAT; end;"
                    "begin qv_assumptions; taxa_partition = 1 2,; transform=cconst; end;");
  EXPECT_EQ(apart.distances->get_matrix(1, 3), tDistancesBlk::UNKNOWN);
  EXPECT_EQ(apart.distances->get_matrix(1, 2), 0.0);
  EXPECT_EQ(cap.fe.warnings, tStrings{"Bad data: Some groups (e.g. 1 and 2) have infinite distance"});
}

TEST(GroupTransforms, FitchSidowCountsWholeActiveCodons)
{
  tCaptureScope cap;
  const std::string data = "begin taxa; dimensions ntax=4; taxlabels t1 t2 t3 t4; end;"
                           "begin characters; dimensions nchar=10; format datatype=dna;"
                           " matrix t1 ACGACGACGA t2 CTGACGACGT t3 ACGACGACGA t4 ACGACGACGC; end;"
                           "begin qv_assumptions; taxa_partition = 1 2, 3 4,; transform=fitchsidow; end;";
  tDocument doc;
  message("++");  // shows the diagnostics
  doc.read_string(data.c_str());
  message("--");
  // Three codons (site 10 is none); group 1 varies at positions 1 and 2 of
  // the first: Invar = 3 - 1, and group 2 never varies (Invar = 0): k = 0,
  // D = 2/3.
  expect_group_matrix(doc, 2.0 / 3.0);
  EXPECT_NE(cap.fe.logged.find("Group 1: var1=1 var2=1 var12=1 Var=1 Invar=2 Unvar=0\n"
                               "Group 2: var1=0 var2=0 var12=0 Var=0 Invar=0 Unvar=3\n"),
            std::string::npos);
  EXPECT_EQ(cap.fe.warnings, tStrings{"Fitch Sidow: Bad data (group 2)"});

  // A codon with an excluded site does not count.
  doc.read_string("assume exset = 8;");
  expect_group_matrix(doc, 1.0 / 2.0);
}

TEST(GroupTransforms, FitchSidowPicksTheBestFittingSharedCodons)
{
  tCodonCounts g, h;
  g.C = h.C = 10;
  g.Invar = 6, g.Var = 1, g.Unvar = 3;
  h.Invar = 7, h.Var = 2, h.Unvar = 1;
  // k runs over 3..6; at 3 an expected count is 0, and 4 fits best.
  EXPECT_EQ(compute_value(g, h, 3), HUGE_VAL);
  EXPECT_LT(compute_value(g, h, 4), compute_value(g, h, 5));
  EXPECT_LT(compute_value(g, h, 4), compute_value(g, h, 6));
  bool saturated = false;
  EXPECT_DOUBLE_EQ(fitch_sidow_distance(g, h, false, &saturated), (6.0 - 4) / 10);
  EXPECT_FALSE(saturated);
  // p = (8 + 13) / 20 > 1 leaves the correction without a value.
  EXPECT_EQ(fitch_sidow_distance(g, h, true, &saturated), 100.0);
  EXPECT_TRUE(saturated);
  // Without codons nothing tells the groups apart.
  tCodonCounts none;
  EXPECT_EQ(fitch_sidow_distance(none, none, true, &saturated), 0.0);
}

TEST(GroupTransforms, OneGroupGivesZeroAndNoPartitionNothing)
{
  tCaptureScope cap;
  for (const char* transform : {"covarion", "cconst", "fitchsidow"}) {
    SCOPED_TRACE(transform);
    tDocument doc;
    doc.read_string((std::string(TWO_GROUPS) + transform + "; taxa_partition = 1-4,; end;").c_str());
    ASSERT_TRUE(doc.distances->valid());
    for (int i = 1; i <= 4; i++)
      for (int j = 1; j <= 4; j++)
        EXPECT_EQ(doc.distances->get_matrix(i, j), 0.0);

    // Withdrawing the partition withdraws the transform.
    cap.fe.clear();
    doc.read_string("assume taxa_partition = none;");
    EXPECT_NE(cap.fe.logged.find("No TAXA_PARTITION specified"), std::string::npos);
    EXPECT_EQ(doc.assumptions->transform, "HAMMING");
  }
  // Called without one, the transforms refuse and say why.
  for (const char* transform : {"COVARION", "CCONST", "FITCHSIDOW"}) {
    cap.fe.clear();
    tData data("DATATYPE=DNA", {"ACGT", "ACGA"});
    data.compute(transform);
    EXPECT_FALSE(data.distances.valid());
    EXPECT_EQ(cap.fe.warnings, tStrings{"No TAXA_PARTITION specified"});
  }
}
