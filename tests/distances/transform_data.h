// Small character data for the transform tests, run as the document runs
// them: through the DISTANCES block's computation.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "nexus/nexus.h"

using tStrings = std::vector<std::string>;

// Taxa t1..tn with the given rows, read through the CHARACTERS block; the
// format may carry further commands before MATRIX ("...; CHARWEIGHTS 1 2").
struct tData {
  tTaxaBlk taxa;
  tAssumptionsBlk assumptions;
  tCharactersBlk characters;
  tDistancesBlk distances;

  tData(const std::string& format, const tStrings& rows)
  {
    std::string labels, matrix;
    for (size_t t = 1; t <= rows.size(); t++) {
      labels += " t" + std::to_string(t);
      matrix += "\n t" + std::to_string(t) + " " + rows[t - 1];
    }
    tNexusInput in;
    in.OpenString(("; DIMENSIONS NTAX=" + std::to_string(rows.size()) + "; TAXLABELS" + labels + "; END").c_str());
    EXPECT_EQ(taxa.read(&in), 1);
    in.OpenString(("; DIMENSIONS NCHAR=" + std::to_string(rows[0].size()) + "; FORMAT " + format +
                   "; MATRIX" + matrix + "; END")
                      .c_str());
    EXPECT_EQ(characters.read(&in, &taxa), 1);
  }

  void compute(const char* transform)
  {
    assumptions.transform = transform;
    assumptions.update.post(4);
    distances.compute(&taxa, &assumptions, &characters);
  }

  double d(int i, int j) const { return distances.get_matrix(i, j); }
};
