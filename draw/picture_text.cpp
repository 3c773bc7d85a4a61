#include "draw/picture_text.h"

#include <cstdio>

namespace {

// Decodes the text as UTF-8; false when it is not valid UTF-8 (overlong
// forms and surrogates included).
bool decode_utf8(const unsigned char* s, std::vector<unsigned>& out)
{
  while (*s) {
    unsigned c = *s++;
    int more = 0;
    unsigned min = 0;
    if (c < 0x80) {
    } else if ((c & 0xE0) == 0xC0) {
      c &= 0x1F, more = 1, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      c &= 0x0F, more = 2, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      c &= 0x07, more = 3, min = 0x10000;
    } else {
      return false;
    }
    for (; more > 0; more--, s++) {
      if ((*s & 0xC0) != 0x80)
        return false;
      c = (c << 6) | (*s & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
      return false;
    out.push_back(c);
  }
  return true;
}

bool is_control(unsigned c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

void append_utf8(std::string& s, unsigned c)
{
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (c >> 18));
    s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// WinAnsiEncoding's code for a character, 0 when it has none.
unsigned char winansi(unsigned c)
{
  if ((c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF))
    return static_cast<unsigned char>(c);
  static const struct {
    unsigned c;
    unsigned char code;
  } extra[] = {{0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86},
               {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C},
               {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95},
               {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B},
               {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F}};
  for (const auto& e : extra)
    if (e.c == c)
      return e.code;
  return 0;
}

} // namespace

std::vector<unsigned> text_code_points(const char* text)
{
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text ? text : "");
  std::vector<unsigned> cps;
  if (!decode_utf8(s, cps)) {
    cps.clear();
    for (; *s; s++)
      cps.push_back(*s);
  }
  for (unsigned& c : cps)
    if (is_control(c))
      c = REPLACEMENT_CHARACTER;
  return cps;
}

std::string xml_text(const char* text)
{
  std::string s;
  for (unsigned c : text_code_points(text)) {
    switch (c) {
    case '&': s += "&amp;"; break;
    case '<': s += "&lt;"; break;
    case '>': s += "&gt;"; break;
    case '"': s += "&quot;"; break;
    case '\'': s += "&apos;"; break;
    default: append_utf8(s, c);
    }
  }
  return s;
}

std::string pdf_string(const char* text)
{
  std::string s;
  for (unsigned c : text_code_points(text)) {
    const unsigned char b = winansi(c);
    if (b == 0) {
      s += '?';
    } else if (b == '(' || b == ')' || b == '\\') {
      s += '\\';
      s += static_cast<char>(b);
    } else if (b >= 0x80) {
      char octal[8];
      std::snprintf(octal, sizeof octal, "\\%03o", b);
      s += octal;
    } else {
      s += static_cast<char>(b);
    }
  }
  return s;
}

std::string pdf_text_string(const char* text)
{
  std::string s = "<FEFF";
  char hex[8];
  for (unsigned c : text_code_points(text)) {
    if (c >= 0x10000) {
      c -= 0x10000;
      std::snprintf(hex, sizeof hex, "%04X", 0xD800 + (c >> 10));
      s += hex;
      c = 0xDC00 + (c & 0x3FF);
    }
    std::snprintf(hex, sizeof hex, "%04X", c);
    s += hex;
  }
  return s + ">";
}
