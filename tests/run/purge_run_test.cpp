#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "run/purge_run.h"
#include "support/test_support.h"

namespace {
// The run's table with only the given body: the real purges never touch the test prefix here.
PurgeFunctionTable TableWith(OptionField option, PurgeFunctionBody body) {
  PurgeFunctionTable t = PurgeFunctions();
  for (auto& e : t) e.body = e.option == option ? body : nullptr;
  return t;
}

void CountThree(ReportContext& ctx) {
  for (int i = 0; i < 3; ++i) ctx.CountItem();
  ctx.AddReportLine("  Purge \"Test\" Function Completed.");
}
void Throws(ReportContext&) { throw std::runtime_error("boom"); }
void CancelsAndLocks(ReportContext& ctx) {
  ctx.State().cancel = true;
  ctx.State().lockedFile = true;
}
}  // namespace

struct PurgeRunTest : testing::Test {
  RunState state;
  VectorView view;
  ReportContext ctx{state, view};
  ScopedArguments args{{}};
};

TEST_F(PurgeRunTest, NothingSelectedIsASevereError) {
  PurgeRequest r;
  r.preview = true;
  ASSERT_TRUE(RunPurge(ctx, r));
  EXPECT_EQ(view.lines, (std::vector<std::string>{
                            "This List is from a \"Preview Purge\".",
                            "  No Deletes are done for a \"Preview Purge\".",
                            "  The following list is for illustration purposes only.", "",
                            " -Error- No Purge Options were Selected.", " ",
                            "NOTE - The TroubleShooting section of the Quorvane Help file ",
                            "       contains additonal information for the Error indicators."}));
  EXPECT_EQ(state.highestLevel, 9);
  EXPECT_TRUE(state.attention);
  EXPECT_FALSE(state.busy || state.running);
}

TEST_F(PurgeRunTest, ASelectedFunctionNotYetBuiltIsNeverReportedAsDone) {
  PurgeRequest r;
  r.options[OptionField::Cache] = 1;
  RunPurge(ctx, r, TableWith(OptionField::Temp, CountThree));  // "FireFox Cache" left unbuilt
  EXPECT_EQ(view.lines[0], "Results of \"Purge\" function...");
  EXPECT_EQ(view.lines[2], " -Error- No Purge Options were Selected.");
}

TEST_F(PurgeRunTest, FrameReportsHeaderSeparatorAndStatusWithShredSuffix) {
  PurgeRequest r;
  r.options[OptionField::Temp] = 1;
  r.options[OptionField::SecureDelete] = 1;
  r.shred = {"2", 3};
  RunPurge(ctx, r, TableWith(OptionField::Temp, CountThree));
  EXPECT_EQ(view.lines, (std::vector<std::string>{
                            "Results of \"Purge\" function...", "", "Processing \"Temp Folders\"",
                            "  Purge \"Test\" Function Completed.",
                            " - - - - - - - - - - - - - - - - -", "  Purge Functions Completed."}));
  EXPECT_EQ(view.statuses.back(),
            "  Processing \"Temp Folders\" with 4 Shred Operations  -  Total processed = 3");
  EXPECT_EQ(state.processed, 3);
  EXPECT_EQ(state.highestLevel, 0);
  EXPECT_EQ(view.finished, 1);
}

TEST_F(PurgeRunTest, AFailingFunctionIsFramedAndTheRunGoesOn) {
  PurgeRequest r;
  r.options[OptionField::Temp] = 1;
  r.options[OptionField::ClipBoard] = 1;
  PurgeFunctionTable t = TableWith(OptionField::Temp, Throws);
  for (auto& e : t)
    if (e.option == OptionField::ClipBoard) e.body = CountThree;
  RunPurge(ctx, r, t);
  std::vector<std::string> expected{
      "Results of \"Purge\" function...",
      "",
      "Processing \"Temp Folders\"",
      " - - - - - - - - - - - - - - - - -",
      "*** Error occurred in above function ***",
      " - - - - - - - - - - - - - - - - -",
      "Clearing Windows ClipBoard",
      "  Purge \"Test\" Function Completed.",
      " - - - - - - - - - - - - - - - - -",
      "  Purge Functions Completed.",
      " ",
      "NOTE - The TroubleShooting section of the Quorvane Help file ",
      "       contains additonal information for the Error indicators."};
  EXPECT_EQ(view.lines, expected);
  // A function that failed as a whole is severe, so an unattended run shows its window.
  EXPECT_EQ(state.highestLevel, 9);
  EXPECT_TRUE(state.attention);
}

namespace {
// A results list that fails while the run gets ready, outside every function's frame.
struct FailingView : VectorView {
  int ended = 0;
  void RunStarting(int) override { throw std::runtime_error("list gone"); }
  void RunEnded(bool errorStatus) override { ended += errorStatus ? 1 : 100; }
};
}  // namespace

TEST(PurgeRunFailure, ARunFailingAsAWholeEndsInOrderWithLevelAndAttention) {
  ScopedArguments args{{}};
  RunState state;
  FailingView view;
  ReportContext ctx{state, view};
  PurgeRequest r;
  r.options[OptionField::Temp] = 1;
  EXPECT_TRUE(RunPurge(ctx, r, TableWith(OptionField::Temp, CountThree)));
  EXPECT_EQ(state.highestLevel, 9);
  EXPECT_TRUE(state.attention);
  EXPECT_EQ(view.ended, 1);  // the window left its running look, with the error status
  EXPECT_FALSE(state.busy || state.running);
  EXPECT_EQ(view.lines.back(), " -Error- The Purge run failed - list gone");
}

TEST_F(PurgeRunTest, CancelSkipsLaterFunctionsAndLockedFilesGetTheirNote) {
  PurgeRequest r;
  r.options[OptionField::IECache] = 1;
  r.options[OptionField::RecentLnks] = 1;
  PurgeFunctionTable t = TableWith(OptionField::IECache, CancelsAndLocks);
  for (auto& e : t)
    if (e.option == OptionField::RecentLnks) e.body = CountThree;
  RunPurge(ctx, r, t);
  const auto& l = view.lines;
  EXPECT_EQ(std::count(l.begin(), l.end(), "Processing \"Recent LNKs\""), 0);
  ASSERT_GE(l.size(), 9u);
  EXPECT_EQ(l[4], "  Purge Functions Cancelled by Operator.");
  EXPECT_EQ(l[5], " ");
  EXPECT_EQ(l[6], "NOTE - A \"Locked\" file has been encountered.");
  EXPECT_EQ(l.back(), "       program or system function and can not safely be deleted.");
}

TEST_F(PurgeRunTest, GaugeStepAndErrorSwitch) {
  ScopedArguments a({"ERROR5", "LEVEL3"});
  PurgeRequest r;
  for (OptionField f :
       {OptionField::Cache, OptionField::Cookies, OptionField::History, OptionField::FFTypedUrls,
        OptionField::Forms, OptionField::Temp, OptionField::Visited, OptionField::RecentLnks,
        OptionField::RecycleBin, OptionField::ClipBoard})
    r.options[f] = 1;
  RunPurge(ctx, r, TableWith(OptionField::Temp, CountThree));
  EXPECT_EQ(state.gaugeStep, 18);  // ten options: 11 steps
  EXPECT_EQ(state.highestLevel, 5);
  EXPECT_EQ(state.threshold, 3);
  EXPECT_TRUE(state.attention);
}

TEST_F(PurgeRunTest, ARunStillReturningRefusesANewOne) {
  state.running = true;  // a cancelled run unwinding
  EXPECT_FALSE(RunPurge(ctx, PurgeRequest{}));
  EXPECT_TRUE(view.lines.empty());
}

// Without administrator rights a purge that needs them is passed over with a line at level 1,
// its body never called, and the run goes on to the next; with them it runs.
TEST_F(PurgeRunTest, APurgeNeedingAdministratorRightsIsPassedOverWithoutThem) {
  for (bool elevated : {false, true}) {
    RunState st;
    VectorView v;
    ReportContext c{st, v};
    PurgeRequest r;
    r.elevated = elevated;
    r.options[OptionField::EventLogs] = 1;
    r.options[OptionField::DnsCache] = 1;
    PurgeFunctionTable t = TableWith(OptionField::EventLogs, CountThree);
    for (auto& e : t)
      if (e.option == OptionField::DnsCache) e.body = CountThree;
    ASSERT_TRUE(RunPurge(c, r, t));
    const std::string gate = "  \"Event Logs\" not processed - it needs administrator rights.";
    EXPECT_EQ(std::count(v.lines.begin(), v.lines.end(), gate), elevated ? 0 : 1);
    EXPECT_EQ(st.processed, elevated ? 6 : 3);
    EXPECT_EQ(st.highestLevel, elevated ? 0 : 1);
    EXPECT_EQ(std::count(v.lines.begin(), v.lines.end(), "  Purge Functions Completed."), 1);
  }
}
