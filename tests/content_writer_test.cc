// The content writer: every line up to the end sentinel, each followed by
// CR LF, blanks and empty lines kept, the sentinel never written; and the
// five writers' file names.
#include "content/content_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/disk.h"
#include "base/file_io.h"
#include "content/content.h"
#include "model/file_names.h"
#include "test_support.h"

namespace sb {
namespace {

using content::kSentinel;

TEST(ContentWriter, RenderLines) {
  struct Case {
    const char* name;
    std::vector<std::string_view> lines;
    std::string bytes;
  };
  const Case cases[] = {
      {"lines up to the sentinel", {"a", "b", kSentinel}, "a\r\nb\r\n"},
      {"nothing after the sentinel", {"a", kSentinel, "after", kSentinel}, "a\r\n"},
      {"only the sentinel", {kSentinel}, ""},
      {"blanks kept", {"  lead", "trail  ", " ", kSentinel}, "  lead\r\ntrail  \r\n \r\n"},
      {"an empty line does not end the list", {"a", "", "", "b", kSentinel}, "a\r\n\r\n\r\nb\r\n"},
      {"only the exact sentinel ends the list",
       {"Riferimento fine del file", "riferimento fine del file ", " riferimento fine del file",
        kSentinel},
       "Riferimento fine del file\r\nriferimento fine del file \r\n riferimento fine del file\r\n"},
      {"a list without a sentinel ends with the list", {"a"}, "a\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RenderLines(c.lines), c.bytes);
  }
}

TEST(ContentWriter, WritersReplaceTheirFiles) {
  testing::TempDir dir;
  RealDisk disk;
  const std::string line = "Lungomare_Nord";
  const std::string train = "911";
  struct Case {
    std::string name;
    content::Document doc;
    Status (*write)(Disk&, const std::string&, const std::string&, const std::string&);
  };
  const Case cases[] = {
      {LineDescriptionName(line), content::Document::kLine,
       [](Disk& disk, const std::string& d, const std::string& l, const std::string&) {
         return dati_linea(disk, d, l);
       }},
      {TrainDescriptionName(line, train), content::Document::kTrain, dati_treno},
      {NotesName(line, train), content::Document::kNotes, dati_note},
      {SlowdownOrderName(line, train), content::Document::kSlowdowns, dati_rallentamenti},
      {TimetableSheetName(line, train), content::Document::kSheet, dati_scheda},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // A longer file left by an earlier run is replaced, not overwritten.
    testing::WriteFile(dir.file(c.name), std::string(100000, '#'));
    ASSERT_TRUE(c.write(disk, dir.path(), line, train).ok());
    const std::string bytes = testing::ReadFile(dir.file(c.name));
    EXPECT_EQ(bytes, RenderLines(content::Lines(c.doc)));
    EXPECT_EQ(bytes, content::RawBytes(c.doc));
    EXPECT_EQ(bytes.find(kSentinel), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  }
}

TEST(ContentWriter, AWriterIntoAMissingDirectoryFails) {
  testing::TempDir dir;
  RealDisk disk;
  Status st = dati_note(disk, dir.file("missing"), "Lungomare_Nord", "911");
  EXPECT_FALSE(st.ok());
  EXPECT_EQ(st.path(), JoinPath(dir.file("missing"), NotesName("Lungomare_Nord", "911")));
}

}  // namespace
}  // namespace sb
