#include "framework/app/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Arg(const CommandLineSwitch* record, int index) {
  return record->aArguments.GetAt(index);
}

TEST(CommandLineParse, NamelessRecordThenSwitchWithQuotedAndBareArguments) {
  CCommandLine line;
  CommandLineFlags flags = {};
  EXPECT_EQ(0, line.Parse("first -PROFILE \"My Profile\" extra", &flags));
  ASSERT_EQ(2, line.GetCount());
  const CommandLineSwitch* nameless = line.GetSwitch(0);
  EXPECT_STREQ("", nameless->szName);
  ASSERT_EQ(1, nameless->aArguments.count);
  EXPECT_EQ("first", Arg(nameless, 0));
  const CommandLineSwitch* profile = line.GetSwitch(1);
  EXPECT_STREQ("-PROFILE", profile->szName);
  ASSERT_EQ(2, profile->aArguments.count);
  EXPECT_EQ("My Profile", Arg(profile, 0));
  EXPECT_EQ("extra", Arg(profile, 1));
}

TEST(CommandLineParse, TabsSeparateWordsAndUnclosedQuoteRunsToTheEnd) {
  CCommandLine line;
  line.Parse("\t-SCRIPT\t\"C:\\a b\\c.bws\t-QUIT", nullptr);
  ASSERT_EQ(1, line.GetCount());
  EXPECT_STREQ("-SCRIPT", line.GetSwitch(0)->szName);
  ASSERT_EQ(1, line.GetSwitch(0)->aArguments.count);
  EXPECT_EQ("C:\\a b\\c.bws\t-QUIT", Arg(line.GetSwitch(0), 0));
}

TEST(CommandLineParse, EmptyAndBlankTextsGiveNoRecords) {
  CCommandLine line;
  line.Parse("-X a", nullptr);
  EXPECT_EQ(0, line.Parse("", nullptr));
  EXPECT_EQ(0, line.GetCount());
  EXPECT_EQ(0, line.Parse("   \t ", nullptr));
  EXPECT_EQ(0, line.GetCount());
  EXPECT_EQ(0, line.Parse(nullptr, nullptr));
}

TEST(CommandLineParse, FlagsAndResultIgnoreCase) {
  CCommandLine line;
  CommandLineFlags flags = {};
  EXPECT_EQ(-1, line.Parse("-wAitForDataPath -qUiT", &flags));
  EXPECT_TRUE(flags.bQuit);
  EXPECT_TRUE(flags.bWaitForDataPath);
  EXPECT_EQ(1, line.Parse("-WaitForDataPath -Autostart -minimize -TaskScheduler", &flags));
  EXPECT_FALSE(flags.bQuit);
  EXPECT_TRUE(flags.bAutostart);
  EXPECT_TRUE(flags.bMinimize);
  EXPECT_TRUE(flags.bTaskScheduler);
  EXPECT_EQ(0, line.Parse("-QUITE -PROFILE quit", &flags));
  EXPECT_FALSE(flags.bQuit);
}

TEST(CommandLineParse, FindSwitchIgnoresCaseAndTakesTheFirst) {
  CCommandLine line;
  line.Parse("x -profile a -EXECUTE b -PROFILE c", nullptr);
  EXPECT_EQ(1, line.FindSwitch("-PROFILE"));
  EXPECT_EQ(2, line.FindSwitch("-execute"));
  EXPECT_EQ(0, line.FindSwitch(""));
  EXPECT_EQ(-1, line.FindSwitch("-SCRIPT"));
}

TEST(CommandLineParse, OverlongWordsAreDroppedNotCut) {
  std::string longWord(300, 'p');
  std::string exact(259, 'q');
  CCommandLine line;
  line.Parse(("-PROFILE " + longWord + " " + exact + " \"" + longWord + "\"").c_str(), nullptr);
  ASSERT_EQ(1, line.GetCount());
  ASSERT_EQ(1, line.GetSwitch(0)->aArguments.count);
  EXPECT_EQ(exact, Arg(line.GetSwitch(0), 0));
  // An overlong switch takes its arguments with it instead of handing them
  // to the switch before.
  line.Parse(("-PROFILE a -" + longWord + " b").c_str(), nullptr);
  ASSERT_EQ(1, line.GetCount());
  EXPECT_EQ(1, line.GetSwitch(0)->aArguments.count);
}

TEST(CommandLineParse, ReparsingReplacesTheList) {
  CCommandLine line;
  for (int i = 0; i < 50; ++i) line.Parse("-A 1 2 3 -B 4 -C", nullptr);
  EXPECT_EQ(3, line.GetCount());
  EXPECT_EQ(3, line.GetSwitch(0)->aArguments.count);
  EXPECT_EQ(nullptr, line.GetSwitch(3));
  EXPECT_EQ(nullptr, line.GetSwitch(-1));
}

std::string Filtered(const char* text) {
  char out[1040];
  EXPECT_TRUE(FilterRestartArguments(text, out, sizeof(out)));
  return out;
}

TEST(RestartArguments, OneShotSwitchesGoWithTheirArguments) {
  EXPECT_EQ("-WAITFORDATAPATH -MINIMIZE -PROFILE \"Screen 2\"",
            Filtered("-WAITFORDATAPATH -AUTOSTART -MINIMIZE -PROFILE \"Screen 2\""));
  EXPECT_EQ("-PROFILE x", Filtered("-execute \"Window\" more -PROFILE x -Script c:\\a.bws"));
  EXPECT_EQ("", Filtered("-QUIT"));
  EXPECT_EQ("", Filtered("-TASKSCHEDULER -AUTOSTART"));
  EXPECT_EQ("lead -MINIMIZE", Filtered("  lead\t-MINIMIZE   -quit"));
  EXPECT_EQ("-PROFILE \"a b", Filtered("-PROFILE \"a b"));
}

TEST(RestartArguments, TooSmallBufferGivesEmptyOutput) {
  char out[8] = "stale";
  EXPECT_FALSE(FilterRestartArguments("-PROFILE abcdefgh", out, sizeof(out)));
  EXPECT_STREQ("", out);
  char exact[12];
  EXPECT_TRUE(FilterRestartArguments("-MINIMIZE", exact, 10));
  EXPECT_STREQ("-MINIMIZE", exact);
}

}  // namespace
