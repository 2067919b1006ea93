// Writes the fixed-index fuzzers' seeds: index files the engine makes over the fuzzers' own
// table (NAME C(10), NUM N(8,2), DAY D), with enough records for trees of two and three
// levels, in <folder>/ndx, <folder>/mdx and <folder>/ntx.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "classlib/exceptions.h"
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

void Write(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

template <class File> std::unique_ptr<XBobjIndexFile> Open(XBO_dBaseFld* table) {
  return std::make_unique<File>(table, "N", true, true, false);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: xbase_fuzz_seeds <folder>\n");
    return 2;
  }
  const std::filesystem::path out = argv[1];
  try {
    // Single-tag files: a three-level tree over the text, two levels over the number, one
    // node over the date.
    const std::vector<TTagSpec> single = {{"NAME", "NAME", "", false, false}, {"NUM", "NUM", "", false, false},
                                          {"DAY", "DAY", "", false, false}};
    for (int records : {700, 120, 8}) {
      const TTagSpec& tag = single[records == 700 ? 0 : records == 120 ? 1 : 2];
      Write(out / "ndx" / (std::string(tag.Name) + ".ndx"), Build(Open<XBobjNDXFile>, {tag}, records));
    }
    // The text-key format takes FOR and descending tags too.
    const std::vector<TTagSpec> ntx = {{"NAME", "NAME", "", false, false}, {"NUM", "NUM", "NUM > 0", false, true},
                                       {"DAY", "DAY", "", true, false}};
    for (int records : {500, 150, 8}) {
      const TTagSpec& tag = ntx[records == 500 ? 0 : records == 150 ? 1 : 2];
      Write(out / "ntx" / (std::string(tag.Name) + ".ntx"), Build(Open<XBobjNTXFile>, {tag}, records));
    }
    // A multiple index with three tags (one descending, one unique with a FOR condition),
    // two levels each, and a small one.
    const std::vector<TTagSpec> mdx = {{"NAME", "NAME", "", false, false}, {"NUM", "NUM", "", false, true},
                                       {"DAY", "DAY", "NUM > 0", true, false}};
    Write(out / "mdx" / "three.mdx", Build(Open<XBobjMDXFile>, mdx, 300));
    Write(out / "mdx" / "small.mdx", Build(Open<XBobjMDXFile>, {mdx[0]}, 10));
  } catch (const Exception& e) {
    std::fprintf(stderr, "xbase_fuzz_seeds: %s\n", e.Message.c_str());
    return 1;
  }
  return 0;
}
