#include "app/second_start.h"

#include <gtest/gtest.h>

namespace varnel {
namespace {

using Action = SecondStart::Action;

class SecondStarts : public ::testing::Test {
 protected:
  SecondStarts() {
    print.print = true;
    service.headless = true;
  }
  const RunningVarnel window{4242, true};
  const RunningVarnel headless{4243, false};
  CommandLine plain;
  CommandLine print;
  CommandLine service;
};

TEST_F(SecondStarts, AWindowIsBroughtForwardAndASecondWindowBesideAServiceViewsItsCodes) {
  const SecondStart activate = DecideSecondStart(window, plain);
  EXPECT_EQ(activate.action, Action::Activate);
  EXPECT_EQ(activate.exitCode, 0);
  // Warned, where the window cannot follow the service.
  const SecondStart warn = DecideSecondStart(headless, plain);
  EXPECT_EQ(warn.action, Action::View);
  EXPECT_EQ(warn.exitCode, 1);
  EXPECT_NE(warn.text.find("processo 4243"), std::string::npos) << warn.text;
  EXPECT_NE(warn.text.find("varnel --print"), std::string::npos) << warn.text;
}

TEST_F(SecondStarts, TypingIsRefusedBesideARunningVarnelWhichAloneCouldType) {
  CommandLine typing;
  typing.type = TypeEnd::Enter;
  CommandLine printAndType = print;
  printAndType.type = TypeEnd::Tab;
  for (const RunningVarnel& running : {window, headless}) {
    for (const CommandLine& line : {typing, printAndType}) {
      const SecondStart refused = DecideSecondStart(running, line);
      EXPECT_EQ(refused.action, Action::Say);
      EXPECT_EQ(refused.exitCode, 1);
      EXPECT_NE(refused.text.find("process " + std::to_string(running.pid)), std::string::npos);
      EXPECT_NE(refused.text.find("start it with --type"), std::string::npos) << refused.text;
    }
  }
}

TEST_F(SecondStarts, PrintFollowsWhicheverVarnelRuns) {
  for (const RunningVarnel& running : {window, headless}) {
    const SecondStart follow = DecideSecondStart(running, print);
    EXPECT_EQ(follow.action, Action::Follow);
    EXPECT_EQ(follow.exitCode, 0);
    EXPECT_NE(follow.text.find("process " + std::to_string(running.pid)), std::string::npos);
  }
  EXPECT_NE(DecideSecondStart(window, print).text.find("with a window"), std::string::npos);
  EXPECT_NE(DecideSecondStart(headless, print).text.find("without a window"), std::string::npos);
}

TEST_F(SecondStarts, ASecondServiceIsRefusedNamingTheFirst) {
  CommandLine both = service;
  both.print = true;
  for (const CommandLine& line : {service, both}) {
    for (const RunningVarnel& running : {window, headless}) {
      const SecondStart said = DecideSecondStart(running, line);
      EXPECT_EQ(said.action, Action::Say);
      EXPECT_EQ(said.exitCode, 1);
      EXPECT_NE(said.text.find("process " + std::to_string(running.pid)), std::string::npos);
    }
  }
}

TEST_F(SecondStarts, AHolderThatDoesNotSayWhoItIsCannotBeFollowed) {
  for (const CommandLine& line : {plain, print, service}) {
    const SecondStart said = DecideSecondStart(std::nullopt, line);
    EXPECT_EQ(said.action, Action::Say);
    EXPECT_EQ(said.exitCode, 1);
  }
}

}  // namespace
}  // namespace varnel
