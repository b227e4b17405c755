// The session's lock with the real calls (under Wine here). A mutex belongs to a thread, so
// threads of this one process stand in for the starts of the program.
#include "session/session_lock.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <future>
#include <thread>

namespace varnel {
namespace {

TEST(WindowsSessionLock, AnotherStartLearnsTheHolderAndGetsTheLockOnceTheHolderIsGone) {
  std::promise<void> end;
  std::promise<bool> taken;
  // The holder ends without giving the lock back, as a killed program does.
  std::thread holder([&] {
    taken.set_value(TakeSessionLock(true).taken);
    end.get_future().wait();
  });
  ASSERT_TRUE(taken.get_future().get());

  const SessionLock second = TakeSessionLock(false);
  EXPECT_FALSE(second.taken);
  EXPECT_EQ(second.problem, "");
  EXPECT_EQ(second.holder, (RunningVarnel{GetCurrentProcessId(), true}));

  end.set_value();
  holder.join();
  const SessionLock after = TakeSessionLock(false);
  EXPECT_TRUE(after.taken) << after.problem;
  std::promise<std::optional<RunningVarnel>> seen;
  std::thread([&] { seen.set_value(TakeSessionLock(true).holder); }).join();
  EXPECT_EQ(seen.get_future().get(), (RunningVarnel{GetCurrentProcessId(), false}));
}

}  // namespace
}  // namespace varnel
