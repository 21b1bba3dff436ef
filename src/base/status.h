// The outcome of an operation that can fail for a reason the caller must
// hear about: a file that cannot be read, written or deleted; bytes that are
// not of the layout they should have (a compiled file, a description field);
// memory that ran out. Errors are values: nothing throws across a layer.
#ifndef SB_BASE_STATUS_H_
#define SB_BASE_STATUS_H_

#include <string>
#include <string_view>
#include <utility>

namespace sb {

class Status {
 public:
  enum class Kind {
    kOk,
    kIoError,      // the system refused a file operation: path and reason
    kInvalid,      // the bytes are not what they should be: what and where
    kOutOfMemory,  // an allocation failed
  };

  Status() = default;
  static Status Ok() { return Status(); }
  static Status IoError(std::string path, std::string reason) {
    return Status(Kind::kIoError, std::move(path), std::move(reason));
  }
  static Status Invalid(std::string what) { return Status(Kind::kInvalid, {}, std::move(what)); }
  static Status OutOfMemory() { return Status(Kind::kOutOfMemory, {}, "out of memory"); }

  bool ok() const { return kind_ == Kind::kOk; }
  Kind kind() const { return kind_; }
  bool IsIoError() const { return kind_ == Kind::kIoError; }
  bool IsInvalid() const { return kind_ == Kind::kInvalid; }

  // The file concerned (I/O errors only).
  const std::string& path() const { return path_; }
  // The system's reason, or what is wrong with the bytes, in words.
  const std::string& reason() const { return reason_; }

  // "cannot <verb> 'path': reason" for an I/O error; the reason otherwise.
  std::string Message(std::string_view verb) const {
    if (kind_ != Kind::kIoError) return reason_;
    return "cannot " + std::string(verb) + " '" + path_ + "': " + reason_;
  }

 private:
  Status(Kind kind, std::string path, std::string reason)
      : kind_(kind), path_(std::move(path)), reason_(std::move(reason)) {}

  Kind kind_ = Kind::kOk;
  std::string path_;
  std::string reason_;
};

}  // namespace sb

#endif  // SB_BASE_STATUS_H_
