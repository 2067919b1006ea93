#pragma once
// The index formats the tests run side by side: how each opens its file and what it holds.
// A single-tag format keeps each tag in a file of its own, named after the tag.
#include <algorithm>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "xbase/dbftable.h"
#include "xbase/xbcdx.h"
#include "xbase/xbindex.h"
#include "xbase/xbmdx.h"
#include "xbase/xbndx.h"
#include "xbase/xbntx.h"

namespace xbtest {

struct TIndexFormat {
  const char* Name;
  const char* Extension;
  bool MultiTag, HasFor, HasDescending;
  std::function<std::unique_ptr<XBobjIndexFile>(XBO_dBaseFld*, const std::string&, bool create, bool shared)> Open;
};

inline void PrintTo(const TIndexFormat& f, std::ostream* os) { *os << f.Name; }

template <class File> std::unique_ptr<XBobjIndexFile> OpenIndexOf(XBO_dBaseFld* t, const std::string& n, bool create, bool shared) {
  return std::make_unique<File>(t, n, create, true, shared);
}

// The compound index first, then the fixed-item formats.
inline const TIndexFormat kIndexFormats[] = {
    {"Cdx", ".CDX", true, true, true, OpenIndexOf<XBobjCDXFile>},
    {"Ndx", ".NDX", false, false, false, OpenIndexOf<XBobjNDXFile>},
    {"Mdx", ".MDX", true, true, true, OpenIndexOf<XBobjMDXFile>},
    {"Ntx", ".NTX", false, true, true, OpenIndexOf<XBobjNTXFile>},
};

inline const TIndexFormat* IndexFormatNamed(std::string_view name) {
  for (const TIndexFormat& f : kIndexFormats)
    if (name == f.Name) return &f;
  return nullptr;
}

using TFiles = std::vector<std::unique_ptr<XBobjIndexFile>>;

// The files that keep the tags: the format's one file named after `base`, or one per tag.
inline std::vector<std::string> IndexFilesFor(const TIndexFormat& f, const std::string& dir,
                                              const std::vector<std::string>& tags, const std::string& base) {
  if (f.MultiTag) return {dir + base + f.Extension};
  std::vector<std::string> names;
  for (const std::string& t : tags) names.push_back(dir + t + f.Extension);
  return names;
}

inline TFiles OpenIndexFiles(const TIndexFormat& f, XBO_dBaseFld& t, const std::vector<std::string>& names, bool shared) {
  TFiles files;
  for (const std::string& n : names) files.push_back(f.Open(&t, n, false, shared));
  return files;
}

// The tag of the files whose key expression is `key`, or nullptr.
inline XBobjIndexTag* TagWithKey(const std::vector<std::unique_ptr<XBobjIndexFile>>& files, std::string_view key) {
  for (const auto& file : files)
    for (int i = 0; i < file->TagCount(); ++i)
      if (file->TagByIndex(i)->KeyExpression() == key) return file->TagByIndex(i);
  return nullptr;
}

// The (key, record) entries of a text-key index over NAME for ForeignNtx(.., 3, 3, 3): 35
// keys with runs of equal ones, the records in another order.
inline std::vector<std::pair<std::string, std::uint32_t>> ForeignNtxEntries() {
  std::vector<std::pair<std::string, std::uint32_t>> sorted;
  for (int j = 0; j < 35; ++j) {
    std::string key = std::to_string(j * 2 / 3);
    sorted.emplace_back("K" + std::string(2 - std::min<std::size_t>(key.size(), 2), '0') + key,
                        static_cast<std::uint32_t>(j * 11 % 35 + 1));
  }
  return sorted;
}

// A text-key index as other programs write it: a B-tree whose interior items are keys too,
// each between its own child and the next. `sorted` holds (key, record) in key order, as
// many as the shape takes: leaves of `leaf` keys, interior pages of `fan` children, `height`
// levels. The header allows `maxItems` keys a page; the items of each page are stored in
// reverse order behind their offset table.
inline std::string ForeignNtx(const std::vector<std::pair<std::string, std::uint32_t>>& sorted, const std::string& keyExpr,
                              int keySize, int maxItems, int leaf, int fan, int height) {
  constexpr int page = 1024;
  std::string file(page, '\0');
  auto put16 = [&](std::size_t at, int v) { file[at] = static_cast<char>(v & 0xFF), file[at + 1] = static_cast<char>(v >> 8); };
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>(v >> (8 * i));
  };
  std::size_t next = 0;
  std::function<std::uint32_t(int)> build = [&](int level) -> std::uint32_t {
    struct TItem {
      std::uint32_t Child, RecNo;
      std::string Key;
    };
    std::vector<TItem> items;
    if (level == 1) {
      for (int i = 0; i < leaf; ++i, ++next) items.push_back({0, sorted.at(next).second, sorted.at(next).first});
    } else {
      for (int c = 0; c < fan; ++c) {
        std::uint32_t child = build(level - 1);
        if (c + 1 < fan) {
          items.push_back({child, sorted.at(next).second, sorted.at(next).first});
          ++next;
        } else {
          items.push_back({child, 0, ""});
        }
      }
    }
    const std::size_t at = file.size();
    file.append(page, '\0');
    put16(at, level == 1 ? static_cast<int>(items.size()) : static_cast<int>(items.size()) - 1);
    const int item = keySize + 8;
    for (int k = 0; k <= maxItems; ++k) {
      const std::size_t offset = page - static_cast<std::size_t>((k + 1) * item);
      put16(at + 2 + 2 * k, static_cast<int>(offset));
      if (k >= static_cast<int>(items.size())) continue;
      put32(at + offset, items[k].Child);
      put32(at + offset + 4, items[k].RecNo);
      std::string key = items[k].Key;
      key.resize(static_cast<std::size_t>(keySize), ' ');
      file.replace(at + offset + 8, key.size(), key);
    }
    return static_cast<std::uint32_t>(at);
  };
  const std::uint32_t root = build(height);
  put16(0, 6);
  put16(2, 1);
  put32(4, root);
  put16(12, keySize + 8);
  put16(14, keySize);
  put16(18, maxItems);
  put16(20, maxItems / 2);
  file.replace(22, keyExpr.size(), keyExpr);
  return file;
}

}  // namespace xbtest
