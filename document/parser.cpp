// The document's reading loop: blocks and bare commands from one NEXUS stream.
#include "document/document.h"

#include "core/auxilary.h"
#include "core/message.h"
#include "nexus/nexus.h"

namespace {

// Skips to END or ENDBLOCK after a block that was not read to its end, then
// expects the ";" behind it.
void end_block(tNexusInput* in)
{
  if (!in->CurrentTokenIsEnd()) {
    message("(Skipping to end of block)\n");
    while (in->NextToken() && !in->CurrentTokenIsEnd()) {
    }
  }
  if (!in->CompareNextToken(";"))
    in->Error("Input", "Expected: ';'");
}

} // namespace

int tDocument::read_nexus(tNexusInput* in)
{
  while (!in->atEOF()) {
    in->Prompt();
    const char* token = in->NextToken();
    if (!token)
      return 1;
    if (in->CompareCurrentToken("#NEXUS") || in->CompareCurrentToken(";"))
      continue;
    if (in->CompareCurrentToken("BEGIN")) {
      char* text = nullptr;
      if (in->flush_comments(&text)) {
        comments = text;
        has_comments = true;
      }
      std::free(text);
      const char* name = in->NextToken();
      if (name)
        in->Warning("Input", "Unknown block type: %s", name);
      end_block(in);
    } else {
      in->Error("Input", "Unexpected token: %s", token);
      in->SkipToEndOfLine();
    }
    if (freeze_update == 0)
      update_blocks();
  }
  return 1;
}
