// SHOW TREE and SHOW TREETOP: the splits graph of a compatible system as a
// Newick tree on standard output.
#include "document/tree_out.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "document/document.h"
#include "tests/support/capture.h"
#include "tests/support/run.h"

namespace {

// The tree (('Homo sapiens':1,'O''Brien':2):3,'a,b':4,(d:6,e:7):5) as a
// distance matrix: a tree metric, so the Buneman tree gives it back.
const char* const TREE_METRIC =
  "begin taxa; dimensions ntax=5; taxlabels 'Homo sapiens' 'O''Brien' 'a,b' d e; end;"
  "begin distances; format triangle=both no labels; matrix"
  " 0 3 8 15 16  3 0 9 16 17  8 9 0 15 16  15 16 15 0 13  16 17 16 13 0; end;"
  "assume method=dtree;";

// What one command writes to standard output.
std::string stdout_of(tDocument& doc, const char* command)
{
  tTempDir dir;
  std::fflush(stdout);
  const int saved = dup(1);
  FILE* f = std::fopen(dir.file("stdout").c_str(), "w");
  dup2(fileno(f), 1);
  doc.read_string(command);
  std::fflush(stdout);
  dup2(saved, 1);
  close(saved);
  std::fclose(f);
  return read_text_file(dir.file("stdout"));
}

} // namespace

TEST(TreeOut, BunemanTreeOfATreeMetricGivesItsTree)
{
  tCaptureScope capture;
  tDocument doc;
  doc.read_string(TREE_METRIC);
  EXPECT_EQ(stdout_of(doc, "show tree;"), "(e:7,d:6,('a,b':4,('O''Brien':2,'Homo sapiens':1):3):5);\n");
  EXPECT_EQ(stdout_of(doc, "show TreeTop;"), "(e:1,d:1,('a,b':1,('O''Brien':1,'Homo sapiens':1):1):1);\n");
  EXPECT_TRUE(capture.fe.warnings.empty());
}

TEST(TreeOut, TaxaAtInnerVerticesAndSharedLeavesAreKept)
{
  tCaptureScope capture;
  tDocument doc;
  // c lies on the inner vertex of a and b; e2 equals e, so they share a leaf.
  doc.read_string("begin taxa; dimensions ntax=6; taxlabels a b c d e e2; end;"
                  "begin distances; format triangle=both no labels; matrix"
                  " 0 3 1 5 6 6  3 0 2 6 7 7  1 2 0 4 5 5  5 6 4 0 3 3  6 7 5 3 0 0  6 7 5 3 0 0; end;"
                  "assume method=dtree;");
  EXPECT_EQ(stdout_of(doc, "show tree;"), "((e:0,e2:0):2,d:1,(b:2,a:1,c:0):3);\n");
}

TEST(TreeOut, NothingIsPrintedWithoutACompatibleSystem)
{
  tCaptureScope capture;
  tDocument doc;
  EXPECT_EQ(stdout_of(doc, "show tree;"), "");
  doc.read_string("begin taxa; dimensions ntax=4; taxlabels a b c d; end;"
                  "begin distances; format triangle=both no labels; matrix 0 3 4 5 3 0 5 4 4 5 0 3 5 4 3 0; end;");
  EXPECT_EQ(stdout_of(doc, "show tree;"), "");
  EXPECT_EQ(capture.fe.warnings,
            (std::vector<std::string>{"show tree: invalid data", "show tree: split system not compatible"}));
}

TEST(TreeOut, AnotherProgramReadsTheTree)
{
  if (!have_tools("python3"))
    GTEST_SKIP() << "python3 is not installed";
  tCaptureScope capture;
  tDocument doc;
  doc.read_string(TREE_METRIC);
  tTempDir dir;
  dir.write("tree.nwk", stdout_of(doc, "show tree;"));
  // A small recursive Newick reader: the leaves and the total branch length.
  dir.write("reader.py", R"PY(
import re, sys
tokens = re.findall(r"'(?:[^']|'')*'|[(),:;]|[^(),:;'\s]+", open(sys.argv[1]).read())
pos = 0
def take():
    global pos
    pos += 1
    return tokens[pos - 1]
def node():
    leaves, total = [], 0.0
    if tokens[pos] == "(":
        while take() != ")":
            sub, length = node()
            leaves += sub
            if tokens[pos] == ":":
                take()
                length += float(take())
            total += length
    else:
        name = take()
        leaves.append(name[1:-1].replace("''", "'") if name.startswith("'") else name)
    return leaves, total
leaves, total = node()
assert take() == ";" and pos == len(tokens)
print("|".join(sorted(leaves)), total)
)PY");
  int status = -1;
  const std::string out = shell("python3 " + dir.file("reader.py") + " " + dir.file("tree.nwk"), &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_EQ(out, "Homo sapiens|O'Brien|a,b|d|e 28.0\n");
}
