#include "ui/second_start.h"

#include <gtest/gtest.h>

namespace varnel {
namespace {

using Action = SecondStart::Action;

TEST(SecondStart, AWindowIsBroughtForwardAndEverythingElseIsRefused) {
  const RunningVarnel window{4242, true};
  const RunningVarnel headless{4243, false};
  CommandLine plain;
  CommandLine print;
  print.print = true;
  CommandLine service;
  service.headless = true;

  const SecondStart activate = DecideSecondStart(window, plain);
  EXPECT_EQ(activate.action, Action::Activate);
  EXPECT_EQ(activate.exitCode, 0);
  const SecondStart warn = DecideSecondStart(headless, plain);
  EXPECT_EQ(warn.action, Action::Warn);
  EXPECT_EQ(warn.exitCode, 1);
  for (const CommandLine& line : {print, service}) {
    for (const RunningVarnel& running : {window, headless}) {
      const SecondStart said = DecideSecondStart(running, line);
      EXPECT_EQ(said.action, Action::Say);
      EXPECT_EQ(said.exitCode, 1);
      EXPECT_NE(said.text.find("process " + std::to_string(running.pid)), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace varnel
