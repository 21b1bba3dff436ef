// The program as a user runs it: the scenario run into a directory, and the
// compile command with its exit statuses, its JSON summary and the files it
// leaves.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_status.h"
#include "app/fmt_command.h"
#include "app/scenario_run.h"
#include "app_test_support.h"
#include "base/disk.h"
#include "content/content.h"
#include "content/content_writer.h"
#include "model/file_names.h"

namespace sb {
namespace {

using testing::Crlf;
using testing::ExpectGolden;
using testing::Files;
using testing::Names;
using testing::Quote;
using testing::ReadFile;
using testing::RunTool;
using testing::TempDir;
using testing::ToolRun;
using testing::WriteFile;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// Every command's failure is printed once, escaped, and its kind chooses
// the exit status.
TEST(CommandStatus, PrintsOnceAndMapsEachKind) {
  struct Case {
    Status status;
    int exit;
    std::string printed;
  };
  const Case cases[] = {
      {Status::Ok(), 0, ""},
      {Status::IoError("p", "cannot read 'p': gone"), 74,
       "scenario-builder: cannot read 'p': gone\n"},
      {Status::TooLarge("p", "too large"), 74, "scenario-builder: too large\n"},
      {Status::Invalid("p: not a cell file"), 65, "scenario-builder: p: not a cell file\n"},
      {Status::OutOfMemory(), 74, "scenario-builder: out of memory\n"},
      {Status::Exists("p").WithReason("'p' already exists"), 73,
       "scenario-builder: 'p' already exists\n"},
      {Status::Usage("bad \x1b[2J id"), 64, "scenario-builder: bad \\x1b[2J id\n"},
      {Status::Cancelled(), 130, ""},
      {Status::Interrupted(SIGTERM), 128 + SIGTERM, ""},
  };
  for (const Case& c : cases) {
    std::ostringstream err;
    EXPECT_EQ(FinishCommand(c.status, err), c.exit) << c.printed;
    EXPECT_EQ(err.str(), c.printed);
  }
  // A reason replaced keeps the kind and the signal; an ok status stays ok.
  EXPECT_EQ(ExitStatusOf(Status::Interrupted(SIGINT).WithReason("x")), 128 + SIGINT);
  EXPECT_TRUE(Status::Ok().WithReason("x").ok());
}

TEST(Cli, ScenarioRun) {
  TempDir dir;
  ToolRun r = RunTool("--dir " + Quote(dir.path()));
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const auto files = Files(dir.path());
  EXPECT_EQ(Names(dir.path()), testing::ScenarioRunFiles());
  ExpectGolden(files);
  EXPECT_EQ(files.at("Lungomare_Nord_911_note.txt"), content::RawBytes(content::Document::kNotes));

  // The same run called in-process.
  TempDir again;
  RunOutcome o = Form_Load(again.path());
  EXPECT_EQ(o.exitCode, kExitOk);
  EXPECT_EQ(o.scenario.errorCode, 0);
  EXPECT_EQ(Files(again.path()), files);
}

// Two descriptions named Test_linea.txt and Test_1-.txt in their own
// directory.
struct Descriptions {
  TempDir dir;
  std::string line = dir.file("Test_linea.txt");
  std::string train = dir.file("Test_1-.txt");
};

const std::string kGoodLine =
    Crlf({"[generale]", "lunghezza percorso,    10000", "[cartelli]",
          "indicatori_vmax,  2950,  140,  160,  170,  0,  140,  160,  170,  0", "[fine]"});
const std::string kGoodTrain =
    Crlf({"[generale]", "velocita,       0,   110",
          "segnale,    2000,   2, 4, 0,  0, 0,    0,  0,0,0, 0", "[fine]"});

TEST(Cli, CompileOutcomes) {
  struct Case {
    const char* name;
    std::optional<std::string> line;   // none: no line description file
    std::optional<std::string> train;  // none: no train description file
    const char* extra;
    int exit;
    int errorCode;
    int errorPosition;
    std::vector<std::string> files;  // in the output directory, sorted
  };
  const Case cases[] = {
      {"no error",
       kGoodLine,
       kGoodTrain,
       "",
       0,
       0,
       0,
       {"Test_1.dat", "Test_1.sim", "Test_linea.dat"}},
      {"no profile", kGoodLine, kGoodTrain, "--no-profile", 0, 0, 0, {"Test_1.dat", "Test_1.sim"}},
      {"a recorded error: the files are written all the same",
       Crlf({"[generale]", "lunghezza percorso,    10000", "[cartelli]",
             "cartello_indicatore,  1000,  A", "cartello_indicatore,  1000,  B", "[fine]"}),
       kGoodTrain,
       "",
       1,
       6,
       1000,
       {"Test_1.dat", "Test_1.sim", "Test_linea.dat"}},
      // A description that cannot be read stops the compile before it
      // starts: the file system's failure, with the compiler's code for it.
      {"no line description", std::nullopt, kGoodTrain, "", 74, 101, 0, {}},
      {"no train description", kGoodLine, std::nullopt, "", 74, 25, 0, {}},
      {"a signal on the reserved cell",
       kGoodLine,
       Crlf({"[generale]", "segnale,  0,  2, 3, 1, 1, 0, 2, 2, 1, 1, 0", "[fine]"}),
       "",
       2,
       1250,
       0,
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Descriptions d;
    if (c.line) WriteFile(d.line, *c.line);
    if (c.train) WriteFile(d.train, *c.train);
    const auto given = Files(d.dir.path());
    TempDir out;
    ToolRun r = RunTool("compile --line " + Quote(d.line) + " --train " + Quote(d.train) +
                        " --out " + Quote(out.path()) + " --json " + c.extra);
    EXPECT_EQ(r.exit, c.exit) << r.err;
    EXPECT_EQ(Names(out.path()), c.files);
    // The given descriptions are read where they are and stay as they were.
    EXPECT_EQ(Files(d.dir.path()), given);

    const nlohmann::json j = nlohmann::json::parse(r.out, nullptr, false);
    ASSERT_TRUE(j.is_object()) << r.out;
    for (const char* key : {"errorCode", "errorPosition", "message", "files"}) {
      EXPECT_TRUE(j.contains(key)) << key;
    }
    EXPECT_EQ(j.value("errorCode", -1), c.errorCode);
    EXPECT_EQ(j.value("errorPosition", -1), c.errorPosition);
    EXPECT_TRUE(j["message"].is_string());
    std::vector<std::string> files = j["files"].get<std::vector<std::string>>();
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, c.files);
    if (c.errorCode == 6) {  // points at the second board's position field
      EXPECT_EQ(j["diagnostics"].back().value("column", 0), 23) << r.out;
    }
    if (c.exit == 74) {
      // The message names the file as given and the system's reason, once.
      const std::string& missing = c.line ? d.train : d.line;
      const std::string message = "cannot read '" + missing + "': No such file or directory";
      EXPECT_EQ(r.err, "scenario-builder: " + message + "\n");
      EXPECT_EQ(j.value("message", ""), message);
      ASSERT_EQ(j["diagnostics"].size(), 1u) << r.out;
      const nlohmann::json& e = j["diagnostics"][0];
      EXPECT_EQ(e.value("code", 0), c.errorCode);
      EXPECT_EQ(e.value("file", ""), missing);
      EXPECT_EQ(e.value("message", ""), message);
    }

    // The error box is the players' program's: compile says it in words.
    const auto lines = Lines(r.err);
    EXPECT_EQ(std::find(lines.begin(), lines.end(), " Errore n. 1250"), lines.end()) << r.err;
    const bool reported =
        std::find(lines.begin(), lines.end(),
                  "scenario-builder: error 1250 (cell 1 or item 85 already holds a value before "
                  "the identity codes); no compiled file written") != lines.end();
    EXPECT_EQ(reported, c.exit == 2) << r.err;
  }
}

TEST(Cli, CompilesTheScenarioDescriptionsToTheSameFiles) {
  TempDir src;
  RealDisk disk;
  ASSERT_TRUE(dati_linea(disk, src.path(), "Lungomare_Nord").ok());
  ASSERT_TRUE(dati_treno(disk, src.path(), "Lungomare_Nord", "911").ok());
  TempDir out;
  ToolRun r =
      RunTool("compile --line " + Quote(src.file("Lungomare_Nord_linea.txt")) + " --train " +
              Quote(src.file("Lungomare_Nord_911-.txt")) + " --out " + Quote(out.path()));
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, testing::ScenarioCompileSummary());
  ExpectGolden(Files(out.path()));
  EXPECT_EQ(ReadFile(src.file("Lungomare_Nord_linea.txt")),
            content::RawBytes(content::Document::kLine));
  EXPECT_EQ(ReadFile(src.file("Lungomare_Nord_911-.txt")),
            content::RawBytes(content::Document::kTrain));
}

TEST(Cli, UsageAndFileErrors) {
  Descriptions d;
  WriteFile(d.line, kGoodLine);
  WriteFile(d.train, kGoodTrain);
  const std::string other = d.dir.file("line.txt");
  WriteFile(other, kGoodLine);
  TempDir out;
  const std::string outArg = " --out " + Quote(out.path());
  struct Case {
    const char* name;
    std::string args;
    int exit;
  };
  const Case cases[] = {
      {"a line file not named <ID>_linea.txt and no --line-id",
       "compile --line " + Quote(other) + " --train " + Quote(d.train) + outArg, 64},
      {"a train file not named <ID>_<N>-.txt and no --train-number",
       "compile --line " + Quote(d.line) + " --train " + Quote(other) + outArg, 64},
      {"no --train", "compile --line " + Quote(d.line) + outArg, 64},
      {"an unknown option",
       "compile --bogus --line " + Quote(d.line) + " --train " + Quote(d.train) + outArg, 64},
      {"--dir with compile",
       "--dir " + Quote(out.path()) + " compile --line " + Quote(d.line) + " --train " +
           Quote(d.train),
       64},
      {"an output directory that is a file",
       "compile --line " + Quote(d.line) + " --train " + Quote(d.train) + " --out " + Quote(d.line),
       74},
      {"a line identifier that would lead out of the output directory",
       "compile --line " + Quote(d.line) + " --train " + Quote(d.train) +
           " --line-id ../escape --train-number 1" + outArg,
       64},
      {"a line description that is a directory",
       "compile --line " + Quote(d.dir.path()) + " --train " + Quote(d.train) +
           " --line-id Test --train-number 1" + outArg,
       74},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ToolRun r = RunTool(c.args);
    EXPECT_EQ(r.exit, c.exit) << r.err;
    EXPECT_FALSE(r.err.empty());
    EXPECT_TRUE(Names(out.path()).empty());
  }
  EXPECT_EQ(ReadFile(d.line), kGoodLine);
}

// The given files are never changed: a description that is one of the
// compiled files, by its name, through a link or as a hard link, is refused
// before anything is read or written.
TEST(Cli, ADescriptionThatIsAnOutputIsRefused) {
  enum class Way { kItsName, kALinkToIt, kAHardLink };
  struct Case {
    const char* name;
    const char* lineName;
    const char* trainName;
    Way way;
    const char* extra;
    int exit;
  };
  const Case cases[] = {
      {"both named as the outputs", "Q_linea.dat", "Q_5.sim", Way::kItsName, "", 64},
      {"the train as the cell file", "Q_linea.txt", "Q_5.dat", Way::kItsName, "", 64},
      {"the line through a link", "Q_linea.dat", "Q_5-.txt", Way::kALinkToIt, "", 64},
      {"the train as a hard link", "Q_linea.txt", "Q_5.sim", Way::kAHardLink, "", 64},
      {"the profile is not written: no conflict", "Q_linea.dat", "Q_5-.txt", Way::kItsName,
       " --no-profile", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    TempDir elsewhere;
    std::string linePath = dir.file(c.lineName), trainPath = dir.file(c.trainName);
    if (c.way == Way::kItsName) {
      WriteFile(linePath, kGoodLine);
      WriteFile(trainPath, kGoodTrain);
    } else {
      // The output is in the folder; the description given is elsewhere and
      // leads to it.
      WriteFile(linePath, kGoodLine);
      WriteFile(trainPath, kGoodTrain);
      const std::string given = elsewhere.file(c.way == Way::kALinkToIt ? "line" : "train");
      const std::string& target = c.way == Way::kALinkToIt ? linePath : trainPath;
      if (c.way == Way::kALinkToIt) {
        std::filesystem::create_symlink(target, given);
        linePath = given;
      } else {
        std::filesystem::create_hard_link(target, given);
        trainPath = given;
      }
    }
    ToolRun r = RunTool("compile --line " + Quote(linePath) + " --train " + Quote(trainPath) +
                        " --line-id Q --train-number 5 --out " + Quote(dir.path()) + c.extra);
    EXPECT_EQ(r.exit, c.exit) << r.err;
    EXPECT_EQ(ReadFile(linePath), kGoodLine);
    EXPECT_EQ(ReadFile(trainPath), kGoodTrain);
    if (c.exit == 64) {
      EXPECT_NE(r.err.find("' that compile would replace; give --out another folder"),
                std::string::npos)
          << r.err;
    }
  }
}

// What a command prints is what the user asked for: output that cannot be
// written (a full device) fails the command with 74, as the files do.
TEST(Cli, LostOutputIsAFailure) {
  Descriptions d;
  WriteFile(d.line, kGoodLine);
  WriteFile(d.train, kGoodTrain);
  TempDir out;
  const std::string compile = "compile --line " + Quote(d.line) + " --train " + Quote(d.train) +
                              " --out " + Quote(out.path());
  ASSERT_EQ(RunTool(compile).exit, 0);
  const std::string cells = Quote(out.file("Test_1.dat"));
  for (const std::string& args :
       {compile + " --json", "inspect " + cells, "inspect --json " + cells,
        "render " + Quote(out.path()) + " -o -"}) {
    SCOPED_TRACE(args);
    TempDir io;
    const std::string cmd = Quote(SB_EXECUTABLE) + " " + args + " >/dev/full 2>" +
                            Quote(io.file("err")) + " </dev/null";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 74);
    EXPECT_NE(ReadFile(io.file("err")).find("cannot write"), std::string::npos);
  }
}

TEST(Cli, LineIdAndTrainNumberGivenMakeAnyNamesUsable) {
  TempDir src;
  WriteFile(src.file("line.txt"), kGoodLine);
  WriteFile(src.file("train.txt"), kGoodTrain);
  TempDir out;
  ToolRun r = RunTool("compile --line " + Quote(src.file("line.txt")) + " --train " +
                      Quote(src.file("train.txt")) + " --line-id Other --train-number 7 --out " +
                      Quote(out.path()));
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(Names(out.path()),
            (std::vector<std::string>{"Other_7.dat", "Other_7.sim", "Other_linea.dat"}));
}

// Two descriptions whose names tell two lines: the usage error names both
// and the renaming that keeps the line and train the train's name gives
// (its compiled files and identity codes); following it compiles them so.
// A line identifier given by hand is the author's choice and keeps the
// plain message.
TEST(Cli, NamesThatTellTwoLinesAreNamedWithTheRenameThatKeepsTheTrain) {
  TempDir src;
  const std::string joined = src.file("ValleAlta_linea.txt");
  const std::string split = src.file("Valle_Alta_linea.txt");
  const std::string trainSplit = src.file("Valle_Alta_731-.txt");
  const std::string trainJoined = src.file("ValleAlta_731-.txt");
  for (const std::string* f : {&joined, &split}) WriteFile(*f, kGoodLine);
  for (const std::string* f : {&trainSplit, &trainJoined}) WriteFile(*f, kGoodTrain);
  TempDir out;
  struct Case {
    const char* name;
    std::string line;
    std::string train;
    std::string extra;
    std::string err;
  };
  const Case cases[] = {
      {"the line's name lost its underscore", joined, trainSplit, "",
       "scenario-builder: '" + joined + "' names line ValleAlta but '" + trainSplit +
           "' names line Valle_Alta: rename the line description to 'Valle_Alta_linea.txt' (or "
           "give --line-id Valle_Alta) to keep train 731 of line Valle_Alta, the file names and "
           "identity codes the train description's name implies; or rename the train "
           "description to 'ValleAlta_731-.txt'\n"},
      {"the train's name lost it", split, trainJoined, "",
       "scenario-builder: '" + split + "' names line Valle_Alta but '" + trainJoined +
           "' names line ValleAlta: rename the line description to 'ValleAlta_linea.txt' (or "
           "give --line-id ValleAlta) to keep train 731 of line ValleAlta, the file names and "
           "identity codes the train description's name implies; or rename the train "
           "description to 'Valle_Alta_731-.txt'\n"},
      {"a line identifier given by hand", joined, trainSplit, " --line-id ValleAlta",
       "scenario-builder: cannot tell the train number from '" + trainSplit +
           "' (expected ValleAlta_<N>-.txt); give --train-number\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ToolRun r = RunTool("compile --line " + Quote(c.line) + " --train " + Quote(c.train) +
                        " --out " + Quote(out.path()) + c.extra);
    EXPECT_EQ(r.exit, 64);
    EXPECT_EQ(r.err, c.err);
    EXPECT_TRUE(Names(out.path()).empty());
  }
  ToolRun r = RunTool("compile --line " + Quote(joined) + " --train " + Quote(trainSplit) +
                      " --line-id Valle_Alta --out " + Quote(out.path()));
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(Names(out.path()), (std::vector<std::string>{"Valle_Alta_731.dat", "Valle_Alta_731.sim",
                                                         "Valle_Alta_linea.dat"}));
}

TEST(Cli, HelpAndVersion) {
  ToolRun help = RunTool("--help");
  EXPECT_EQ(help.exit, 0);
  EXPECT_NE(help.out.find("compile"), std::string::npos) << help.out;
  ToolRun compileHelp = RunTool("compile --help");
  EXPECT_EQ(compileHelp.exit, 0);
  EXPECT_NE(compileHelp.out.find("--no-profile"), std::string::npos) << compileHelp.out;
  // The warnings an author can silence, by the identifiers the messages show.
  for (const char* text : {"--werror", "-Wno-<id>", "extra-values", "text-encoding"}) {
    EXPECT_NE(compileHelp.out.find(text), std::string::npos) << text << compileHelp.out;
  }
  ToolRun version = RunTool("--version");
  EXPECT_EQ(version.exit, 0);
  // The project version, then the commit for a build that is not the release.
  const std::string released = std::string("scenario-builder ") + SB_PROJECT_VERSION;
  EXPECT_EQ(version.out.substr(0, released.size()), released) << version.out;
  const std::string rest = version.out.substr(std::min(released.size(), version.out.size()));
  EXPECT_TRUE(rest == "\n" || rest.rfind("+g", 0) == 0 || rest == "-dirty\n") << version.out;
}

// fmt aligns in place only what changes, --check writes nothing and says
// which files would change; failures end it as every command's do.
TEST(Cli, FmtAlignsInPlaceAndChecks) {
  Descriptions d;
  const std::string misaligned = Crlf({"[vel_limite]", "velocita,0,110", "velocita, 2950, 60"});
  const std::string aligned = Crlf({"[vel_limite]", "velocita,    0, 110", "velocita, 2950,  60"});
  WriteFile(d.train, misaligned);
  const std::string line = Crlf({"[generale]", "lunghezza percorso, 10000", "[fine]"});
  WriteFile(d.line, line);  // aligned already
  const std::string files = " " + Quote(d.train) + " " + Quote(d.line);
  struct Step {
    const char* name;
    std::string args;
    int exit;
    std::string out;
    std::string train;  // as left after the step
  };
  const Step steps[] = {
      {"check", "fmt --check" + files, 1, "would align " + d.train + "\n", misaligned},
      {"align", "fmt" + files, 0, "aligned " + d.train + "\n", aligned},
      {"check what is aligned", "fmt --check" + files, 0, "", aligned},
      {"align what is aligned", "fmt" + files, 0, "", aligned},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    ToolRun r = RunTool(s.args);
    EXPECT_EQ(r.exit, s.exit) << r.err;
    EXPECT_EQ(r.out, s.out);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadFile(d.train), s.train);
    EXPECT_EQ(ReadFile(d.line), line);
  }
  const std::string missing = d.dir.file("Gone_linea.txt");
  const Step failures[] = {
      {"no file", "fmt", 64, "", ""},
      {"a file that is not there", "fmt " + Quote(missing), 74, "", ""},
      {"a directory", "fmt --check " + Quote(d.dir.path()), 74, "", ""},
      {"--dir before fmt", "--dir " + Quote(d.dir.path()) + " fmt" + files, 64, "", ""},
  };
  for (const Step& s : failures) {
    SCOPED_TRACE(s.name);
    ToolRun r = RunTool(s.args);
    EXPECT_EQ(r.exit, s.exit) << r.err;
    EXPECT_FALSE(r.err.empty());
    EXPECT_EQ(r.out, "");
  }
  ToolRun gone = RunTool("fmt " + Quote(missing));
  EXPECT_NE(gone.err.find("cannot read '" + missing + "'"), std::string::npos) << gone.err;
  EXPECT_EQ(Names(d.dir.path()), (std::vector<std::string>{"Test_1-.txt", "Test_linea.txt"}));
}

// A file that cannot be replaced is named, and left whole.
TEST(Cli, FmtThatCannotWriteLeavesTheFile) {
  MemoryDisk disk;
  disk.files()["a.txt"] = "velocita,0,  1\r\n";
  disk.Fail(MemoryDisk::Op::kWrite, "a.txt", "Read-only file system");
  std::ostringstream out;
  bool changed = false;
  const Status st = AlignFiles(disk, {{"a.txt"}, false}, out, &changed);
  EXPECT_EQ(ExitStatusOf(st), 74);
  EXPECT_EQ(st.reason(), "cannot write 'a.txt': Read-only file system");
  EXPECT_EQ(disk.files().at("a.txt"), "velocita,0,  1\r\n");
  EXPECT_EQ(out.str(), "");
}

// True when `text` holds a byte that would act on a terminal (LF ends lines).
bool HasRawControl(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char ch) {
    const auto byte = static_cast<unsigned char>(ch);
    return (byte < 0x20 && ch != '\n' && ch != '\t') || byte == 0x7F;
  });
}

// A description can hold bytes that retitle or clear the author's terminal:
// stderr shows them escaped wherever it quotes the input, and the JSON keeps
// them (its encoder escapes them).
TEST(Cli, ControlBytesFromTheInputAreShownEscaped) {
  const std::string title = "\x1b]0;pwned\x07";
  const std::string titleShown = "\\x1b]0;pwned\\x07";
  const std::string boardRecord = "cartello_indicatore,  1000,  " + title;
  const std::string stationRecord =
      "stazione, 99000, 12, 400, 0,0,0, 1,1,0, 4,1,1, 1, 15,17,0, RIC\x1b[2JCIONE";
  TempDir dir;
  struct Case {
    const char* name;
    std::string line;  // path of the line description; written when `lineText` is set
    std::optional<std::string> lineText;
    std::string train;
    std::string extra;
    int exit;
    std::string shown;   // on stderr
    std::string record;  // the last diagnostic's record in the JSON; empty: not checked
  };
  const Case cases[] = {
      {"a board text in a record quoted under a diagnostic", dir.file("Test_linea.txt"),
       Crlf({"[generale]", "lunghezza percorso,    10000", "[cartelli]",
             "cartello_indicatore,  1000,  A", boardRecord, "[fine]"}),
       kGoodTrain, "", 1, "    cartello_indicatore,  1000,  " + titleShown, boardRecord},
      {"a station name in a record quoted under a diagnostic", dir.file("Test_linea.txt"),
       kGoodLine, Crlf({"[generale]", "velocita, 0, 110", stationRecord, "[fine]"}), "", 1,
       "RIC\\x1b[2JCIONE", stationRecord},
      {"a line description path that does not exist", dir.file("Te\x1b[2Jst_linea.txt"),
       std::nullopt, kGoodTrain, "--line-id Test --train-number 1", 74,
       "Te\\x1b[2Jst_linea.txt': No such file or directory", ""},
      {"a path no line identifier can be told from", dir.file("li" + title + "ne.txt"), kGoodLine,
       kGoodTrain, "", 64, "li" + titleShown + "ne.txt", ""},
      {"a line description that is a directory", dir.file("d" + title), std::nullopt, kGoodTrain,
       "--line-id Test --train-number 1", 74, "d" + titleShown + "': is a directory", ""},
  };
  std::filesystem::create_directory(dir.file("d" + title));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.lineText) WriteFile(c.line, *c.lineText);
    const std::string train = dir.file("Test_1-.txt");
    WriteFile(train, c.train);
    TempDir out;
    ToolRun r = RunTool("compile --line " + Quote(c.line) + " --train " + Quote(train) + " --out " +
                        Quote(out.path()) + " --json " + c.extra);
    EXPECT_EQ(r.exit, c.exit) << r.err;
    EXPECT_NE(r.err.find(c.shown), std::string::npos) << r.err;
    EXPECT_FALSE(HasRawControl(r.err)) << r.err;
    EXPECT_FALSE(HasRawControl(r.out)) << r.out;
    if (c.record.empty()) continue;
    const nlohmann::json j = nlohmann::json::parse(r.out, nullptr, false);
    ASSERT_TRUE(j.is_object()) << r.out;
    EXPECT_EQ(j["diagnostics"].back().value("record", ""), c.record) << r.out;
  }
}

}  // namespace
}  // namespace sb
