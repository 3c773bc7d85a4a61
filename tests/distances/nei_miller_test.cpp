// Nei-Miller restriction-site distances, worked by hand, and the ways to
// them: REAP import and the assumption checks.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "distances/nei_miller.h"
#include "document/document.h"
#include "tests/distances/transform_data.h"
#include "tests/support/capture.h"
#include "tests/support/run.h"

TEST(NeiMiller, CombinesTheClassesOfEachRecognitionLength)
{
  tCaptureScope cap;
  // Sites 1-4 are of six-base enzymes, 5-6 of four-base ones.
  tData data("DATATYPE=STANDARD; CHARWEIGHTS 6 6 6 6 4 4", {"110110", "101111", "010011"});
  data.compute("NEI_MILLER");
  ASSERT_TRUE(data.distances.valid());
  EXPECT_NE(cap.fe.logged.find("(Restriction site distances (Nei Miller 1990)): ... done\n"), std::string::npos);
  // 1-2: S = 4/6 in both classes, with weights w*mbar of 6*3 and 4*1.5.
  EXPECT_DOUBLE_EQ(data.d(1, 2), (18 * std::log(1.5) / 6 + 6 * std::log(1.5) / 4) / 24);
  // 1-3: S = 2/4 with mbar 2, and S = 2/3 with mbar 1.5.
  EXPECT_DOUBLE_EQ(data.d(1, 3), (2 * std::log(2.0) + 1.5 * std::log(1.5)) / 18);
  // 2-3 share none of their six-base sites: no finite distance.
  EXPECT_EQ(data.d(2, 3), tDistancesBlk::UNKNOWN);
  EXPECT_TRUE(cap.fe.warnings.empty());

  // One class: D = -ln(2 m_ij / (m_ii + m_jj)) / w.
  tData one("DATATYPE=STANDARD; CHARWEIGHTS 5 5 5 5", {"1110", "1011"});
  one.compute("NEI_MILLER");
  EXPECT_DOUBLE_EQ(one.d(1, 2), -std::log(4.0 / 6.0) / 5);
}

TEST(NeiMiller, ZeroDenominatorsWarnOnceEachInTheirOrder)
{
  tCaptureScope cap;
  // A zero weight (3), classes without present sites (2) and pairs with
  // no present site at all (4).
  tData data("DATATYPE=STANDARD; CHARWEIGHTS 6 6 0 4", {"1100", "1000", "0000", "0000"});
  data.compute("NEI_MILLER");
  ASSERT_TRUE(data.distances.valid());
  // The empty classes weigh nothing: only the six-base class counts.
  EXPECT_DOUBLE_EQ(data.d(1, 2), -std::log(2.0 / 3.0) / 6);
  EXPECT_EQ(data.d(3, 4), 1.0);
  EXPECT_EQ(cap.fe.warnings, (tStrings{"nei_miller: denominator zero in equation (2)",
                                       "nei_miller: denominator zero in equation (3)",
                                       "nei_miller: denominator zero in equation (4)"}));
  for (int i = 1; i <= 4; i++)
    for (int j = 1; j <= 4; j++)
      EXPECT_FALSE(std::isnan(data.d(i, j)));

  cap.fe.clear();
  tData unweighted("DATATYPE=STANDARD", {"1100", "1000"});
  unweighted.compute("NEI_MILLER");
  EXPECT_FALSE(unweighted.distances.valid());
  EXPECT_EQ(cap.fe.warnings, tStrings{"Can't compute NeiMiller distances, no charweights given"});
}

TEST(NeiMiller, ReapDataAndTheAssumptionCheck)
{
  tCaptureScope cap;
  tTempDir dir;
  dir.write("sites.reap", "3 6 S\n6 6 6 6 4 4\n#\na 1101 10\nb 1011 11\nc 0101 11\n");
  tDocument doc;
  doc.read_string(("import reap " + dir.file("sites.reap") + "; assume transform=nei_miller;").c_str());
  ASSERT_TRUE(doc.distances->valid()) << cap.fe.transcript;
  EXPECT_DOUBLE_EQ(doc.distances->get_matrix(1, 2), (18 * std::log(1.5) / 6 + 6 * std::log(1.5) / 4) / 24);
  EXPECT_TRUE(doc.splits->valid());

  // Nucleotides without weights are no restriction sites.
  cap.fe.clear();
  tDocument dna;
  dna.read_string("begin taxa; dimensions ntax=3; taxlabels a b c; end;"
                  "begin characters; dimensions nchar=4; format datatype=dna; matrix a ACGT b ACGA c TCGA; end;"
                  "assume transform=nei_miller;");
  EXPECT_EQ(cap.fe.warnings, tStrings{"Assumption transform=NEI_MILLER invalid for given data"});
  EXPECT_EQ(dna.assumptions->transform, "HAMMING");
  EXPECT_TRUE(dna.distances->valid());
}

TEST(NeiMiller, TheWeightedExampleGivesDistancesAndSplits)
{
  tCaptureScope cap;
  tDocument doc;
  ASSERT_EQ(doc.read_file((source_dir() + "/examples/restriction_sites.nex").c_str()), 1);
  EXPECT_EQ(doc.assumptions->transform, "NEI_MILLER");
  ASSERT_TRUE(doc.distances->valid()) << cap.fe.transcript;
  const int ntax = doc.taxa->get_ntax();
  for (int i = 1; i <= ntax; i++)
    for (int j = i + 1; j <= ntax; j++)
      EXPECT_TRUE(std::isfinite(doc.distances->get_matrix(i, j)) && doc.distances->get_matrix(i, j) > 0);
  EXPECT_TRUE(doc.splits->valid());
  EXPECT_TRUE(cap.fe.warnings.empty());
}
