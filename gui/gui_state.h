// Answers to the GUI script's questions about the document (the Tcl command
// qv_state0). Kept free of Tcl so that every answer can be checked on its own.
#pragma once

#include <string>
#include <vector>

class tDocument;

struct tStateAnswer {
  bool ok = true;   // false: an unknown key (text then says so)
  std::string text;
};

tStateAnswer gui_state(tDocument& doc, const std::string& key);

// The bootstrap support of each split (hundredths of a percent, 1..nsplits),
// or null while none has been computed.
const std::vector<int>* bootstrap_support(const tDocument& doc);

// A label as one Tcl list element that is also a quoted NEXUS word:
// 'label' with inner quotes doubled, and every character that Tcl would
// treat specially (brackets, braces, quotes, backslash, dollar, semicolon,
// white space) behind a backslash. 'Homo' stays 'Homo'.
std::string tcl_nexus_label(const std::string& label);
