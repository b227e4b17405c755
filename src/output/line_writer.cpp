#include "output/line_writer.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace varnel {

struct LineWriter::Shared {
  Write write;
  Say say;
  Failed failed;
  std::size_t capacity;
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::string> queue;
  bool writing = false;
  bool closing = false;
  bool broken = false;
  bool saidOverflow = false;

  // The writer's thread: it holds its own share, so that it may outlive the LineWriter while
  // it waits on a reader that never reads.
  static void Run(std::shared_ptr<Shared> self) {
    std::unique_lock lock(self->mutex);
    for (;;) {
      self->changed.wait(lock, [&] { return self->closing || !self->queue.empty(); });
      if (self->queue.empty()) return;
      std::string line = std::move(self->queue.front());
      self->queue.pop_front();
      self->writing = true;
      lock.unlock();
      const int error = self->write(line);
      if (error != 0) {
        self->say(WriteFailedMessage(error));
        if (self->failed) self->failed();
      }
      lock.lock();
      self->writing = false;
      if (error != 0) {
        self->broken = true;
        self->queue.clear();
      }
      self->changed.notify_all();
      if (self->broken) return;
    }
  }
};

LineWriter::LineWriter(Write write, Say say, Failed failed, std::size_t capacity)
    : shared_(std::make_shared<Shared>()) {
  shared_->write = std::move(write);
  shared_->say = std::move(say);
  shared_->failed = std::move(failed);
  shared_->capacity = capacity;
  std::thread(&Shared::Run, shared_).detach();
}

LineWriter::~LineWriter() {
  std::unique_lock lock(shared_->mutex);
  shared_->closing = true;
  shared_->changed.notify_all();
  shared_->changed.wait_for(lock, std::chrono::milliseconds(kDrainMs), [&] {
    return shared_->broken || (shared_->queue.empty() && !shared_->writing);
  });
}

void LineWriter::Push(std::string line) {
  std::lock_guard lock(shared_->mutex);
  if (shared_->broken) return;
  if (shared_->queue.size() >= shared_->capacity) {
    if (!shared_->saidOverflow) {
      shared_->say(
          "varnel: standard output is not being read fast enough: codes are dropped until it "
          "catches up.");
      shared_->saidOverflow = true;
    }
    return;
  }
  shared_->queue.push_back(std::move(line));
  shared_->changed.notify_all();
}

std::string WriteFailedMessage(int error) {
  return std::string("varnel: cannot write the codes to standard output (") + std::strerror(error) +
         "): no more codes are written there.";
}

}  // namespace varnel
