// Labels and titles as the text of an SVG or PDF picture. Labels are bytes as
// read from the file: UTF-8 when they are valid UTF-8, otherwise taken as
// Latin-1 (the usual encoding of older files). Control characters cannot be
// shown and become a replacement character.
#pragma once

#include <string>
#include <vector>

constexpr unsigned REPLACEMENT_CHARACTER = 0xFFFD;

// The characters of the text.
std::vector<unsigned> text_code_points(const char* text);

// UTF-8 text for an XML element or attribute value: & < > " ' escaped.
std::string xml_text(const char* text);

// The body of a PDF string "(...)" in WinAnsiEncoding, the encoding of the
// standard Times font: characters it lacks print as '?'.
std::string pdf_string(const char* text);

// A PDF text string for the document information: <FEFF...> in UTF-16BE.
std::string pdf_text_string(const char* text);
