#include "blocks/newick.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "nexus/nexus.h"
#include "splits/consensus.h"

namespace {

class tNewickReader {
public:
  tNewickReader(const std::string& text, const tTaxonLookup& lookup, tNewickTree* tree)
      : s(text), lookup(lookup), tree(tree)
  {
  }

  bool read(std::string* error);

private:
  const std::string& s;
  const tTaxonLookup& lookup;
  tNewickTree* tree;
  size_t pos = 0;
  std::string why;
  std::vector<char> seen;

  bool fail(const std::string& text)
  {
    if (why.empty())
      why = text;
    return false;
  }
  // Skips blanks and comments; a comment [&R] or [&U] before the tree sets the rooting.
  bool skip(bool leading = false);
  bool label(std::string* text, bool* quoted);
  int add_node(int parent);
  bool subtree(int parent);
};

bool tNewickReader::skip(bool leading)
{
  for (;;) {
    while (pos < s.size() && static_cast<unsigned char>(s[pos]) <= ' ')
      pos++;
    if (pos >= s.size() || s[pos] != '[')
      return true;
    const size_t start = pos;
    int depth = 0;
    do {
      if (s[pos] == '[')
        depth++;
      else if (s[pos] == ']')
        depth--;
      pos++;
    } while (depth > 0 && pos < s.size());
    if (depth > 0)
      return fail("unterminated comment");
    if (leading && pos - start == 4 && s[start + 1] == '&') {
      const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(s[start + 2])));
      if (c == 'R')
        tree->rooting = 1;
      else if (c == 'U')
        tree->rooting = -1;
    }
  }
}

bool tNewickReader::label(std::string* text, bool* quoted)
{
  text->clear();
  *quoted = false;
  if (pos < s.size() && s[pos] == '\'') {
    *quoted = true;
    for (pos++;; pos++) {
      if (pos >= s.size())
        return fail("unterminated quote");
      if (s[pos] == '\'') {
        if (pos + 1 < s.size() && s[pos + 1] == '\'') {
          *text += '\'';
          pos++;
          continue;
        }
        pos++;
        return true;
      }
      *text += s[pos];
    }
  }
  while (pos < s.size() && !std::strchr("()[],:;'", s[pos]) && static_cast<unsigned char>(s[pos]) > ' ')
    *text += s[pos++];
  return true;
}

int tNewickReader::add_node(int parent)
{
  tree->parent.push_back(parent);
  tree->taxon.push_back(0);
  tree->length.push_back(std::numeric_limits<double>::quiet_NaN());
  return tree->nodes() - 1;
}

bool tNewickReader::subtree(int parent)
{
  const int node = add_node(parent);
  if (!skip())
    return false;
  std::string text;
  bool quoted = false;
  if (pos < s.size() && s[pos] == '(') {
    pos++;
    do {
      if (!subtree(node) || !skip())
        return false;
    } while (pos < s.size() && s[pos] == ',' && ++pos);
    if (pos >= s.size() || s[pos] != ')')
      return fail(pos >= s.size() ? "missing ')'" : std::string("unexpected '") + s[pos] + "'");
    pos++;
    if (!skip() || !label(&text, &quoted))
      return false;
    if (!text.empty() || quoted)
      tree->inner_labels.push_back({node, text});
  } else {
    if (!label(&text, &quoted))
      return false;
    if (text.empty() && !quoted)
      return fail(pos < s.size() ? std::string("taxon expected at '") + s[pos] + "'" : "taxon expected");
    const int t = lookup(text);
    if (t < 1)
      return fail("unknown taxon " + nexus_label(text.c_str()));
    if (static_cast<size_t>(t) >= seen.size())
      seen.resize(static_cast<size_t>(t) + 1, 0);
    if (seen[static_cast<size_t>(t)])
      return fail("taxon " + nexus_label(text.c_str()) + " appears twice");
    seen[static_cast<size_t>(t)] = 1;
    tree->taxon[static_cast<size_t>(node)] = t;
  }
  if (!skip())
    return false;
  if (pos < s.size() && s[pos] == ':') {
    pos++;
    if (!skip())
      return false;
    const char* start = s.c_str() + pos;
    char* end = nullptr;
    const double x = std::strtod(start, &end);
    if (end == start || !std::isfinite(x))
      return fail("branch length expected");
    pos += static_cast<size_t>(end - start);
    tree->length[static_cast<size_t>(node)] = x;
  }
  return true;
}

bool tNewickReader::read(std::string* error)
{
  *tree = tNewickTree();
  bool ok = skip(true) && subtree(-1) && skip();
  if (ok && pos < s.size())
    ok = fail(std::string("unexpected '") + s[pos] + "' after the tree");
  if (!ok && error)
    *error = why;
  return ok;
}

} // namespace

bool read_newick(const std::string& text, const tTaxonLookup& lookup, tNewickTree* tree, std::string* error)
{
  return tNewickReader(text, lookup, tree).read(error);
}

std::string length_text(double x)
{
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15g", x);
  if (std::strtod(buf, nullptr) != x)
    std::snprintf(buf, sizeof buf, "%.17g", x);
  return buf;
}

std::string write_newick(const tNewickTree& tree, const std::function<std::string(int)>& leaf_text)
{
  const int n = tree.nodes();
  if (n == 0)
    return "";
  // Children in written order: preorder puts them after their parent.
  std::vector<int> first(static_cast<size_t>(n), -1), next(static_cast<size_t>(n), -1), last(static_cast<size_t>(n), -1);
  for (int v = 1; v < n; v++) {
    const int p = tree.parent[static_cast<size_t>(v)];
    if (last[static_cast<size_t>(p)] < 0)
      first[static_cast<size_t>(p)] = v;
    else
      next[static_cast<size_t>(last[static_cast<size_t>(p)])] = v;
    last[static_cast<size_t>(p)] = v;
  }
  std::vector<const std::string*> inner(static_cast<size_t>(n), nullptr);
  for (const auto& [v, text] : tree.inner_labels)
    if (v >= 0 && v < n)
      inner[static_cast<size_t>(v)] = &text;

  std::string out;
  // Iterative, so that a deep caterpillar cannot exhaust the stack.
  std::vector<std::pair<int, bool>> stack{{0, false}};
  while (!stack.empty()) {
    auto [v, closing] = stack.back();
    stack.pop_back();
    const size_t u = static_cast<size_t>(v);
    if (!closing) {
      if (first[u] < 0 && tree.taxon[u] > 0) {
        out += leaf_text(tree.taxon[u]);
      } else {
        out += '(';
        stack.push_back({v, true});
        std::vector<int> kids;
        for (int c = first[u]; c >= 0; c = next[static_cast<size_t>(c)])
          kids.push_back(c);
        for (size_t k = kids.size(); k-- > 0;) {
          stack.push_back({kids[k], false});
          if (k > 0)
            stack.push_back({-1, false});
        }
        continue;
      }
    } else {
      out += ')';
      if (inner[u])
        out += nexus_label(inner[u]->c_str());
    }
    if (!std::isnan(tree.length[u]))
      out += ':' + length_text(tree.length[u]);
    // A marker between siblings.
    while (!stack.empty() && stack.back().first == -1) {
      stack.pop_back();
      out += ',';
    }
  }
  return out;
}

void newick_splits(const tNewickTree& tree, const std::vector<int>& to_taxon, int ntax, tTreeSplits* out,
                   std::vector<uint64_t>* node_bits)
{
  const int words = (ntax + 63) / 64;
  const int n = tree.nodes();
  out->clear(words);
  if (n == 0)
    return;
  std::vector<uint64_t>& bits = *node_bits;
  bits.assign(static_cast<size_t>(n) * static_cast<size_t>(words), 0);
  for (int v = n - 1; v >= 0; v--) {
    uint64_t* row = &bits[static_cast<size_t>(v) * words];
    const int t = tree.taxon[static_cast<size_t>(v)];
    const int mapped = t >= 1 && static_cast<size_t>(t) < to_taxon.size() ? to_taxon[static_cast<size_t>(t)] : 0;
    if (mapped >= 1 && mapped <= ntax) {
      row[(mapped - 1) / 64] |= uint64_t(1) << ((mapped - 1) % 64);
      out->taxa_seen++;
    }
    if (v == 0)
      break;
    const int p = tree.parent[static_cast<size_t>(v)];
    uint64_t* up = &bits[static_cast<size_t>(p) * words];
    for (int w = 0; w < words; w++)
      up[w] |= row[w];
  }
  // In the order the edges were written.
  out->bits.assign(bits.begin() + words, bits.end());
  out->lengths.assign(tree.length.begin() + (n > 0 ? 1 : 0), tree.length.end());
}
