// Small fixtures shared by the tests: a scratch directory, files written
// from inline text, and a compile of descriptions given as text.
#ifndef SB_TESTS_TEST_SUPPORT_H_
#define SB_TESTS_TEST_SUPPORT_H_

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "compiler/compiler.h"
#include "compiler/error_codes.h"
#include "compiler/scenario.h"
#include "content/content.h"
#include "format/profile_codec.h"
#include "model/file_names.h"

// Set in a build under AddressSanitizer, whose quarantine holds freed
// memory: a test of how much memory a run keeps cannot hold there.
#if defined(__SANITIZE_ADDRESS__)
#define SB_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SB_UNDER_ASAN 1
#endif
#endif

namespace sb {

// Tests speak of error codes by their numbers, as the guide and the report
// do: EXPECT_EQ(s.errorCode, 19).
constexpr bool operator==(ErrorCode code, int32_t number) { return Number(code) == number; }

}  // namespace sb

namespace sb::testing {

// A fresh directory, removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir() {
    std::mt19937_64 rng{std::random_device{}()};
    path_ = std::filesystem::temp_directory_path() / ("sb-test-" + std::to_string(rng()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  std::string path() const { return path_.string(); }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// Lines joined with CR LF, each line ended.
inline std::string Crlf(std::initializer_list<std::string> lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

// Replaces every `from` in `text` by `to`.
inline std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

// Blanks between fields (after a comma, or two and more in a row) as tabs;
// blanks inside a name stay.
inline std::string TabsForBlanks(std::string text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool run = text[i] == ' ' && i + 1 < text.size() && text[i + 1] == ' ';
    const bool afterComma = text[i] == ' ' && i > 0 && text[i - 1] == ',';
    if (run || afterComma) {
      while (i + 1 < text.size() && text[i + 1] == ' ') ++i;
      out += '\t';
    } else {
      out += text[i];
    }
  }
  return out;
}

// The built-in descriptions and harmless variants of them, which compile
// with no diagnostic at all.
struct DescriptionVariant {
  const char* name;
  std::string line;
  std::string train;
};
inline std::vector<DescriptionVariant> BuiltInVariants() {
  const std::string line(content::RawBytes(content::Document::kLine));
  const std::string train(content::RawBytes(content::Document::kTrain));
  return {
      {"as built in", line, train},
      {"a title line before [generale]", "Linea Rimini - Pescara\r\n" + line,
       "Treno 1 - regionale\r\n" + train},
      {"LF line ends", ReplaceAll(line, "\r\n", "\n"), ReplaceAll(train, "\r\n", "\n")},
      {"tabs for blanks", TabsForBlanks(line), TabsForBlanks(train)},
      {"trailing blank lines", line + "\r\n\r\n  \r\n", train + "\r\n\r\n\r\n"},
      {"an accent in Windows-1252", line,
       ReplaceAll(train, "RIMINI MIRAMARE", "R\xccMINI MIRAMARE")},
  };
}

inline constexpr const char* kLineId = "Test";
inline constexpr const char* kTrain = "1";

// A general section sizing the grid for `length` metres, then "[curve]".
inline std::string LineHeader(int length = 241000) {
  return Crlf({"[generale]", "lunghezza percorso,    " + std::to_string(length), "[curve]"});
}

// Compiles a line and a train description given as text (the train may be
// absent: nullptr). Returns the scenario after the whole compile, and the
// descriptions as the compiler left them (deleted ones are gone).
struct Compiled {
  Scenario scenario;
  CompileResult result;
  TextDescriptions descriptions{kLineId, kTrain};
};

inline Compiled CompileTexts(const std::string& line, const char* train, int32_t withProfile = 0) {
  Compiled c;
  c.descriptions.line = line;
  if (train != nullptr) c.descriptions.train = std::string(train);
  c.scenario.lineId = std::string(kLineId);  // (assign from char* trips a false -Wrestrict)
  c.scenario.trainNumber = std::string(kTrain);
  c.result = memorizza_percorso(c.scenario, withProfile != 0, c.descriptions);
  return c;
}

// A profile table in the layout of the profile file, element by element:
// for files the compiler would never write.
inline std::string EncodeTable(const ProfileTable& t) { return EncodeProfileTable(t); }

inline Compiled CompileTexts(const std::string& line, const std::string& train,
                             int32_t withProfile = 0) {
  return CompileTexts(line, train.c_str(), withProfile);
}

}  // namespace sb::testing

#endif  // SB_TESTS_TEST_SUPPORT_H_
