// Blocks read from their NEXUS text and printed back, one at a time.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "blocks/blk_taxa.h"
#include "nexus/nexus.h"

// A TAXA block of n taxa; without labels they are t1..tn.
inline void read_taxa(tTaxaBlk& taxa, int n, std::string labels = "")
{
  if (labels.empty())
    for (int t = 1; t <= n; t++)
      labels += " t" + std::to_string(t);
  tNexusInput in;
  in.OpenString(("; DIMENSIONS NTAX=" + std::to_string(n) + "; TAXLABELS " + labels + "; END").c_str());
  ASSERT_EQ(taxa.read(&in), 1);
}

// Reads a block's text from behind its name; `skip` tokens come first. The
// reader must leave the usual punctuation, whatever went wrong.
template <class tBlk>
int read_block(tBlk& block, tTaxaBlk& taxa, const std::string& text, int skip = 0)
{
  tNexusInput in;
  in.OpenString(text.c_str());
  while (skip-- > 0)
    in.NextToken();
  const int ok = block.read(&in, &taxa);
  EXPECT_STREQ(in.GetPunctuationChars(), tNexusInput::DEFAULT_PUNCTUATION);
  return ok;
}

template <class tBlk>
std::string printed(const tBlk& block, const tTaxaBlk* taxa)
{
  tNexusOutput out;
  out.OpenString();
  block.print(&out, taxa);
  return out.GetString();
}
