#include "reader/evdev_fuse.h"

#define FUSE_USE_VERSION 35
#include <fcntl.h>
#include <fuse_lowlevel.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <list>
#include <map>
#include <mutex>
#include <thread>

namespace varnel::reader {

struct EvdevServer::State {
  State(VirtualEvdevDevice::ClockReader clock, LightHandler onLight)
      : device(std::move(clock)), onLight(std::move(onLight)) {}

  // After anything that may have queued events or changed the LED; under the lock.
  void Settle(bool ledBefore);
  void ReplyRead(fuse_req_t req, int result, const std::vector<input_event>& events);
  fuse_ino_t NodeIno() const { return FUSE_ROOT_ID + 1 + device.Plugs(); }

  std::mutex mutex;
  VirtualEvdevDevice device;
  LightHandler onLight;
  struct ParkedRead {
    fuse_req_t req;
    OpenFileId file;
    std::size_t size;
  };
  std::list<ParkedRead> parked;  // blocking reads, answered when an event comes
  std::map<OpenFileId, fuse_pollhandle*> polls;
  bool greeted = false;  // the kernel's INIT is answered: the mount serves
  std::condition_variable greetedChanged;
  bool stopped = false;
  fuse_session* session = nullptr;
  int wake = -1;
  std::thread loop;
};

namespace {

using State = EvdevServer::State;

State& Of(fuse_req_t req) { return *static_cast<State*>(fuse_req_userdata(req)); }

struct stat Attributes(fuse_ino_t ino) {
  struct stat st {};
  st.st_ino = ino;
  st.st_mode = ino == FUSE_ROOT_ID ? S_IFDIR | 0755 : S_IFREG | 0660;
  st.st_nlink = ino == FUSE_ROOT_ID ? 2 : 1;
  st.st_uid = getuid();
  st.st_gid = getgid();
  return st;
}

void Init(void* data, fuse_conn_info*) {
  State& s = *static_cast<State*>(data);
  std::lock_guard lock(s.mutex);
  s.greeted = true;
  s.greetedChanged.notify_all();
}

// The entry's and attributes' timeouts stay 0, so the kernel caches nothing: the node comes and
// goes with the device, and each plug-in gives it a new inode.
void Lookup(fuse_req_t req, fuse_ino_t parent, const char* name) {
  State& s = Of(req);
  std::lock_guard lock(s.mutex);
  if (parent != FUSE_ROOT_ID || !s.device.Plugged() || s.device.NodeName() != name) {
    fuse_reply_err(req, ENOENT);
    return;
  }
  fuse_entry_param entry{};
  entry.ino = s.NodeIno();
  entry.generation = 1;
  entry.attr = Attributes(entry.ino);
  fuse_reply_entry(req, &entry);
}

void GetAttr(fuse_req_t req, fuse_ino_t ino, fuse_file_info*) {
  const struct stat st = Attributes(ino);
  fuse_reply_attr(req, &st, 0);
}

void Access(fuse_req_t req, fuse_ino_t ino, int mask) {
  State& s = Of(req);
  std::lock_guard lock(s.mutex);
  const bool refused = ino != FUSE_ROOT_ID && s.device.Denied() && (mask & (R_OK | W_OK));
  fuse_reply_err(req, refused ? EACCES : 0);
}

void ReadDir(fuse_req_t req, fuse_ino_t ino, size_t size, off_t offset, fuse_file_info*) {
  State& s = Of(req);
  if (ino != FUSE_ROOT_ID) {
    fuse_reply_err(req, ENOTDIR);
    return;
  }
  std::vector<std::pair<std::string, fuse_ino_t>> names{{".", FUSE_ROOT_ID}, {"..", FUSE_ROOT_ID}};
  {
    std::lock_guard lock(s.mutex);
    if (s.device.Plugged()) names.emplace_back(s.device.NodeName(), s.NodeIno());
  }
  std::vector<char> buffer(size);
  std::size_t used = 0;
  for (auto i = static_cast<std::size_t>(offset); i < names.size(); ++i) {
    const struct stat st = Attributes(names[i].second);
    const std::size_t length =
        fuse_add_direntry(req, buffer.data() + used, size - used, names[i].first.c_str(), &st,
                          static_cast<off_t>(i + 1));
    if (length > size - used) break;
    used += length;
  }
  fuse_reply_buf(req, buffer.data(), used);
}

void Open(fuse_req_t req, fuse_ino_t ino, fuse_file_info* fi) {
  State& s = Of(req);
  std::lock_guard lock(s.mutex);
  OpenFileId id = 0;
  const int result = ino == s.NodeIno() ? s.device.Open(id) : -ENOENT;
  if (result < 0) {
    fuse_reply_err(req, -result);
    return;
  }
  fi->fh = id;
  fi->direct_io = 1;  // every read and write reaches the device, none stops in the page cache
  fi->nonseekable = 1;
  if (fuse_reply_open(req, fi) != 0) s.device.Close(id);  // the opener gave up meanwhile
}

void Release(fuse_req_t req, fuse_ino_t, fuse_file_info* fi) {
  State& s = Of(req);
  std::lock_guard lock(s.mutex);
  s.device.Close(fi->fh);
  if (const auto poll = s.polls.find(fi->fh); poll != s.polls.end()) {
    fuse_pollhandle_destroy(poll->second);
    s.polls.erase(poll);
  }
  fuse_reply_err(req, 0);
}

void Interrupted(fuse_req_t req, void* data) {
  State& s = *static_cast<State*>(data);
  std::lock_guard lock(s.mutex);
  for (auto it = s.parked.begin(); it != s.parked.end(); ++it) {
    if (it->req == req) {
      fuse_reply_err(req, EINTR);
      s.parked.erase(it);
      return;
    }
  }
}

void Read(fuse_req_t req, fuse_ino_t, size_t size, off_t, fuse_file_info* fi) {
  State& s = Of(req);
  const bool blocking = !(fi->flags & O_NONBLOCK);
  // Before taking the lock: if the reader was interrupted already, this calls back at once.
  if (blocking) fuse_req_interrupt_func(req, Interrupted, &s);
  std::lock_guard lock(s.mutex);
  std::vector<input_event> events;
  const int result = s.device.Read(fi->fh, size, events);
  if (result == -EAGAIN && blocking) {
    if (fuse_req_interrupted(req)) {
      fuse_reply_err(req, EINTR);
    } else {
      s.parked.push_back({req, fi->fh, size});
    }
    return;
  }
  s.ReplyRead(req, result, events);
}

void Write(fuse_req_t req, fuse_ino_t, const char* data, size_t size, off_t, fuse_file_info* fi) {
  State& s = Of(req);
  std::lock_guard lock(s.mutex);
  const bool ledBefore = s.device.ScrollLock();
  const int result = s.device.Write(fi->fh, {reinterpret_cast<const std::uint8_t*>(data), size});
  s.Settle(ledBefore);
  if (result < 0) {
    fuse_reply_err(req, -result);
  } else {
    fuse_reply_write(req, static_cast<std::size_t>(result));
  }
}

// A regular file's ioctls reach FUSE "restricted": the kernel copies in and out as many bytes
// as the request number encodes, so a request whose argument is a plain value (EVIOCGRAB) fails
// in the kernel with EFAULT before it gets here.
void Ioctl(fuse_req_t req, fuse_ino_t, unsigned int cmd, void*, fuse_file_info* fi, unsigned flags,
           const void* in, size_t inSize, size_t outSize) {
  State& s = Of(req);
  if (flags & FUSE_IOCTL_COMPAT) {
    fuse_reply_err(req, ENOTTY);
    return;
  }
  std::lock_guard lock(s.mutex);
  const bool ledBefore = s.device.ScrollLock();
  std::vector<std::uint8_t> out;
  const int result =
      s.device.Ioctl(fi->fh, cmd, {static_cast<const std::uint8_t*>(in), inSize}, outSize, out);
  s.Settle(ledBefore);
  if (result < 0) {
    fuse_reply_err(req, -result);
  } else {
    fuse_reply_ioctl(req, result, out.data(), out.size());
  }
}

void Poll(fuse_req_t req, fuse_ino_t, fuse_file_info* fi, fuse_pollhandle* handle) {
  State& s = Of(req);
  std::lock_guard lock(s.mutex);
  if (handle) {
    fuse_pollhandle*& kept = s.polls[fi->fh];
    if (kept) fuse_pollhandle_destroy(kept);
    kept = handle;
  }
  fuse_reply_poll(req, static_cast<unsigned>(s.device.PollMask(fi->fh)));
}

constexpr fuse_lowlevel_ops Operations() {
  fuse_lowlevel_ops ops{};
  ops.init = Init;
  ops.lookup = Lookup;
  ops.getattr = GetAttr;
  ops.access = Access;
  ops.readdir = ReadDir;
  ops.open = Open;
  ops.release = Release;
  ops.read = Read;
  ops.write = Write;
  ops.ioctl = Ioctl;
  ops.poll = Poll;
  return ops;
}
constexpr fuse_lowlevel_ops kOperations = Operations();

// The loop of FUSE requests, until Stop() wakes it or the mount goes away.
void Serve(State& s) {
  fuse_buf buffer{};
  pollfd fds[2] = {{fuse_session_fd(s.session), POLLIN, 0}, {s.wake, POLLIN, 0}};
  while (!fuse_session_exited(s.session)) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[1].revents) break;
    const int received = fuse_session_receive_buf(s.session, &buffer);
    if (received == -EINTR) continue;
    if (received <= 0) break;
    fuse_session_process_buf(s.session, &buffer);
  }
  std::free(buffer.mem);
}

}  // namespace

void State::ReplyRead(fuse_req_t req, int result, const std::vector<input_event>& events) {
  if (result < 0) {
    fuse_reply_err(req, -result);
  } else {
    fuse_reply_buf(req, reinterpret_cast<const char*>(events.data()),
                   static_cast<std::size_t>(result));
  }
}

void State::Settle(bool ledBefore) {
  if (device.ScrollLock() != ledBefore) onLight(device.ScrollLock());
  if (stopped) return;
  for (auto it = parked.begin(); it != parked.end();) {
    std::vector<input_event> events;
    const int result = device.Read(it->file, it->size, events);
    if (result == -EAGAIN) {
      ++it;
      continue;
    }
    ReplyRead(it->req, result, events);
    it = parked.erase(it);
  }
  for (auto it = polls.begin(); it != polls.end();) {
    if (!(device.PollMask(it->first) & (POLLIN | POLLHUP | POLLERR))) {
      ++it;
      continue;
    }
    fuse_lowlevel_notify_poll(it->second);
    fuse_pollhandle_destroy(it->second);
    it = polls.erase(it);
  }
}

std::unique_ptr<EvdevServer> EvdevServer::Start(const std::string& mountpoint,
                                                VirtualEvdevDevice::ClockReader clock,
                                                LightHandler onLight, std::string& error) {
  auto state = std::make_unique<State>(std::move(clock), std::move(onLight));
  State& s = *state;
  const char* argv[] = {"varnel-reader", "-o", "fsname=varnel-reader,subtype=evdev"};
  fuse_args args = FUSE_ARGS_INIT(3, const_cast<char**>(argv));
  s.session = fuse_session_new(&args, &kOperations, sizeof kOperations, &s);
  fuse_opt_free_args(&args);
  if (!s.session) {
    error = "FUSE would not start";
    return nullptr;
  }
  if (fuse_session_mount(s.session, mountpoint.c_str()) != 0) {
    fuse_session_destroy(s.session);
    error = "cannot mount FUSE at " + mountpoint + " (is /dev/fuse there? fusermount3?)";
    return nullptr;
  }
  s.wake = eventfd(0, EFD_CLOEXEC);
  s.loop = std::thread(Serve, std::ref(s));
  std::unique_ptr<EvdevServer> server(new EvdevServer(std::move(state)));
  std::unique_lock lock(s.mutex);
  if (!s.greetedChanged.wait_for(lock, std::chrono::seconds(10), [&] { return s.greeted; })) {
    lock.unlock();
    error = "the kernel never greeted the FUSE mount at " + mountpoint;
    return nullptr;
  }
  return server;
}

EvdevServer::EvdevServer(std::unique_ptr<State> state) : state_(std::move(state)) {}

EvdevServer::~EvdevServer() {
  Stop();
  fuse_session_destroy(state_->session);
  close(state_->wake);
}

void EvdevServer::Stop() {
  State& s = *state_;
  {
    std::lock_guard lock(s.mutex);
    if (s.stopped) return;
    s.stopped = true;
    for (const State::ParkedRead& read : s.parked) fuse_reply_err(read.req, ENODEV);
    s.parked.clear();
    for (const auto& [file, handle] : s.polls) fuse_pollhandle_destroy(handle);
    s.polls.clear();
  }
  eventfd_write(s.wake, 1);
  if (s.loop.joinable()) s.loop.join();
  fuse_session_unmount(s.session);
}

std::string EvdevServer::Apply(const std::function<std::string(VirtualEvdevDevice&)>& action) {
  State& s = *state_;
  std::lock_guard lock(s.mutex);
  const bool ledBefore = s.device.ScrollLock();
  std::string result = action(s.device);
  s.Settle(ledBefore);
  return result;
}

}  // namespace varnel::reader
