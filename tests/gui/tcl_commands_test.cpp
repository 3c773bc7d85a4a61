// The Tcl commands and the front end, in an interpreter without Tk.
#include "gui/tcl_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "document/document.h"
#include "gui/gui_state.h"
#include "gui/tk_front_end.h"
#include "tests/support/capture.h"

namespace {

// Labels that would run or substitute if they ever became script text.
const char* const NASTY =
  "begin taxa; dimensions ntax=5; taxlabels '[exit 3]' '$env(HOME)' '{' 'O''Brien sapiens' Plain; end;"
  "begin distances; dimensions ntax=5; format triangle=lower diagonal no labels; matrix"
  " 0 3 0 5 4 0 6 5 3 0 7 6 4 3 0; end;";

class TclCommands : public ::testing::Test {
protected:
  tCaptureScope capture;
  tDocument doc;
  tGuiContext ctx;
  Tcl_Interp* interp = nullptr;

  void SetUp() override
  {
    interp = Tcl_CreateInterp();
    ctx.doc = &doc;
    register_tcl_commands(interp, &ctx);
  }
  void TearDown() override { Tcl_DeleteInterp(interp); }

  int eval(const std::string& script) { return Tcl_EvalEx(interp, script.c_str(), -1, TCL_EVAL_GLOBAL); }
  std::string result() const { return Tcl_GetStringResult(interp); }
  // The answer to a qv_state0 question that must succeed.
  std::string state(const std::string& key)
  {
    Tcl_Obj* cmd[] = {Tcl_NewStringObj("qv_state0", -1), Tcl_NewStringObj(key.c_str(), -1)};
    for (Tcl_Obj* o : cmd)
      Tcl_IncrRefCount(o);
    const int code = Tcl_EvalObjv(interp, 2, cmd, 0);
    for (Tcl_Obj* o : cmd)
      Tcl_DecrRefCount(o);
    EXPECT_EQ(code, TCL_OK) << key << ": " << result();
    return result();
  }
};

} // namespace

TEST_F(TclCommands, StateOfAnEmptyDocument)
{
  const std::pair<const char*, const char*> expected[] = {
    {"taxa", "0"}, {"characters", "0"}, {"distances", "0"}, {"qv_splits", "0"}, {"qv_graph", "0"},
    {"qv_spectra", "0"}, {"qv_assumptions", "1"}, {"qv_bootstrap", "0"}, {"exclude_gaps", "0"},
    {"exclude_missing", "0"}, {"exclude_nonparsimony", "0"}, {"exclude_constant", "0"}, {"codon1", "1"},
    {"codon2", "1"}, {"codon3", "1"}, {"codon_offset", "0"}, {"transform", "NONE"},
    {"edge_transform", "NONE"}, {"method", "DSPLITS"}, {"force_metric", "0"}, {"ntax", "0"},
    {"taxa_active", ""}, {"taxa_hidden", ""}, {"mark", "0"}, {"exset", ""}, {"bootstrap_runs", ""},
    {"cycle", ""}, {"taxlabels", "NONE"}, {"splitlabels", "NONE"}, {"to_scale", "0"}, {"scalebar", ""},
    {"split_s1", ""}};
  for (const auto& e : expected)
    EXPECT_EQ(state(e.first), e.second) << e.first;
  EXPECT_EQ(state("info_string"), doc.short_info_string());
}

TEST_F(TclCommands, CommandsChangeWhatTheStateReports)
{
  ASSERT_EQ(eval("qv_cmd0 {begin taxa; dimensions ntax=4; taxlabels a b c d; end;"
                 " begin characters; dimensions nchar=6; format datatype=dna gap=-;"
                 " matrix a ACGTAC b ACG-AA c TCGTCA d TCGAAG; end;}"),
            TCL_OK);
  EXPECT_EQ(result(), "");
  EXPECT_EQ(state("characters"), "1");
  // Typed in lower case, reported as the script's radio buttons know it.
  eval("qv_cmd0 {assume transform=jc}; qv_cmd0 {assume edge_transform=fm_pow1}");
  EXPECT_EQ(state("transform"), "JC");
  EXPECT_EQ(state("edge_transform"), "FM_POW1");
  eval("qv_cmd0 {assume method=dtree}");
  EXPECT_EQ(state("method"), "DTREE");
  eval("qv_cmd0 {assume exclude codon2 ADD1 constant 3 gaps}");
  EXPECT_EQ(state("codon2"), "0");
  EXPECT_EQ(state("codon1"), "1");
  EXPECT_EQ(state("codon_offset"), "1");
  EXPECT_EQ(state("exclude_constant"), "3");
  EXPECT_EQ(state("exclude_gaps"), "1");
  EXPECT_EQ(state("ntax"), "4");
  eval("qv_cmd0 {assume exset = 2-4 6}");
  EXPECT_EQ(state("exset"), "2-4 6");
}

TEST_F(TclCommands, FailedCommandsAreErrorsWithTheirMessage)
{
  EXPECT_EQ(eval("qv_cmd0 {fig}"), TCL_ERROR);
  EXPECT_EQ(result(), "NEXUS syntax error in Input: Unexpected token: fig");
  ASSERT_EQ(eval("set errorCode"), TCL_OK);
  EXPECT_EQ(result(), "QUIVET FAILED");
  EXPECT_EQ(eval("qv_cmd0 {save /nonexistent-folder/x.nex}"), TCL_ERROR);
  EXPECT_EQ(result(), "Can't open file: /nonexistent-folder/x.nex to write");
  EXPECT_EQ(eval("qv_cmd0 {version}"), TCL_OK);
  EXPECT_EQ(result(), "");
  EXPECT_EQ(get_front_end(), &capture.fe) << "the front end is given back";
}

TEST_F(TclCommands, LabelsReachTheScriptAsListElements)
{
  doc.read_string(NASTY);
  ASSERT_EQ(state("taxa"), "1");
  const std::string active = state("taxa_active");
  EXPECT_EQ(active, " [1]'\\[exit\\ 3\\]' [2]'\\$env(HOME)' [3]'\\{' [4]'O''Brien\\ sapiens' [5]'Plain'");
  // As the script reads it: one element per taxon, each a quoted NEXUS word.
  ASSERT_EQ(eval("set n 0; foreach item [qv_state0 taxa_active] { incr n }; set n"), TCL_OK);
  EXPECT_EQ(result(), "5");
  ASSERT_EQ(eval("lindex [qv_state0 taxa_active] 3"), TCL_OK);
  EXPECT_EQ(result(), "[4]'O''Brien sapiens'");

  // What the taxa window sends back hides exactly those taxa.
  ASSERT_EQ(eval("qv_cmd0 \"assume extaxa= [lindex [qv_state0 taxa_active] 0] [lindex [qv_state0 taxa_active] 3]\""),
            TCL_OK);
  EXPECT_EQ(state("ntax"), "3");
  EXPECT_EQ(state("taxa_hidden"), " '\\[exit\\ 3\\]' 'O''Brien\\ sapiens'");
  ASSERT_EQ(eval("lindex [qv_state0 taxa_hidden] 0"), TCL_OK);
  EXPECT_EQ(result(), "'[exit 3]'");
  EXPECT_EQ(state("taxa_active"), " [1]'\\$env(HOME)' [2]'\\{' [3]'Plain'");
}

TEST_F(TclCommands, SplitDescriptionsAndGraphKeys)
{
  doc.read_string(NASTY);
  ASSERT_EQ(state("qv_splits"), "1");
  const int n = doc.splits->get_nsplits();
  ASSERT_GT(n, 0);
  const std::vector<std::string> none = {"split_s0", "split_sx", "split_s", "split_s" + std::to_string(n + 1)};
  for (const std::string& key : none)
    EXPECT_EQ(state(key), "") << key;
  const std::string first = state("split_s1");
  EXPECT_EQ(first.substr(0, 8), "Weight: ");
  EXPECT_NE(first.find(" Set: "), std::string::npos);
  EXPECT_EQ(first.back(), '\n');
  // The smaller side is written: at most 2 of the 5 taxa.
  const std::string set = first.substr(first.find("Set:") + 4);
  EXPECT_LE(std::count(set.begin(), set.end(), ' '), 2) << set;

  EXPECT_EQ(state("cycle").size() > 0, true);
  EXPECT_EQ(state("taxlabels"), "NAMES");
  EXPECT_EQ(state("to_scale"), "1");
  double len = 0, value = 0;
  ASSERT_EQ(std::sscanf(state("scalebar").c_str(), "%lf %lf", &len, &value), 2);
  EXPECT_GT(len, 0);
  EXPECT_GT(value, 0);
  doc.read_string("draw mark=2 equal_edges;");
  EXPECT_EQ(state("mark"), "s2");
  EXPECT_EQ(state("scalebar"), "") << "no scale bar with equal edges";
}

TEST_F(TclCommands, WrongUseOfTheCommandsFails)
{
  for (const char* script : {"qv_cmd0", "qv_cmd0 a b", "qv_state0", "qv_state0 a b", "qv_xy2angle 1",
                             "qv_xy2angle 1 2 3", "qv_updating", "qv_updating 1 2"}) {
    EXPECT_EQ(eval(script), TCL_ERROR) << script;
    EXPECT_EQ(result(), "wrong # arguments") << script;
  }
  EXPECT_EQ(eval("qv_state0 foo"), TCL_ERROR);
  EXPECT_EQ(result(), "Unknown key: foo");
  EXPECT_EQ(eval("qv_state0 Taxa"), TCL_ERROR) << "keys are case-sensitive";
  EXPECT_EQ(eval("qv_xy2angle abc 1"), TCL_ERROR);
  EXPECT_EQ(result(), "");
  EXPECT_EQ(eval("qv_draw_graph0 extra words"), TCL_OK) << "no canvas: nothing drawn, no error";
}

TEST_F(TclCommands, AnglesInDegrees)
{
  const std::pair<const char*, const char*> cases[] = {
    {"qv_xy2angle 0 1", "90"}, {"qv_xy2angle 0 0", "0"}, {"qv_xy2angle -1 0", "180"},
    {"qv_xy2angle 1 1", "45"}, {"qv_xy2angle 0 -2.5", "-90"}, {"qv_xy2angle 1e-4 0", "0"}};
  for (const auto& c : cases) {
    ASSERT_EQ(eval(c.first), TCL_OK) << c.first;
    EXPECT_EQ(result(), c.second) << c.first;
  }
}

TEST_F(TclCommands, UpdatingFlagAndEventPump)
{
  tTkFrontEnd fe(interp);
  ctx.front_end = &fe;
  eval("set ::updates 0; rename update {}; proc update {args} { incr ::updates }");
  eval("qv_updating 1");
  EXPECT_TRUE(fe.updating());
  for (int i = 0; i < 250; i++)
    fe.update();
  eval("set ::updates");
  EXPECT_EQ(result(), "2") << "one event round per hundred calls";
  eval("qv_updating yes");
  EXPECT_FALSE(fe.updating()) << "only \"1\" switches updating on";
  for (int i = 0; i < 250; i++)
    fe.update();
  eval("set ::updates");
  EXPECT_EQ(result(), "2");
}

TEST_F(TclCommands, ReportsStayLiteralText)
{
  tTkFrontEnd fe(interp);
  eval("set ::log {}; set ::boxes {}; set ::idle 0"
       "; proc append_log {text} { append ::log $text }"
       "; proc tk_messageBox {args} { lappend ::boxes $args; return ok }"
       "; rename update {}; proc update {args} { incr ::idle }");
  const std::string nasty = "[exit 3] $env(HOME) { \" \\ }";
  fe.log((nasty + "\n").c_str());
  fe.show_warning(nasty.c_str());
  fe.show_fatal("out of [memory]");
  eval("set ::log");
  EXPECT_EQ(result(), nasty + "\n");
  eval("lrange [lindex $::boxes 0] 0 end-1");
  EXPECT_EQ(result(), "-icon warning -message");
  eval("lindex [lindex $::boxes 0] end");
  EXPECT_EQ(result(), nasty);
  eval("lindex [lindex $::boxes 1] end");
  EXPECT_EQ(result(), "Fatal Error: out of [memory]");
  eval("set ::idle");
  EXPECT_EQ(result(), "1") << "the log lets idle tasks run outside commands";
}
