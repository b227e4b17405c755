// The code stream on Windows: a named pipe of the session, made first by this process (so a
// pipe that another made under that name is found out, and nothing is served), refusing remote
// clients, with a DACL that admits the current user alone. A thread of its own serves the
// followers through overlapped writes, one under way per follower at a time.
#include <windows.h>

#include <sddl.h>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "session/code_stream.h"
#include "session/follower_queues.h"
#include "session/windows/code_pipe.h"

namespace varnel {
namespace {

constexpr DWORD kPipeBytes = 65536;

// The current user's alone: the DACL that admits it, and nobody else, to the pipe.
class UserOnly {
 public:
  UserOnly() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    wchar_t* sid = nullptr;
    if (GetTokenInformation(token, TokenUser, user.data(), size, &size) &&
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sid)) {
      const std::wstring sddl = L"D:P(A;;GA;;;" + std::wstring(sid) + L")";
      ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                           &descriptor_, nullptr);
      LocalFree(sid);
    }
    CloseHandle(token);
    attributes_ = {sizeof attributes_, descriptor_, FALSE};
  }
  ~UserOnly() { LocalFree(descriptor_); }
  UserOnly(const UserOnly&) = delete;
  UserOnly& operator=(const UserOnly&) = delete;
  SECURITY_ATTRIBUTES* Attributes() { return descriptor_ ? &attributes_ : nullptr; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_{};
};

HANDLE MakeInstance(const std::wstring& name, UserOnly& access, bool first) {
  return CreateNamedPipeW(
      name.c_str(),
      PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
      PIPE_UNLIMITED_INSTANCES, kPipeBytes, 0, 0, access.Attributes());
}

struct Io {
  Io() { overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr); }
  ~Io() { CloseHandle(overlapped.hEvent); }
  Io(const Io&) = delete;
  Io& operator=(const Io&) = delete;
  OVERLAPPED overlapped{};
  bool pending = false;
};

// One connected follower: a read kept under way to hear of its going, and its write.
struct Follower {
  HANDLE pipe = INVALID_HANDLE_VALUE;
  DWORD pid = 0;
  Io read;
  char readByte = 0;
  Io write;
  FollowerQueues::Line writing;  // kept alive while its write is under way
};

void Cancel(HANDLE pipe, Io& io) {
  if (!io.pending) return;
  DWORD bytes = 0;
  CancelIoEx(pipe, &io.overlapped);
  GetOverlappedResult(pipe, &io.overlapped, &bytes, TRUE);
  io.pending = false;
}

class PipeCodeStream final : public CodeStream {
 public:
  PipeCodeStream(HANDLE first, std::wstring name, std::unique_ptr<UserOnly> access, StreamSay say)
      : listening_(first),
        name_(std::move(name)),
        access_(std::move(access)),
        say_(std::move(say)),
        wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    thread_ = std::thread([this] { Run(); });
  }
  ~PipeCodeStream() override {
    stopping_ = true;
    SetEvent(wake_);
    thread_.join();
    for (auto& [id, follower] : followers_) Close(*follower);
    Cancel(listening_, connect_);
    CloseHandle(listening_);
    CloseHandle(wake_);
  }

  void Serve(const std::string& line) override {
    const auto shared = std::make_shared<const std::string>(line);
    {
      std::lock_guard lock(mutex_);
      for (const FollowerQueues::Id id : queues_.Push(shared)) cut_.push_back(id);
    }
    SetEvent(wake_);
  }

 private:
  void Run() {
    Listen();
    while (!stopping_) {
      std::vector<HANDLE> waited{wake_, connect_.overlapped.hEvent};
      for (auto& [id, follower] : followers_) {
        waited.push_back(follower->read.overlapped.hEvent);
        if (follower->write.pending) waited.push_back(follower->write.overlapped.hEvent);
      }
      WaitForMultipleObjects(static_cast<DWORD>(waited.size()), waited.data(), FALSE, INFINITE);
      LetGoOfCut();
      for (auto it = followers_.begin(); it != followers_.end();) {
        if (Heard(*it->second) && Wrote(it->first, *it->second) &&
            WriteOwed(it->first, *it->second)) {
          ++it;
          continue;
        }
        {
          std::lock_guard lock(mutex_);
          queues_.Remove(it->first);
        }
        Close(*it->second);
        it = followers_.erase(it);
      }
      // New ones last: one that has gone makes room before the next one is counted.
      if (WaitForSingleObject(connect_.overlapped.hEvent, 0) == WAIT_OBJECT_0) Connected();
    }
  }

  // Waits for the next follower on the instance that is listening.
  void Listen() {
    ResetEvent(connect_.overlapped.hEvent);
    if (listening_ == INVALID_HANDLE_VALUE) return;
    if (ConnectNamedPipe(listening_, &connect_.overlapped)) {
      SetEvent(connect_.overlapped.hEvent);
    } else if (GetLastError() == ERROR_IO_PENDING) {
      connect_.pending = true;
    } else if (GetLastError() == ERROR_PIPE_CONNECTED) {
      SetEvent(connect_.overlapped.hEvent);
    }
  }

  void Connected() {
    connect_.pending = false;
    HANDLE pipe = listening_;
    listening_ = MakeInstance(name_, *access_, false);
    Listen();
    const FollowerQueues::Id id = ++lastId_;
    bool added;
    {
      std::lock_guard lock(mutex_);
      added = queues_.Add(id);
    }
    if (!added) {
      // Into an empty pipe: it goes at once, and stays there for the client to read.
      Io io;
      DWORD written = 0;
      const std::string& line = TooManyFollowersLine();
      if (!WriteFile(pipe, line.data(), static_cast<DWORD>(line.size()), nullptr, &io.overlapped) &&
          GetLastError() == ERROR_IO_PENDING &&
          WaitForSingleObject(io.overlapped.hEvent, 200) != WAIT_OBJECT_0) {
        CancelIoEx(pipe, &io.overlapped);
      }
      GetOverlappedResult(pipe, &io.overlapped, &written, TRUE);
      CloseHandle(pipe);
      return;
    }
    auto follower = std::make_unique<Follower>();
    follower->pipe = pipe;
    GetNamedPipeClientProcessId(pipe, &follower->pid);
    followers_[id] = std::move(follower);
    Read(*followers_[id]);
  }

  // A follower sends nothing: a read under way all the time hears of its going.
  static bool Read(Follower& follower) {
    for (;;) {
      ResetEvent(follower.read.overlapped.hEvent);
      if (ReadFile(follower.pipe, &follower.readByte, 1, nullptr, &follower.read.overlapped))
        continue;  // something it sent, dropped
      follower.read.pending = GetLastError() == ERROR_IO_PENDING;
      return follower.read.pending;
    }
  }
  static bool Heard(Follower& follower) {
    if (WaitForSingleObject(follower.read.overlapped.hEvent, 0) != WAIT_OBJECT_0) return true;
    DWORD bytes = 0;
    follower.read.pending = false;
    if (!GetOverlappedResult(follower.pipe, &follower.read.overlapped, &bytes, FALSE)) return false;
    return Read(follower);
  }

  bool Wrote(FollowerQueues::Id id, Follower& follower) {
    if (!follower.write.pending ||
        WaitForSingleObject(follower.write.overlapped.hEvent, 0) != WAIT_OBJECT_0)
      return true;
    follower.write.pending = false;
    follower.writing.reset();
    DWORD bytes = 0;
    if (!GetOverlappedResult(follower.pipe, &follower.write.overlapped, &bytes, FALSE))
      return false;
    std::lock_guard lock(mutex_);
    queues_.Written(id, bytes);
    return true;
  }

  bool WriteOwed(FollowerQueues::Id id, Follower& follower) {
    if (follower.write.pending) return true;
    std::optional<FollowerQueues::Rest> rest;
    {
      std::lock_guard lock(mutex_);
      rest = queues_.Next(id);
    }
    if (!rest) return true;
    follower.writing = rest->line;
    ResetEvent(follower.write.overlapped.hEvent);
    const BOOL done = WriteFile(follower.pipe, rest->line->data() + rest->offset,
                                static_cast<DWORD>(rest->line->size() - rest->offset), nullptr,
                                &follower.write.overlapped);
    if (!done && GetLastError() != ERROR_IO_PENDING) return false;
    follower.write.pending = true;  // done or not, its completion is taken up with the others
    return true;
  }

  void LetGoOfCut() {
    std::vector<FollowerQueues::Id> cut;
    {
      std::lock_guard lock(mutex_);
      cut.swap(cut_);
    }
    for (const FollowerQueues::Id id : cut) {
      const auto it = followers_.find(id);
      if (it == followers_.end()) continue;
      say_("varnel: the program following the codes as process " + std::to_string(it->second->pid) +
           " fell " + std::to_string(FollowerQueues::kCutBehind) + " codes behind and is cut off.");
      Close(*it->second);
      followers_.erase(it);
    }
  }

  void Close(Follower& follower) {
    Cancel(follower.pipe, follower.read);
    Cancel(follower.pipe, follower.write);
    DisconnectNamedPipe(follower.pipe);
    CloseHandle(follower.pipe);
  }

  HANDLE listening_;
  Io connect_;
  const std::wstring name_;
  const std::unique_ptr<UserOnly> access_;
  const StreamSay say_;
  const HANDLE wake_;
  std::atomic<bool> stopping_ = false;
  std::mutex mutex_;
  FollowerQueues queues_;                // under mutex_
  std::vector<FollowerQueues::Id> cut_;  // under mutex_: cut off, still to be let go of
  std::map<FollowerQueues::Id, std::unique_ptr<Follower>> followers_;  // the thread's own
  FollowerQueues::Id lastId_ = 0;
  std::thread thread_;
};

}  // namespace

std::unique_ptr<CodeStream> OpenCodeStream(StreamSay say) {
  const std::wstring name = CodePipeName();
  auto access = std::make_unique<UserOnly>();
  if (!access->Attributes()) {
    say("varnel: no program can follow this Varnel: no access list for the current user.");
    return nullptr;
  }
  HANDLE first = MakeInstance(name, *access, true);
  if (first == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    say(error == ERROR_ACCESS_DENIED || error == ERROR_PIPE_BUSY
            ? "varnel: another process has already made this session's code pipe: no program "
              "can follow this Varnel."
            : "varnel: no program can follow this Varnel: cannot make its pipe (error " +
                  std::to_string(error) + ").");
    return nullptr;
  }
  return std::make_unique<PipeCodeStream>(first, name, std::move(access), std::move(say));
}

}  // namespace varnel
