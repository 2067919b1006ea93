#pragma once
// The index formats the tests run side by side: how each opens its file and what it holds.
// A single-tag format keeps each tag in a file of its own, named after the tag.
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
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

}  // namespace xbtest
