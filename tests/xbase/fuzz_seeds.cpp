// Writes the fixed-index fuzzers' seeds: index files the engine makes over the fuzzers' own
// table (NAME C(10), NUM N(8,2), DAY D), with enough records for trees of two and three
// levels, in <folder>/ndx, <folder>/mdx and <folder>/ntx.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "seed_writer.h"
#include "xbase/dbftable.h"
#include "xbase/filebackend_memory.h"
#include "xbase/xbmdx.h"
#include "xbase/xbndx.h"
#include "xbase/xbntx.h"

namespace {

struct TTagSpec {
  const char* Name;
  const char* Key;
  const char* For;
  bool Unique, Descending;
};

// The table with `records` records in a scrambled order (names, amounts and days repeat, so
// the tags hold equal keys too) and one index file of `tags`, filled as the records are
// appended; returns the file's bytes.
std::string Build(std::unique_ptr<XBobjIndexFile> (*open)(XBO_dBaseFld*), const std::vector<TTagSpec>& tags,
                  int records) {
  TxbMemoryFileSystem fs;
  TxbFileSystemScope scope(fs);
  CreateTable("F.DBF", 0x03, {{"NAME", 'C', 10}, {"NUM", 'N', 8, 2}, {"DAY", 'D', 8}});
  XBO_dBaseFld table("F.DBF", true, false);
  std::unique_ptr<XBobjIndexFile> index = open(&table);
  for (const TTagSpec& t : tags) index->AddTag(t.Name, t.Key, t.For, t.Unique, t.Descending);
  std::uint32_t x = 12345;
  for (int r = 0; r < records; ++r) {
    x = x * 1103515245u + 12345u;
    const unsigned v = (x >> 8) % 997;
    char day[9];
    std::snprintf(day, sizeof day, "2026%02u%02u", v % 12 + 1, v % 28 + 1);
    table.BlankRecord();
    table.PutTextByName("NAME", std::string(1, static_cast<char>('A' + v % 26)) + std::to_string(v));
    table.PutNumberByName("NUM", static_cast<double>(v) / 4 - 60);
    table.PutTextByName("DAY", day);
    table.Append();
    index->KeyUpdateAll(static_cast<std::uint32_t>(table.RecNo()), true);
  }
  const std::string name = index->FileName();
  index.reset();
  return fs.FileBytes(name);
}

template <class File> std::unique_ptr<XBobjIndexFile> Open(XBO_dBaseFld* table) {
  return std::make_unique<File>(table, "N", true, true, false);
}

}  // namespace

void WriteSeeds(const std::filesystem::path& out) {
  using TSized = std::pair<TTagSpec, int>;  // a tag and the records it is made over
  // Single-tag files: a three-level tree over the text, two levels over the number, one
  // node over the date.
  for (const auto& [tag, records] : {TSized{{"NAME", "NAME", "", false, false}, 700},
                                     TSized{{"NUM", "NUM", "", false, false}, 120},
                                     TSized{{"DAY", "DAY", "", false, false}, 8}})
    WriteSeedFile(out / "ndx" / (std::string(tag.Name) + ".ndx"), Build(Open<XBobjNDXFile>, {tag}, records));
  // The text-key format takes FOR and descending tags too.
  for (const auto& [tag, records] : {TSized{{"NAME", "NAME", "", false, false}, 500},
                                     TSized{{"NUM", "NUM", "NUM > 0", false, true}, 150},
                                     TSized{{"DAY", "DAY", "", true, false}, 8}})
    WriteSeedFile(out / "ntx" / (std::string(tag.Name) + ".ntx"), Build(Open<XBobjNTXFile>, {tag}, records));
  // A multiple index with three tags (one descending, one unique with a FOR condition),
  // two levels each, and a small one.
  const std::vector<TTagSpec> mdx = {{"NAME", "NAME", "", false, false}, {"NUM", "NUM", "", false, true},
                                     {"DAY", "DAY", "NUM > 0", true, false}};
  WriteSeedFile(out / "mdx" / "three.mdx", Build(Open<XBobjMDXFile>, mdx, 300));
  WriteSeedFile(out / "mdx" / "small.mdx", Build(Open<XBobjMDXFile>, {mdx[0]}, 10));
}
