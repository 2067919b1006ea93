#include "xbase/xbntx.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "xbase/dates.h"
#include "xbase/dbftable.h"
#include "xbase/errors.h"
#include "xbase/expression.h"
#include "xbase/names.h"
#include "xbase/numbers.h"
#include "xbase/tablelink.h"
#include "xbase/xbsort.h"

namespace {

constexpr int kPage = XBobjNTXTag::PageSize;

}  // namespace

std::string NtxNumberKey(double value, int width, int decimals) {
  std::string text = FormatNumberWidth(std::fabs(value), width, decimals);
  if (static_cast<int>(text.size()) > width || !std::isfinite(value))
    RaiseEngineError(xbeNumberTooLarge, xbsNone, FloatText(value));
  bool zero = text.find_first_of("123456789") == std::string::npos;  // -0.001 is plain zero
  for (char& c : text) {
    if (c == ' ') c = '0';
    if (value < 0 && !zero && c >= '0' && c <= '9') c = static_cast<char>(92 - c);
  }
  return text;
}

// ---- XBobjNTXTag ----

XBobjNTXTag::XBobjNTXTag(XBobjNTXFile& owner) : XBobjIndexTag(owner) { FSignature = "NTX"; }

XBobjNTXFile& XBobjNTXTag::NTX() const { return static_cast<XBobjNTXFile&>(FOwner); }

void XBobjNTXTag::KeyToStored(const TxbVariant& value, std::string& stored, bool trim) {
  if (value.Type() == xvBinary) {
    stored.assign(value.Data(), value.Length());
  } else if (value.Type() == xvDate || FKeyType == 'D') {
    std::int32_t j = value.Type() == xvDate ? value.AsDate() : static_cast<std::int32_t>(value.AsFloat());
    if (j < 1) {
      stored = "00000000";
    } else {
      stored = DateObject().DateStorageText(j);
      if (stored.find_first_not_of(' ') == std::string::npos) stored = "00000000";
    }
  } else if (FKeyType == 'N') {
    stored = NtxNumberKey(value.AsFloat(), FKeySize, FDecimals);
  } else {
    stored = value.Type() == xvText ? std::string(value.Data(), value.Length()) : value.AsString();
    if (trim)
      while (!stored.empty() && stored.back() == ' ') stored.pop_back();
  }
  if (stored.size() > static_cast<std::size_t>(FKeySize)) stored.resize(static_cast<std::size_t>(FKeySize));
}

bool XBobjNTXTag::NodeFits(const XBobjIndexKey& node) const {
  int items = 0;
  for (const TxbIndexEntry& e : node.Entries) items += e.Held ? 0 : 1;
  return items <= FMaxItems;
}

int XBobjNTXTag::SeekTarget(const TxbVariant& value, std::string& stored) {
  if (FKeyType != 'N' || value.Type() == xvBinary || value.Type() == xvText)
    return XBobjIndexTag::SeekTarget(value, stored);
  double v = value.AsFloat();
  int after = FDescending ? -1 : 1;
  std::string text = std::isfinite(v) ? FormatNumberWidth(std::fabs(v), FKeySize, FDecimals) : std::string();
  double held = 0;
  if (text.empty() || static_cast<int>(text.size()) > FKeySize || !TryParseNumber(text, held)) {
    // Wider than any key: beyond the largest key of its sign, all nines.
    bool above = !(v < 0);
    stored.assign(static_cast<std::size_t>(FKeySize), above ? '9' : static_cast<char>(92 - '9'));
    if (FDecimals > 0 && FDecimals < FKeySize) stored[static_cast<std::size_t>(FKeySize - FDecimals - 1)] = '.';
    return above ? after : -after;
  }
  stored = NtxNumberKey(v, FKeySize, FDecimals);
  if (v < 0) held = -held;
  if (held == v) return 0;
  return v > held ? after : -after;
}

bool XBobjNTXTag::Define(std::string_view name, std::string_view keyExpr, std::string_view forExpr, bool unique,
                         bool descending, char keyType, int keySize, int decimals) {
  if (keySize < 1 || MaxItemsFor(keySize) < 2) return false;
  FKeyType = keyType;
  FKeySize = keySize;
  FDecimals = decimals;
  FMaxItems = MaxItemsFor(keySize);
  InitTag(name, keyExpr, forExpr, unique, descending);
  return true;
}

bool XBobjNTXTag::DecodeHeader(const std::uint8_t* h, std::int64_t fileSize) {
  int signature = GetLE16(h);
  std::int64_t root = GetLE32(h + 4);
  int item = GetLE16(h + 12), key = GetLE16(h + 14), decimals = GetLE16(h + 16), max = GetLE16(h + 18);
  if (signature != 6 && signature != 7) return false;
  if (key < 1 || key > TxbSort::MaxKeyLength || item != key + 8 || max < 2 || max > MaxItemsFor(key)) return false;
  if (decimals > key) return false;
  if (root < kPage || root % kPage != 0 || root + kPage > fileSize) return false;
  const char* text = reinterpret_cast<const char*>(h + 22);
  const char* end = static_cast<const char*>(std::memchr(text, 0, 256));
  if (!end) return false;
  std::string keyExpr(text, end), forExpr;
  if (keyExpr.find_first_not_of(' ') == std::string::npos) return false;
  if (signature == 7) {
    const char* f = reinterpret_cast<const char*>(h + 282);
    const char* fend = static_cast<const char*>(std::memchr(f, 0, kPage - 282));
    if (!fend) return false;
    forExpr.assign(f, fend);
  }
  FRoot = root;
  FKeySize = key;
  FDecimals = decimals;
  FMaxItems = max;
  FKeyType = 'C';
  InitTag(FName, keyExpr, forExpr, h[278] != 0, h[279] != 0);
  return true;
}

bool XBobjNTXTag::Load(std::string_view name) {
  FName.assign(name);
  std::uint8_t h[kPage];
  if (!FOwner.ReadPage(0, h, kPage)) return false;
  if (!DecodeHeader(h, FOwner.File()->FileSize())) return false;
  NTX().FVersion = GetLE16(h + 2);
  XBO_dBaseFld* table = FOwner.Table();
  if (FKeyError.empty() && FKeyHandler && table) {
    try {
      const TxbExpValue& v = FKeyHandler->Evaluate();
      if (v.Type == xbtDate)
        FKeyType = 'D';
      else if (XbIsNumeric(v.Type))
        FKeyType = 'N';
    } catch (const Exception& e) {
      FKeyError = e.Message;
    }
  }
  return true;
}

void XBobjNTXTag::ReadHeader() {
  std::uint8_t h[8];
  if (!FOwner.ReadPage(0, h, 8)) Damaged();
  std::int64_t root = GetLE32(h + 4);
  if (root < kPage || root % kPage != 0) Damaged();
  FRoot = root;
  FHeaderChanged = false;
}

void XBobjNTXTag::WriteHeader() {
  std::uint8_t h[kPage] = {};
  PutLE16(h, FHasFor ? 7 : 6);
  PutLE16(h + 2, static_cast<std::uint16_t>(NTX().FVersion));
  PutLE32(h + 4, static_cast<std::uint32_t>(FRoot));
  PutLE16(h + 12, static_cast<std::uint16_t>(ItemSize()));
  PutLE16(h + 14, static_cast<std::uint16_t>(FKeySize));
  PutLE16(h + 16, static_cast<std::uint16_t>(FDecimals));
  PutLE16(h + 18, static_cast<std::uint16_t>(FMaxItems));
  PutLE16(h + 20, static_cast<std::uint16_t>(FMaxItems / 2));
  std::memcpy(h + 22, FKeyExpr.data(), std::min<std::size_t>(FKeyExpr.size(), 255));
  h[278] = FUnique ? 1 : 0;
  h[279] = FDescending ? 1 : 0;
  if (FHasFor) std::memcpy(h + 282, FForExpr.data(), std::min<std::size_t>(FForExpr.size(), kPage - 283));
  FOwner.WritePage(0, h, kPage);
  FHeaderChanged = false;
}

bool XBobjNTXTag::DecodeNode(const std::uint8_t* p, XBobjIndexKey& node) const {
  int count = GetLE16(p);
  if (count > FMaxItems) return false;
  node.Entries.clear();
  const int item = ItemSize();
  auto itemAt = [&](int k) -> const std::uint8_t* {
    int offset = GetLE16(p + 2 + 2 * k);
    return offset >= 2 && offset + item <= kPage ? p + offset : nullptr;
  };
  const std::uint8_t* first = itemAt(0);
  if (!first) return false;
  node.Leaf = GetLE32(first) == 0;
  node.Entries.reserve(static_cast<std::size_t>(node.Leaf ? count : 2 * count + 1));
  for (int k = 0; k < count; ++k) {
    const std::uint8_t* it = itemAt(k);
    if (!it) return false;
    TxbIndexEntry e;
    e.Key.assign(reinterpret_cast<const char*>(it + 8), static_cast<std::size_t>(FKeySize));
    while (!e.Key.empty() && e.Key.back() == ' ') e.Key.pop_back();
    std::uint32_t recno = GetLE32(it + 4);
    if (node.Leaf) {
      e.RecNo = recno;
      node.Entries.push_back(std::move(e));
      continue;
    }
    e.Child = GetLE32(it);
    if (e.Child < kPage || e.Child % kPage != 0) return false;
    node.Entries.push_back(e);
    if (recno != 0 && node.Page >= kPage && node.Page % kPage == 0) {
      // Another program's interior item is a key too: it stands after its child.
      e.RecNo = recno;
      e.Held = true;
      e.Child = node.Page + 1 + k;
      node.Entries.push_back(std::move(e));
    }
  }
  if (!node.Leaf) {
    const std::uint8_t* it = itemAt(count);
    if (!it) return false;
    TxbIndexEntry last;
    last.Child = GetLE32(it);
    last.Beyond = true;
    if (last.Child < kPage || last.Child % kPage != 0) return false;
    node.Entries.push_back(std::move(last));
  }
  return true;
}

bool XBobjNTXTag::EncodeNode(const XBobjIndexKey& node, std::uint8_t* p) const {
  std::memset(p, 0, kPage);
  const int item = ItemSize(), base = 2 * (FMaxItems + 2);
  const int entries = node.Count();
  int children = 0;
  for (const TxbIndexEntry& e : node.Entries) children += e.Held ? 0 : 1;
  int keys = node.Leaf ? entries : children - 1;
  if (keys > FMaxItems) return false;
  if (!node.Leaf && entries > 0 && node.Entries.back().Held) return false;  // a held key needs a child after it
  PutLE16(p, static_cast<std::uint16_t>(std::max(keys, 0)));
  for (int k = 0; k <= FMaxItems; ++k) PutLE16(p + 2 + 2 * k, static_cast<std::uint16_t>(base + k * item));
  int k = 0;
  for (int j = 0; j < entries; ++j) {
    const TxbIndexEntry& e = node.Entries[static_cast<std::size_t>(j)];
    if (e.Held) continue;  // written with the child before it
    std::uint8_t* it = p + base + k * item;
    std::memset(it + 8, ' ', static_cast<std::size_t>(FKeySize));
    if (node.Leaf) {
      PutLE32(it + 4, e.RecNo);
      std::memcpy(it + 8, e.Key.data(), std::min(e.Key.size(), static_cast<std::size_t>(FKeySize)));
    } else {
      PutLE32(it, static_cast<std::uint32_t>(e.Child));
      if (k < keys) {  // the last child holds no key
        const TxbIndexEntry* held = j + 1 < entries && node.Entries[static_cast<std::size_t>(j + 1)].Held
                                        ? &node.Entries[static_cast<std::size_t>(j + 1)]
                                        : nullptr;
        const std::string& key = held ? held->Key : e.Key;
        PutLE32(it + 4, held ? held->RecNo : 0);
        std::memcpy(it + 8, key.data(), std::min(key.size(), static_cast<std::size_t>(FKeySize)));
      }
    }
    ++k;
  }
  return true;
}

bool XBobjNTXTag::ReadNode(XBobjIndexKey& node) {
  std::uint8_t page[kPage];
  if (node.Page < kPage) return false;
  const std::int64_t held = node.Page % kPage;
  if (!FOwner.ReadPage(node.Page - held, page, kPage)) return false;
  if (held == 0) return DecodeNode(page, node);
  // One key of an interior page: a leaf of that key alone (none once its record was taken).
  int k = static_cast<int>(held) - 1, count = GetLE16(page);
  int offset = k < count && k <= FMaxItems ? GetLE16(page + 2 + 2 * k) : 0;
  if (offset < 2 || offset + ItemSize() > kPage) return false;
  node.Entries.clear();
  node.Leaf = true;
  if (std::uint32_t recno = GetLE32(page + offset + 4); recno != 0) {
    TxbIndexEntry e;
    e.Key.assign(reinterpret_cast<const char*>(page + offset + 8), static_cast<std::size_t>(FKeySize));
    while (!e.Key.empty() && e.Key.back() == ' ') e.Key.pop_back();
    e.RecNo = recno;
    node.Entries.push_back(std::move(e));
  }
  return true;
}

bool XBobjNTXTag::WriteNode(XBobjIndexKey& node) {
  std::uint8_t page[kPage];
  const std::int64_t held = node.Page % kPage;
  if (held == 0) {
    if (!EncodeNode(node, page)) return false;
    FOwner.WritePage(node.Page, page, kPage);
    return true;
  }
  // A held key's leaf: the interior item keeps its child and bound; its record goes when
  // the key was taken out.
  if (node.Count() > 1 || !FOwner.ReadPage(node.Page - held, page, kPage)) return false;
  int k = static_cast<int>(held) - 1;
  int offset = k < GetLE16(page) && k <= FMaxItems ? GetLE16(page + 2 + 2 * k) : 0;
  if (offset < 2 || offset + ItemSize() > kPage) return false;
  PutLE32(page + offset + 4, node.Count() == 0 ? 0 : node.Entries[0].RecNo);
  FOwner.WritePage(node.Page - held + offset + 4, page + offset + 4, 4);
  return true;
}

// ---- XBobjNTXFile ----

XBobjNTXFile::XBobjNTXFile(XBO_dBaseFld* table, std::string_view name, bool create, bool readWrite, bool shared)
    : XBobjIndexFile(table) {
  FVersion = 1;
  OpenOrCreate(name, ".NTX", create, readWrite, shared);
  if (create) return;  // the tag comes with AddTag
  auto tag = std::make_unique<XBobjNTXTag>(*this);
  if (!tag->Load(XbIndexBaseName(FileName()))) FDamaged = true;
  FTags.push_back(std::move(tag));
}

XBobjNTXFile::~XBobjNTXFile() = default;

std::int64_t XBobjNTXFile::NewPage() {
  if (std::int64_t spare; TakeSpare(spare)) return spare;
  if (FEnd < 0) FEnd = (FFile->FileSize() + kPage - 1) / kPage * kPage;
  std::int64_t page = std::max<std::int64_t>(FEnd, kPage);
  FEnd = page + kPage;
  return page;
}

void XBobjNTXFile::KeyUpdateAll(std::uint32_t recno, bool isAppend) {
  if (FDamaged || !Tag()) RaiseDamaged();
  Tag()->CheckExpressions();
  LockIndex();
  try {
    if (FVersion > 32766) FVersion = 0;
    ++FVersion;
    std::uint8_t v[2];
    PutLE16(v, static_cast<std::uint16_t>(FVersion));
    WritePage(2, v, 2);
    XBobjIndexFile::KeyUpdateAll(recno, isAppend);
  } catch (...) {
    UnlockIndex();
    throw;
  }
  UnlockIndex();
}

XBobjIndexTag* XBobjNTXFile::AddTag(std::string_view, std::string_view keyExpr, std::string_view forExpr, bool unique,
                                    bool descending) {
  if (!FTable) throw EXBaseError("No table for index " + FileName());
  std::string key(keyExpr), condition(forExpr);
  if (key.find_first_not_of(' ') == std::string::npos || key.size() > 255) RaiseEngineError(xbeFormula, xbsNone, key);
  if (condition.size() > static_cast<std::size_t>(kPage - 283)) RaiseEngineError(xbeFormula, xbsNone, condition);
  char type = 'C';
  int size = 0, decimals = 0;
  {
    TxbExpHandler handler(&FTable->ExpLink(), false, key);  // raises when it does not compile
    if (condition.find_first_not_of(' ') != std::string::npos) TxbExpHandler test(&FTable->ExpLink(), false, condition);
    const TxbExpValue& v = handler.Evaluate();
    if (v.Type == xbtDate) {
      type = 'D', size = 8;
    } else if (XbIsNumeric(v.Type)) {
      type = 'N';
      const TxbFieldDesc* f = XbSingleField(handler, *FTable);
      size = v.Width > 0 ? v.Width : 10;  // a computed number: width 10, no decimals
      decimals = f && v.Width > 0 ? f->Decimals : 0;
    } else if (v.Type == xbtText || v.Type == xbtBoolean) {
      size = v.Type == xbtText ? static_cast<int>(v.Text.size()) : 1;
      if (size > TxbSort::MaxKeyLength) throw EXBaseError(SSortKeyTooLong);
    }
    if (size == 0) RaiseEngineError(xbeFormula, xbsNone, key);
  }
  auto tag = std::make_unique<XBobjNTXTag>(*this);
  if (!tag->Define(XbIndexBaseName(FileName()), key, condition, unique, descending, type, size, decimals))
    throw EXBaseError(SSortKeyTooLong);
  FTags.clear();
  FTags.push_back(std::move(tag));
  FDamaged = false;
  UnderWholeFile([&] {
    StartOver();
    Tag()->Build();
  });
  FCurrentTag = -1;
  return Tag();
}

void XBobjNTXFile::RestartFile() {
  FEnd = kPage;  // the header is the page at 0
  FVersion = 1;
}

void XBobjNTXFile::Reindex() {
  if (FDamaged || !Tag()) RaiseDamaged();
  std::string name = Tag()->Name(), key = Tag()->KeyExpression(), condition = Tag()->ForExpression();
  AddTag(name, key, condition, Tag()->Unique(), Tag()->Descending());
}
