// The program fed what is not a file of its own: FIFOs, devices,
// directories, endless or gigabyte-sized files. Each is refused before it
// is read, with exit status 74 and a message naming it and what it is (65
// for a compiled file larger than its layout allows): nothing waits for a
// writer, nothing reads without end, nothing aborts. A compile that cannot
// read a description writes nothing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "app/description_files.h"
#include "app_test_support.h"
#include "base/disk.h"
#include "base/file_io.h"
#include "compiler/warnings.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using testing::Files;
using testing::Quote;
using testing::RunTool;
using testing::TempDir;
using testing::ToolRun;
using testing::WriteFile;

// A run that would wait for a writer, or read without end, is cut short:
// the test then fails on its exit status instead of hanging or eating the
// machine's memory. Only the time is bounded under AddressSanitizer, whose
// shadow memory does not fit under a limit of the address space.
ToolRun RunBounded(const std::string& args, bool limitMemory) {
  std::string env = "timeout 20";
  if (limitMemory) env = "ulimit -v 262144 && " + env;
  return RunTool(args, env);
}

#ifdef SB_UNDER_ASAN
#define SKIP_UNDER_ASAN() GTEST_SKIP() << "a memory limit cannot hold under AddressSanitizer"
#else
#define SKIP_UNDER_ASAN()
#endif

// A file of `size` bytes that takes no room on the disk.
void MakeSparse(const std::string& path, std::uint64_t size) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0) << path;
  ASSERT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0) << std::strerror(errno);
  close(fd);
}

void MakeFifo(const std::string& path) { ASSERT_EQ(mkfifo(path.c_str(), 0644), 0) << path; }

const std::string kLine = testing::Crlf({"[generale]", "lunghezza percorso,    10000", "[fine]"});
const std::string kTrain = testing::Crlf({"[generale]", "velocita,       0,   110", "[fine]"});

TEST(HostileInput, ReadsStopAtTheCallersLimit) {
  TempDir dir;
  const std::string path = dir.file("ten.txt");
  WriteFile(path, "0123456789");
  RealDisk real;
  MemoryDisk memory;
  memory.files()[path] = "0123456789";
  for (Disk* disk : {static_cast<Disk*>(&real), static_cast<Disk*>(&memory)}) {
    std::string bytes = "unchanged";
    ASSERT_TRUE(disk->ReadFile(path, &bytes, 10).ok());
    EXPECT_EQ(bytes, "0123456789");
    bytes = "unchanged";
    const Status st = disk->ReadFile(path, &bytes, 9);
    EXPECT_TRUE(st.IsTooLarge());
    EXPECT_EQ(st.Message("read"),
              "cannot read '" + path + "': too large: 10 bytes, the limit is 9 bytes");
    EXPECT_EQ(bytes, "unchanged");
  }
  EXPECT_EQ(FileTooLarge("d.txt", kMaxDescriptionBytes + 1, kMaxDescriptionBytes).reason(),
            "too large: 268435457 bytes, the limit is 256 MiB");
}

// Each way a description cannot be read, as the line and as the train
// description: 74 naming the path as given and the reason, the JSON report
// with the compiler's code for it, and an earlier run's files untouched.
TEST(HostileInput, ACompileThatCannotReadADescriptionWritesNothing) {
  struct Case {
    const char* name;
    std::function<void(const std::string&)> make;  // puts the hostile file at the path
    std::string reason;
  };
  const Case cases[] = {
      {"a FIFO", MakeFifo, "is a FIFO, not a regular file"},
      {"a directory", [](const std::string& p) { fs::create_directory(p); },
       "is a directory, not a regular file"},
      {"a link to a character device",
       [](const std::string& p) { fs::create_symlink("/dev/null", p); },
       "is a character device, not a regular file"},
      {"a missing file", [](const std::string&) {}, std::strerror(ENOENT)},
      {"a file that may not be read",
       [](const std::string& p) {
         WriteFile(p, kLine);
         fs::permissions(p, fs::perms::none);
       },
       std::strerror(EACCES)},
      {"a description over 256 MiB",
       [](const std::string& p) { MakeSparse(p, kMaxDescriptionBytes + 1); },
       "too large: 268435457 bytes, the limit is 256 MiB"},
  };
  for (const Case& c : cases) {
    for (const bool isLine : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (isLine ? " as the line" : " as the train"));
      TempDir src;
      const std::string hostile = src.file("hostile");
      c.make(hostile);
      if (c.reason == std::strerror(EACCES) && access(hostile.c_str(), R_OK) == 0) {
        continue;  // the superuser reads it all the same
      }
      const std::string line = isLine ? hostile : src.file("Test_linea.txt");
      const std::string train = isLine ? src.file("Test_1-.txt") : hostile;
      if (!isLine) WriteFile(line, kLine);
      if (isLine) WriteFile(train, kTrain);
      TempDir out;
      for (const char* name : {"Test_linea.dat", "Test_1.sim", "Test_1.dat"}) {
        WriteFile(out.file(name), std::string("old ") + name);
      }
      const auto before = Files(out.path());

      ToolRun r =
          RunBounded("compile --line " + Quote(line) + " --train " + Quote(train) +
                         " --line-id Test --train-number 1 --json --out " + Quote(out.path()),
                     false);
      const std::string message = "cannot read '" + hostile + "': " + c.reason;
      EXPECT_EQ(r.exit, 74) << r.err;
      EXPECT_EQ(r.err, "scenario-builder: " + message + "\n");
      EXPECT_EQ(Files(out.path()), before);
      const nlohmann::json j = nlohmann::json::parse(r.out, nullptr, false);
      ASSERT_TRUE(j.is_object()) << r.out;
      EXPECT_EQ(j.value("errorCode", 0), isLine ? 101 : 25);
      EXPECT_EQ(j.value("errorPosition", -1), 0);
      EXPECT_EQ(j.value("message", ""), message);
      EXPECT_EQ(j["files"], nlohmann::json::array());
      ASSERT_EQ(j["diagnostics"].size(), 1u) << r.out;
      EXPECT_EQ(j["diagnostics"][0].value("file", ""), hostile);
    }
  }
}

// Endless inputs, and files far larger than their layout allows, reached
// through every command that reads: refused by what they are or by their
// size before a byte is read. Each would fill the memory if it were read.
TEST(HostileInput, EndlessAndHugeInputsAreRefusedBeforeTheyAreRead) {
  SKIP_UNDER_ASAN();
  TempDir dir;
  const std::string line = dir.file("Test_linea.txt");
  const std::string train = dir.file("Test_1-.txt");
  WriteFile(line, kLine);
  WriteFile(train, kTrain);
  // A good scenario "Test_1" to read beside the hostile files.
  ASSERT_EQ(RunTool("compile --line " + Quote(line) + " --train " + Quote(train) + " --out " +
                    Quote(dir.path()))
                .exit,
            0);
  fs::create_symlink("/dev/zero", dir.file("zero"));
  const std::string ids = " --line-id Test --train-number 1";
  struct Case {
    const char* name;
    std::function<void(const TempDir&)> make;  // in a copy of the folder
    std::string args;                          // "DIR" stands for that copy
    int exit;
    std::string message;
  };
  const std::string device = "is a character device, not a regular file";
  const Case cases[] = {
      {"compile --train /dev/zero", nullptr,
       "compile --line " + Quote(line) + " --train /dev/zero" + ids + " --out DIR", 74,
       "cannot read '/dev/zero': " + device},
      {"compile --line through a link to /dev/zero", nullptr,
       "compile --line " + Quote(dir.file("zero")) + " --train " + Quote(train) + ids +
           " --out DIR",
       74, device},
      {"inspect of a link to /dev/zero",
       [](const TempDir& d) { fs::create_symlink("/dev/zero", d.file("Z_1.dat")); },
       "inspect DIR/Z_1.dat", 74, device},
      {"inspect of a FIFO", [](const TempDir& d) { MakeFifo(d.file("Z_1.sim")); },
       "inspect DIR/Z_1.sim", 74, "is a FIFO, not a regular file"},
      {"render with a cell grid linked to /dev/zero",
       [](const TempDir& d) {
         fs::remove(d.file("Test_1.dat"));
         fs::create_symlink("/dev/zero", d.file("Test_1.dat"));
       },
       "render DIR" + ids, 74, device},
      {"render with a profile that is a FIFO",
       [](const TempDir& d) {
         fs::remove(d.file("Test_linea.dat"));
         MakeFifo(d.file("Test_linea.dat"));
       },
       "render DIR" + ids, 74, "is a FIFO, not a regular file"},
      {"inspect of a 1.5 GB cell grid",
       [](const TempDir& d) { MakeSparse(d.file("Z_1.dat"), 1500000000); }, "inspect DIR/Z_1.dat",
       65, "too large: 1500000000 bytes, the limit is 302115 bytes"},
      {"render with a 1.5 GB cell grid",
       [](const TempDir& d) { MakeSparse(d.file("Test_1.dat"), 1500000000); }, "render DIR" + ids,
       65, "too large: 1500000000 bytes"},
      {"render with a 1.5 GB item file",
       [](const TempDir& d) { MakeSparse(d.file("Test_1.sim"), 1500000000); }, "render DIR" + ids,
       65, "too large: 1500000000 bytes"},
      {"render with a 1.5 GB profile",
       [](const TempDir& d) { MakeSparse(d.file("Test_linea.dat"), 1500000000); },
       "render DIR" + ids, 65, "too large: 1500000000 bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir copy;
    for (const char* name : {"Test_linea.dat", "Test_1.sim", "Test_1.dat"}) {
      fs::copy_file(dir.file(name), copy.file(name));
    }
    if (c.make) c.make(copy);
    std::string args = c.args;
    for (std::size_t at = args.find("DIR"); at != std::string::npos; at = args.find("DIR")) {
      args.replace(at, 3, Quote(copy.path()));
    }
    ToolRun r = RunBounded(args, true);
    EXPECT_EQ(r.exit, c.exit) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

// A description of a million mistakes: at most kMaxWarningsKept of one
// warning are kept and shown, the rest counted, in the text, the JSON (as a
// number too) and the summary alike, and --werror fails on them; a silenced
// warning is not kept at all.
TEST(HostileInput, WarningsPastTheNumberKeptAreCounted) {
  TempDir dir;
  const std::uint64_t extra = 7;
  std::string line = "[generale]\r\nlunghezza percorso, 20000\r\n[curve]\r\n";
  for (std::uint64_t i = 0; i < kMaxWarningsKept + extra; ++i) line += "xx\r\n";
  line += "[fine]\r\n";
  WriteFile(dir.file("W_linea.txt"), line);
  WriteFile(dir.file("W_1-.txt"), "[generale]\r\nvelocita, 0, 110\r\n[fine]\r\n");
  const std::string compile = "compile --line " + Quote(dir.file("W_linea.txt")) + " --train " +
                              Quote(dir.file("W_1-.txt")) + " --out " + Quote(dir.path());
  const std::string notShown =
      "W_linea.txt: warning: 7 more 'unknown-record' warnings in this "
      "file are not shown: at most 100000 of each are kept "
      "[-Wunknown-record]\nhint: mend the first ones: the rest are "
      "likely the same mistake\n";
  ToolRun text = RunTool(compile);
  EXPECT_EQ(text.exit, 0);
  EXPECT_NE(text.err.find(notShown), std::string::npos);
  EXPECT_NE(text.err.find(", 100008 warnings; wrote"), std::string::npos);  // and no-start-record
  std::size_t shown = 0;
  for (std::size_t at = text.err.find("[-Wunknown-record]"); at != std::string::npos;
       at = text.err.find("[-Wunknown-record]", at + 1)) {
    ++shown;
  }
  // The text folds those kept after the first into a note; the JSON lists each.
  EXPECT_EQ(shown, 2u);
  EXPECT_NE(text.err.find("W_linea.txt:5: note: and 99999 more like it (lines 5-100003)\n"),
            std::string::npos);

  ToolRun json = RunTool(compile + " --json --quiet --werror");
  EXPECT_EQ(json.exit, 1);
  const nlohmann::json report = nlohmann::json::parse(json.out);
  ASSERT_FALSE(report["diagnostics"].empty());
  EXPECT_EQ(report["diagnostics"].back()["message"],
            "7 more 'unknown-record' warnings in this file are not shown: at most 100000 of each "
            "are kept");
  EXPECT_EQ(report["diagnostics"].back()["notShown"], extra);
  EXPECT_FALSE(report["diagnostics"].front().contains("notShown"));
  EXPECT_EQ(report["diagnostics"].size(), kMaxWarningsKept + 2);  // and no-start-record
  EXPECT_EQ(report["diagnostics"].front()["moreLikeIt"], kMaxWarningsKept - 1);

  ToolRun silenced = RunTool(compile + " -Wno-unknown-record --json --quiet");
  EXPECT_EQ(nlohmann::json::parse(silenced.out)["diagnostics"].size(), 1u);  // no-start-record
  EXPECT_EQ(silenced.err.find("unknown-record"), std::string::npos);
}

// Memory that runs out is the system's refusal, 74, with a message: never
// an abort. The limits bracket where this compile runs out.
TEST(HostileInput, RunningOutOfMemoryIsACleanFailure) {
  SKIP_UNDER_ASAN();
  TempDir dir;
  std::string line = "[generale]\r\nlunghezza percorso, 20000\r\n[curve]\r\n";
  for (int i = 0; i < 1000000; ++i) line += "xx\r\n";
  line += "[fine]\r\n";
  WriteFile(dir.file("W_linea.txt"), line);
  WriteFile(dir.file("W_1-.txt"), "[generale]\r\nvelocita, 0, 110\r\n[fine]\r\n");
  bool ranOut = false;
  for (int megabytes : {20, 30, 40, 45, 50, 55, 60, 80, 120}) {
    SCOPED_TRACE(megabytes);
    ToolRun r = RunTool("compile --line " + Quote(dir.file("W_linea.txt")) + " --train " +
                            Quote(dir.file("W_1-.txt")) + " --out " + Quote(dir.file("out")),
                        "ulimit -v " + std::to_string(megabytes * 1024) + " &&");
    ASSERT_TRUE(r.exit == 0 || r.exit == 74) << r.exit << "\n" << r.err.substr(0, 2000);
    if (r.exit == 74) {
      ranOut = true;
      EXPECT_NE(r.err.find("scenario-builder: "), std::string::npos);
    }
    for (const auto& [name, bytes] : Files(dir.file("out"))) {
      EXPECT_EQ(name.find(".part"), std::string::npos) << name;
    }
  }
  EXPECT_TRUE(ranOut);
}

}  // namespace
}  // namespace sb
