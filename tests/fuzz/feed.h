// Feeds one untrusted input to a fresh document, as a file when it starts
// with '#' and as typed commands otherwise. Shared by the fuzz target and
// the test that replays the inputs it once crashed on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "document/document.h"

// Runs in the current folder: commands that write (SAVE, PS, ...) or read
// (OPEN, IMPORT) must stay there, so the caller chooses a scratch folder and
// every '/' of the input becomes '_'.
inline void feed_untrusted_input(const uint8_t* data, size_t size)
{
  std::string text(reinterpret_cast<const char*>(data), size);
  for (char& c : text)
    if (c == '/')
      c = '_';
  tDocument doc;
  if (!text.empty() && text[0] == '#') {
    const char* name = "fuzz_input.nex";
    if (FILE* fp = std::fopen(name, "wb")) {
      std::fwrite(text.data(), 1, text.size(), fp);
      std::fclose(fp);
      doc.read_file(name);
    }
    return;
  }
  // Typed commands end at a NUL, as a C string does.
  text.resize(std::char_traits<char>::length(text.c_str()));
  doc.read_string(text.c_str());
}
