#include <gtest/gtest.h>

#include <algorithm>

#include "core/run_log.h"
#include "core/run_log_rules.h"
#include "core/settings.h"
#include "run/purge_run.h"
#include "run/unattended_run.h"
#include "support/test_support.h"

namespace {
void Counts(ReportContext& ctx) { ctx.CountItem(); }

// The real table with every body replaced: nothing of the test prefix is touched.
PurgeFunctionTable Harmless() {
  PurgeFunctionTable t = PurgeFunctions();
  for (auto& e : t) e.body = Counts;
  return t;
}
}  // namespace

// A box that can be ticked runs exactly one purge; a radio group runs none.
TEST(PurgeTableTest, EveryBoxHasOnePurge) {
  for (const OptionFieldInfo& info : OptionFields()) {
    const auto rows = std::count_if(PurgeFunctions().begin(), PurgeFunctions().end(),
                                    [&](const PurgeFunctionEntry& e) { return e.option == info.field; });
    EXPECT_EQ(rows, info.isRadio ? 0 : 1) << info.caption;
  }
}

// A Purge begun while Firefox runs opens its report with the caution when a ticked purge needs
// Firefox closed; a Preview, or purges that need no browser closed, do not.
TEST(RunAndRecordTest, ABrowserRunningCautionsOnlyThePurgesThatNeedItClosed) {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  FakeTopWindow firefox("MozillaWindowClass", "Mozilla Firefox Start Page", true);
  struct Case {
    bool preview;
    OptionField ticked;
    bool caution;
  } cases[] = {{false, OptionField::Cookies, true},
               {true, OptionField::Cookies, false},
               {false, OptionField::ClipBoard, false}};
  for (const Case& c : cases) {
    TestRun run;
    PurgeRequest request;
    request.preview = c.preview;
    request.options[c.ticked] = 1;
    ASSERT_TRUE(RunAndRecord(run.ctx, request, Harmless()));
    EXPECT_EQ(run.view.lines.at(0) == kCautionLine, c.caution) << InfoOf(c.ticked).caption;
    EXPECT_EQ(run.state.highestLevel == 9, c.caution);
    EXPECT_TRUE(run.state.browsers.firefox);
  }
}

// An unattended run takes the option set Configure saved, as a page would hold it, runs it
// and leaves its record in the log, with no window at all.
TEST(UnattendedRunTest, RunsTheSavedOptionsAsAPageWouldHoldThem) {
  ScopedDataFolder data;
  ScopedArguments args{{"AUTO"}};
  WriteFileText(data.SettingsPath(),
                "[PnowOptions]\r\nClipBoardOption=2\r\nTempOption=0\r\nSecureDeleteOption=2\r\n"
                "ReportOpt=1\r\n");
  const OptionSet set = SavedRunOptions(RunMode::PurgeNow);
  EXPECT_EQ(set[OptionField::ClipBoard], 1);     // any tick is a tick
  EXPECT_EQ(set[OptionField::Temp], 0);
  EXPECT_EQ(set[OptionField::SecureDelete], 0);  // a radio group on neither choice: the first
  EXPECT_EQ(set[OptionField::Report], 1);

  Globals().keepRunLog = true;
  RunState state;
  KeptReportView report;
  ReportContext ctx(state, report);
  RunUnattended(ctx, RunMode::PurgeNow);
  const std::vector<std::string> lines = report.Lines().Copy();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Clearing Windows ClipBoard"), lines.end());
  EXPECT_NE(ReadFileText(data.Path() + "\\" + kRunLogName).find("Clearing Windows ClipBoard"),
            std::string::npos);
  EXPECT_EQ(FindWindowA("TFFoxForm", nullptr), nullptr);
}
