// The writer of records against readers that stall or go away: pushing never waits, and each
// trouble is said once.
#include "output/line_writer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <condition_variable>
#include <mutex>

namespace varnel {
namespace {

// A reader of standard output that reads nothing until it is let go.
struct StalledReader {
  std::mutex mutex;
  std::condition_variable changed;
  bool stalled = true;
  int error = 0;
  int writesStarted = 0;
  std::string got;
  std::vector<std::string> said;

  int Write(std::string_view bytes) {
    std::unique_lock lock(mutex);
    ++writesStarted;
    changed.notify_all();
    changed.wait(lock, [&] { return !stalled; });
    if (error == 0) got += bytes;
    return error;
  }
  void Say(const std::string& line) {
    std::lock_guard lock(mutex);
    said.push_back(line);
  }
  void LetGo(int withError = 0) {
    std::lock_guard lock(mutex);
    stalled = false;
    error = withError;
    changed.notify_all();
  }
  void AwaitWrite() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return writesStarted > 0; });
  }
};

TEST(LineWriter, AStalledReaderCostsOnlyTheLinesBeyondTheQueue) {
  StalledReader reader;
  {
    LineWriter writer([&](std::string_view b) { return reader.Write(b); },
                      [&](const std::string& l) { reader.Say(l); }, {}, 2);
    writer.Push("1\n");
    reader.AwaitWrite();  // the first line is being written, and waits
    for (const char* line : {"2\n", "3\n", "4\n", "5\n"}) writer.Push(line);
    EXPECT_EQ(reader.said.size(), 1u);  // said once, however many are dropped
    reader.LetGo();
  }  // the queue drains before the writer goes
  EXPECT_EQ(reader.got, "1\n2\n3\n");
}

TEST(LineWriter, AReaderThatGoesAwayIsSaidOnceAndTold) {
  StalledReader reader;
  std::mutex mutex;
  std::condition_variable changed;
  int failures = 0;
  {
    LineWriter writer([&](std::string_view b) { return reader.Write(b); },
                      [&](const std::string& l) { reader.Say(l); },
                      [&] {
                        std::lock_guard lock(mutex);
                        ++failures;
                        changed.notify_all();
                      });
    writer.Push("1\n");
    writer.Push("2\n");
    reader.LetGo(EPIPE);
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return failures > 0; });
    lock.unlock();
    writer.Push("3\n");
  }
  EXPECT_EQ(failures, 1);
  ASSERT_EQ(reader.said.size(), 1u);
  EXPECT_EQ(reader.said[0], WriteFailedMessage(EPIPE));
  EXPECT_EQ(reader.writesStarted, 1);
}

}  // namespace
}  // namespace varnel
