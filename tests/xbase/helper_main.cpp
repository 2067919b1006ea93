// A second program for the engine's tests, run as another process:
//   hold <file> <offset> <length> <ready flag> <release flag>
//     opens the file shared, locks the range, writes the ready flag, and unlocks and ends
//     once the release flag exists;
//   writeall <folder>
//     writes a table of each version (memos, deleted records, code page 866 text, an
//     encrypted one) and written.json, what it wrote, for other programs' readers;
//   reminder <folder>
//     adds a dated reminder with Russian text to DATES.DBF through the dataset (as the
//     reminder calendar does) and writes written.json for other programs' readers;
//   append <table> <count> <tag> <start flag>
//     waits for the start flag, then appends count records to the shared table: tag in
//     the first field, the number 1..count in the second;
//   handlerappend <table> <index list> <count> <tag> <start flag>
//     the same through the indexed table, keeping the listed index files;
//   handlerrewrite <table> <index list> <record> <tag> <number>
//     rewrites one record of the shared table through the indexed table;
//   indexwrite <format> <table> <seed> <ready flag>
//     appends and rewrites records of the table (NAME, NUM), keeping its index of that
//     format (Cdx, Ndx, Mdx or Ntx: the table's own file, or NAME and NUM beside it), until
//     it is killed (or after 100,000 changes); writes the ready flag after the first five.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "child_process.h"
#include "index_formats.h"
#include "classlib/core/codepage.h"
#include "classlib/core/files.h"
#include "xbase/dates.h"
#include "xbase/numbers.h"
#include "classlib/core/exceptions.h"
#include "xbase/dbftable.h"
#include "xbase/diskfile.h"
#include "xbase/xbcdx.h"
#include "xbase/xbdataset.h"
#include "xbase/xbhandler.h"

namespace {

int Hold(char** argv) {
  XBO_DiskFile f(argv[2], true, true);
  f.Open();
  if (!f.LockRegion(std::strtoull(argv[3], nullptr, 10), std::strtoull(argv[4], nullptr, 10))) return 2;
  xbtest::TouchFile(argv[5]);
  if (!xbtest::WaitForFile(argv[6])) return 3;
  f.Unlock();
  return 0;
}

// Appends count records once the start flag exists: tag in the first field, 1..count in the
// second.
template <class Table> int AppendNumbered(Table& t, const char* count, const char* tag, const char* startFlag) {
  if (!xbtest::WaitForFile(startFlag)) return 3;
  for (int i = 1, n = std::atoi(count); i <= n; ++i) {
    t.BlankRecord();
    t.PutText(1, tag);
    t.PutNumber(2, i);
    t.Append();
  }
  return 0;
}

int AppendRecords(char** argv) {
  XBO_dBaseFld t(argv[2], true, true);
  return AppendNumbered(t, argv[3], argv[4], argv[5]);
}

int HandlerAppend(char** argv) {
  XBO_dBHandler t(argv[2], true, true);
  if (t.OpenIndexList(argv[3], "") != 0) return 5;
  return AppendNumbered(t, argv[4], argv[5], argv[6]);
}

int HandlerRewrite(char** argv) {
  XBO_dBHandler t(argv[2], true, true);
  if (t.OpenIndexList(argv[3], "") != 0) return 5;
  std::int32_t r = std::atoi(argv[4]);
  t.Go(r);
  if (!t.LockRecord()) return 6;
  t.Go(r);
  t.PutText(1, argv[5]);
  t.PutNumber(2, std::atoi(argv[6]));
  t.PutRec(r);
  t.Unlock();
  return 0;
}

int IndexWrite(char** argv) {
  const xbtest::TIndexFormat* format = xbtest::IndexFormatNamed(argv[2]);
  if (!format) return 1;
  std::string table = argv[3], dir = table.substr(0, table.find_last_of("/\\") + 1);
  XBO_dBaseFld t(table, true, false);
  xbtest::TFiles files =
      xbtest::OpenIndexFiles(*format, t, xbtest::IndexFilesFor(*format, dir, {"NAME", "NUM"}, XbIndexBaseName(table)), false);
  std::mt19937 rng(static_cast<unsigned>(std::atoi(argv[4])));
  for (int i = 0; i < 100000; ++i) {
    if (i == 5) xbtest::TouchFile(argv[5]);
    std::string name(1 + rng() % 20, static_cast<char>('A' + rng() % 8));
    double num = static_cast<double>(rng() % 100000) - 50000;
    bool append = t.RecordCount() < 5 || rng() % 3 != 0;
    auto r = append ? 0 : static_cast<std::int32_t>(1 + rng() % static_cast<std::uint32_t>(t.RecordCount()));
    if (append) t.BlankRecord(); else t.Go(r);
    t.PutText(1, name);
    t.PutNumber(2, num);
    if (append) {
      t.Append();
      r = t.RecNo();
    }
    for (auto& file : files) file->KeyUpdateAll(static_cast<std::uint32_t>(r), append);
    if (!append) t.PutRec(r);
  }
  return 0;
}

// ---- writeall ----

std::string JsonText(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

struct TWritten {
  std::string Json;
  void Add(const std::string& key, const std::string& value) {
    if (Json.size() > 1) Json += ", ";
    Json += JsonText(key) + ": " + value;
  }
};

// One table: the fields, then records of values given as text per field ("" for none);
// memo fields take their text through MemoWrite. Returns its JSON.
std::string WriteTable(const std::string& dir, const std::string& file, std::uint8_t version,
                       const std::vector<TxbFieldSpec>& fields, const std::vector<std::vector<std::string>>& records,
                       const std::vector<bool>& deleted, const std::string& encoding, const std::string& password = "") {
  std::string path = dir + "/" + file;
  CreateTable(path, version, fields, password);
  XBO_dBaseFld t(path, true, false, password);
  std::string json = "{\"file\": " + JsonText(file) + ", \"version\": " + std::to_string(version) +
                     ", \"encoding\": " + JsonText(encoding) + ", \"password\": " + JsonText(password) +
                     ", \"fields\": [";
  for (size_t i = 0; i < fields.size(); ++i)
    json += std::string(i ? ", " : "") + "[" + JsonText(fields[i].Name) + ", " + JsonText(std::string(1, fields[i].Type)) +
            ", " + std::to_string(fields[i].Length) + ", " + std::to_string(fields[i].Decimals) + "]";
  json += "], \"records\": [";
  for (size_t r = 0; r < records.size(); ++r) {
    t.BlankRecord();
    TWritten values;
    for (size_t i = 0; i < fields.size(); ++i) {
      int n = static_cast<int>(i) + 1;
      const std::string& v = records[r][i];
      std::string stored = encoding == "cp866" ? Utf8ToCp866(v) : v;
      switch (fields[i].Type) {
        case 'M':
          t.MemoWrite(n, stored);
          values.Add(fields[i].Name, v.empty() ? "null" : JsonText(v));
          break;
        case 'N':
        case 'I':
        case 'B':
        case 'Y':
          if (!v.empty()) t.PutText(n, v);
          values.Add(fields[i].Name, v.empty() ? "null" : v);
          break;
        case 'D':
          t.PutText(n, v);
          values.Add(fields[i].Name, v.empty() ? "null" : JsonText(DateObject().DateStorageText(t.GetDate(n))));
          break;
        case 'L':
          t.PutText(n, v);
          values.Add(fields[i].Name, t.GetLogical(n) ? "true" : "false");
          break;
        case 'T': {
          // "yyyymmdd hh:mm:ss"
          std::int32_t day = DateObject().TextToJulian(v.substr(0, 8));
          int h = std::stoi(v.substr(9, 2)), m = std::stoi(v.substr(12, 2)), sec = std::stoi(v.substr(15, 2));
          t.PutNumber(n, (static_cast<double>(day) - 1721425) * 86400000.0 + ((h * 60 + m) * 60 + sec) * 1000.0);
          values.Add(fields[i].Name, JsonText(v));
          break;
        }
        default:
          t.PutText(n, stored);
          values.Add(fields[i].Name, JsonText(v));
      }
    }
    t.Append();
    if (deleted[r]) t.DeleteRecord();
    json += std::string(r ? ", " : "") + "{\"deleted\": " + (deleted[r] ? "true" : "false") +
            ", \"values\": {" + values.Json + "}}";
  }
  // A rewritten memo: the longer value moves, the reader must find the new one.
  for (size_t i = 0; i < fields.size(); ++i)
    if (fields[i].Type == 'M' && !records.empty()) {
      t.Go(1);
      std::string longer = records[0][i] + std::string(700, '+');
      t.MemoWrite(static_cast<int>(i) + 1, longer);
      t.PutRec(1);
      auto at = json.find(JsonText(records[0][i]));
      if (!records[0][i].empty() && at != std::string::npos) json.replace(at, JsonText(records[0][i]).size(), JsonText(longer));
    }
  return json + "]}";
}

int WriteAll(const std::string& dir) {
  ForceDirectories(dir);
  const std::string memoA = "First memo.\r\nSecond line of it.", memoB(600, 'm');
  std::vector<std::string> parts;
  parts.push_back(WriteTable(dir, "T03.DBF", 0x03,
                             {{"NAME", 'C', 20}, {"QTY", 'N', 8, 2}, {"DAY", 'D', 8}, {"OK", 'L', 1}, {"WIDE", 'C', 300}},
                             {{"alpha", "12.5", "20261210", "T", std::string(280, 'w')},
                              {"beta", "-3", "", "F", "short"},
                              {"gamma", "1234.56", "19991231", "T", ""}},
                             {false, true, false}, "ascii"));
  for (auto [file, version] : {std::pair{"T83.DBF", 0x83}, {"T8B.DBF", 0x8B}, {"TF5.DBF", 0xF5}})
    parts.push_back(WriteTable(dir, file, static_cast<std::uint8_t>(version),
                               {{"NAME", 'C', 20}, {"NOTE", 'M', 10}, {"QTY", 'N', 5}},
                               {{"one", memoA, "1"}, {"two", "", "2"}, {"three", memoB, "3"}}, {false, false, true},
                               "ascii"));
  parts.push_back(WriteTable(dir, "T30.DBF", 0x30,
                             {{"NAME", 'C', 20}, {"COUNT", 'I', 4}, {"RATIO", 'B', 8, 2}, {"WHEN", 'T', 8},
                              {"PRICE", 'Y', 8, 4}, {"NOTE", 'M', 4}},
                             {{"one", "42", "0.5", "20261210 13:14:15", "12.3456", memoA},
                              {"two", "-7", "-2.25", "19991231 23:59:59", "-1", memoB}},
                             {false, true}, "ascii"));
  parts.push_back(WriteTable(dir, "T866.DBF", 0x03, {{"NAME", 'C', 30}},
                             {{"Привет, мир"}, {"Ёлка и ёж"}}, {false, false}, "cp866"));
  parts.push_back(WriteTable(dir, "TENC.DBF", 0x8B, {{"NAME", 'C', 20}, {"NOTE", 'M', 10}},
                             {{"hidden", memoA}, {"also", "x"}}, {false, false}, "ascii", "Ключ"));
  std::string json = "{\"tables\": [";
  for (size_t i = 0; i < parts.size(); ++i) json += (i ? ",\n" : "") + parts[i];
  json += "]}\n";
  std::FILE* f = std::fopen((dir + "/written.json").c_str(), "wb");
  if (!f) return 5;
  std::fwrite(json.data(), 1, json.size(), f);
  std::fclose(f);
  return 0;
}

// ---- reminder ----

int WriteReminder(const std::string& dir) {
  ForceDirectories(dir);
  CreateTable(dir + "/DATES.DBF", 0x03, {{"DATA", 'D', 8}, {"SOBITIE", 'C', 100}});
  const std::string text = "Купить ёлку";
  {
    TComponent owner(nullptr);
    auto* ds = new TXBaseDataSet(&owner);
    ds->SetDatabaseName(dir);
    ds->SetTableName("DATES");
    ds->SetTranslateASCII(true);
    ds->Open();
    ds->Append();
    ds->FieldByName("DATA")->SetAsDateTime(EncodeDate(2026, 12, 31));
    ds->FieldByName("SOBITIE")->SetAsString(text);
    ds->Post();
  }
  std::string json = "{\"tables\": [{\"file\": \"DATES.DBF\", \"version\": 3, \"encoding\": \"cp866\", "
                     "\"password\": \"\", \"fields\": [[\"DATA\", \"D\", 8, 0], [\"SOBITIE\", \"C\", 100, 0]], "
                     "\"records\": [{\"deleted\": false, \"values\": {\"DATA\": \"20261231\", \"SOBITIE\": " +
                     JsonText(text) + "}}]}]}\n";
  std::FILE* f = std::fopen((dir + "/written.json").c_str(), "wb");
  if (!f) return 5;
  std::fwrite(json.data(), 1, json.size(), f);
  std::fclose(f);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "hold" && argc == 7) return Hold(argv);
    if (command == "append" && argc == 6) return AppendRecords(argv);
    if (command == "writeall" && argc == 3) return WriteAll(argv[2]);
    if (command == "reminder" && argc == 3) return WriteReminder(argv[2]);
    if (command == "handlerappend" && argc == 7) return HandlerAppend(argv);
    if (command == "handlerrewrite" && argc == 7) return HandlerRewrite(argv);
    if (command == "indexwrite" && argc == 6) return IndexWrite(argv);
    std::fprintf(stderr, "usage: xbase_helper hold|append ...\n");
    return 1;
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s\n", e.Message.c_str());
    return 4;
  }
}
