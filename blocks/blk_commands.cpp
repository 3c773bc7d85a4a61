#include "blocks/blk_commands.h"

#include "core/auxilary.h"
#include "core/message.h"

bool tCommandsBlk::compare_name(const char* name) const { return same_token(name, "QV_COMMANDS"); }

void tCommandsBlk::show_usage() const
{
  static const char* const lines[] = {
    "BEGIN QV_COMMANDS;\n",
    "    [OPEN filename;]\n",
    "    [IMPORT format filename;]\n",
    "    [SAVE [block-names] filename;]\n",
    "    [ASSUME assumption;]\n",
    "    [TITLE name;]\n",
    "    [DRAW [geometry commands];]\n",
    "    [HELP [{block-name|command-name}];]\n",
    "    [INFO;]\n",
    "    [VERSION;]\n",
    "    [CLOSE;]\n",
    "    [QUIT;]\n",
    "END;\n",
  };
  for (const char* line : lines)
    message("%s", line);
}
