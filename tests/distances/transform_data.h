// Small character data for the transform tests, run as the document runs
// them: through the DISTANCES block's computation.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/splits/numbered_data.h"

using tStrings = std::vector<std::string>;

// Taxa t1..tn with the given rows, read through the CHARACTERS block; the
// format may carry further commands before MATRIX ("...; CHARWEIGHTS 1 2").
struct tData : tNumberedData {
  tData(const std::string& format, const tStrings& rows) : tNumberedData(rows, format) {}

  void compute(const char* transform)
  {
    assumptions.transform = transform;
    assumptions.update.post(4);
    distances.compute(&taxa, &assumptions, &characters);
  }

  double d(int i, int j) const { return distances.get_matrix(i, j); }
};
