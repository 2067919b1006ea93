#include "xbase/xbndx.h"

#include <algorithm>
#include <cstring>

#include "xbase/dbftable.h"
#include "xbase/errors.h"
#include "xbase/expression.h"
#include "xbase/names.h"
#include "xbase/tablelink.h"
#include "xbase/xbsort.h"

namespace {

constexpr int kBlock = XBobjNDXTag::BlockSize;

}  // namespace

// ---- XBobjNDXTag ----

XBobjNDXTag::XBobjNDXTag(XBobjNDXFile& owner) : XBobjIndexTag(owner) { FSignature = "NDX"; }

XBobjNDXFile& XBobjNDXTag::NDX() const { return static_cast<XBobjNDXFile&>(FOwner); }

void XBobjNDXTag::KeyToStored(const TxbVariant& value, std::string& stored, bool trim) {
  if (value.Type() == xvBinary) {
    stored.assign(value.Data(), value.Length());
  } else if (FKeyType == 'C') {
    stored = value.Type() == xvText ? std::string(value.Data(), value.Length()) : value.AsString();
    if (trim)
      while (!stored.empty() && stored.back() == ' ') stored.pop_back();
    if (stored.size() > static_cast<std::size_t>(FKeyLength)) stored.resize(static_cast<std::size_t>(FKeyLength));
  } else {
    double d;
    if (value.Type() == xvDate) {
      std::int32_t j = value.AsDate();
      d = j < 1 ? 1.0e100 : static_cast<double>(j);  // empty dates after every date
    } else {
      d = value.AsFloat();
    }
    stored = XbSortableDouble(d);
  }
}

std::int64_t XBobjNDXTag::NewPage() {
  FHeaderChanged = true;  // the header keeps the next free block
  return FOwner.NewPage();
}

void XBobjNDXTag::Define(std::string_view name, std::string_view keyExpr, bool unique, char keyType, int keyLength) {
  FKeyType = keyType;
  // Numbers and dates take 12 bytes of which the double fills 8; the header says 8.
  int created = keyType == 'C' ? keyLength : 12;
  FKeyLength = keyType == 'C' ? keyLength : 8;
  FItemSize = (created + 8 + 3) / 4 * 4;
  FKeysPerBlock = 504 / FItemSize;
  InitTag(name, keyExpr, "", unique, false);
}

bool XBobjNDXTag::DecodeHeader(const std::uint8_t* h, std::int64_t fileBlocks) {
  std::int64_t root = GetLE32(h), next = GetLE32(h + 4);
  int keyLength = GetLE16(h + 12), perBlock = GetLE16(h + 14), type = GetLE16(h + 16), item = GetLE16(h + 18);
  if (keyLength < 1 || keyLength > TxbSort::MaxKeyLength || item < 12 || keyLength > item - 8) return false;
  if (perBlock < 2 || perBlock > 504 / item || (type != 0 && type != 1)) return false;
  if (type == 1 && keyLength != 8) return false;
  if (root < 1 || root >= fileBlocks || next < 2 || next > fileBlocks) return false;
  const char* text = reinterpret_cast<const char*>(h + 24);
  const char* end = static_cast<const char*>(std::memchr(text, 0, 488));
  if (!end) return false;
  std::string key(text, end);
  if (key.find_first_not_of(' ') == std::string::npos) return false;
  FRoot = root;
  FKeyLength = keyLength;
  FKeysPerBlock = perBlock;
  FItemSize = item;
  FKeyType = type == 0 ? 'C' : 'N';
  InitTag(FName, key, "", h[23] != 0, false);
  return true;
}

bool XBobjNDXTag::Load(std::string_view name) {
  FName.assign(name);
  std::uint8_t h[kBlock];
  if (!FOwner.ReadPage(0, h, kBlock)) return false;
  if (!DecodeHeader(h, FOwner.File()->FileSize() / kBlock)) return false;
  XBO_dBaseFld* table = FOwner.Table();
  if (FKeyType == 'N' && FKeyError.empty() && FKeyHandler && table) {
    try {
      if (FKeyHandler->Evaluate().Type == xbtDate) FKeyType = 'D';
    } catch (const Exception& e) {
      FKeyError = e.Message;
    }
  }
  return true;
}

void XBobjNDXTag::ReadHeader() {
  std::uint8_t h[8];
  if (!FOwner.ReadPage(0, h, 8)) Damaged();
  std::int64_t root = GetLE32(h);
  if (root < 1) Damaged();
  FRoot = root;
  FHeaderChanged = false;
}

void XBobjNDXTag::WriteHeader() {
  std::uint8_t h[kBlock] = {};
  PutLE32(h, static_cast<std::uint32_t>(FRoot));
  PutLE32(h + 4, static_cast<std::uint32_t>(NDX().NewPageFrontier()));
  PutLE16(h + 12, static_cast<std::uint16_t>(FKeyLength));
  PutLE16(h + 14, static_cast<std::uint16_t>(FKeysPerBlock));
  PutLE16(h + 16, FKeyType == 'C' ? 0 : 1);
  // The key type again as a letter, as some readers expect ('C' text, 'N' a number or date);
  // without it they compare text keys as numbers. Others ignore the byte.
  h[9] = FKeyType == 'C' ? 'C' : 'N';
  PutLE16(h + 18, static_cast<std::uint16_t>(FItemSize));
  h[23] = FUnique ? 1 : 0;
  std::memcpy(h + 24, FKeyExpr.data(), std::min<std::size_t>(FKeyExpr.size(), 487));
  FOwner.WritePage(0, h, kBlock);
  FHeaderChanged = false;
}

bool XBobjNDXTag::DecodeNode(const std::uint8_t* p, XBobjIndexKey& node) const {
  int count = GetLE16(p);
  if (count > FKeysPerBlock) return false;
  node.Entries.clear();
  node.Entries.reserve(static_cast<std::size_t>(count) + 1);
  node.Leaf = GetLE32(p + 4) == 0;
  const auto keyLength = static_cast<std::size_t>(FKeyLength);
  const char pad = PadByte();
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* item = p + 4 + i * FItemSize;
    TxbIndexEntry e;
    std::string disk(reinterpret_cast<const char*>(item + 8), keyLength);
    if (FKeyType == 'C') {
      while (!disk.empty() && disk.back() == pad) disk.pop_back();
      e.Key = std::move(disk);
    } else {
      double d;
      std::memcpy(&d, disk.data(), 8);
      e.Key = XbSortableDouble(d);
    }
    if (node.Leaf) {
      e.RecNo = GetLE32(item + 4);
    } else {
      e.Child = GetLE32(item);
      if (e.Child < 1) return false;
    }
    node.Entries.push_back(std::move(e));
  }
  if (!node.Leaf) {
    TxbIndexEntry last;
    last.Child = GetLE32(p + 4 + count * FItemSize);
    last.Beyond = true;
    if (last.Child < 1) return false;
    node.Entries.push_back(std::move(last));
  }
  return true;
}

void XBobjNDXTag::EncodeNode(const XBobjIndexKey& node, std::uint8_t* p) const {
  std::memset(p, 0, kBlock);
  int keys = node.Leaf ? node.Count() : node.Count() - 1;
  PutLE16(p, static_cast<std::uint16_t>(std::max(keys, 0)));
  for (int i = 0; i < node.Count(); ++i) {
    const TxbIndexEntry& e = node.Entries[static_cast<std::size_t>(i)];
    std::uint8_t* item = p + 4 + i * FItemSize;
    if (!node.Leaf) PutLE32(item, static_cast<std::uint32_t>(e.Child));
    if (i == keys) break;  // the last child holds no key
    if (node.Leaf) PutLE32(item + 4, e.RecNo);
    if (FKeyType == 'C') {
      std::memset(item + 8, ' ', static_cast<std::size_t>(FKeyLength));
      std::memcpy(item + 8, e.Key.data(), std::min(e.Key.size(), static_cast<std::size_t>(FKeyLength)));
    } else {
      double d = XbDoubleFromSortable(e.Key);
      std::memcpy(item + 8, &d, 8);
    }
  }
}

bool XBobjNDXTag::ReadNode(XBobjIndexKey& node) {
  std::uint8_t block[kBlock];
  if (node.Page < 1 || !FOwner.ReadPage(node.Page * kBlock, block, kBlock)) return false;
  return DecodeNode(block, node);
}

bool XBobjNDXTag::WriteNode(XBobjIndexKey& node) {
  std::uint8_t block[kBlock];
  EncodeNode(node, block);
  FOwner.WritePage(node.Page * kBlock, block, kBlock);
  return true;
}

// ---- XBobjNDXFile ----

XBobjNDXFile::XBobjNDXFile(XBO_dBaseFld* table, std::string_view name, bool create, bool readWrite, bool shared)
    : XBobjIndexFile(table) {
  OpenOrCreate(name, ".NDX", create, readWrite, shared);
  if (create) return;  // the tag comes with AddTag
  auto tag = std::make_unique<XBobjNDXTag>(*this);
  if (!tag->Load(BaseName())) FDamaged = true;
  FTags.push_back(std::move(tag));
}

XBobjNDXFile::~XBobjNDXFile() = default;

std::string XBobjNDXFile::BaseName() const { return XbIndexBaseName(FileName()); }

std::int64_t XBobjNDXFile::NewPageFrontier() {
  if (FNext < 0) {
    std::uint8_t h[8];
    std::int64_t header = ReadPage(0, h, 8) ? GetLE32(h + 4) : 0;
    FNext = std::max<std::int64_t>(header, (FFile->FileSize() + kBlock - 1) / kBlock);
  }
  return FNext;
}

std::int64_t XBobjNDXFile::NewPage() {
  if (std::int64_t spare; TakeSpare(spare)) return spare;
  std::int64_t block = std::max<std::int64_t>(NewPageFrontier(), 1);
  FNext = block + 1;
  return block;
}

XBobjIndexTag* XBobjNDXFile::AddTag(std::string_view, std::string_view keyExpr, std::string_view forExpr, bool unique,
                                    bool descending) {
  if (!FTable) throw EXBaseError("No table for index " + FileName());
  if (forExpr.find_first_not_of(' ') != std::string_view::npos)
    throw EXBaseError("An NDX index has no FOR condition: " + FileName());
  if (descending) throw EXBaseError("An NDX index has no descending order: " + FileName());
  std::string key(keyExpr);
  if (key.find_first_not_of(' ') == std::string::npos || key.size() > 487) RaiseEngineError(xbeFormula, xbsNone, key);
  char type;
  int length;
  {
    TxbExpHandler handler(&FTable->ExpLink(), false, key);  // raises when it does not compile
    const TxbExpValue& v = handler.Evaluate();
    if (v.Type == xbtDate) {
      type = 'D', length = 8;
    } else if (XbIsNumeric(v.Type)) {
      type = 'N', length = 8;
    } else if (v.Type == xbtText || v.Type == xbtBoolean) {
      type = 'C';
      length = v.Type == xbtText ? static_cast<int>(v.Text.size()) : 1;
      if (length > TxbSort::MaxKeyLength) throw EXBaseError(SSortKeyTooLong);
      if (length == 0) RaiseEngineError(xbeFormula, xbsNone, key);
    } else {
      RaiseEngineError(xbeFormula, xbsNone, key);
    }
  }
  auto tag = std::make_unique<XBobjNDXTag>(*this);
  tag->Define(BaseName(), key, unique, type, length);
  FTags.clear();
  FTags.push_back(std::move(tag));
  FDamaged = false;
  UnderWholeFile([&] {
    StartOver();
    UnderIndexLock([&] { Tag()->Build(); });
  });
  FCurrentTag = -1;
  return Tag();
}

void XBobjNDXFile::RestartFile() {
  FNext = 1;  // the header is block 0
  Tag()->FRoot = -1;
}

void XBobjNDXFile::Reindex() {
  if (FDamaged || !Tag()) RaiseDamaged();
  std::string name = Tag()->Name(), key = Tag()->KeyExpression();
  AddTag(name, key, "", Tag()->Unique(), false);
}
