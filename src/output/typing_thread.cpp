#include <condition_variable>
#include <mutex>
#include <thread>

#include "output/code_typing.h"

namespace varnel {
namespace {

class TypingHere final : public TypingRunner {
 public:
  void Start(std::function<void()> job) override { job(); }
  bool Ended() override { return true; }
  void Wait() override {}
};

class TypingThread final : public TypingRunner {
 public:
  TypingThread() : thread_([this] { Run(); }) {}
  ~TypingThread() override {
    {
      const std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  void Start(std::function<void()> job) override {
    {
      const std::lock_guard lock(mutex_);
      job_ = std::move(job);
    }
    changed_.notify_all();
  }
  bool Ended() override {
    const std::lock_guard lock(mutex_);
    return !job_;
  }
  void Wait() override {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !job_; });
  }

 private:
  void Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return stop_ || job_; });
      // A job under way is let finish: its keys are half out.
      if (!job_) return;
      std::function<void()> job = job_;
      lock.unlock();
      job();
      lock.lock();
      job_ = nullptr;
      changed_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void()> job_;
  bool stop_ = false;
  std::thread thread_;  // last: it starts once the rest is there
};

}  // namespace

std::unique_ptr<TypingRunner> OpenTypingThread() { return std::make_unique<TypingThread>(); }
std::unique_ptr<TypingRunner> OpenTypingHere() { return std::make_unique<TypingHere>(); }

}  // namespace varnel
