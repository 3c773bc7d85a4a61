// NEXUS tokens: the reader over a file, standard input or a string, and the
// writer to a file, standard output or a growing string.
//
// Reader grammar: white space separates tokens; each punctuation character is
// a token by itself; [comments] nest and are skipped (a comment inside a word
// joins its halves), [!comments] are echoed to the log; 'quoted tokens' may
// hold anything, with '' standing for one quote.
#pragma once

#include <cstdio>
#include <string>

class tNexusInput {
public:
  tNexusInput();
  ~tNexusInput();
  tNexusInput(const tNexusInput&) = delete;
  tNexusInput& operator=(const tNexusInput&) = delete;

  // Opens a file (null name: standard input); with check_nexus the first
  // token must be #NEXUS. Returns 1 on success.
  int OpenFile(int check_nexus, const char* filename);
  void CloseFile();
  // Reads from a private copy of str; returns its length.
  int OpenString(const char* str);
  void CloseString();

  const char* NextToken();
  const char* CurrentToken() const;
  const char* PreviousToken() const;
  // Whether the current token was written in single quotes: a quoted ";" is
  // a label, not the end of a command.
  bool CurrentTokenQuoted() const { return has_token && token_quoted; }
  bool CompareNextToken(const char* word);
  bool CompareCurrentToken(const char* word) const;
  bool CurrentTokenIsEnd() const;
  bool NextTokenIsEnd();
  bool ReadNextTokenInt(int* value);
  bool ReadCurrentTokenInt(int* value) const;
  bool ReadNextTokenDouble(double* value);
  bool ReadCurrentTokenDouble(double* value) const;
  bool ReadNextTokenChar(char* c);
  // Replaces *str (malloc'ed, may be null) by an upper-case copy of the current token.
  bool ReadCurrentTokenString(char** str);
  // Reads a symbol list between double quotes, appending to *str; every
  // character of the tokens inside is one symbol ("a b c" or "abc").
  bool ReadNextSymbolList(char** str);
  // The rest of the current line as one token (comments skipped), without
  // crossing the line end or a ";"; null at the end of input.
  const char* NextLineToken();
  // The text from behind the current token up to the next ";" outside quotes
  // and comments, as written (comments and quotes kept); the ";" stays to be
  // read as the next token. False when the input ends first.
  bool ReadRawToSemicolon(std::string* text);
  void SkipToSemiColon();
  void SkipToEndOfLine();
  // Null restores the default set.
  void SetPunctuationChars(const char* set);
  void SetSpaceChars(const char* set);
  const char* GetPunctuationChars() const { return _punct_chars.c_str(); }
  bool atEOF() const { return cur_char == EOF; }
  bool IsFile() const { return fp != nullptr && fp != stdin; }
  bool IsStdin() const { return fp == stdin; }
  void SetPrompt(int on) { _prompt = on; }
  bool Prompt();
  // Hands over the text collected since the file was opened (without the
  // trailing "BEGIN" and the character after it), every byte of it.
  bool flush_comments(std::string* text);
  // Records the input byte for byte from the start of the current token on,
  // comments and all; EndCapture hands back what was consumed by then.
  void StartCapture() { capturing = true; }
  std::string EndCapture();
  // Bytes not yet consumed (the current character included), or -1 when the
  // source cannot tell (standard input, a pipe).
  long long BytesLeft() const;
  // Whether the rest of the input can fill this many cells of one byte at
  // least each; a source of unknown size is bounded by the memory instead.
  // Readers ask before they allocate what a declared count asks for.
  bool Fits(long long cells) const;
  // What Fits measured against, for the message of a refusal.
  std::string RoomText() const;
  static long long MemoryBytes();

  int Error(const char* where, const char* format, ...) __attribute__((format(printf, 3, 4)));
  int Warning(const char* where, const char* format, ...) __attribute__((format(printf, 3, 4)));

  static const char* const DEFAULT_PUNCTUATION;
  static const char* const DEFAULT_SPACE;
  // The reduced set under which labels, lists and signed numbers are read.
  static const char* const LABEL_PUNCTUATION;

private:
  FILE* fp = nullptr;
  std::string token;
  std::string previous;
  bool has_token = false;
  bool has_previous = false;
  bool token_quoted = false;
  int cur_char = ' ';
  std::string _punct_chars;
  std::string _space_chars;
  int _respect_case = 0;
  int _prompt = 0;
  bool string_open = false;
  std::string input_string;
  size_t input_string_pos = 0;
  std::string comments;
  int collecting_comments = 0;
  // The raw bytes since the current token began (the character behind it
  // included), or since StartCapture while capturing.
  std::string raw;
  bool capturing = false;
  bool in_comment = false;
  bool warned_nul = false;
  bool last_was_nul = false;
  // Set by an unterminated comment or quote: the rest of the input is lost.
  bool in_error = false;
  // cur_char still holds the blank placed there by opening, not input: it
  // must not join the first token when the blank is not white space.
  bool fresh_source = false;

  void close_sources();
  void read_next_char();
  void nul_as_blank();
  int non_comment_char();
  bool skip_comment();
  bool is_punct(int c) const;
  bool is_space(int c) const;
  bool compare_tokens(const char* a, const char* b) const;
  void report_position();
};

// Switches a reader to another punctuation set for the lifetime of the
// object, so that every way out of a reader restores the caller's set.
class tPunctuationScope {
public:
  tPunctuationScope(tNexusInput* in, const char* set) : _in(in), _saved(in->GetPunctuationChars())
  {
    in->SetPunctuationChars(set);
  }
  ~tPunctuationScope() { _in->SetPunctuationChars(_saved.c_str()); }
  tPunctuationScope(const tPunctuationScope&) = delete;
  tPunctuationScope& operator=(const tPunctuationScope&) = delete;

private:
  tNexusInput* _in;
  std::string _saved;
};

class tNexusOutput {
public:
  tNexusOutput() = default;
  ~tNexusOutput();
  tNexusOutput(const tNexusOutput&) = delete;
  tNexusOutput& operator=(const tNexusOutput&) = delete;

  // Null name: standard output. Returns 1 on success.
  int OpenFile(const char* name);
  // Takes over an open descriptor (closed by CloseFile). Returns 1 on success.
  int OpenFd(int fd);
  void CloseFile();
  void OpenString();
  void CloseString();
  const char* GetString() const { return output_string.c_str(); }
  int Print(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Writes text as it is, NUL bytes included.
  void Write(const std::string& text);
  // Whether every write so far reached the file (a full disk is a failure).
  bool Good() const;

private:
  FILE* fp = nullptr;
  bool string_open = false;
  bool write_failed = false;
  std::string output_string;
};

// A label as NEXUS text that every reader takes as the same single token:
// written as it is, or in single quotes (inner quotes doubled) when it is
// empty or holds blanks, control characters or any NEXUS punctuation.
std::string nexus_label(const char* label);
// Whether two labels name the same taxon: equal, where an underscore counts
// as a blank (in NEXUS it stands for one in an unquoted word), so that
// 'Homo sapiens' and Homo_sapiens are one label.
bool same_nexus_label(const char* a, const char* b);
