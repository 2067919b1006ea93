#pragma once
// What the index tests share: a table in memory with a text, a number, a date, a flag and a
// note field, and two index formats over it: a tiny one in memory (at most four keys a node,
// so a few records already make a deep tree) and the compound index.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "xbase/dbftable.h"
#include "xbase/filebackend_memory.h"
#include "xbase/xbcdx.h"
#include "xbase/xbindex.h"

namespace xbtest {

class TMemIndex;

// The tiny format: nodes are kept whole in a map, four keys at most.
class TMemTag : public XBobjIndexTag {
 public:
  explicit TMemTag(TMemIndex& owner);
  bool ReadNode(XBobjIndexKey& node) override;
  bool WriteNode(XBobjIndexKey& node) override;
  void ReadHeader() override;
  void WriteHeader() override;
  bool NodeFits(const XBobjIndexKey& node) const override { return node.Count() <= 4; }
  void Start();
};

class TMemIndex : public XBobjIndexFile {
 public:
  explicit TMemIndex(XBO_dBaseFld* table) : XBobjIndexFile(table) {}
  XBobjIndexTag* AddTag(std::string_view name, std::string_view key, std::string_view forExpr, bool unique,
                        bool descending) override {
    auto tag = std::make_unique<TMemTag>(*this);
    tag->InitTag(name, key, forExpr, unique, descending);
    tag->Start();
    FTags.push_back(std::move(tag));
    return FTags.back().get();
  }
  std::int64_t NewPage() override { return FNext++; }
  // Opens a file of that name for the lock tests (the nodes stay in the map).
  void Open(std::string_view name, bool create, bool shared) { OpenOrCreate(name, ".IDX", create, true, shared); }

  std::map<std::int64_t, XBobjIndexKey> Pages;
  std::map<const XBobjIndexTag*, std::int64_t> Roots;

 private:
  std::int64_t FNext = 1;
};

inline TMemTag::TMemTag(TMemIndex& owner) : XBobjIndexTag(owner) {}

inline void TMemTag::Start() {
  auto& file = static_cast<TMemIndex&>(FOwner);
  XBobjIndexKey root;
  root.Page = file.NewPage();
  root.Root = true;
  file.Pages[root.Page] = root;
  FRoot = root.Page;
  WriteHeader();
  // The records already there, one key at a time.
  XBO_dBaseFld& table = *FOwner.Table();
  std::string key;
  for (std::int32_t r = 1; r <= table.RecordCount(); ++r) {
    table.Go(r);
    if ((!HasFor() || EvaluateFor()) && EvaluateKey(key)) InsertKey(key, static_cast<std::uint32_t>(r));
  }
}

inline bool TMemTag::ReadNode(XBobjIndexKey& node) {
  auto& pages = static_cast<TMemIndex&>(FOwner).Pages;
  auto it = pages.find(node.Page);
  if (it == pages.end()) return false;
  node = it->second;
  node.Rank = -1;
  node.Current = -1;
  return true;
}

inline bool TMemTag::WriteNode(XBobjIndexKey& node) {
  static_cast<TMemIndex&>(FOwner).Pages[node.Page] = node;
  return true;
}

inline void TMemTag::ReadHeader() {
  FRoot = static_cast<TMemIndex&>(FOwner).Roots[this];
  FHeaderChanged = false;
}

inline void TMemTag::WriteHeader() {
  static_cast<TMemIndex&>(FOwner).Roots[this] = FRoot;
  FHeaderChanged = false;
}

// A table T.DBF with NAME C(12), NUM N(12,3), DAY D, FLAG L and NOTE C(5).
class IndexTable : public ::testing::Test {
 protected:
  TxbMemoryFileSystem fs;
  TxbFileSystemScope scope{fs};
  std::unique_ptr<XBO_dBaseFld> table;

  void OpenTable(const char* name = "T.DBF", bool shared = false) {
    CreateTable(name, 0x03, {{"NAME", 'C', 12}, {"NUM", 'N', 12, 3}, {"DAY", 'D', 8}, {"FLAG", 'L', 1}, {"NOTE", 'C', 5}});
    table = std::make_unique<XBO_dBaseFld>(name, true, shared);
  }
  void Fill(const std::string& name, double num, bool flag, const std::string& note = "") {
    table->PutTextByName("NAME", name);
    table->PutNumberByName("NUM", num);
    table->PutLogicalByName("FLAG", flag);
    table->PutTextByName("NOTE", note);
  }
  std::uint32_t Append(XBobjIndexFile* index, const std::string& name, double num = 0, bool flag = true) {
    table->BlankRecord();
    Fill(name, num, flag);
    table->Append();
    auto r = static_cast<std::uint32_t>(table->RecNo());
    if (index) index->KeyUpdateAll(r, true);
    return r;
  }
  void Rewrite(XBobjIndexFile* index, std::uint32_t r, const std::string& name, double num, bool flag,
               const std::string& note = "") {
    table->Go(static_cast<std::int32_t>(r));
    Fill(name, num, flag, note);
    if (index) index->KeyUpdateAll(r, false);
    table->PutRec(static_cast<std::int32_t>(r));
  }
};

// Every (stored key, record) of a tag from the top down, or from the bottom up (reversed back).
inline std::vector<std::pair<std::string, std::uint32_t>> Scan(XBobjIndexTag& tag, bool backward = false,
                                                               std::size_t limit = 10000000) {
  std::vector<std::pair<std::string, std::uint32_t>> out;
  tag.TagMove(backward ? -4 : -3);
  while (!(backward ? tag.Bof() : tag.Eof()) && out.size() < limit) {
    if (tag.Eof() || tag.Bof()) break;
    out.emplace_back(tag.CurrentStored(), tag.CurrentKey().RecNo);
    tag.TagMove(backward ? -2 : -1);
  }
  if (backward) std::reverse(out.begin(), out.end());
  return out;
}

inline std::vector<std::uint32_t> Records(const std::vector<std::pair<std::string, std::uint32_t>>& scan) {
  std::vector<std::uint32_t> r;
  for (const auto& [key, recno] : scan) r.push_back(recno);
  return r;
}

}  // namespace xbtest
