#include "nexus/nexus.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/auxilary.h"
#include "core/memory.h"
#include "core/message.h"

const char* const tNexusInput::DEFAULT_PUNCTUATION = "()[]{}/\\,;:=*'\"`+-<>";
const char* const tNexusInput::DEFAULT_SPACE = " \f\n\r\t\v";
const char* const tNexusInput::LABEL_PUNCTUATION = ",;:='\"`";

namespace {

// Longest text of one syntax error or warning; a runaway format is cut here.
constexpr size_t REPORT_TEXT_LIMIT = 10000;
// How much of the input before the error position is shown.
constexpr long CONTEXT_CHARS = 40;
// Echoed [! ] comments go to the log in pieces well below the log's own cut.
constexpr size_t ECHO_CHUNK = 4000;

std::string vformat(const char* format, va_list ap)
{
  std::string text;
  if (!format)
    return text;
  va_list copy;
  va_copy(copy, ap);
  int n = vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n <= 0)
    return text;
  std::vector<char> buf(static_cast<size_t>(n) + 1);
  vsnprintf(buf.data(), buf.size(), format, ap);
  text.assign(buf.data(), static_cast<size_t>(n));
  return text;
}

// Hands text to the log; message() would stop at an embedded NUL anyway.
void log_text(const std::string& text)
{
  if (!text.empty())
    message("%s", text.c_str());
}

} // namespace

// ---------------------------------------------------------------- input

tNexusInput::tNexusInput() : _punct_chars(DEFAULT_PUNCTUATION), _space_chars(DEFAULT_SPACE) {}

tNexusInput::~tNexusInput() { close_sources(); }

void tNexusInput::close_sources()
{
  if (fp && fp != stdin)
    fclose(fp);
  fp = nullptr;
  string_open = false;
  input_string.clear();
  input_string.shrink_to_fit();
  input_string_pos = 0;
  comments.clear();
  comments.shrink_to_fit();
  collecting_comments = 0;
  raw.clear();
  capturing = false;
}

int tNexusInput::OpenFile(int check_nexus, const char* filename)
{
  close_sources();
  if (!filename) {
    fp = stdin;
  } else {
    fp = fopen(filename, "r");
    if (!fp) {
      cur_char = EOF;
      warning("Can't open file: %s to read", filename);
      return 0;
    }
  }
  cur_char = ' ';
  fresh_source = true;
  in_error = false;
  warned_nul = false;
  in_comment = false;
  if (check_nexus && !CompareNextToken("#NEXUS")) {
    close_sources();
    cur_char = EOF;
    warning("Refuse to read file: %s, it doesn't start with #NEXUS",
            filename ? filename : "standard input");
    return 0;
  }
  // The header comments start right behind the character that ended #NEXUS.
  comments.clear();
  collecting_comments = 1;
  return 1;
}

void tNexusInput::CloseFile()
{
  if (!fp) {
    warning("tNexusInput::CloseFile(): File not open");
    return;
  }
  if (fp != stdin)
    fclose(fp);
  fp = nullptr;
  comments.clear();
  comments.shrink_to_fit();
  collecting_comments = 0;
  cur_char = EOF;
}

int tNexusInput::OpenString(const char* str)
{
  close_sources();
  input_string = str ? str : "";
  string_open = true;
  input_string_pos = 0;
  cur_char = ' ';
  fresh_source = true;
  in_error = false;
  return input_string.size() > static_cast<size_t>(INT_MAX) ? INT_MAX
                                                             : static_cast<int>(input_string.size());
}

void tNexusInput::CloseString()
{
  if (!string_open) {
    warning("tNexusInput::CloseString(): String not open");
    return;
  }
  string_open = false;
  input_string.clear();
  input_string.shrink_to_fit();
  input_string_pos = 0;
  cur_char = EOF;
}

void tNexusInput::read_next_char()
{
  fresh_source = false;
  if (cur_char == EOF)
    return;
  if (fp) {
    cur_char = getc(fp);
    if (cur_char != EOF && collecting_comments)
      comments += static_cast<char>(cur_char);
    if (cur_char == 0 && !in_comment)
      nul_as_blank();
  } else if (string_open && input_string_pos < input_string.size()) {
    cur_char = static_cast<unsigned char>(input_string[input_string_pos++]);
  } else {
    cur_char = EOF;
  }
  if (cur_char != EOF)
    raw += last_was_nul ? '\0' : static_cast<char>(cur_char);
  last_was_nul = false;
}

long long tNexusInput::MemoryBytes()
{
  const long pages = sysconf(_SC_PHYS_PAGES), size = sysconf(_SC_PAGESIZE);
  return pages > 0 && size > 0 ? static_cast<long long>(pages) * size : LLONG_MAX;
}

bool tNexusInput::Fits(long long cells) const
{
  const long long left = BytesLeft();
  return cells <= (left >= 0 ? left : MemoryBytes());
}

std::string tNexusInput::RoomText() const
{
  const long long left = BytesLeft();
  return left >= 0 ? string_printf("the %lld bytes left in the input", left)
                   : string_printf("the %lld bytes of this computer's memory", MemoryBytes());
}

// No label or keyword can hold a NUL byte (they end there): outside comments
// one reads as a blank, and the user is told once per input. Comments and
// the raw text keep the byte.
void tNexusInput::nul_as_blank()
{
  cur_char = ' ';
  last_was_nul = true;
  if (warned_nul)
    return;
  warned_nul = true;
  Warning("Input", "NUL byte at byte %ld of the file read as a blank", ftell(fp));
}

std::string tNexusInput::EndCapture()
{
  capturing = false;
  std::string text;
  text.swap(raw);
  // The character behind the last token was read but not consumed.
  if (cur_char != EOF && !text.empty())
    text.pop_back();
  return text;
}

long long tNexusInput::BytesLeft() const
{
  // The current character counts: it is read but not yet consumed.
  const long long pending = cur_char != EOF && !fresh_source ? 1 : 0;
  if (string_open)
    return static_cast<long long>(input_string.size() - input_string_pos) + pending;
  if (!fp)
    return 0;
  struct stat st;
  const long pos = ftell(fp);
  if (fstat(fileno(fp), &st) != 0 || !S_ISREG(st.st_mode) || pos < 0)
    return -1;
  return st.st_size > pos ? static_cast<long long>(st.st_size - pos) + pending : pending;
}

bool tNexusInput::is_punct(int c) const
{
  return c >= 0 && c <= UCHAR_MAX && _punct_chars.find(static_cast<char>(c)) != std::string::npos;
}

bool tNexusInput::is_space(int c) const
{
  return c >= 0 && c <= UCHAR_MAX && _space_chars.find(static_cast<char>(c)) != std::string::npos;
}

// Skips the comment that starts at the current "["; false at end of input.
bool tNexusInput::skip_comment()
{
  int depth = 1;
  in_comment = true;
  read_next_char();
  const bool echo = cur_char == '!';
  std::string echoed;
  if (echo) {
    echoed = "[!";
    read_next_char();
  }
  for (;;) {
    if (cur_char == EOF) {
      in_comment = false;
      log_text(echoed);
      in_error = true;
      Error("Comment", "Unexpected EOF");
      return false;
    }
    if (cur_char == '[') {
      depth++;
    } else if (cur_char == ']' && --depth == 0) {
      if (echo) {
        echoed += "]\n";
        log_text(echoed);
      }
      in_comment = false;
      read_next_char();
      return true;
    }
    if (echo && cur_char != 0) {
      echoed += static_cast<char>(cur_char);
      if (echoed.size() >= ECHO_CHUNK) {
        log_text(echoed);
        echoed.clear();
      }
    }
    read_next_char();
  }
}

int tNexusInput::non_comment_char()
{
  while (cur_char == '[' && !in_error)
    skip_comment();
  return cur_char;
}

const char* tNexusInput::NextToken()
{
  previous.swap(token);
  has_previous = has_token;
  token.clear();
  has_token = false;
  token_quoted = false;
  if (in_error)
    return nullptr;
  if (fresh_source)
    read_next_char();

  int c;
  for (;;) {
    c = non_comment_char();
    if (c == EOF || in_error)
      return nullptr;
    if (!is_space(c))
      break;
    read_next_char();
  }
  if (!capturing)
    raw.assign(1, static_cast<char>(c));

  if (c == '\'') {
    token_quoted = true;
    read_next_char();
    for (;;) {
      if (cur_char == EOF) {
        in_error = true;
        Error("Single quotes", "Unexpected EOF");
        return nullptr;
      }
      if (cur_char == '\'') {
        read_next_char();
        if (cur_char != '\'')
          break;
      }
      token += static_cast<char>(cur_char);
      read_next_char();
    }
  } else if (is_punct(c)) {
    token = static_cast<char>(c);
    read_next_char();
  } else {
    while (c != EOF && !is_punct(c) && !is_space(c)) {
      token += static_cast<char>(c);
      read_next_char();
      c = non_comment_char();
      if (in_error) {
        token.clear();  // a word cut by an unterminated comment is no token
        return nullptr;
      }
    }
  }
  has_token = true;
  return token.c_str();
}

const char* tNexusInput::CurrentToken() const { return has_token ? token.c_str() : nullptr; }

const char* tNexusInput::PreviousToken() const { return has_previous ? previous.c_str() : nullptr; }

bool tNexusInput::compare_tokens(const char* a, const char* b) const
{
  if (!a || !b)
    return false;
  return _respect_case ? strcmp(a, b) == 0 : same_token(a, b);
}

bool tNexusInput::CompareNextToken(const char* word)
{
  NextToken();
  return CompareCurrentToken(word);
}

bool tNexusInput::CompareCurrentToken(const char* word) const
{
  return compare_tokens(CurrentToken(), word);
}

bool tNexusInput::CurrentTokenIsEnd() const
{
  return CompareCurrentToken("END") || CompareCurrentToken("ENDBLOCK");
}

bool tNexusInput::NextTokenIsEnd()
{
  NextToken();
  return CurrentTokenIsEnd();
}

bool tNexusInput::ReadNextTokenInt(int* value)
{
  NextToken();
  return ReadCurrentTokenInt(value);
}

bool tNexusInput::ReadCurrentTokenInt(int* value) const
{
  if (!has_token || token.empty())
    return false;
  const char* start = token.c_str();
  char* end = nullptr;
  errno = 0;
  long v = strtol(start, &end, 10);
  // The whole token must be the number (an embedded NUL byte is not).
  if (end != start + token.size() || errno == ERANGE || v < INT_MIN || v > INT_MAX)
    return false;
  *value = static_cast<int>(v);
  return true;
}

bool tNexusInput::ReadNextTokenDouble(double* value)
{
  NextToken();
  return ReadCurrentTokenDouble(value);
}

bool tNexusInput::ReadCurrentTokenDouble(double* value) const
{
  if (!has_token || token.empty())
    return false;
  const char* start = token.c_str();
  char* end = nullptr;
  double v = strtod(start, &end);
  if (end != start + token.size())
    return false;
  *value = v;
  return true;
}

bool tNexusInput::ReadNextTokenChar(char* c)
{
  NextToken();
  if (!has_token || token.size() != 1)
    return false;
  *c = token[0];
  return true;
}

bool tNexusInput::ReadCurrentTokenString(char** str)
{
  free(*str);
  *str = nullptr;
  if (!has_token)
    return false;
  char* copy = static_cast<char*>(my_malloc(token.size() + 1));
  for (size_t i = 0; i < token.size(); i++)
    copy[i] = static_cast<char>(toupper(static_cast<unsigned char>(token[i])));
  copy[token.size()] = '\0';
  *str = copy;
  return true;
}

bool tNexusInput::ReadNextSymbolList(char** str)
{
  if (!CompareNextToken("\""))
    return false;
  for (;;) {
    if (!NextToken() || token == ";")
      return false;
    if (token == "\"")
      return true;
    // Symbols are single characters: "01" and "0 1" list the same two.
    for (char c : token) {
      if (c == '\0')
        return false;
      *str = appendchar(*str, c);
    }
  }
}

const char* tNexusInput::NextLineToken()
{
  previous.swap(token);
  has_previous = has_token;
  token.clear();
  token_quoted = false;
  has_token = false;
  if (in_error)
    return nullptr;
  if (fresh_source)
    read_next_char();
  if (!capturing) {
    raw.clear();
    if (cur_char != EOF)
      raw += static_cast<char>(cur_char);
  }
  for (;;) {
    const int c = non_comment_char();
    if (in_error)
      return nullptr;
    if (c == EOF || c == '\n' || c == '\r' || c == ';')
      break;
    token += static_cast<char>(c);
    read_next_char();
  }
  if (token.empty() && cur_char == EOF)
    return nullptr;
  has_token = true;
  return token.c_str();
}

bool tNexusInput::ReadRawToSemicolon(std::string* text)
{
  text->clear();
  if (in_error)
    return false;
  if (fresh_source)
    read_next_char();
  int depth = 0;
  bool quoted = false;
  while (cur_char != EOF) {
    const char c = static_cast<char>(cur_char);
    if (quoted)
      quoted = c != '\'';
    else if (depth > 0)
      depth += c == '[' ? 1 : c == ']' ? -1 : 0;
    else if (c == '[')
      depth = 1;
    else if (c == '\'')
      quoted = true;
    else if (c == ';')
      return true;
    *text += c;
    read_next_char();
  }
  return false;
}

void tNexusInput::SkipToSemiColon()
{
  while (cur_char != EOF && cur_char != ';')
    read_next_char();
}

void tNexusInput::SkipToEndOfLine()
{
  if (!fp) {
    // A command string is one logical line: the rest of it is dropped.
    input_string_pos = input_string.size();
    cur_char = EOF;
    return;
  }
  while (cur_char != EOF && cur_char != '\n')
    read_next_char();
  if (cur_char == '\n')
    read_next_char();
}

void tNexusInput::SetPunctuationChars(const char* set)
{
  _punct_chars = set ? set : DEFAULT_PUNCTUATION;
}

void tNexusInput::SetSpaceChars(const char* set) { _space_chars = set ? set : DEFAULT_SPACE; }

bool tNexusInput::Prompt()
{
  if (!_prompt || fp != stdin)
    return false;
  // The one terminal output of the core: an interactive session on stdin.
  fputs("Quivet: ", stdout);
  fflush(stdout);
  return true;
}

bool tNexusInput::flush_comments(std::string* text)
{
  if (!collecting_comments)
    return false;
  collecting_comments = 0;
  text->clear();
  if (comments.empty())
    return false;
  // Drop the "BEGIN" that ended the header and the character read behind it.
  const size_t keep = comments.size() > 6 ? comments.size() - 6 : 0;
  text->assign(comments, 0, keep);
  comments.clear();
  comments.shrink_to_fit();
  return true;
}

void tNexusInput::report_position()
{
  if (IsFile()) {
    message("\nWhile reading:");
    message("\n");
    long pos = ftell(fp);
    if (pos > 0) {
      long start = pos > CONTEXT_CHARS ? pos - CONTEXT_CHARS : 0;
      std::string context(static_cast<size_t>(pos - start), '\0');
      if (fseek(fp, start, SEEK_SET) == 0) {
        size_t got = fread(&context[0], 1, context.size(), fp);
        context.resize(got);
        std::string shown;
        for (char ch : context)
          if (ch != '\0')
            shown += ch;
        log_text(shown);
      }
      fseek(fp, pos, SEEK_SET);
    }
    if (cur_char == EOF)
      message(" -EOF-");
    message("\n");
  } else if (fp == stdin) {
    message("\nWhile reading:");
    message(" standard input\n");
  } else {
    message("\n");
  }
}

int tNexusInput::Error(const char* where, const char* format, ...)
{
  va_list ap;
  va_start(ap, format);
  std::string text = vformat(format, ap);
  va_end(ap);
  if (text.size() > REPORT_TEXT_LIMIT)
    text.resize(REPORT_TEXT_LIMIT);
  note_failure();
  message("NEXUS syntax error in %s: ", where ? where : "");
  log_text(text);
  report_position();
  return 0;
}

int tNexusInput::Warning(const char* /*where*/, const char* format, ...)
{
  va_list ap;
  va_start(ap, format);
  std::string text = vformat(format, ap);
  va_end(ap);
  if (text.size() > REPORT_TEXT_LIMIT)
    text.resize(REPORT_TEXT_LIMIT);
  message("NEXUS warning: ");
  log_text(text);
  message("\n");
  return 0;
}

// ---------------------------------------------------------------- output

tNexusOutput::~tNexusOutput()
{
  if (fp && fp != stdout)
    fclose(fp);
  else if (fp)
    fflush(stdout);
}

int tNexusOutput::OpenFile(const char* name)
{
  if (fp && fp != stdout && fclose(fp) != 0)
    write_failed = true;
  fp = nullptr;
  if (!name) {
    fp = stdout;
  } else {
    fp = fopen(name, "w");
    if (!fp) {
      warning("Can't open file: %s to write", name);
      return 0;
    }
  }
  write_failed = false;
  return 1;
}

int tNexusOutput::OpenFd(int fd)
{
  if (fp && fp != stdout && fclose(fp) != 0)
    write_failed = true;
  fp = fdopen(fd, "w");
  if (!fp) {
    close(fd);
    return 0;
  }
  string_open = false;
  write_failed = false;
  return 1;
}

void tNexusOutput::CloseFile()
{
  if (!fp) {
    warning("tNexusOutput::CloseFile(): File not open");
    return;
  }
  if (fp == stdout) {
    // Standard output stays open and selected.
    if (fflush(stdout) != 0)
      write_failed = true;
    return;
  }
  if (ferror(fp))
    write_failed = true;
  // Buffered text reaches the disk only here: a full disk shows up now.
  if (fclose(fp) != 0)
    write_failed = true;
  fp = nullptr;
}

void tNexusOutput::OpenString()
{
  if (fp && fp != stdout && fclose(fp) != 0)
    write_failed = true;
  fp = nullptr;
  output_string.clear();
  string_open = true;
  write_failed = false;
}

void tNexusOutput::CloseString()
{
  output_string.clear();
  output_string.shrink_to_fit();
  string_open = false;
}

int tNexusOutput::Print(const char* format, ...)
{
  if (!fp && !string_open)
    return 0;
  va_list ap;
  va_start(ap, format);
  std::string text = vformat(format, ap);
  va_end(ap);
  if (fp) {
    size_t written = fwrite(text.data(), 1, text.size(), fp);
    if (written != text.size())
      write_failed = true;
    return static_cast<int>(written);
  }
  output_string += text;
  return static_cast<int>(text.size());
}

void tNexusOutput::Write(const std::string& text)
{
  if (fp) {
    if (fwrite(text.data(), 1, text.size(), fp) != text.size())
      write_failed = true;
  } else if (string_open) {
    output_string += text;
  }
}

bool tNexusOutput::Good() const { return !write_failed && !(fp && ferror(fp)); }

std::string nexus_label(const char* label)
{
  if (!label)
    label = "";
  bool quote = *label == '\0';
  for (const char* p = label; *p && !quote; p++) {
    const unsigned char c = static_cast<unsigned char>(*p);
    // Any punctuation, not only the reduced label set: strict readers split
    // an unquoted label at every one of them.
    quote = c <= ' ' || c == 127 || std::strchr(tNexusInput::DEFAULT_PUNCTUATION, c) != nullptr;
  }
  if (!quote)
    return label;
  std::string text = "'";
  for (const char* p = label; *p; p++) {
    if (*p == '\'')
      text += '\'';
    text += *p;
  }
  return text + "'";
}

bool same_nexus_label(const char* a, const char* b)
{
  for (; *a && *b; a++, b++) {
    const char x = *a == '_' ? ' ' : *a, y = *b == '_' ? ' ' : *b;
    if (x != y)
      return false;
  }
  return *a == *b;
}
