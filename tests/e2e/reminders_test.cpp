// The reminder calendar in the real program, on a DATES.DBF the test writes byte by byte
// beside it: today's reminder comes 5 s after start with the chosen melody and is gone
// afterwards (the table packed at exit); a reminder typed into the window opened from the
// date caption is in the table; and at midnight the new day's reminder comes with its
// melody. The tables are read back here and, when it is installed, by python3-dbfread.
#include <gtest/gtest.h>

#include <iconv.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "clock_helpers.h"

namespace horavox::e2e {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string TablePath() { return Dist() + "/DATES.DBF"; }

std::string Convert(const std::string& text, const char* from, const char* to) {
  iconv_t cd = iconv_open(to, from);
  std::string out(text.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size(), outLeft = out.size();
  char* at = out.data();
  iconv(cd, &in, &inLeft, &at, &outLeft);
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

struct Reminder {
  std::string day;  // "20261210"
  std::string text;
  bool operator==(const Reminder&) const = default;
};

void PrintTo(const Reminder& r, std::ostream* os) { *os << r.day << " " << r.text; }

constexpr size_t kHeader = 97, kRecord = 263;

// dBase III, DATA D(8), SOBITIE C(254), code page 866, as another program would write it.
void WriteTable(const std::vector<Reminder>& reminders) {
  std::string bytes(32, '\0');
  bytes[0] = 0x03;
  bytes[1] = 126, bytes[2] = 12, bytes[3] = 1;
  bytes[4] = static_cast<char>(reminders.size());
  bytes[8] = static_cast<char>(kHeader);
  bytes[10] = static_cast<char>(kRecord & 0xFF), bytes[11] = static_cast<char>(kRecord >> 8);
  bytes[29] = 0x65;
  auto field = [&](const char* name, char type, int length) {
    std::string d(32, '\0');
    d.replace(0, std::string(name).size(), name);
    d[11] = type;
    d[16] = static_cast<char>(length);
    bytes += d;
  };
  field("DATA", 'D', 8);
  field("SOBITIE", 'C', 254);
  bytes += '\x0D';
  for (const Reminder& r : reminders) {
    std::string text = Convert(r.text, "UTF-8", "CP866");
    bytes += " " + r.day + text + std::string(254 - text.size(), ' ');
  }
  bytes += '\x1A';
  std::ofstream(TablePath(), std::ios::binary) << bytes;
}

struct Table {
  size_t size = 0;
  int count = 0;                  // the header's
  std::vector<Reminder> live;     // not marked deleted
};

Table ReadTable() {
  Bytes bytes = ReadWholeFile(TablePath());
  Table t;
  t.size = bytes.size();
  if (bytes.size() < kHeader) return t;
  t.count = bytes[4] | bytes[5] << 8;
  for (size_t at = kHeader; at + kRecord <= bytes.size(); at += kRecord) {
    if (bytes[at] == '*') continue;
    std::string text(bytes.begin() + static_cast<long>(at) + 9, bytes.begin() + static_cast<long>(at + kRecord));
    text.erase(text.find_last_not_of(' ') + 1);
    t.live.push_back({std::string(bytes.begin() + static_cast<long>(at) + 1, bytes.begin() + static_cast<long>(at) + 9),
                      Convert(text, "CP866", "UTF-8")});
  }
  return t;
}

// The records as python3-dbfread reads them; nothing when it is not installed.
std::optional<std::vector<Reminder>> DbfRead(WineSession& wine) {
  const char* script =
      "import sys\n"
      "from dbfread import DBF\n"
      "for r in DBF(sys.argv[1], encoding='cp866'):\n"
      "    print((r['DATA'].strftime('%Y%m%d') if r['DATA'] else '') + '|' + r['SOBITIE'])\n";
  // The system's Python, where the package is (another one may come first on the path).
  if (wine.Host({"/usr/bin/python3", "-c", "import dbfread"}).exit_code != 0) return std::nullopt;
  RunResult read = wine.Host({"/usr/bin/python3", "-c", script, TablePath()});
  EXPECT_EQ(read.exit_code, 0) << "dbfread could not read the table";
  std::vector<Reminder> out;
  std::istringstream lines(read.out);
  std::string line;
  while (std::getline(lines, line)) {
    size_t bar = line.find('|');
    if (bar != std::string::npos) out.push_back({line.substr(0, bar), line.substr(bar + 1)});
  }
  return out;
}

void ExpectTable(WineSession& wine, const std::vector<Reminder>& expected) {
  Table table = ReadTable();
  EXPECT_EQ(table.live, expected);
  EXPECT_EQ(table.count, static_cast<int>(expected.size())) << "packed at exit";
  EXPECT_EQ(table.size, kHeader + expected.size() * kRecord + 1) << "packed at exit";
  if (std::optional<std::vector<Reminder>> read = DbfRead(wine)) EXPECT_EQ(*read, expected) << "as dbfread reads it";
  else std::cout << "python3-dbfread is not installed: the table was read here only\n";
}

class Reminders : public ::testing::Test {
 protected:
  void SetUp() override {
    wine.Reg({"delete", kSettingsKey, "/f"});
    capture = WineSession::ArtifactDir() + "/reminders-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".raw";
    fs::remove(capture);
  }
  // The table goes with the test: the folder the user gets keeps only what is shipped.
  void TearDown() override { fs::remove(TablePath()); }

  // "Выход" from the tray menu; the clock ends.
  void Exit(pid_t clock) {
    ASSERT_EQ(wine.Ctl({"tray-click", "right"}).exit_code, 0);
    ASSERT_EQ(wine.Ctl({"menu-click", "10", "9"}).exit_code, 0);
    EXPECT_EQ(wine.Wait(clock, 20s), 0);
  }
  // Waits until the capture holds at least the melody's audible samples; those it holds.
  Bytes HearMelody(const Bytes& melody) { return HearAtLeast(capture, melody.size(), 15s); }

  WineSession wine;
  std::string capture;
  // The first melody in alphabetical order, the default choice.
  Bytes melody = Audible(WaveSamples(Dist() + "/Ring/Колокольчик.wav"));
};

TEST_F(Reminders, TodaysReminderComesFiveSecondsAfterStartWithTheMelodyAndIsGone) {
  WriteTable({{"20261210", "Позвонить маме"}, {"20261211", "Забрать посылку"}, {"20261209", "Вчерашнее"}});
  wine.CaptureSoundTo(capture);
  wine.FakeTimeFrom("2026-12-10 10:07:10");
  pid_t clock = wine.Start("dist/Horavox.exe");
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);
  TimePoint up = wine.Now();
  ASSERT_EQ(wine.Ctl({"wait-window", "#32770", "20000"}).exit_code, 0) << "no message";
  TimePoint shown = wine.Now();
  EXPECT_GT(SecondsBetween(up, shown), 3.0) << "the message came at once, not 5 s after the lookup";
  EXPECT_LT(SecondsBetween(up, shown), 12.0);
  EXPECT_EQ(HearMelody(melody), melody) << "the capture is not the melody";
  EXPECT_EQ(wine.Ctl({"message-text"}).out, "Позвонить маме\n");
  wine.Screenshot("reminders-message");
  ASSERT_EQ(wine.Ctl({"close", "#32770"}).exit_code, 0);
  EXPECT_TRUE(Gone(wine, "#32770"));
  Exit(clock);
  ExpectTable(wine, {{"20261211", "Забрать посылку"}, {"20261209", "Вчерашнее"}});
}

TEST_F(Reminders, AReminderTypedIntoTheWindowOpenedFromTheDateIsKept) {
  WriteTable({});
  wine.FakeTimeFrom("2026-12-10 10:07:10");
  pid_t clock = wine.Start("dist/Horavox.exe");
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);
  std::this_thread::sleep_for(1s);
  ASSERT_EQ(wine.Ctl({"click-at", "TForm1", "280", "110"}).exit_code, 0);  // the date caption
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm4", "10000"}).exit_code, 0);
  EXPECT_EQ(wine.Ctl({"text", "TForm4"}).out, "Календарик\n");
  std::this_thread::sleep_for(1s);
  // December 2026 starts on a Tuesday, the week on Monday: the 11th is row 1, column 4.
  ASSERT_EQ(wine.Ctl({"click-at", "TForm4", std::to_string(8 + 4 * 22 + 2 + 11), std::to_string(30 + 41 + 16 + 8)})
                .exit_code,
            0);
  std::this_thread::sleep_for(500ms);
  ASSERT_EQ(wine.Ctl({"type", "Купить ёлку"}).exit_code, 0);
  std::this_thread::sleep_for(500ms);
  wine.Screenshot("reminders-window");
  ASSERT_EQ(wine.Ctl({"click", "TForm4", "Закрыть"}).exit_code, 0);
  EXPECT_TRUE(Gone(wine, "TForm4"));
  Exit(clock);
  ExpectTable(wine, {{"20261211", "Купить ёлку"}});
}

TEST_F(Reminders, AtMidnightTheNewDaysReminderComesWithItsMelody) {
  AddSetting(wine, "TalkTime", "0");
  WriteTable({{"20261211", "С днём рождения!"}});
  wine.CaptureSoundTo(capture);
  wine.FakeTimeFrom("2026-12-10 23:59:50");
  pid_t clock = wine.Start("dist/Horavox.exe");
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);
  const TimePoint midnight = WineSession::LocalTime("2026-12-11 00:00:00");
  while (wine.Now() < midnight - 500ms) {
    ASSERT_NE(wine.Ctl({"wait-window", "#32770", "300"}).exit_code, 0) << "a message before midnight";
  }
  ASSERT_EQ(wine.Ctl({"wait-window", "#32770", "20000"}).exit_code, 0) << "no message after midnight";
  double after = SecondsBetween(midnight, wine.Now());
  EXPECT_GT(after, 4.5);
  EXPECT_LT(after, 9.0);
  EXPECT_EQ(HearMelody(melody), melody) << "the capture is not the melody";
  EXPECT_EQ(wine.Ctl({"message-text"}).out, "С днём рождения!\n");
  ASSERT_EQ(wine.Ctl({"close", "#32770"}).exit_code, 0);
  EXPECT_TRUE(Gone(wine, "#32770"));
  Exit(clock);
  ExpectTable(wine, {});
}

}  // namespace
}  // namespace horavox::e2e
