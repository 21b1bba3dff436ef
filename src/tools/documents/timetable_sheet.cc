#include "tools/documents/timetable_sheet.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string_view>

#include "model/km_post.h"
#include "tools/common/scenario_features.h"
#include "tools/documents/sheet_cells.h"

namespace sb {
namespace {

using namespace sheet;  // the cells' widths and the facts' errors

constexpr std::string_view kTableRule =
    " |_____|_____|__________|_____|____________________________|________________|_____|";
constexpr std::string_view kEmptyRow =
    " |     |     |          |     |                            |                |     |";

struct HeaderTexts {
  std::string pageLabel;
  std::string trainNumber;
  std::string from;
  std::string to;
  std::string headerSpeed;
  std::string brakedMass;
  std::string classification;
  std::string blockedMass;
};

// Cut at `width`: the frame never shifts.
std::string Fit(std::string_view text, std::size_t width) {
  std::string out(text.substr(0, width));
  out.resize(width, ' ');
  return out;
}

// An odd blank goes to the right, as the form's own fields have it.
std::string Centred(std::string_view text, std::size_t width) {
  text = text.substr(0, width);
  const std::size_t left = (width - text.size()) / 2;
  return Fit(std::string(left, ' ') + std::string(text), width);
}

// The number's five places: one to three characters keep a blank after
// "n.", as the form's own three do.
std::string TrainNumberField(std::string_view number) {
  number = number.substr(0, kTrainNumberWidth);
  const std::size_t left = (kTrainNumberWidth + 1 - number.size()) / 2;
  return Fit(std::string(left, ' ') + std::string(number), kTrainNumberWidth);
}

std::vector<std::string> HeaderBlock(const HeaderTexts& h) {
  return {
      "  ___________________                                               ______________",
      " |                   |                    " + Fit(h.pageLabel, kPageLabelWidth) +
          "|              |",
      " |   TRENO n." + TrainNumberField(h.trainNumber) + "   |                   da: " +
          Fit(h.from, kRouteNameWidth) + "|" + Centred(h.headerSpeed, kHeaderBoxWidth) + "|",
      " |___________________|                    a: " + Fit(h.to, kRouteNameWidth) + "|" +
          Centred(h.brakedMass, kHeaderBoxWidth) + "|",
      "                                                                   |______________|",
      "  ___________________                ___________________",
      " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ",
      " |" + Centred(h.classification, kClassificationWidth) + "|              |      " +
          Fit(h.blockedMass, kBlockedMassWidth) + "|",
      " |___________________|              |___________________|",
      "",
      "  ________________________________________________________________________________",
      " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
      " | Lim.|Marc.|          |  Rs |                            |                |     |",
      std::string(kTableRule),
  };
}

std::string SpeedCell(std::optional<int> speed) {
  if (!speed || *speed < 0 || *speed > kMaxSpeedInCell) return "     ";
  char buf[16];
  std::snprintf(buf, sizeof buf, "%4d ", *speed);
  return buf;
}

// "15.27"; a time past midnight as the clock shows it, seconds dropped.
std::string Clock(std::optional<int32_t> seconds) {
  if (!seconds) return "     ";
  constexpr int64_t kDay = 24 * 3600;
  const int64_t of_day = ((int64_t{*seconds} % kDay) + kDay) % kDay;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d.%02d", static_cast<int>(of_day / 3600),
                static_cast<int>(of_day % 3600 / 60));
  return buf;
}

// Cells are appended piece by piece: g++ 12 warns falsely (-Wrestrict) on
// chains of "literal" + string once they are inlined.
std::string Cells(std::initializer_list<std::string_view> pieces) {
  std::string out;
  for (std::string_view piece : pieces) out.append(piece);
  return out;
}

std::string TimeCell(const SheetRow& row) {
  switch (row.form) {
    case SheetTimeForm::kDeparture: return Cells({"         ", Clock(row.departure), "  "});
    case SheetTimeForm::kPassing: return Cells({"      ", Clock(row.passing), "     "});
    case SheetTimeForm::kArrivalAndDeparture:
      return Cells({" ", Clock(row.arrival), " - ", Clock(row.departure), "  "});
    case SheetTimeForm::kArrival: return Cells({" ", Clock(row.arrival), "          "});
    case SheetTimeForm::kNone: break;
  }
  return std::string(16, ' ');
}

std::string RowLine(const SheetRow& row) {
  const std::string recovery =
      row.recovery.empty() ? "     " : Cells({" ", Fit(row.recovery, kRecoveryWidth), " "});
  return Cells({" |", SpeedCell(row.speedLimit), "|", SpeedCell(row.marchingSpeed), "|",
                KmCell(row.km), "|     | ", Fit(row.name, kNameWidth), "|", TimeCell(row), "|",
                recovery, "|"});
}

// One table page: its header, 31 row slots and the bottom rule.
void AppendPage(std::vector<std::string>& lines, const HeaderTexts& header,
                const std::vector<std::string>& rowLines) {
  for (std::string& l : HeaderBlock(header)) lines.push_back(std::move(l));
  for (std::size_t slot = 0; slot < kRowSlots; ++slot) {
    lines.push_back(slot < rowLines.size() ? rowLines[slot] : std::string(kEmptyRow));
  }
  lines.emplace_back(kTableRule);
}

void AppendFullStops(std::vector<std::string>& lines, std::size_t blanksBefore, std::size_t stops,
                     std::size_t blanksAfter) {
  lines.insert(lines.end(), blanksBefore, "");
  lines.emplace_back(stops, '.');
  lines.insert(lines.end(), blanksAfter, "");
}

// The rows of each filled page: at most 30, the last of a page first again
// on the next, so that the player reads on from where he was.
std::vector<std::vector<std::string>> Pages(const std::vector<std::string>& rowLines) {
  std::vector<std::vector<std::string>> pages;
  std::size_t next = 0;
  do {
    std::vector<std::string> page;
    if (!pages.empty()) page.push_back(pages.back().back());
    while (page.size() < kRowsPerPage && next < rowLines.size()) page.push_back(rowLines[next++]);
    pages.push_back(std::move(page));
  } while (next < rowLines.size());
  return pages;
}

// A name the header takes from a station is told as the station's, since
// the author wrote no name for the header.
void CheckRouteName(std::string_view name, bool given, std::string_view label,
                    std::string_view which, const FactPlace& place, std::vector<Diagnostic>* out) {
  if (given) {
    CheckWidth(name, kRouteNameWidth, "the name after " + std::string(label), place, out);
    return;
  }
  if (name.size() <= kRouteNameWidth) return;
  out->push_back(FactError(place,
                           "the " + std::string(which) + " station's name " + Quoted(name) +
                               ", which the header prints after " + std::string(label) + ", has " +
                               std::to_string(name.size()) + " characters; its cell holds " +
                               std::to_string(kRouteNameWidth),
                           "give the header a name of at most " + std::to_string(kRouteNameWidth) +
                               " characters in scenario.toml"));
}

}  // namespace

TimetableSheet DrawTimetableSheet(const Scenario& s, const SheetFacts& facts,
                                  const running::RunningTime* times) {
  TimetableSheet sheet;
  sheet.rows = SheetRows(s, facts, &sheet.diagnostics, times);

  HeaderTexts header;
  header.trainNumber = facts.trainNumber.empty() ? s.trainNumber : facts.trainNumber;
  if (header.trainNumber.size() > kTrainNumberWidth) {
    sheet.diagnostics.push_back(FactError(facts.trainNumberPlace,
                                          "the train number " + Quoted(header.trainNumber) +
                                              " has " + std::to_string(header.trainNumber.size()) +
                                              " characters; the sheet's cell holds 5",
                                          "give the train a number of 1 to 5 characters"));
  }
  // Without names of its own the header names the first and last stations
  // as the rows print them.
  const auto nameOf = [&](SheetTimeForm form) {
    for (const SheetRow& row : sheet.rows) {
      if (row.form == form) return row.name;
    }
    return std::string();
  };
  header.from = facts.from.empty() ? nameOf(SheetTimeForm::kDeparture) : facts.from;
  header.to = facts.to.empty() ? nameOf(SheetTimeForm::kArrival) : facts.to;
  header.headerSpeed = facts.headerSpeed;
  header.brakedMass = std::to_string(s.items[kSlotTotals].start) + "%";
  header.classification = facts.classification;
  header.blockedMass = facts.blockedMass;
  CheckRouteName(header.from, !facts.from.empty(), "\"da:\"", "first", facts.fromPlace,
                 &sheet.diagnostics);
  CheckRouteName(header.to, !facts.to.empty(), "\"a:\"", "last", facts.toPlace, &sheet.diagnostics);
  CheckWidth(header.headerSpeed, kHeaderBoxWidth, "the header's speed", facts.headerSpeedPlace,
             &sheet.diagnostics);
  CheckWidth(header.classification, kClassificationWidth, "the classification",
             facts.classificationPlace, &sheet.diagnostics);
  CheckWidth(header.blockedMass, kBlockedMassWidth, "the blocked mass", facts.blockedMassPlace,
             &sheet.diagnostics);

  std::vector<std::string> rowLines;
  rowLines.reserve(sheet.rows.size());
  for (const SheetRow& row : sheet.rows) rowLines.push_back(RowLine(row));
  const std::vector<std::vector<std::string>> pages = Pages(rowLines);

  std::vector<std::string> lines = {"", ""};
  for (std::size_t k = 0; k < pages.size(); ++k) {
    header.pageLabel = "SCHEDA " + std::to_string(k + 1) + "/" + std::to_string(pages.size());
    AppendPage(lines, header, pages[k]);
    if (k == 0) {
      AppendFullStops(lines, 3, 81, 2);
    } else {
      AppendFullStops(lines, 3, 72, 1);
    }
  }
  const HeaderTexts blank{"SCHEDA 0/0", "xxxxx", "xxxxxx", "xxxxxx",
                          "Vxxx C",     "xxx%",  "xxx",    "xxxT"};
  AppendPage(lines, blank, {});
  AppendFullStops(lines, 2, 72, 1);
  AppendPage(lines, blank, {});
  lines.emplace_back();

  for (const std::string& line : lines) sheet.text.append(line).append("\r\n");
  return sheet;
}

}  // namespace sb
