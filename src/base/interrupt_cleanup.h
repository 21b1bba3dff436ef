// The files a run has in the middle of its work (temporary files, the
// descriptions it writes only for the compiler) are removed when the
// program is interrupted: Ctrl-C, a terminal that goes away, a polite kill.
// The program then exits with 128 plus the signal's number (130, 129, 143).
// A run killed outright (SIGKILL, a power cut) cannot do this; the next run
// into the folder removes what it left (see RemoveStaleTemporaries).
#ifndef SB_BASE_INTERRUPT_CLEANUP_H_
#define SB_BASE_INTERRUPT_CLEANUP_H_

#include <string>

#ifndef _WIN32
#include <signal.h>
#endif

namespace sb {

// Installs the handlers, once, at the start of a program: SIGINT, SIGTERM
// and SIGHUP (those the program was not started with ignored), and on a
// Windows console Ctrl-C, Ctrl-Break and the console's closing. SIGXFSZ is
// ignored, so that a file beyond the size limit is a failed write (EFBIG)
// that the run reports, not a silent death.
void InstallInterruptCleanup();

// One path to remove if the program is interrupted while the object lives.
// The paths sit in a fixed table of preallocated slots that the handler
// reads without allocating or locking; a path that finds no slot (the
// table is full, the path longer than a slot) is simply not removed.
class RemovalOnInterrupt {
 public:
  RemovalOnInterrupt() = default;
  explicit RemovalOnInterrupt(const std::string& path) { Set(path); }
  ~RemovalOnInterrupt() { Clear(); }
  RemovalOnInterrupt(RemovalOnInterrupt&& other) noexcept : slot_(other.slot_) { other.slot_ = -1; }
  RemovalOnInterrupt& operator=(RemovalOnInterrupt&&) = delete;
  RemovalOnInterrupt(const RemovalOnInterrupt&) = delete;
  RemovalOnInterrupt& operator=(const RemovalOnInterrupt&) = delete;

  // Replaces the path held so far, if any.
  void Set(const std::string& path);
  // The path is no longer removed (it was renamed, removed, or is wanted).
  void Clear();

 private:
  int slot_ = -1;
};

// Holds the interrupt back while it lives: a file made and then registered
// for removal would be left behind by a signal between the two steps. On
// POSIX the signals are blocked for the calling thread (a pending one is
// handled as the object goes); on Windows the handler, which runs on a
// thread of its own, waits for the object to go.
class InterruptsHeld {
 public:
  InterruptsHeld();
  ~InterruptsHeld();
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;

 private:
#ifndef _WIN32
  sigset_t saved_;  // the thread's earlier signal mask
#endif
};

}  // namespace sb

#endif  // SB_BASE_INTERRUPT_CLEANUP_H_
