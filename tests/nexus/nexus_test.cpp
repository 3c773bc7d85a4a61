#include "nexus/nexus.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/auxilary.h"
#include "tests/support/capture.h"

using namespace std::string_literals;

namespace {

// All remaining tokens, each followed by "|".
std::string tokens_of(tNexusInput& in)
{
  std::string out;
  while (const char* t = in.NextToken())
    out += t + "|"s;
  return out;
}

std::string tokens_of(const std::string& text, const char* punct = nullptr)
{
  tNexusInput in;
  in.SetPunctuationChars(punct);
  in.OpenString(text.c_str());
  return tokens_of(in);
}

// A file in the temporary folder, removed with the object.
struct tTempFile {
  std::string path;
  explicit tTempFile(const std::string& content)
  {
    char name[] = "/tmp/quivet_nexus_XXXXXX";
    int fd = mkstemp(name);
    path = name;
    EXPECT_EQ(write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
    close(fd);
  }
  ~tTempFile() { unlink(path.c_str()); }
};

} // namespace

TEST(NexusInput, SplitsWordsPunctuationAndComments)
{
  EXPECT_EQ(tokens_of("ntax=5;"), "ntax|=|5|;|");
  EXPECT_EQ(tokens_of(" Begin\tTaxa;\r\n\f\v"), "Begin|Taxa|;|");
  EXPECT_EQ(tokens_of("a(b)c{d}e/f\\g,h;i:j=k*l\"m`n+o-p<q>r"),
            "a|(|b|)|c|{|d|}|e|/|f|\\|g|,|h|;|i|:|j|=|k|*|l|\"|m|`|n|+|o|-|p|<|q|>|r|");
  EXPECT_EQ(tokens_of("A[comment]B A [comment] B"), "AB|A|B|");
  EXPECT_EQ(tokens_of("[outer [inner] still outer] X[a][b]Y ]"), "XY|]|");
  EXPECT_EQ(tokens_of("caf\xc3\xa9 \xff"), "caf\xc3\xa9|\xff|");
  EXPECT_EQ(tokens_of("'it''s' 'a b;[c]' x'y'"), "it's|a b;[c]|x|y|");
}

TEST(NexusInput, EmptyQuotedTokenIsATokenAndEndIsNone)
{
  tNexusInput in;
  in.OpenString("'' z");
  ASSERT_NE(in.NextToken(), nullptr);
  EXPECT_STREQ(in.CurrentToken(), "");
  EXPECT_STREQ(in.NextToken(), "z");
  EXPECT_STREQ(in.PreviousToken(), "");
  EXPECT_EQ(in.NextToken(), nullptr);
  EXPECT_EQ(in.CurrentToken(), nullptr);
  EXPECT_STREQ(in.PreviousToken(), "z");
  EXPECT_TRUE(in.atEOF());
}

TEST(NexusInput, EchoesBangCommentsAndReportsUnterminatedOnes)
{
  struct Case { const char* text; const char* tokens; const char* log; };
  for (const Case& c : {Case{"[!Hello] X [plain] [!a [b] c]", "X|", "[!Hello]\n[!a [b] c]\n"},
                        Case{"a 'open", "a|", "NEXUS syntax error in Single quotes: Unexpected EOF\n"},
                        Case{"a b[open [x]", "a|", "NEXUS syntax error in Comment: Unexpected EOF\n"},
                        Case{"[!half", "", "[!halfNEXUS syntax error in Comment: Unexpected EOF\n"}}) {
    tCaptureScope cap;
    tNexusInput in;
    in.OpenString(c.text);
    EXPECT_EQ(tokens_of(in), c.tokens) << c.text;
    EXPECT_EQ(in.NextToken(), nullptr);  // the stream stays ended
    EXPECT_EQ(cap.fe.logged, c.log);
  }
}

TEST(NexusInput, PunctuationAndSpaceSetsCanBeReplaced)
{
  EXPECT_EQ(tokens_of("data/file-1.nex;", ";"), "data/file-1.nex|;|");
  EXPECT_EQ(tokens_of("a\xe9" "b", "\xe9"), "a|\xe9|b|");
  tNexusInput in;
  in.SetPunctuationChars(";");
  in.SetPunctuationChars(nullptr);
  EXPECT_STREQ(in.GetPunctuationChars(), "()[]{}/\\,;:=*'\"`+-<>");
  in.SetSpaceChars(",");
  in.OpenString("a b,c");  // the blank before the first character is not input
  EXPECT_EQ(tokens_of(in), "a b|c|");
  in.SetSpaceChars(nullptr);
  in.OpenString("a b");
  EXPECT_EQ(tokens_of(in), "a|b|");
}

TEST(NexusInput, ReadsNumbersFromWholeTokens)
{
  struct Case { const char* text; bool int_ok; int i; bool double_ok; double d; };
  for (const Case& c : {Case{"-3", true, -3, true, -3}, Case{"12a", false, 0, false, 0},
                        Case{"2147483648", false, 0, true, 2147483648.0},
                        Case{"-2147483648", true, -2147483647 - 1, true, -2147483648.0},
                        Case{"1.5e3", false, 0, true, 1500}, Case{"-.5", false, 0, true, -0.5},
                        Case{"1e", false, 0, false, 0}, Case{"''", false, 0, false, 0},
                        Case{"", false, 0, false, 0}}) {
    tNexusInput in;
    in.SetPunctuationChars(";");  // a minus sign is punctuation by default
    in.OpenString(c.text);
    int i = 77;
    double d = 77;
    EXPECT_EQ(in.ReadNextTokenInt(&i), c.int_ok) << c.text;
    EXPECT_EQ(i, c.int_ok ? c.i : 77);
    EXPECT_EQ(in.ReadCurrentTokenDouble(&d), c.double_ok) << c.text;
    EXPECT_EQ(d, c.double_ok ? c.d : 77);
  }
}

TEST(NexusInput, ComparesKeywordsAndCopiesTokens)
{
  tNexusInput in;
  in.OpenString("end EndBlock ending Dimensions x ab");
  EXPECT_TRUE(in.NextTokenIsEnd());
  EXPECT_TRUE(in.NextTokenIsEnd());
  EXPECT_FALSE(in.NextTokenIsEnd());
  EXPECT_TRUE(in.CompareNextToken("DIMENSIONS"));
  char* s = my_strdup("old");
  EXPECT_TRUE(in.ReadCurrentTokenString(&s));
  EXPECT_STREQ(s, "DIMENSIONS");
  char c = 0;
  EXPECT_TRUE(in.ReadNextTokenChar(&c));
  EXPECT_EQ(c, 'x');
  EXPECT_FALSE(in.ReadNextTokenChar(&c));
  EXPECT_FALSE(in.CompareNextToken("x"));
  EXPECT_FALSE(in.ReadCurrentTokenString(&s));
  EXPECT_EQ(s, nullptr);
}

TEST(NexusInput, ReadsSymbolLists)
{
  struct Case { const char* text; bool ok; const char* result; };
  for (const Case& c : {Case{"\"0 1\"", true, "A01"}, Case{"\"01\"", true, "A01"},
                        Case{"0 1\"", false, "A"}, Case{"\"0 1;", false, "A01"},
                        Case{"\"0", false, "A0"}}) {
    tNexusInput in;
    in.OpenString(c.text);
    char* s = my_strdup("A");
    EXPECT_EQ(in.ReadNextSymbolList(&s), c.ok) << c.text;
    EXPECT_STREQ(s, c.result);
    free(s);
  }
}

TEST(NexusInput, SkipsToSemicolonAndEndOfLine)
{
  tNexusInput in;
  in.OpenString("format missing=? gap=- ; next line\nmore");
  in.NextToken();
  in.SkipToSemiColon();
  EXPECT_STREQ(in.NextToken(), ";");
  in.SkipToEndOfLine();  // a command string ends here
  EXPECT_EQ(in.NextToken(), nullptr);
  tTempFile f("#NEXUS\nquit now\n next\n");
  ASSERT_EQ(in.OpenFile(1, f.path.c_str()), 1);
  EXPECT_STREQ(in.NextToken(), "quit");
  in.SkipToEndOfLine();
  EXPECT_EQ(tokens_of(in), "next|");
}

TEST(NexusInput, OpenFileChecksTheNexusHeader)
{
  tCaptureScope cap;
  tTempFile lower("[made by hand]\n#nexus\nbegin taxa;"), other("BEGIN TAXA;"), empty("");
  tNexusInput in;
  EXPECT_EQ(in.OpenFile(1, lower.path.c_str()), 1);
  EXPECT_TRUE(in.IsFile());
  EXPECT_STREQ(in.NextToken(), "begin");
  EXPECT_EQ(in.OpenFile(1, other.path.c_str()), 0);
  EXPECT_EQ(in.OpenFile(1, empty.path.c_str()), 0);
  EXPECT_EQ(in.OpenFile(0, other.path.c_str()), 1);
  EXPECT_STREQ(in.NextToken(), "BEGIN");
  EXPECT_EQ(in.OpenFile(0, "/nonexistent/x.nex"), 0);
  EXPECT_FALSE(in.IsFile());
  in.CloseFile();
  in.CloseString();
  EXPECT_EQ(cap.fe.warnings,
            (std::vector<std::string>{
                "Refuse to read file: " + other.path + ", it doesn't start with #NEXUS",
                "Refuse to read file: " + empty.path + ", it doesn't start with #NEXUS",
                "Can't open file: /nonexistent/x.nex to read",
                "tNexusInput::CloseFile(): File not open",
                "tNexusInput::CloseString(): String not open"}));
}

TEST(NexusInput, ErrorReportsShowThePlaceInTheInput)
{
  tCaptureScope cap;
  const std::string tail = "begin taxa; dimensions ntax=3 nchar=4;\n";  // 39 characters
  tTempFile f("#NEXUS\n[a NUL \0 byte is data]\n"s + tail + "x;");
  tNexusInput in;
  ASSERT_EQ(in.OpenFile(1, f.path.c_str()), 1);
  EXPECT_STREQ(in.NextToken(), "begin");
  EXPECT_EQ(in.Error("TAXA", "%d %s", 7, "things"), 0);
  EXPECT_EQ(cap.fe.logged, "NEXUS syntax error in TAXA: 7 things\nWhile reading:\n"
                           "#NEXUS\n[a NUL  byte is data]\nbegin \n");
  // Reading goes on where the report found it.
  EXPECT_EQ(tokens_of(in), "taxa|;|dimensions|ntax|=|3|nchar|=|4|;|x|;|");
  cap.fe.clear();
  in.Error("TAXA", "Expected END");
  EXPECT_EQ(cap.fe.logged, "NEXUS syntax error in TAXA: Expected END\nWhile reading:\n" +
                               tail.substr(1) + "x; -EOF-\n");
  cap.fe.clear();
  in.OpenString("x");
  in.Error("OPEN-command", "%s", std::string(20000, 'e').c_str());
  in.Warning("TAXA", "taxon %s twice", "A");
  EXPECT_EQ(cap.fe.logged, "NEXUS syntax error in OPEN-command: " + std::string(10000, 'e') +
                               "\nNEXUS warning: taxon A twice\n");
}

TEST(NexusInput, StandardInputReportsAndPrompts)
{
  tCaptureScope cap;
  tNexusInput in;
  ASSERT_EQ(in.OpenFile(0, nullptr), 1);
  EXPECT_TRUE(in.IsStdin());
  in.Error("DRAW", "bad");
  EXPECT_EQ(cap.fe.logged, "NEXUS syntax error in DRAW: bad\nWhile reading: standard input\n");
  testing::internal::CaptureStdout();
  EXPECT_FALSE(in.Prompt());
  in.SetPrompt(1);
  EXPECT_TRUE(in.Prompt());
  in.CloseFile();  // leaves stdin itself open
  EXPECT_FALSE(in.Prompt());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Quivet: ");
}

TEST(NexusInput, HandsOverTheHeaderCommentsAndCapturesRawText)
{
  using namespace std::string_literals;
  const std::string block = "BEGIN x; a [c\0d] 'q;'\n;END;"s;
  tTempFile f("#NEXUS\n[by\0hand]\nBEGIN TAXA;"s + block + "\nrest");
  tNexusInput in;
  ASSERT_EQ(in.OpenFile(1, f.path.c_str()), 1);
  EXPECT_STREQ(in.NextToken(), "BEGIN");
  std::string text = "earlier";
  EXPECT_TRUE(in.flush_comments(&text));
  EXPECT_EQ(text, "[by\0hand]\n"s);
  EXPECT_FALSE(in.flush_comments(&text));  // handed over once only
  in.NextToken();
  in.NextToken();
  EXPECT_STREQ(in.NextToken(), "BEGIN");
  in.StartCapture();
  while (in.NextToken() && !in.CurrentTokenIsEnd()) {
  }
  EXPECT_STREQ(in.NextToken(), ";");
  EXPECT_EQ(in.EndCapture(), block);
  EXPECT_EQ(in.BytesLeft(), 5);  // "\nrest"
}

TEST(NexusInput, GarbageEndsCleanly)
{
  tCaptureScope cap;
  std::mt19937 gen(20240611);
  for (int round = 0; round < 20; round++) {
    std::string bytes(4096, '\0');
    for (char& ch : bytes)
      ch = static_cast<char>(gen() % 256);
    tTempFile f(bytes);
    tNexusInput in;
    if (round % 2)
      in.SetPunctuationChars(bytes.substr(0, 100).c_str());
    ASSERT_EQ(in.OpenFile(0, f.path.c_str()), 1);
    for (size_t n = 0; in.NextToken(); n++)
      ASSERT_LE(n, bytes.size());
    in.OpenString(bytes.c_str());
    for (size_t n = 0; in.NextToken(); n++)
      ASSERT_LE(n, bytes.size());
  }
  const std::string big(1000000, 'x');
  EXPECT_EQ(tokens_of(big), big + "|");
  EXPECT_EQ(tokens_of("'" + big), "");
  EXPECT_EQ(tokens_of("[" + big), "");
}

TEST(NexusOutput, WritesIntoAStringWithoutCuts)
{
  tNexusOutput out;
  EXPECT_EQ(out.Print("lost"), 0);
  out.OpenString();
  EXPECT_EQ(out.Print("%s %d;\n", "NTAX=", 5), 9);
  const std::string row(100000, 'A');
  EXPECT_EQ(out.Print("%s", row.c_str()), 100000);
  EXPECT_EQ(out.GetString(), "NTAX= 5;\n" + row);
  out.CloseString();
  EXPECT_STREQ(out.GetString(), "");
}

TEST(NexusOutput, WritesFilesAndRecordsFailures)
{
  tCaptureScope cap;
  tTempFile f("old content that is replaced");
  tNexusOutput out;
  ASSERT_EQ(out.OpenFile(f.path.c_str()), 1);
  EXPECT_EQ(out.Print("#NEXUS\n%s\n", "BEGIN TAXA;"), 19);
  out.CloseFile();
  EXPECT_TRUE(out.Good());
  EXPECT_EQ(read_text_file(f.path), "#NEXUS\nBEGIN TAXA;\n");
  out.CloseFile();
  EXPECT_EQ(out.OpenFile("/nonexistent/out.nex"), 0);
  if (out.OpenFile("/dev/full")) {  // a full disk: buffered text fails on close at the latest
    out.Print("%s", std::string(100000, 'x').c_str());
    out.CloseFile();
    EXPECT_FALSE(out.Good());
  }
  testing::internal::CaptureStdout();
  ASSERT_EQ(out.OpenFile(nullptr), 1);
  EXPECT_TRUE(out.Good());
  out.Print("to stdout ");
  out.CloseFile();  // standard output stays selected
  out.Print("still");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "to stdout still");
  EXPECT_EQ(cap.fe.warnings,
            (std::vector<std::string>{"tNexusOutput::CloseFile(): File not open",
                                      "Can't open file: /nonexistent/out.nex to write"}));
}

TEST(NexusLabel, QuotesOnlyWhatWouldNotReadBack)
{
  EXPECT_EQ(nexus_label("Homo_sapiens.x2"), "Homo_sapiens.x2");
  // Strict readers split at every punctuation character, not only the label set.
  for (const char* label : {"paren(x)y", "a-b", "a+b", "a/b", "a\\b", "{x}", "a*", "<x>", "a\"b", "a`b"})
    EXPECT_EQ(nexus_label(label), std::string("'") + label + "'") << label;
  EXPECT_EQ(nexus_label("Homo sapiens"), "'Homo sapiens'");
  EXPECT_EQ(nexus_label("it's"), "'it''s'");
  EXPECT_EQ(nexus_label(""), "''");
  EXPECT_EQ(nexus_label("a[1]"), "'a[1]'");
  EXPECT_EQ(nexus_label("x;y"), "'x;y'");
  for (const char* label : {"Homo sapiens", "it's", "", "a[1]", "x;y", "tab\there", "ok", "paren(x)y", "a-b'c"}) {
    tNexusInput in;
    in.OpenString((nexus_label(label) + " ;").c_str());
    in.SetPunctuationChars(tNexusInput::LABEL_PUNCTUATION);
    ASSERT_NE(in.NextToken(), nullptr) << label;
    EXPECT_STREQ(in.CurrentToken(), label);
    EXPECT_TRUE(in.CompareNextToken(";"));
  }
}

TEST(NexusLabel, UnderscoresMatchBlanksAndLinesAreReadToTheirEnd)
{
  EXPECT_TRUE(same_nexus_label("Homo sapiens", "Homo_sapiens"));
  EXPECT_TRUE(same_nexus_label("a_b", "a_b"));
  EXPECT_FALSE(same_nexus_label("Homo sapiens", "Homo_sapiens_"));
  EXPECT_FALSE(same_nexus_label("ab", "a b"));
  tNexusInput in;
  in.OpenString("x 1 [c] 2\ny\r\nz 3;");
  const char* expect[][2] = {{"x", " 1  2"}, {"y", ""}, {"z", " 3"}};
  for (const auto& e : expect) {
    EXPECT_STREQ(in.NextToken(), e[0]);
    EXPECT_STREQ(in.NextLineToken(), e[1]);
  }
  EXPECT_STREQ(in.NextToken(), ";");
  EXPECT_EQ(in.NextLineToken(), nullptr);
}
