#include "base/interrupt_cleanup.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "base/exit_status.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace sb {
namespace {

// A run has at most a handful of such files at once: three compiled
// temporaries, a document's, the two descriptions.
constexpr int kSlots = 16;
// The longest path the systems open (PATH_MAX on Linux), with its NUL.
constexpr std::size_t kPathBytes = 4096;

// A slot is claimed (kFilling) before its path is copied and published
// (kReady) after, so the handler never reads half a path. On Windows the
// handler runs on a thread of its own: it takes a slot (kRemoving) before
// using it, and a Clear that finds it taken waits for the exit.
enum SlotState : int { kFree, kFilling, kReady, kRemoving };

struct Slot {
  std::atomic<int> state{kFree};
  char path[kPathBytes];
};
static_assert(std::atomic<int>::is_always_lock_free, "the handler may use lock-free atomics only");

Slot slots[kSlots];

#ifdef _WIN32
// How many InterruptsHeld live: the handler waits until none does.
std::atomic<int> held{0};
#endif

void RemoveRegisteredFiles() {
#ifdef _WIN32
  while (held.load() > 0) Sleep(0);
#endif
  for (Slot& slot : slots) {
    int ready = kReady;
    if (!slot.state.compare_exchange_strong(ready, kRemoving)) continue;
#ifdef _WIN32
    DeleteFileA(slot.path);
#else
    unlink(slot.path);
#endif
  }
}

#ifdef _WIN32

BOOL WINAPI OnConsoleEvent(DWORD event) {
  RemoveRegisteredFiles();
  // Ctrl-C and Ctrl-Break are an interrupt; the console closing, the user
  // logging off and the system shutting down a hangup.
  const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
  std::_Exit(kExitSignalBase + (interrupt ? 2 : 1));  // as SIGINT, SIGHUP
}

#else

void OnSignal(int signal_number) {
  RemoveRegisteredFiles();
  _exit(kExitSignalBase + signal_number);
}

#endif

}  // namespace

void InstallInterruptCleanup() {
#ifdef _WIN32
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction old {};
    // A signal the program was started with ignored (nohup, a background
    // job of a script) stays ignored.
    if (sigaction(signal_number, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    // The other signals wait while the files go.
    sigfillset(&action.sa_mask);
    sigaction(signal_number, &action, nullptr);
  }
  signal(SIGXFSZ, SIG_IGN);
#endif
}

#ifdef _WIN32

InterruptsHeld::InterruptsHeld() { held.fetch_add(1); }
InterruptsHeld::~InterruptsHeld() { held.fetch_sub(1); }

#else

InterruptsHeld::InterruptsHeld() {
  sigset_t blocked;
  sigemptyset(&blocked);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&blocked, signal_number);
  pthread_sigmask(SIG_BLOCK, &blocked, &saved_);
}

InterruptsHeld::~InterruptsHeld() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }

#endif

void RemovalOnInterrupt::Set(const std::string& path) {
  Clear();
  if (path.size() >= kPathBytes) return;
  for (int i = 0; i < kSlots; ++i) {
    int free = kFree;
    if (!slots[i].state.compare_exchange_strong(free, kFilling)) continue;
    std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
    slots[i].state.store(kReady);
    slot_ = i;
    return;
  }
}

void RemovalOnInterrupt::Clear() {
  if (slot_ < 0) return;
  int ready = kReady;
  while (!slots[slot_].state.compare_exchange_strong(ready, kFree)) {
    // The handler holds the slot: the program is ending.
    ready = kReady;
    std::this_thread::yield();
  }
  slot_ = -1;
}

}  // namespace sb
