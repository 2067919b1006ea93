// Other programs and our index files: TDbf (a Pascal program built here with fpc) writes
// MDX and NDX files that we read, and reads ours; Perl's XBase module dumps our NDX, MDX and
// NTX files. The programs run natively; a test whose program is missing reports skipped.
#include "index_fixture.h"
#include "index_formats.h"
#include "test_paths.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>

#include "xbase/xbmdx.h"
#include "xbase/xbndx.h"
#include "xbase/xbntx.h"

namespace {

using namespace xbtest;
using TEntry = std::pair<std::string, std::uint32_t>;

#ifndef _WIN32
// The lines a command prints (its error output too); nullopt when it fails.
std::optional<std::vector<std::string>> Lines(const std::string& command) {
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return std::nullopt;
  std::vector<std::string> lines;
  char buffer[65536];
  std::string line;
  while (fgets(buffer, sizeof buffer, pipe)) {
    line += buffer;
    if (line.back() != '\n') continue;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    lines.push_back(line);
    line.clear();
  }
  if (!line.empty()) lines.push_back(line);
  if (pclose(pipe) != 0) return std::nullopt;
  return lines;
}

bool Installed(const char* tool) { return std::system(("command -v " + std::string(tool) + " >/dev/null 2>&1").c_str()) == 0; }

// The TDbf program, built once per run: "" with the reason in `why` when fpc or its
// database units are missing (the test then skips); a compile error fails.
std::string TdbfProgram(std::string& why) {
  static std::string program, reason;
  static bool tried = false;
  if (!tried) {
    tried = true;
    if (!Installed("fpc")) {
      reason = "fpc is not installed";
    } else {
      std::string dir = horavox::test::TempDir() + "/tdbf-index";
      std::filesystem::create_directories(dir);
      auto out = Lines("fpc -O2 -FU" + dir + " -o" + dir + "/tdbf_index " + horavox::test::SourceDir() +
                       "/tests/xbase/tdbf_index.pas");
      if (out) {
        program = dir + "/tdbf_index";
      } else {
        auto log = Lines("fpc -O2 -FU" + dir + " -o" + dir + "/tdbf_index " + horavox::test::SourceDir() +
                         "/tests/xbase/tdbf_index.pas || true");
        std::string text;
        for (auto& l : log.value_or(std::vector<std::string>{})) text += l + "\n";
        if (text.find("Can't find unit") != std::string::npos)
          reason = "fpc's database units are not installed";
        else
          ADD_FAILURE() << "the TDbf program does not compile:\n" << text;
      }
    }
  }
  why = reason;
  return program;
}

// The file in the folder whose name is `name` in any letter case ("" when none).
std::string FileNamed(const std::string& dir, const std::string& name) {
  for (auto& e : std::filesystem::directory_iterator(dir)) {
    std::string n = e.path().filename().string(), a = n, b = name;
    for (char& c : a) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (char& c : b) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (a == b) return dir + n;
  }
  return "";
}

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> w;
  for (std::string s; in >> s;) w.push_back(s);
  return w;
}

std::vector<std::uint32_t> RecordsOf(const std::vector<std::string>& words, std::size_t from) {
  std::vector<std::uint32_t> r;
  for (std::size_t i = from; i < words.size(); ++i) r.push_back(static_cast<std::uint32_t>(std::stoul(words[i])));
  return r;
}

// Every record's key for the tag, as the tag must hold them.
std::multiset<TEntry> Model(XBO_dBaseFld& table, XBobjIndexTag& tag) {
  std::multiset<TEntry> m;
  std::string key;
  for (std::int32_t r = 1; r <= table.RecordCount(); ++r) {
    table.Go(r);
    if ((!tag.HasFor() || tag.EvaluateFor()) && tag.EvaluateKey(key)) m.emplace(key, static_cast<std::uint32_t>(r));
  }
  return m;
}

std::multiset<TEntry> AsSetOf(const std::vector<TEntry>& scan) { return {scan.begin(), scan.end()}; }

// The record a seek lands on (0 past the end).
std::uint32_t SeekRecord(XBobjIndexTag& tag, const TxbVariant& v, bool exact) {
  bool found = tag.TagSeek(v);
  if (tag.Eof() || (exact && !found)) return 0;
  return tag.CurrentKey().RecNo;
}
#endif

#ifdef _WIN32
#define NATIVE_ONLY() GTEST_SKIP() << "the other programs run natively"
#else
#define NATIVE_ONLY() (void)0
#endif

// The TDbf tests: skipped where the program cannot be built or run.
class TdbfIndexes : public ::testing::Test {
 protected:
  std::string program;
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "the other programs run natively";
#else
    std::string why;
    program = TdbfProgram(why);
    if (program.empty()) GTEST_SKIP() << why;
#endif
  }
};

// TDbf builds a table with a production MDX (a text tag, a descending number tag) and an NDX
// on the text, keeping them through appends and rewrites; our walks and seeks match its own.
TEST_F(TdbfIndexes, WeReadWhatTdbfWrote) {
#ifndef _WIN32
  std::string dir = horavox::test::TempDir() + "/tdbf-wrote/";
  std::filesystem::create_directories(dir);
  auto out = Lines("timeout 120 " + program + " write " + dir);
  ASSERT_TRUE(out) << "the TDbf program failed";
  XBO_dBaseFld table(FileNamed(dir, "TW.DBF"), false, false);
  XBobjMDXFile mdx(&table, FileNamed(dir, "TW.MDX"), false, false, false);
  XBobjNDXFile ndx(&table, FileNamed(dir, "TWNAME.NDX"), false, false, false);
  ASSERT_FALSE(mdx.Damaged());
  ASSERT_FALSE(ndx.Damaged());
  EXPECT_TRUE(mdx.TagByName("NUMD")->Descending());
  auto tagOf = [&](const std::string& name) { return name == "TWNAME.NDX" ? ndx.Tag() : mdx.TagByName(name); };
  int walks = 0, seeks = 0;
  for (const std::string& line : *out) {
    auto w = Words(line);
    if (w.size() >= 2 && w[0] == "W") {
      ++walks;
      XBobjIndexTag& tag = *tagOf(w[1]);
      auto ours = Scan(tag);
      EXPECT_EQ(Records(ours), RecordsOf(w, 2)) << w[1];
      EXPECT_EQ(std::multiset<TEntry>(ours.begin(), ours.end()), Model(table, tag)) << w[1];
      EXPECT_EQ(Records(Scan(tag, true)), RecordsOf(w, 2)) << w[1] << " backward";
      EXPECT_EQ(tag.CheckTree(), static_cast<std::int64_t>(ours.size())) << w[1];
    } else if (w.size() == 4 && w[0] == "S") {
      ++seeks;
      TxbVariant v;
      v.SetString(w[2]);
      EXPECT_EQ(SeekRecord(*tagOf(w[1]), v, false), std::stoul(w[3])) << line;
    }
  }
  EXPECT_EQ(walks, 3);
  EXPECT_EQ(seeks, 400);
#endif
}

// We keep TDbf's files through appends and rewrites (its MDX blocks hold one key more than
// ours); TDbf then walks them in our order.
TEST_F(TdbfIndexes, TdbfReadsItsFilesAfterOurChanges) {
#ifndef _WIN32
  std::string dir = horavox::test::TempDir() + "/tdbf-changed/";
  std::filesystem::create_directories(dir);
  ASSERT_TRUE(Lines("timeout 120 " + program + " write " + dir)) << "the TDbf program failed";
  const std::string mdxName = FileNamed(dir, "TW.MDX"), ndxName = FileNamed(dir, "TWNAME.NDX");
  std::vector<std::pair<std::string, std::vector<std::uint32_t>>> ours;
  {
    XBO_dBaseFld table(FileNamed(dir, "TW.DBF"), true, false);
    XBobjMDXFile mdx(&table, mdxName, false, true, false);
    XBobjNDXFile ndx(&table, ndxName, false, true, false);
    ASSERT_FALSE(mdx.Damaged() || ndx.Damaged());
    std::mt19937 rng(7);
    auto fill = [&] {
      table.PutTextByName("NAME", std::string(1 + rng() % 3, static_cast<char>('A' + rng() % 6)));
      table.PutNumberByName("NUM", static_cast<double>(rng() % 401) - 200);
    };
    for (int i = 0; i < 700; ++i) {
      bool append = rng() % 3 != 0;
      auto r = append ? 0 : static_cast<std::int32_t>(1 + rng() % static_cast<std::uint32_t>(table.RecordCount()));
      if (append) table.BlankRecord(); else table.Go(r);
      fill();
      if (append) {
        table.Append();
        r = table.RecNo();
      }
      mdx.KeyUpdateAll(static_cast<std::uint32_t>(r), append);
      ndx.KeyUpdateAll(static_cast<std::uint32_t>(r), append);
      if (!append) table.PutRec(r);
    }
    for (const char* tag : {"NAME", "NUMD"}) {
      EXPECT_EQ(AsSetOf(Scan(*mdx.TagByName(tag))), Model(table, *mdx.TagByName(tag))) << tag;
      ours.emplace_back(tag, Records(Scan(*mdx.TagByName(tag))));
      EXPECT_EQ(mdx.TagByName(tag)->CheckTree(), static_cast<std::int64_t>(ours.back().second.size())) << tag;
    }
    ours.emplace_back("TWNAME.NDX", Records(Scan(*ndx.Tag())));
    EXPECT_EQ(ndx.Tag()->CheckTree(), static_cast<std::int64_t>(ours.back().second.size()));
  }
  std::ofstream script(dir + "script.txt");
  for (const auto& [index, records] : ours) script << "W " << index << "\n";
  script.close();
  auto out = Lines("timeout 120 " + program + " read " + FileNamed(dir, "TW.DBF") + " " + dir + "script.txt");
  ASSERT_TRUE(out) << "the TDbf program failed";
  ASSERT_EQ(out->size(), ours.size());
  for (std::size_t i = 0; i < ours.size(); ++i) EXPECT_EQ(RecordsOf(Words((*out)[i]), 2), ours[i].second) << ours[i].first;
#endif
}

#ifndef _WIN32
// A table with text, numbers (negatives, zero, small values) and dates (some empty), and
// indexes of every kind kept through appends and rewrites. Without tiny positives no number
// lies between 0 and 0.1 (TDbf orders those after zero).
// names gets each file's name (without the folder).
void WriteOurs(const std::string& dir, std::vector<std::unique_ptr<XBobjIndexFile>>& files,
               std::vector<std::string>& names, std::unique_ptr<XBO_dBaseFld>& table, bool withNtx, bool tinyPositives) {
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  CreateTable(dir + "OR.DBF", 0x03, {{"NAME", 'C', 10}, {"NUM", 'N', 12, 3}, {"DAY", 'D', 8}});
  table = std::make_unique<XBO_dBaseFld>(dir + "OR.DBF", true, false);
  const double numbers[] = {0, -0.001, tinyPositives ? 0.001 : 0.1, tinyPositives ? 0.05 : 0.25, -0.05, 1, -1, 12.5,
                            -12.5, 99999.999, -99999.999, 1234.5, 0.5};
  std::mt19937 rng(26);
  auto fill = [&] {
    std::string name;
    for (int n = 1 + static_cast<int>(rng() % 4); n > 0; --n) name += static_cast<char>('A' + rng() % 6);
    table->PutTextByName("NAME", name);
    table->PutNumberByName("NUM", rng() % 2 ? numbers[rng() % std::size(numbers)]
                                            : (static_cast<int>(rng() % 20001) - 10000) / 8.0);
    table->PutDateByName("DAY", rng() % 8 == 0 ? 0 : 2458850 + static_cast<std::int32_t>(rng() % 2000));
  };
  auto mdx = std::make_unique<XBobjMDXFile>(table.get(), dir + "OR.MDX", true, true, false);
  mdx->AddTag("NAME", "NAME", "", false, false);
  mdx->AddTag("NUM", "NUM", "", false, false);
  mdx->AddTag("NUMD", "NUM", "", false, true);
  mdx->AddTag("DAY", "DAY", "", false, false);
  files.push_back(std::move(mdx));
  names.push_back("OR.MDX");
  for (const char* field : {"NAME", "NUM", "DAY"}) {
    names.push_back(std::string("OR") + field + ".NDX");
    files.push_back(std::make_unique<XBobjNDXFile>(table.get(), dir + names.back(), true, true, false));
    files.back()->AddTag("", field, "", false, false);
  }
  if (withNtx)
    for (const char* field : {"NAME", "NUM", "DAY"}) {
      names.push_back(std::string("OT") + field + ".NTX");
      files.push_back(std::make_unique<XBobjNTXFile>(table.get(), dir + names.back(), true, true, false));
      files.back()->AddTag("", field, "", false, std::string(field) == "NUM");
    }
  for (int i = 0; i < 1200; ++i) {
    table->BlankRecord();
    fill();
    table->Append();
    for (auto& f : files) f->KeyUpdateAll(static_cast<std::uint32_t>(table->RecNo()), true);
  }
  for (int i = 0; i < 300; ++i) {
    auto r = static_cast<std::int32_t>(1 + rng() % 1200);
    table->Go(r);
    fill();
    for (auto& f : files) f->KeyUpdateAll(static_cast<std::uint32_t>(r), false);
    table->PutRec(r);
  }
}
#endif

// TDbf walks our MDX (text, numbers both ways) and NDX files (text, numbers, dates with
// empty ones) in our order, and its exact seeks find the records ours find. It has no date
// tags in an MDX, and it orders zero after the positive numbers below 0.1 (their packed
// exponent is smaller), so the table here has none of those.
TEST_F(TdbfIndexes, TdbfReadsOurs) {
#ifndef _WIN32
  std::string dir = horavox::test::TempDir() + "/tdbf-reads/";
  std::vector<std::unique_ptr<XBobjIndexFile>> files;
  std::vector<std::string> names;
  std::unique_ptr<XBO_dBaseFld> table;
  WriteOurs(dir, files, names, table, false, false);
  struct TWalk {
    std::string Index;  // as TDbf names it
    XBobjIndexTag* Tag;
  };
  std::vector<TWalk> walks;
  for (const char* tag : {"NAME", "NUM", "NUMD"}) walks.push_back({tag, files[0]->TagByName(tag)});
  for (std::size_t i = 1; i < files.size(); ++i)
    walks.push_back({names[i], files[i]->TagByIndex(0)});
  std::ofstream script(dir + "script.txt");
  for (const TWalk& w : walks) script << "W " << w.Index << "\n";
  // Exact seeks: values of records, with what our tags find for them.
  std::vector<std::pair<std::string, std::uint32_t>> seeks;
  std::mt19937 rng(5);
  for (int i = 0; i < 60; ++i) {
    table->Go(static_cast<std::int32_t>(1 + rng() % static_cast<std::uint32_t>(table->RecordCount())));
    const TWalk& w = walks[rng() % walks.size()];
    TxbVariant v;
    std::string kind, text;
    std::string field = w.Tag->KeyExpression();
    if (field == "NAME") {
      text = table->FieldTextByName("NAME");
      while (!text.empty() && text.back() == ' ') text.pop_back();
      v.SetString(text), kind = "C";
    } else if (field == "NUM") {
      v.SetFloat(table->NumberByName("NUM"));
      text = table->FieldTextByName("NUM");
      text.erase(0, text.find_first_not_of(' '));
      kind = "N";
    } else {
      // TDbf seeks a date key by its stored number, the Julian day.
      std::int32_t day = table->DateByName("DAY");
      if (day <= 0) continue;
      v.SetDate(day);
      text = std::to_string(day), kind = "N";
    }
    std::string line = "S " + w.Index + " " + kind + " " + text;
    script << line << "\n";
    seeks.emplace_back("S " + w.Index + " " + text, SeekRecord(*w.Tag, v, true));
  }
  script.close();
  files.clear();
  table.reset();
  // TDbf looks for the production index by a lower-case extension.
  std::filesystem::create_symlink("OR.MDX", dir + "OR.mdx");
  auto out = Lines("timeout 120 " + program + " read " + dir + "OR.DBF " + dir + "script.txt");
  ASSERT_TRUE(out) << "the TDbf program failed";
  ASSERT_EQ(out->size(), walks.size() + seeks.size());
  XBO_dBaseFld reopened(dir + "OR.DBF", false, false);
  XBobjMDXFile mdx(&reopened, dir + "OR.MDX", false, false, false);
  for (std::size_t i = 0; i < walks.size(); ++i) {
    auto w = Words((*out)[i]);
    ASSERT_GE(w.size(), 2u) << (*out)[i];
    EXPECT_EQ(w[1], walks[i].Index);
    std::vector<std::uint32_t> ours;
    if (i < 3) {
      ours = Records(Scan(*mdx.TagByName(walks[i].Index)));
    } else {
      XBobjNDXFile ndx(&reopened, dir + walks[i].Index, false, false, false);
      ours = Records(Scan(*ndx.Tag()));
    }
    EXPECT_EQ(RecordsOf(w, 2), ours) << walks[i].Index;
    EXPECT_EQ(ours.size(), 1200u);
  }
  for (std::size_t i = 0; i < seeks.size(); ++i) {
    const std::string& line = (*out)[walks.size() + i];
    EXPECT_EQ(line, seeks[i].first + " " + std::to_string(seeks[i].second));
  }
#endif
}

// Perl's XBase module dumps our NDX, MDX and NTX files (no FOR: it reads none) in our order.
TEST(PerlIndexes, ThePerlModuleReadsOurs) {
  NATIVE_ONLY();
#ifndef _WIN32
  if (std::system("perl -MXBase::Index -e 1 >/dev/null 2>&1") != 0) GTEST_SKIP() << "Perl's XBase is not installed";
  std::string dir = horavox::test::TempDir() + "/perl-indexes/";
  std::vector<std::unique_ptr<XBobjIndexFile>> files;
  std::vector<std::string> names;
  std::unique_ptr<XBO_dBaseFld> table;
  WriteOurs(dir, files, names, table, true, true);
  struct TDump {
    std::string File, Tag, Type;
    XBobjIndexTag* Ours;
  };
  std::vector<TDump> dumps;
  auto typeOf = [](const std::string& key) { return key == "NAME" ? "char" : key == "NUM" ? "num" : "date"; };
  for (const char* tag : {"NAME", "NUM", "NUMD", "DAY"})
    dumps.push_back({dir + names[0], tag, typeOf(files[0]->TagByName(tag)->KeyExpression()), files[0]->TagByName(tag)});
  for (std::size_t i = 1; i < files.size(); ++i) {
    XBobjIndexTag* tag = files[i]->TagByIndex(0);
    dumps.push_back({dir + names[i], tag->Name(), typeOf(tag->KeyExpression()), tag});
  }
  for (const TDump& d : dumps) {
    SCOPED_TRACE(d.File + " " + d.Tag);
    auto lines = Lines("perl " + horavox::test::SourceDir() + "/tests/xbase/readers/index_order.pl '" + d.File + "' " +
                       d.Tag + " " + d.Type);
    ASSERT_TRUE(lines) << "the Perl reader failed";
    std::vector<std::uint32_t> theirs;
    for (const std::string& line : *lines) {
      ASSERT_TRUE(!line.empty() && line.find_first_not_of("0123456789") == std::string::npos) << line;
      theirs.push_back(static_cast<std::uint32_t>(std::stoul(line)));
    }
    EXPECT_EQ(theirs, Records(Scan(*d.Ours)));
  }
#endif
}

// An NTX as other programs write it (interior items are keys too, built here from the
// format): Perl's XBase module walks it in our order, before and after we kept it through
// appends and rewrites.
TEST(PerlIndexes, ThePerlModuleWalksAnotherProgramsNtxAsWeDo) {
  NATIVE_ONLY();
#ifndef _WIN32
  if (std::system("perl -MXBase::Index -e 1 >/dev/null 2>&1") != 0) GTEST_SKIP() << "Perl's XBase is not installed";
  std::string dir = horavox::test::TempDir() + "/perl-foreign-ntx/";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  CreateTable(dir + "FN.DBF", 0x03, {{"NAME", 'C', 10}});
  XBO_dBaseFld table(dir + "FN.DBF", true, false);
  const std::vector<TEntry> sorted = ForeignNtxEntries();
  std::map<std::uint32_t, std::string> names;
  for (const auto& [key, r] : sorted) names[r] = key;
  auto append = [&](const std::string& name) {
    table.BlankRecord();
    table.PutTextByName("NAME", name);
    table.Append();
    return static_cast<std::uint32_t>(table.RecNo());
  };
  for (const auto& [r, key] : names) append(key);
  std::ofstream(dir + "FN.NTX", std::ios::binary) << ForeignNtx(sorted, "NAME", 10, 4, 3, 3, 3);
  auto perlOrder = [&] {
    auto lines = Lines("perl " + horavox::test::SourceDir() + "/tests/xbase/readers/index_order.pl '" + dir +
                       "FN.NTX' FN char");
    std::vector<std::uint32_t> order;
    if (!lines) return order;
    for (const std::string& line : *lines) order.push_back(static_cast<std::uint32_t>(std::stoul(line)));
    return order;
  };
  XBobjNTXFile index(&table, dir + "FN.NTX", false, true, false);
  EXPECT_EQ(perlOrder(), Records(sorted));
  EXPECT_EQ(perlOrder(), Records(Scan(*index.Tag())));
  std::mt19937 rng(45);
  auto randomKey = [&] {
    char key[8];
    std::snprintf(key, sizeof key, "K%02d", static_cast<int>(rng() % 30));
    return std::string(key);
  };
  for (std::uint32_t r = 1; r <= 35; r += 2) {
    table.Go(static_cast<std::int32_t>(r));
    table.PutTextByName("NAME", randomKey());
    index.KeyUpdateAll(r, false);
    table.PutRec(static_cast<std::int32_t>(r));
  }
  for (int i = 0; i < 60; ++i) index.KeyUpdateAll(append(randomKey()), true);
  std::vector<std::uint32_t> ours = Records(Scan(*index.Tag()));
  ASSERT_EQ(ours.size(), 95u);
  EXPECT_EQ(perlOrder(), ours);
#endif
}

}  // namespace
