// The outcome of an operation that can fail for a reason the caller must
// hear about: a file that cannot be read, written or deleted; bytes that are
// not of the layout they should have (a compiled file, a description field);
// memory that ran out. Errors are values: nothing throws across a layer.
#ifndef SB_BASE_STATUS_H_
#define SB_BASE_STATUS_H_

#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace sb {

class [[nodiscard]] Status {
 public:
  enum class Kind {
    kOk,
    kIoError,      // the system refused a file operation: path and reason
    kTooLarge,     // a file larger than its reader accepts: path and sizes
    kInvalid,      // the bytes are not what they should be: what and where
    kOutOfMemory,  // an allocation failed
    kExists,       // a file to be made new already has its name: path
    kCancelled,    // the caller asked for the work to stop; nothing is wrong
    kUsage,        // the command was asked for something it cannot do: what
  };
  static constexpr int kKindCount = static_cast<int>(Kind::kUsage) + 1;

  // An ok Status is one null pointer: the readers return one for every
  // field and every cell they touch, so success must cost next to nothing.
  Status() = default;
  Status(const Status& other) : rep_(other.rep_ ? std::make_unique<Rep>(*other.rep_) : nullptr) {}
  Status& operator=(const Status& other) {
    if (this != &other) rep_ = other.rep_ ? std::make_unique<Rep>(*other.rep_) : nullptr;
    return *this;
  }
  Status(Status&&) noexcept = default;
  Status& operator=(Status&&) noexcept = default;

  static Status Ok() { return Status(); }
  static Status IoError(std::string path, std::string reason) {
    return Status(Kind::kIoError, std::move(path), std::move(reason));
  }
  static Status TooLarge(std::string path, std::string reason) {
    return Status(Kind::kTooLarge, std::move(path), std::move(reason));
  }
  static Status Invalid(std::string what) { return Status(Kind::kInvalid, {}, std::move(what)); }
  static Status OutOfMemory() { return Status(Kind::kOutOfMemory, {}, "out of memory"); }
  static Status Cancelled() { return Status(Kind::kCancelled, {}, "cancelled"); }
  // Cancelled by the signal `signalNumber` (SIGINT, SIGTERM).
  static Status Interrupted(int signalNumber) {
    Status st(Kind::kCancelled, {}, "interrupted");
    st.rep_->signal = signalNumber;
    return st;
  }
  static Status Usage(std::string what) { return Status(Kind::kUsage, {}, std::move(what)); }
  static Status Exists(std::string path) {
    return Status(Kind::kExists, std::move(path), "already exists");
  }

  bool ok() const { return rep_ == nullptr; }
  Kind kind() const { return rep_ ? rep_->kind : Kind::kOk; }
  bool IsIoError() const { return kind() == Kind::kIoError; }
  bool IsTooLarge() const { return kind() == Kind::kTooLarge; }
  bool IsInvalid() const { return kind() == Kind::kInvalid; }
  bool IsExists() const { return kind() == Kind::kExists; }
  bool IsCancelled() const { return kind() == Kind::kCancelled; }
  bool IsUsage() const { return kind() == Kind::kUsage; }

  // Says that a failure is of no consequence here (a best-effort removal
  // of a file already given up): a Status is otherwise always looked at.
  void IgnoreError() const {}

  // The file concerned (I/O errors, files too large, names taken).
  const std::string& path() const { return rep_ ? rep_->path : Empty(); }
  // The system's reason, or what is wrong with the bytes, in words.
  const std::string& reason() const { return rep_ ? rep_->reason : Empty(); }
  // The signal that interrupted the work, or 0.
  int signal() const { return rep_ ? rep_->signal : 0; }

  // The same failure, its reason replaced by `sentence`: a command's
  // failure carries the whole sentence its user reads, which the program
  // prints as it stands.
  Status WithReason(std::string sentence) const {
    if (ok()) return Status();
    Status st(kind(), path(), std::move(sentence));
    st.rep_->signal = signal();
    return st;
  }

  // "cannot <verb> 'path': reason" for an I/O error, a file too large or a
  // name taken; the reason otherwise.
  std::string Message(std::string_view verb) const {
    if (kind() != Kind::kIoError && kind() != Kind::kTooLarge && kind() != Kind::kExists) {
      return reason();
    }
    return "cannot " + std::string(verb) + " '" + path() + "': " + reason();
  }

 private:
  struct Rep {
    Kind kind;
    std::string path;
    std::string reason;
    int signal = 0;
  };

  Status(Kind kind, std::string path, std::string reason)
      : rep_(std::make_unique<Rep>(Rep{kind, std::move(path), std::move(reason), 0})) {}
  static const std::string& Empty() {
    static const std::string empty;
    return empty;
  }

  std::unique_ptr<Rep> rep_;
};

}  // namespace sb

// Returns the Status of the expression from the enclosing function when it
// is not ok. Variadic so that the expression may hold a template's commas.
#define SB_RETURN_IF_ERROR(...)              \
  do {                                       \
    ::sb::Status sb_status_ = (__VA_ARGS__); \
    if (!sb_status_.ok()) return sb_status_; \
  } while (0)

#endif  // SB_BASE_STATUS_H_
