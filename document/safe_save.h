#pragma once

#include <string>

class tNexusOutput;

// Saving never leaves a half-written file in place of a good one: the text
// goes to a temporary file in the same folder, which replaces the target only
// when every write succeeded. A symbolic link is followed to its target;
// a target that is no regular file or is read-only is refused; one with
// other hard links is rewritten in place once its text is complete (then
// `save->tmpname` stays empty and the text is held in memory). Every failure warns
// naming `filename` and counts as a failure of the command; `cant_open`
// (a format taking the name) replaces "Can't open file: %s to write".
struct tSafeSave {
  std::string target;  // the file that is replaced, links followed
  std::string tmpname; // empty when the target is rewritten in place
};
int open_safe_output(tNexusOutput* out, const char* filename, tSafeSave* save, const char* cant_open = nullptr);
// Closes it and puts it in place of the target, or removes it and warns
// "Couldn't write file: %s". 1 on success.
int commit_safe_output(tNexusOutput* out, const char* filename, const tSafeSave& save);
// Gives up an opened output: the target stays as it was.
void abandon_safe_output(tNexusOutput* out, const tSafeSave& save);
