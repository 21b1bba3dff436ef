// scenario-builder new: the template it writes compiles without a word from
// the compiler, it never replaces an author's file, and the authors'
// reference shows the template as it is, and what the compiler prints for
// the mistakes it shows made in it.
#include "app/new_command.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/command_status.h"
#include "app_test_support.h"
#include "base/disk.h"
#include "compiler/warnings.h"
#include "content/content_writer.h"
#include "content/templates.h"
#include "tools/project/project_file.h"

namespace sb {
namespace {

using testing::CompileTexts;
using testing::Quote;
using testing::ReadFile;
using testing::RunTool;
using testing::TempDir;
using testing::ToolRun;
using testing::WriteFile;

// Everything in `dir` by name, directories too, sorted.
std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

const std::string kLine(content::TemplateLineBytes());
const std::string kTrain(content::TemplateTrainBytes());

TEST(NewCommand, TemplateCompilesWithoutAnyDiagnostic) {
  testing::Compiled c = CompileTexts(kLine, kTrain, /*withProfile=*/1);
  EXPECT_EQ(c.scenario.errorCode, 0);
  for (const Diagnostic& d : c.scenario.diagnostics) {
    ADD_FAILURE() << d.file << ":" << d.line << ":" << d.column << ": " << d.code << " "
                  << d.message;
  }
}

TEST(NewCommand, WritesBothDescriptionsWithTheTemplateBytes) {
  struct Case {
    std::string args;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"new Costa", {"Costa_1-.txt", "Costa_linea.txt", "scenario.toml"}},
      {"new Costa 42", {"Costa_42-.txt", "Costa_linea.txt", "scenario.toml"}},
      {"new Costa_Sud R7", {"Costa_Sud_R7-.txt", "Costa_Sud_linea.txt", "scenario.toml"}},
      {"new 'Co\"sta' 4", {"Co\"sta_4-.txt", "Co\"sta_linea.txt", "scenario.toml"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    TempDir dir;
    ToolRun run = RunTool(c.args + " --dir " + Quote(dir.path()));
    EXPECT_EQ(run.exit, 0) << run.err;
    ASSERT_EQ(Names(dir.path()), c.names);
    EXPECT_EQ(ReadFile(dir.file(c.names[0])), kTrain);
    EXPECT_EQ(ReadFile(dir.file(c.names[1])), kLine);
    // The project file names the two just written.
    const ProjectParse parse = ParseProject(ReadFile(dir.file(c.names[2])), "scenario.toml");
    ASSERT_TRUE(parse.ok()) << FormatDiagnostic(parse.diagnostics[0]);
    EXPECT_EQ(parse.project.trainDescription, c.names[0]);
    EXPECT_EQ(parse.project.lineDescription, c.names[1]);
  }
}

// --example writes the scenario run's own descriptions, byte for byte, into
// a folder it makes, and they compile to the run's pinned files without a
// word.
TEST(NewCommand, ExampleIsTheScenarioRunsOwnDescriptions) {
  MemoryDisk run;
  ASSERT_TRUE(dati_linea(run, "", "Lungomare_Nord").ok());
  ASSERT_TRUE(dati_treno(run, "", "Lungomare_Nord", "911").ok());
  TempDir parent;
  const std::string folder = parent.file("made/example");
  ToolRun made = RunTool("new --example --dir " + Quote(folder));
  ASSERT_EQ(made.exit, 0) << made.err;
  EXPECT_EQ(Names(folder), (std::vector<std::string>{"Lungomare_Nord_911-.txt",
                                                     "Lungomare_Nord_linea.txt", "scenario.toml"}));
  for (const char* name : {"Lungomare_Nord_linea.txt", "Lungomare_Nord_911-.txt"}) {
    std::string bytes;
    ASSERT_TRUE(run.ReadFile(name, &bytes, 1 << 20).ok()) << name;
    EXPECT_EQ(ReadFile(folder + "/" + name), bytes) << name;
  }
  EXPECT_EQ(ReadFile(folder + "/scenario.toml"), content::ExampleProjectBytes());
  ToolRun compiled =
      RunTool("compile --line Lungomare_Nord_linea.txt --train Lungomare_Nord_911-.txt --out out",
              "cd " + Quote(folder) + " &&");
  EXPECT_EQ(compiled.exit, 0);
  EXPECT_EQ(compiled.err, testing::ScenarioCompileSummary());
  testing::ExpectGolden(testing::Files(folder + "/out"));
}

// What `new` writes compiles without a word, read from the project file as
// an author's tools will.
TEST(NewCommand, TemplateProjectCompilesWithoutAWord) {
  TempDir dir;
  ASSERT_EQ(RunTool("new Costa 42 --dir " + Quote(dir.path())).exit, 0);
  const ProjectParse parse = ParseProject(ReadFile(dir.file("scenario.toml")), "scenario.toml");
  ASSERT_TRUE(parse.ok());
  ToolRun run = RunTool("compile --line " + Quote(parse.project.lineDescription) + " --train " +
                            Quote(parse.project.trainDescription) + " --out out",
                        "cd " + Quote(dir.path()) + " &&");
  EXPECT_EQ(run.exit, 0);
  // The summary line alone.
  EXPECT_NE(run.err.find(" 0 warnings; wrote "), std::string::npos) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

TEST(NewCommand, WritesIntoTheCurrentDirectoryWithoutDir) {
  TempDir dir;
  // RunTool puts its first argument in front of the command: a change of
  // directory for this run alone.
  ToolRun run = RunTool("new Costa", "cd " + Quote(dir.path()) + " &&");
  EXPECT_EQ(run.exit, 0) << run.err;
  EXPECT_EQ(Names(dir.path()),
            (std::vector<std::string>{"Costa_1-.txt", "Costa_linea.txt", "scenario.toml"}));
}

// Either name taken, by a file or by anything else, refuses the whole pair.
TEST(NewCommand, RefusesAnExistingFileOfEitherNameAndWritesNothing) {
  enum class Holder { kFile, kDirectory, kDanglingLink, kLinkToAFile };
  const std::string names[] = {"Costa_linea.txt", "Costa_42-.txt", "scenario.toml"};
  for (const std::string& taken : names) {
    for (Holder holder :
         {Holder::kFile, Holder::kDirectory, Holder::kDanglingLink, Holder::kLinkToAFile}) {
      SCOPED_TRACE(taken + " held by kind " + std::to_string(static_cast<int>(holder)));
      TempDir dir;
      TempDir elsewhere;
      const std::string target = elsewhere.file("target");
      switch (holder) {
        case Holder::kFile: WriteFile(dir.file(taken), "the author's own\n"); break;
        case Holder::kDirectory: std::filesystem::create_directory(dir.file(taken)); break;
        case Holder::kLinkToAFile: WriteFile(target, "the author's own\n"); [[fallthrough]];
        case Holder::kDanglingLink: std::filesystem::create_symlink(target, dir.file(taken)); break;
      }
      ToolRun run = RunTool("new Costa 42 --dir " + Quote(dir.path()));
      EXPECT_EQ(run.exit, 73);
      EXPECT_NE(run.err.find(taken + "' already exists"), std::string::npos) << run.err;
      EXPECT_EQ(Names(dir.path()), std::vector<std::string>{taken});
      if (holder == Holder::kFile) {
        EXPECT_EQ(ReadFile(dir.file(taken)), "the author's own\n");
      } else if (holder == Holder::kLinkToAFile) {
        EXPECT_EQ(ReadFile(target), "the author's own\n");
      } else if (holder == Holder::kDanglingLink) {
        EXPECT_FALSE(std::filesystem::exists(target));
      }
    }
  }
}

// A name the system cannot make is the file system's refusal (74), not a
// name already taken (73).
TEST(NewCommand, ANameTheSystemRefusesIsAnIoError) {
  TempDir dir;
  ToolRun run = RunTool("new " + std::string(300, 'L') + " --dir " + Quote(dir.path()));
  EXPECT_EQ(run.exit, 74) << run.err;
  EXPECT_NE(run.err.find("File name too long"), std::string::npos) << run.err;
  EXPECT_TRUE(Names(dir.path()).empty());
  WriteFile(dir.file("plain"), "");
  run = RunTool("new Costa --dir " + Quote(dir.file("plain/sub")));
  EXPECT_EQ(run.exit, 74) << run.err;
  EXPECT_NE(run.err.find("cannot create '" + dir.file("plain/sub") + "': Not a directory"),
            std::string::npos)
      << run.err;
  if (geteuid() != 0) {  // root searches any folder
    TempDir closed;
    std::filesystem::create_directory(closed.file("sub"));
    std::filesystem::permissions(closed.file("sub"), std::filesystem::perms::owner_read);
    run = RunTool("new Costa --dir " + Quote(closed.file("sub")));
    EXPECT_EQ(run.exit, 74) << run.err;
    std::filesystem::permissions(closed.file("sub"), std::filesystem::perms::owner_all);
  }
}

// A link put under a name while `new` runs is never written through: the
// file it leads to, outside the folder, keeps its bytes. The other thread
// makes and removes the link as fast as it can, so a check made apart from
// the write is caught out within a few hundred tries (of two thousand).
TEST(NewCommand, ALinkMadeWhileItRunsIsNeverWrittenThrough) {
  TempDir dir;
  TempDir elsewhere;
  const std::string target = elsewhere.file("private");
  WriteFile(target, "not the template\n");
  const std::string linePath = dir.file("Costa_linea.txt");
  NewRequest request;
  request.lineId = "Costa";
  request.train = "42";
  request.dir = dir.path();
  for (int attempt = 0; attempt < 2000; ++attempt) {
    std::filesystem::remove(linePath);
    std::filesystem::remove(dir.file("Costa_42-.txt"));
    std::atomic<bool> stop{false};
    std::thread linker([&] {
      while (!stop) {
        if (::symlink(target.c_str(), linePath.c_str()) == 0) ::unlink(linePath.c_str());
      }
    });
    std::ostringstream out, err;
    const int exit = FinishCommand(WriteTemplatePair(request, out), err);
    stop = true;
    linker.join();
    ASSERT_TRUE(exit == 0 || exit == 73) << err.str();
    ASSERT_EQ(ReadFile(target), "not the template\n") << "after " << attempt << " tries";
    ASSERT_EQ(Names(elsewhere.path()), std::vector<std::string>{"private"});
  }
}

TEST(NewCommand, UsageErrorsWriteNothing) {
  const char* cases[] = {
      "new",                  // no name
      "new ..",               // not a file name
      "new a/b",              // would lead into another folder
      "new Costa 4/2",        // the same for the train
      "new Costa 42 extra",   // one argument too many
      "--dir . new Costa",    // the scenario run's --dir
      "new --example Costa",  // the example has its own names
  };
  for (const char* args : cases) {
    SCOPED_TRACE(args);
    TempDir dir;
    ToolRun run = RunTool(args, "cd " + Quote(dir.path()) + " &&");
    EXPECT_EQ(run.exit, 64) << run.err;
    EXPECT_TRUE(Names(dir.path()).empty());
  }
}

std::string Authors() {
  std::ifstream in(std::string(SB_SOURCE_DIR) + "/docs/authors.md", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string WithoutCr(std::string text) {
  std::erase(text, '\r');
  return text;
}

TEST(NewCommand, AuthorsReferenceShowsTheTemplateVerbatim) {
  const std::string doc = Authors();
  EXPECT_NE(doc.find("```\n" + WithoutCr(kLine) + "```\n"), std::string::npos);
  EXPECT_NE(doc.find("```\n" + WithoutCr(kTrain) + "```\n"), std::string::npos);
}

TEST(NewCommand, AuthorsReferenceNamesEveryWarning) {
  const std::string doc = Authors();
  for (const WarningInfo& info : WarningTable()) {
    EXPECT_NE(doc.find("`-W" + std::string(info.id) + "`"), std::string::npos) << info.id;
  }
}

// An example of the reference: one line of the template changed, and what
// compile prints then.
struct DocExample {
  std::string file;
  int line = 0;
  std::string text;
  std::string output;
};

// "`Costa_42-.txt` line 17: `velocita, ...`" (or ": (empty)"), then the
// fenced block after it.
std::vector<DocExample> DocExamples(const std::string& doc) {
  static const std::regex kChange(
      R"(^`(Costa_linea\.txt|Costa_42-\.txt)` line (\d+): (?:`(.*)`|\(empty\))$)");
  std::vector<DocExample> examples;
  std::istringstream in(doc);
  std::string row;
  std::smatch m;
  while (std::getline(in, row)) {
    if (!std::regex_match(row, m, kChange)) continue;
    DocExample e{m[1], std::stoi(m[2]), m[3], ""};
    while (std::getline(in, row) && row != "```") {
    }
    while (std::getline(in, row) && row != "```") e.output += row + "\n";
    examples.push_back(std::move(e));
  }
  return examples;
}

// The template with line `number` (from 1) replaced by `text`.
std::string WithLine(const std::string& bytes, int number, const std::string& text) {
  std::string out;
  std::istringstream in(bytes);
  std::string row;
  for (int n = 1; std::getline(in, row); ++n) out += (n == number ? text + "\r" : row) + "\n";
  return out;
}

// The warnings of the running times, which only build gives: compile
// knows no train.
bool ShownByBuild(const DocExample& e) {
  for (const Warning w : {Warning::kUnkeepableTime, Warning::kTraction, Warning::kShortStopZone}) {
    if (e.output.find("[-W" + std::string(WarningId(w)) + "]\n") != std::string::npos) return true;
  }
  return false;
}

TEST(NewCommand, AuthorsReferenceExamplesAreWhatCompilePrints) {
  const std::vector<DocExample> examples = DocExamples(Authors());
  for (const DocExample& e : examples) {
    SCOPED_TRACE(e.file + " line " + std::to_string(e.line) + ": " + e.text);
    TempDir dir;
    const std::string cd = "cd " + Quote(dir.path()) + " &&";
    if (ShownByBuild(e)) {
      ASSERT_EQ(RunTool("new Costa 42", cd).exit, 0);
    }
    const bool line = e.file == "Costa_linea.txt";
    WriteFile(dir.file("Costa_linea.txt"), line ? WithLine(kLine, e.line, e.text) : kLine);
    WriteFile(dir.file("Costa_42-.txt"), line ? kTrain : WithLine(kTrain, e.line, e.text));
    ToolRun run =
        RunTool(ShownByBuild(e) ? "build --out out"
                                : "compile --line Costa_linea.txt --train Costa_42-.txt --out out",
                cd);
    EXPECT_NE(run.err.find(e.output), std::string::npos) << "printed:\n" << run.err;
  }
  // Every warning is shown at work.
  for (const WarningInfo& info : WarningTable()) {
    const std::string tag = "[-W" + std::string(info.id) + "]\n";
    EXPECT_TRUE(std::any_of(examples.begin(), examples.end(), [&](const DocExample& e) {
      return e.output.find(tag) != std::string::npos;
    })) << info.id;
  }
}

}  // namespace
}  // namespace sb
