// The program's exit statuses, shared by every command.
#ifndef SB_BASE_EXIT_STATUS_H_
#define SB_BASE_EXIT_STATUS_H_

namespace sb {

inline constexpr int kExitOk = 0;
// A reader, encoder or route completion recorded an error in the descriptions.
inline constexpr int kExitRecorded = 1;
// The run ended with the error report (1250, 1251): nothing compiled written.
inline constexpr int kExitReported = 2;
// fmt --check found a description whose records it would align.
inline constexpr int kExitNotAligned = 1;
inline constexpr int kExitUsage = 64;
// A compiled file is not of its layout.
inline constexpr int kExitDataError = 65;
// A file that the command would create is already there.
inline constexpr int kExitCantCreate = 73;
// A file could not be created, written, read or deleted.
inline constexpr int kExitIo = 74;
// The shells' convention for a process ended by a signal: this plus its
// number (130 for SIGINT, 143 for SIGTERM).
inline constexpr int kExitSignalBase = 128;

}  // namespace sb

#endif  // SB_BASE_EXIT_STATUS_H_
