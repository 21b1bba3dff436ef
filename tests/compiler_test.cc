// The whole compile with a line read once for several trains: every train
// must end in the very run state and result an independent compile of the
// two descriptions gives.
#include "compiler/compiler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "compiler/scenario.h"
#include "content/content.h"
#include "test_support.h"

namespace sb {
namespace {

using testing::Crlf;
using testing::kLineId;
using testing::ReplaceAll;

std::string Show(const Diagnostic& d) {
  std::ostringstream out;
  out << static_cast<int>(d.severity) << ' ' << Number(d.code) << ' ' << static_cast<int>(d.warning)
      << ' ' << (d.position ? std::to_string(*d.position) : "-") << ' ' << d.file << ':' << d.line
      << ':' << d.column << " [" << d.record << "] " << d.message << " | " << d.hint << " | "
      << d.subject << " | " << d.fixesToTry;
  for (const RelatedLocation& r : d.related) {
    out << " @" << r.file << ':' << r.line << ':' << r.column << ' ' << r.message;
  }
  for (const Fix& f : d.fixes) {
    out << " fix " << f.title;
    for (const TextEdit& e : f.edits) {
      out << " {" << e.line << ':' << e.column << ' ' << e.replaced << '>' << e.text << '}';
    }
  }
  return out.str();
}

std::string Show(const SourceRef& r) {
  return r.file + ":" + std::to_string(r.line) + ":" + std::to_string(r.column) + " " + r.record;
}

// Every field of the run state and of the result, one entry each, so that a
// difference names its field.
std::vector<std::string> Fields(const Scenario& s, const CompileResult& r) {
  std::vector<std::string> out;
  const auto add = [&](const std::string& name, const auto& value) {
    std::ostringstream text;
    text << name << '=' << value;
    out.push_back(text.str());
  };
  add("end", static_cast<int>(r.end));
  add("reportedCode", Number(r.reportedCode));
  add("descriptionIo", r.descriptionIo.ok() ? std::string("ok") : r.descriptionIo.Message("x"));
  add("lineId", s.lineId);
  add("trainNumber", s.trainNumber);
  add("withProfile", s.withProfile);
  add("errorCode", Number(s.errorCode));
  add("errorPosition", s.errorPosition);
  add("currentLine", s.currentLine);
  add("profileEnd", s.profileEnd);
  add("lastCell", s.lastCell);
  add("hasGrid", s.hasGrid);
  std::string cells;
  for (const TrackCell& c : s.cells) {
    for (int v : {int{c.kind}, int{c.value1}, int{c.value2}, int{c.value3}, int{c.value4},
                  int{c.signalTime}, int{c.approachCode}, int{c.terrain}, int{c.speedLimit},
                  int{c.gradient}, int{c.adhesion}}) {
      cells += std::to_string(v) + ',';
    }
  }
  add("cells", cells);
  for (std::size_t i = 0; i < s.items.size(); ++i) {
    const ScenarioItem& it = s.items[i];
    std::ostringstream item;
    item << int{it.kind} << ' ' << it.start << ' ' << it.end << ' ' << it.position << ' '
         << int{it.option} << " [" << it.text << "] " << it.num1 << ' ' << it.num2 << ' ' << it.num3
         << ' ' << it.num4 << ' ' << it.num5 << ' ' << int{it.byte1} << ' ' << int{it.byte2} << ' '
         << int{it.byte3} << ' ' << int{it.byte4} << ' ' << it.seconds;
    add("item" + std::to_string(i), item.str());
  }
  if (s.profile) {
    std::ostringstream profile;
    profile << s.profile->end() << ' ' << s.profile->seeded() << ' ' << s.profile->cursor();
    for (const ProfileRun& run : s.profile->runs()) {
      profile << " (" << run.last << ' ' << run.arc << ' ' << run.c << ')';
    }
    add("profile", profile.str());
  } else {
    add("profile", "none");
  }
  for (int i = 0; i < kMountainSlots; ++i) {
    add("mountain" + std::to_string(i),
        std::to_string(s.mountainStart[i]) + "-" + std::to_string(s.mountainEnd[i]));
  }
  add("mountainCount", s.mountainCount);
  for (const Scenario::ReadingStop& stop : s.readingStops) {
    add("readingStop",
        stop.file + ":" + std::to_string(stop.line) + " " + std::to_string(stop.rest));
  }
  for (const Diagnostic& d : s.diagnostics) add("diagnostic", Show(d));
  add("keepWarnings", s.keepWarnings);
  for (std::size_t w = 0; w < kWarningCount; ++w) {
    add("warning" + std::to_string(w),
        std::to_string(s.silencedWarnings[w]) + " " + std::to_string(s.warningsKept[w]));
  }
  for (const auto& [key, count] : s.warningsNotKept) {
    add("notKept " + key.first + " " + std::to_string(static_cast<int>(key.second)), count);
  }
  for (const Scenario::ProgressionSource& p : s.progressionSources) {
    add("progression", std::to_string(p.start) + " " + Show(p.source) + " " +
                           std::to_string(p.value) + " " + std::to_string(p.valueColumn));
  }
  std::map<int64_t, std::string> owners;
  for (const auto& [cell, owner] : s.cellOwners) {
    owners[cell] = Show(owner.source) + " " + std::to_string(static_cast<int>(owner.role)) + " " +
                   std::to_string(owner.position) + " " + std::to_string(owner.slot);
  }
  for (const auto& [cell, owner] : owners) add("owner" + std::to_string(cell), owner);
  return out;
}

// The compile the editor would otherwise run for each train on its own.
std::vector<std::string> Independent(const Scenario& base, const std::string& train,
                                     const std::optional<std::string>& line,
                                     const std::string& trainText,
                                     const std::atomic<bool>* cancel = nullptr) {
  Scenario s = base;
  s.trainNumber = train;
  TextDescriptions source(s.lineId, s.trainNumber);
  source.line = line;
  source.train = trainText;
  source.cancel = cancel;
  const CompileResult r = memorizza_percorso(s, true, source);
  return Fields(s, r);
}

std::vector<std::string> Shared(const SharedLine& line, const std::string& train,
                                const std::string& trainText,
                                const std::atomic<bool>* cancel = nullptr) {
  Scenario s;
  s.trainNumber = train;
  const CompileResult r = CompileWithLine(line, s, trainText, cancel);
  return Fields(s, r);
}

// Names each field that differs, from where it begins to differ: the cells
// are one long field.
void ExpectSameFields(const std::vector<std::string>& got,
                      const std::vector<std::string>& expected) {
  EXPECT_EQ(got.size(), expected.size());
  for (std::size_t i = 0; i < std::min(got.size(), expected.size()); ++i) {
    if (got[i] == expected[i]) continue;
    const std::size_t at = static_cast<std::size_t>(
        std::mismatch(got[i].begin(), got[i].end(), expected[i].begin(), expected[i].end()).first -
        got[i].begin());
    const std::size_t from = at < 40 ? 0 : at - 40;
    ADD_FAILURE() << "field " << expected[i].substr(0, expected[i].find('='))
                  << " differs from character " << at << ":\n  shared line: ..."
                  << got[i].substr(from, 160) << "\n  on its own:  ..."
                  << expected[i].substr(from, 160);
  }
}

std::string FieldValue(const std::vector<std::string>& fields, const std::string& name) {
  for (const std::string& f : fields) {
    if (f.starts_with(name + "=")) return f.substr(name.size() + 1);
  }
  return "?";
}

TEST(LineReadOnce, EveryTrainCompilesAsOnItsOwn) {
  const std::string line(content::RawBytes(content::Document::kLine));
  const std::string train(content::RawBytes(content::Document::kTrain));
  struct Case {
    const char* name;
    std::optional<std::string> line;
    std::string train;
    // The error the case is about (0: none), so that it stays about it.
    int errorCode;
    CompileEnd end;
    bool warningsPastLimit = false;
  };
  const Case cases[] = {
      {"clean", line, train, 0, CompileEnd::kCompiled},
      {"line error that stops the reading",
       ReplaceAll(line, "ripetizione segnali 4 codici,    0,", "ripetizione segnali 4 codici, 25,"),
       train, 3, CompileEnd::kCompiled},
      {"line with a number out of range",
       Crlf({"[generale]", "lunghezza percorso, 1000",
             "progressiva chilometrica uno, 99999999999, 0, 0"}),
       train, 25, CompileEnd::kCompiled},
      {"line without a general section", Crlf({"lunghezza percorso, 1000", "[curve]", "x"}), train,
       102, CompileEnd::kNoGrid},
      {"missing line", std::nullopt, train, 101, CompileEnd::kNoGrid},
      {"train error", line, ReplaceAll(train, "stazione,    5250,", "stazione,    5225,"), 8,
       CompileEnd::kCompiled},
      {"train that cannot be read to its end", line, train + "stazione, 100,", 25,
       CompileEnd::kCompiled},
      {"warnings of both past the kept limit",
       ReplaceAll(ReplaceAll(line, "sfondo due,    0", "sfondo due,    0x"), "sfondo tre,    0",
                  "sfondo tre,    0y"),
       ReplaceAll(ReplaceAll(train, "sabbia,    60", "sabbia,    6O"), "numero vetture,    12",
                  "numero vetture,    1e2"),
       0, CompileEnd::kCompiled, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scenario base;
    base.lineId = kLineId;
    base.trainNumber = "0";  // as the editor reads a line before knowing its trains
    if (c.warningsPastLimit) {
      base.warningsKept[static_cast<std::size_t>(Warning::kNotANumber)] = kMaxWarningsKept - 1;
      base.silencedWarnings[static_cast<std::size_t>(Warning::kExtraValues)] = true;
    }
    const SharedLine shared = ReadLineOnce(base, c.line);
    // Two trains of the line, each compiled twice: the line's state is
    // only copied, never changed by a train.
    for (const char* number : {"1", "17", "1"}) {
      SCOPED_TRACE(number);
      const std::vector<std::string> expected = Independent(base, number, c.line, c.train);
      const std::vector<std::string> got = Shared(shared, number, c.train);
      ExpectSameFields(got, expected);
      const std::string error = "diagnostic=0 " + std::to_string(c.errorCode) + " ";
      EXPECT_EQ(c.errorCode == 0,
                std::none_of(expected.begin(), expected.end(),
                             [&](const std::string& f) { return f.starts_with("diagnostic=0 "); }));
      EXPECT_TRUE(c.errorCode == 0 ||
                  std::any_of(expected.begin(), expected.end(),
                              [&](const std::string& f) { return f.starts_with(error); }));
      EXPECT_EQ(FieldValue(expected, "end"), std::to_string(static_cast<int>(c.end)));
      if (c.warningsPastLimit) {
        const std::string notANumber = std::to_string(static_cast<int>(Warning::kNotANumber));
        for (const std::string& file :
             {LineDescriptionName(kLineId), TrainDescriptionName(kLineId, number)}) {
          EXPECT_EQ(FieldValue(expected, "notKept " + file + " " + notANumber),
                    file == LineDescriptionName(kLineId) ? "1" : "2");
        }
      }
    }
  }
}

TEST(LineReadOnce, ACancelledCompileIsCancelledEitherWay) {
  const std::string line(content::RawBytes(content::Document::kLine));
  const std::string train(content::RawBytes(content::Document::kTrain));
  Scenario base;
  base.lineId = kLineId;
  const std::atomic<bool> cancelled{true};
  const std::string kCancelledEnd = std::to_string(static_cast<int>(CompileEnd::kCancelled));
  // While the line is read: every train is cancelled.
  const SharedLine stoppedLine = ReadLineOnce(base, line, &cancelled);
  EXPECT_EQ(FieldValue(Shared(stoppedLine, "1", train), "end"), kCancelledEnd);
  // While a train is read.
  const SharedLine read = ReadLineOnce(base, line);
  EXPECT_EQ(FieldValue(Shared(read, "1", train, &cancelled), "end"), kCancelledEnd);
  EXPECT_EQ(FieldValue(Independent(base, "1", line, train, &cancelled), "end"), kCancelledEnd);
}

}  // namespace
}  // namespace sb
