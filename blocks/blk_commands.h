// QV_COMMANDS block: its commands are run by the document's reading loop;
// the block itself only answers to its name and shows its usage.
#pragma once

class tCommandsBlk {
public:
  bool compare_name(const char* name) const;
  void show_usage() const;
};
