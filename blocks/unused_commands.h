// Commands of the standard blocks that carry nothing the analyses use
// (titles, links between blocks, label lists for characters and states,
// options of other programs). Files written by other programs are full of
// them; they are passed over with one warning naming the command.
#pragma once

class tNexusInput;

// When the current token names such a command: warns "%s command not
// implemented", consumes the command through its ";" and returns true.
bool skip_unused_command(tNexusInput* in, const char* where);
