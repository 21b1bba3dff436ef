#include "app/watch_command.h"

#include <atomic>
#include <csignal>
#include <filesystem>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

#include "base/exit_status.h"
#include "base/file_io.h"
#include "base/interrupt_cleanup.h"
#include "base/printable.h"
#include "base/user_file.h"
#include "compiler/compiler.h"
#include "compiler/description_source.h"
#include "compiler/diagnostics.h"
#include "compiler/scenario.h"
#include "model/file_names.h"
#include "model/km_post.h"
#include "tools/project/project_file.h"

namespace sb {
namespace {

// The signal that asked the loop to stop, or 0.
std::atomic<int> gStopSignal{0};
// Set with it: a compile under way stops at its next record.
std::atomic<bool> gStopCompile{false};
extern "C" void OnStopSignal(int signal_number) {
  gStopSignal = signal_number;
  gStopCompile = true;
}

// One watched description: where, and the owner and permissions it had
// when it was first read. A file under its name whose owner or permissions
// differ (a link put there to a private file) is not read: the page is for
// anyone who can read the folder, and it would quote the file.
struct Watched {
  std::string path;
  std::string name;  // as messages name it
  std::optional<FileAccess> access;
  std::uint64_t maxBytes = kMaxDescriptionBytes;

  // The description's bytes, or nothing and a line in `problem` that says
  // why.
  std::optional<std::string> Read(std::string* problem) {
    std::string bytes;
    FileAccess seen;
    if (!ReadWholeFile(path, &bytes, maxBytes, &seen).ok()) {
      *problem = name + ": error: cannot be read";
      return std::nullopt;
    }
    if (!access) access = seen;
    if (seen != *access) {
      *problem = name +
                 ": error: not read: its owner or permissions are not those it had when the "
                 "watch began; start the watch again to read it";
      return std::nullopt;
    }
    return bytes;
  }
};

// What tells a change: the modification time and the size, or nothing for
// a file that is not there (being saved, say).
struct Stamp {
  std::filesystem::file_time_type time{};
  std::uintmax_t size = 0;
  bool exists = false;
  bool operator==(const Stamp&) const = default;
};

Stamp StampOf(const std::string& path) {
  std::error_code ec;
  Stamp s;
  s.time = std::filesystem::last_write_time(path, ec);
  if (ec) return s;
  s.size = std::filesystem::file_size(path, ec);
  s.exists = !ec;
  return s;
}

// The train of the project file beside the descriptions, read as they
// are (a link to a private file put in its place is not quoted either).
render::WatchTrain TrainOf(Watched& project, const Stamp& stamp) {
  if (!stamp.exists) return {};
  std::string problem;
  const std::optional<std::string> bytes = project.Read(&problem);
  if (!bytes) return {std::nullopt, "No running times: " + problem};
  ProjectParse parse = ParseProject(*bytes, project.name);
  if (parse.ok()) return {parse.project.trainData, ""};
  const std::string first = FormatDiagnostic(parse.diagnostics.front());
  return {std::nullopt, "No running times: " + first.substr(0, first.find('\n'))};
}

#ifndef _WIN32
// How long a wait for a FIFO's reader lasts before the stop is looked at.
constexpr int kFifoTryMs = 50;

// Writes `bytes` into the FIFO `path` as WriteUserFile writes in place,
// but its open waits for a reader and each write for the reader to take
// the bytes without blocking, the stop looked at between tries: a signal
// that came just before a blocking call would not end its wait. Cancelled
// after a stop; nullopt when `path` turns out to be no FIFO once opened.
std::optional<Status> WriteFifo(const std::string& path, std::string_view bytes,
                                const std::function<int()>& stopped) {
  int fd = -1;
  for (;;) {
    fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd >= 0) break;
    // ENXIO: no reader yet.
    if (errno != ENXIO && errno != EINTR) return Status::IoError(path, std::strerror(errno));
    if (stopped() != 0) return Status::Cancelled();
    std::this_thread::sleep_for(std::chrono::milliseconds(kFifoTryMs));
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISFIFO(st.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  Status result;
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
      if (stopped() != 0) {
        result = Status::Cancelled();
        break;
      }
      pollfd ready{fd, POLLOUT, 0};
      ::poll(&ready, 1, kFifoTryMs);
      continue;
    }
    result = Status::IoError(path, std::strerror(n < 0 ? errno : EIO));
    break;
  }
  if (::close(fd) != 0 && result.ok()) result = Status::IoError(path, std::strerror(errno));
  return result;
}

bool IsFifo(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}
#endif

// The files the page is made of. The page the user named is theirs and is
// written as what it is (a link where it leads, a FIFO through the pipe);
// the default page and the sidecar are the program's own names, replaced
// whole, so a link put under them is replaced, never followed.
struct PageFiles {
  std::string page;
  bool pageNamedByUser = false;
  std::string sidecar;

  // Cancelled when a stop ended a wait for the reader of a FIFO.
  Status Write(const std::string& html, int64_t generation,
               const std::function<int()>& stopped) const {
    Status st = pageNamedByUser ? WriteUserPage(html, stopped) : ReplaceFile(page, html);
    if (st.ok()) st = ReplaceFile(sidecar, render::SidecarScript(generation));
    return st;
  }

 private:
  Status WriteUserPage(const std::string& html, const std::function<int()>& stopped) const {
#ifndef _WIN32
    if (IsFifo(page)) {
      if (std::optional<Status> st = WriteFifo(page, html, stopped)) return *std::move(st);
    }
#else
    (void)stopped;
#endif
    return WriteUserFile(page, html);
  }
};

// `stopped` gives the signal that asked the watch to stop, or 0.
Status WatchLoop(const WatchRequest& request, const PageFiles& files, const std::string& lineId,
                 const std::string& trainNumber, const std::function<int()>& stopped,
                 const std::atomic<bool>* cancel, std::ostream& err) {
  const std::string sidecarName = std::filesystem::path(files.sidecar).filename().string();
  Watched line{request.linePath, LineDescriptionName(lineId), std::nullopt};
  Watched train{request.trainPath, TrainDescriptionName(lineId, trainNumber), std::nullopt};
  const std::string projectPath =
      JoinPath(std::filesystem::path(request.linePath).parent_path().string(),
               std::string(kProjectFileName));
  Watched project{projectPath, std::string(kProjectFileName), std::nullopt, kMaxProjectBytes};
  for (int64_t generation = 1;; ++generation) {
    const Stamp lineStamp = StampOf(request.linePath);
    const Stamp trainStamp = StampOf(request.trainPath);
    const Stamp projectStamp = StampOf(projectPath);
    std::vector<std::string> unread(2);
    const std::optional<std::string> lineBytes = line.Read(&unread[0]);
    const std::optional<std::string> trainBytes = train.Read(&unread[1]);
    std::erase(unread, std::string());
    const std::string html =
        render::WatchPage(lineBytes, trainBytes, lineId, trainNumber, {generation, sidecarName},
                          unread, cancel, TrainOf(project, projectStamp));
    // A compile cut short by a stop leaves the page as it was.
    if (html.empty()) {
      if (const int signal_number = stopped(); signal_number != 0) {
        return Status::Interrupted(signal_number);
      }
    }
    if (Status st = files.Write(html, generation, stopped); !st.ok()) {
      // A signal that cut a write short (a device that waits) is the stop
      // it asked for.
      if (const int signal_number = stopped(); signal_number != 0) {
        return Status::Interrupted(signal_number);
      }
      if (st.IsCancelled()) return Status::Interrupted(SIGINT);
      return st.WithReason(st.Message("write"));
    }
    err << "scenario-builder: wrote " << EscapeControls(files.page) << " (" << generation << ")\n";
    while (StampOf(request.linePath) == lineStamp && StampOf(request.trainPath) == trainStamp &&
           StampOf(projectPath) == projectStamp) {
      if (const int signal_number = stopped(); signal_number != 0) {
        return Status::Interrupted(signal_number);
      }
      std::this_thread::sleep_for(kWatchPoll);
    }
  }
}

// Installs the stop handlers for SIGINT and SIGTERM and puts the earlier
// ones back when it goes. On POSIX a signal also interrupts a system call
// under way (no SA_RESTART): a page named with -o that is a device could
// otherwise hold the watch for ever (a FIFO is waited for without
// blocking).
class StopSignals {
 public:
  StopSignals() {
    gStopSignal = 0;
    gStopCompile = false;
#ifdef _WIN32
    oldInt_ = std::signal(SIGINT, OnStopSignal);
    oldTerm_ = std::signal(SIGTERM, OnStopSignal);
#else
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(SIGINT, &action, &oldInt_);
    sigaction(SIGTERM, &action, &oldTerm_);
#endif
  }
  ~StopSignals() {
#ifdef _WIN32
    if (oldInt_ != SIG_ERR) std::signal(SIGINT, oldInt_);
    if (oldTerm_ != SIG_ERR) std::signal(SIGTERM, oldTerm_);
#else
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
#endif
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
#ifdef _WIN32
  using Handler = void (*)(int);
  Handler oldInt_ = SIG_ERR, oldTerm_ = SIG_ERR;
#else
  struct sigaction oldInt_ {};
  struct sigaction oldTerm_ {};
#endif
};

}  // namespace

Status RenderWatch(const WatchRequest& request, std::ostream& err,
                   const std::function<bool()>& stop) {
  std::string lineId = request.lineId, trainNumber = request.trainNumber;
  if (lineId.empty()) lineId = LineIdFromName(request.linePath).value_or("");
  if (trainNumber.empty() && !lineId.empty()) {
    trainNumber = TrainNumberFromName(request.trainPath, lineId).value_or("");
  }
  if (lineId.empty() || trainNumber.empty()) {
    return Status::Usage("cannot tell the line identifier and train number from '" +
                         request.linePath + "' and '" + request.trainPath +
                         "'; give --line-id and --train-number");
  }
  PageFiles files;
  files.page = request.htmlPath;
  files.pageNamedByUser = !files.page.empty();
  if (!files.pageNamedByUser) {
    files.page = JoinPath(std::filesystem::path(request.linePath).parent_path().string(),
                          PageName(lineId, trainNumber));
  }
  files.sidecar = PageSidecarName(files.page);
  // The page and its sidecar are rewritten again and again: neither may be
  // one of the descriptions being watched, or the author's text is lost.
  for (const std::string& written : {files.page, files.sidecar}) {
    for (const std::string* input : {&request.linePath, &request.trainPath}) {
      if (SameFile(written, *input)) {
        return Status::Usage("'" + written +
                             "' is one of the descriptions to watch; write the page elsewhere");
      }
    }
  }
  // The page stays when the watch ends; its sidecar goes, so that an open
  // page finds it missing and says the watch has stopped. A hang-up ends
  // the program through the cleanup handler, which removes it too.
  const RemovalOnInterrupt sidecarOnHangUp(files.sidecar);
  Status st;
  if (stop) {
    st = WatchLoop(
        request, files, lineId, trainNumber, [&stop] { return stop() ? SIGINT : 0; }, nullptr, err);
  } else {
    // Ctrl-C and SIGTERM only ask the loop to stop: a page being written is
    // finished (the cleanup handler main installs would cut it short), and
    // the watch ends interrupted by the signal, as the program would.
    const StopSignals signals;
    st = WatchLoop(
        request, files, lineId, trainNumber, [] { return gStopSignal.load(); }, &gStopCompile, err);
  }
  (void)RemoveFile(files.sidecar);
  return st;
}

}  // namespace sb
