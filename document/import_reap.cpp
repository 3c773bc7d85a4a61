// Restriction-site data in REAP format, turned into NEXUS text:
//
//   ntax nchar S
//   r_1 ... r_nchar          (sites per enzyme, the character weights)
//   #
//   label row                (a row may be spread over several words)
//   ...
#include <string>

#include "core/message.h"
#include "document/document.h"
#include "nexus/nexus.h"

namespace {

const char* const WHERE = "IMPORT-reap";

// Reads the file into NEXUS text; false after a syntax error.
bool reap_to_nexus(tNexusInput* in, std::string* text)
{
  int ntax = 0, nchar = 0;
  if (!in->ReadNextTokenInt(&ntax) || ntax < 1 || !in->ReadNextTokenInt(&nchar) || nchar < 1 ||
      !in->CompareNextToken("S"))
    return in->Error(WHERE, "Line 1 must be: ntax nchar S");

  std::string weights;
  for (int c = 1; c <= nchar; c++) {
    double r = 0;
    if (!in->ReadNextTokenDouble(&r))
      return in->Error(WHERE, "Can't read %d-th r-value", c);
    char number[64];
    std::snprintf(number, sizeof number, " %G", r);
    weights += number;
  }
  if (!in->CompareNextToken("#"))
    return in->Error(WHERE, "Expected '#'");

  std::string labels, rows;
  for (int t = 1; t <= ntax; t++) {
    if (!in->NextToken())
      return in->Error(WHERE, "Can't read %d-th taxon label", t);
    const std::string label = nexus_label(in->CurrentToken());
    labels += " " + label;
    std::string row;
    while (static_cast<int>(row.size()) < nchar) {
      if (!in->NextToken())
        return in->Error(WHERE, "Too few characters for %d-th taxon", t);
      const std::string word = in->CurrentToken();
      if (static_cast<int>(row.size() + word.size()) > nchar)
        return in->Error(WHERE, "Too many characters for %d-th taxon", t);
      row += word;
    }
    rows += "\n" + label + " " + row;
  }

  *text = "begin taxa;dimensions ntax=" + std::to_string(ntax) + ";\ntaxlabels" + labels + ";\nend;\n";
  *text += "begin characters;dimensions nchar=" + std::to_string(nchar) + ";format datatype=standard;";
  *text += "charweights" + std::string(" ") + weights + ";\nmatrix" + rows + "\n;\nend;\n";
  *text += "begin qv_assumptions;\ntransform=NEI_MILLER;\nend;\n";
  return true;
}

} // namespace

int tDocument::import_reap(const char* filename)
{
  std::string text;
  bool ok;
  const long failures = failure_count();
  {
    tNexusInput in;
    if (!in.OpenFile(0, filename)) {
      note_failure();
      return 0;
    }
    in.SetPunctuationChars(tNexusInput::LABEL_PUNCTUATION);
    ok = reap_to_nexus(&in, &text);
    in.SetPunctuationChars(nullptr);
    in.CloseFile();
  }
  if (ok) {
    // Read as one stream, frozen, so that the pipeline runs once afterwards.
    // (Not through read_string: its length limit would cut large data sets.)
    freeze_update++;
    tNexusInput in;
    in.OpenString(text.c_str());
    read_nexus(&in);
    freeze_update--;
  }
  set_title(filename);
  if (!ok && failure_count() == failures)
    note_failure();
  return ok ? 1 : 0;
}
