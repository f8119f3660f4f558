#include "devices/generic_entries.h"

#include <gtest/gtest.h>

#include "model/action.h"

namespace mw {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  lines.push_back(text.substr(start));
  return lines;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(GenericEntries, AppendedAtTheEndWithTheirFixedTexts) {
  struct Case {
    void (*add)(DeviceList&);
    std::string name;
    std::string hardware_id;
    std::size_t details_bytes;
    std::string ending;
  };
  for (const Case& c : std::vector<Case>{
           {AddGenericVolumeEntry, "【汎用：任意のドライブ追加時】", kGenericVolumeId, 235,
            "(例) \"explorer.exe\" /e,%_newdrv_%:\\DCIM\\"},
           {AddGenericMediaEntry, "【汎用：任意のメディア挿入時】", kGenericMediaId, 210,
            "(例) \"explorer.exe\" /e,%_newdrv_%:\\"},
       }) {
    DeviceList list(1);
    list[0].HardwareID = c.hardware_id;  // no duplicate check
    c.add(list);
    ASSERT_EQ(list.size(), 2u);
    const DeviceRecord& entry = list[1];
    EXPECT_EQ(entry.DisplayName, c.name);
    EXPECT_EQ(entry.DisplayName.size(), 30u);
    EXPECT_EQ(entry.HardwareID, c.hardware_id);
    EXPECT_EQ(entry.Service, "QL_ANY_DRV");
    EXPECT_TRUE(entry.Present);
    EXPECT_EQ(entry.Details.size(), c.details_bytes) << c.hardware_id;
    EXPECT_TRUE(EndsWith(entry.Details, c.ending)) << c.hardware_id;

    const std::vector<std::string> lines = Lines(entry.Details);
    ASSERT_EQ(lines.size(), 6u) << c.hardware_id;
    EXPECT_EQ(lines[2], "実行ファイルの文字列中で\"%_newdrv_%\"を記述すると");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5], c.ending);

    DeviceRecord rest = entry;  // every other field empty
    rest.DisplayName = rest.HardwareID = rest.Service = rest.Details = "";
    DeviceRecord blank;
    blank.Present = true;
    EXPECT_EQ(rest, blank);
  }
}

TEST(GenericEntries, OpeningLinesNameTheirEvent) {
  DeviceList list;
  AddGenericVolumeEntry(list);
  AddGenericMediaEntry(list);
  EXPECT_EQ(Lines(list[0].Details)[0], "PC-CARD,SCSI,IEEE1394,USBなど全てのデバイスで、");
  EXPECT_EQ(Lines(list[0].Details)[3], "新しく増えたドライブレターに置換されます。");
  EXPECT_EQ(Lines(list[1].Details)[0], "IDE CD, DVDなど全てのデバイスで、");
  EXPECT_EQ(Lines(list[1].Details)[3], "挿入されたドライブレターに置換されます。");
}

}  // namespace
}  // namespace mw
