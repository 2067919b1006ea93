#include "xbase/xbmdx.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "classlib/core/datetime.h"
#include "xbase/dbftable.h"
#include "xbase/errors.h"
#include "xbase/expression.h"
#include "xbase/names.h"
#include "xbase/numbers.h"
#include "xbase/tablelink.h"
#include "xbase/xbsort.h"

namespace {

constexpr int kUnit = XBobjMDXFile::Unit;
constexpr int kPacked = 12;

void PutDate(std::uint8_t* h) {
  int y, m, d;
  DecodeDate(Now(), y, m, d);
  h[1] = static_cast<std::uint8_t>(y % 100);
  h[2] = static_cast<std::uint8_t>(m);
  h[3] = static_cast<std::uint8_t>(d);
}

}  // namespace

// ---- The packed decimal ----

std::string MdxPackedNumber(double value) {
  std::string p(kPacked, '\0');
  double magnitude = std::fabs(value);
  if (!(magnitude >= 1e-53)) {  // zero, tiny values (and NaN)
    p[0] = 52;
    p[1] = 1;
    return p;
  }
  // 15 significant digits: the digit string and the exponent of 0.d1d2...
  std::string text = FloatText(magnitude);
  int exponent = 0;
  std::size_t e = text.find_first_of("eE");
  if (e != std::string::npos) {
    exponent = std::stoi(text.substr(e + 1));
    text.resize(e);
  }
  std::size_t point = text.find('.');
  int whole = static_cast<int>(point == std::string::npos ? text.size() : point);
  if (point != std::string::npos) text.erase(point, 1);
  std::size_t lead = text.find_first_not_of('0');
  if (lead == std::string::npos) {
    p[0] = 52;
    p[1] = 1;
    return p;
  }
  exponent += whole - static_cast<int>(lead);
  std::string digits = text.substr(lead);
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  if (digits.size() > 15) digits.resize(15);
  if (52 + exponent > 255) RaiseEngineError(xbeNumberTooLarge, xbsNone, FloatText(value));
  if (52 + exponent < 0) {
    p[0] = 52;
    p[1] = 1;
    return p;
  }
  int kept = static_cast<int>((digits.size() + 1) / 2);
  p[0] = static_cast<char>(52 + exponent);
  p[1] = static_cast<char>(8 * kept + 1 + (value < 0 ? 0x80 : 0));
  for (std::size_t i = 0; i < digits.size(); ++i) {
    int d = digits[i] - '0';
    p[2 + i / 2] = static_cast<char>(static_cast<std::uint8_t>(p[2 + i / 2]) | (i % 2 == 0 ? d << 4 : d));
  }
  return p;
}

std::string MdxCompareForm(std::string_view packed) {
  std::string m(kPacked, '\0');
  if (packed.size() < kPacked) return m.replace(0, 1, 1, '\2');
  bool zero = true;
  for (int i = 2; i < kPacked; ++i) zero = zero && packed[static_cast<std::size_t>(i)] == 0;
  bool negative = (static_cast<std::uint8_t>(packed[1]) & 0x80) != 0;
  m[0] = negative && !zero ? 1 : 2;
  if (zero) return m;
  m[1] = packed[0];
  std::memcpy(m.data() + 2, packed.data() + 2, 10);
  if (negative)
    for (int i = 1; i < kPacked; ++i) m[static_cast<std::size_t>(i)] = static_cast<char>(~m[static_cast<std::size_t>(i)]);
  return m;
}

std::string MdxPackedFromCompare(std::string_view compare) {
  std::string m(compare.substr(0, kPacked));
  m.resize(kPacked, '\0');
  bool negative = m[0] == 1;
  if (negative)
    for (int i = 1; i < kPacked; ++i) m[static_cast<std::size_t>(i)] = static_cast<char>(~m[static_cast<std::size_t>(i)]);
  std::string p(kPacked, '\0');
  int kept = 0;
  for (int i = 2; i < kPacked; ++i)
    if (m[static_cast<std::size_t>(i)] != 0) kept = i - 1;
  if (kept == 0) {
    p[0] = 52;
    p[1] = 1;
    return p;
  }
  p[0] = m[1];
  p[1] = static_cast<char>(8 * kept + 1 + (negative ? 0x80 : 0));
  std::memcpy(p.data() + 2, m.data() + 2, 10);
  return p;
}

double MdxNumberOf(std::string_view packed) {
  if (packed.size() < kPacked) return 0;
  std::string text = "0.";
  for (int i = 2; i < kPacked; ++i) {
    auto b = static_cast<std::uint8_t>(packed[static_cast<std::size_t>(i)]);
    text += static_cast<char>('0' + std::min(b >> 4, 9));
    text += static_cast<char>('0' + std::min(b & 15, 9));
  }
  text += "E" + std::to_string(static_cast<std::uint8_t>(packed[0]) - 52);
  double v = 0;
  TryParseNumber(text, v);
  return (static_cast<std::uint8_t>(packed[1]) & 0x80) ? -v : v;
}

// ---- XBobjMDXTag ----

XBobjMDXTag::XBobjMDXTag(XBobjMDXFile& owner, std::int64_t headerUnit) : XBobjIndexTag(owner), FHeaderUnit(headerUnit) {
  FSignature = "MDX";
}

XBobjMDXFile& XBobjMDXTag::MDX() const { return static_cast<XBobjMDXFile&>(FOwner); }
int XBobjMDXTag::BlockSize() const { return MDX().BlockSize(); }

void XBobjMDXTag::KeyToStored(const TxbVariant& value, std::string& stored, bool trim) {
  if (value.Type() == xvBinary) {
    stored.assign(value.Data(), value.Length());
  } else if (FKeyType == 'C') {
    stored = value.Type() == xvText ? std::string(value.Data(), value.Length()) : value.AsString();
    if (trim)
      while (!stored.empty() && stored.back() == ' ') stored.pop_back();
    if (stored.size() > static_cast<std::size_t>(FKeyLength)) stored.resize(static_cast<std::size_t>(FKeyLength));
  } else if (FKeyType == 'D' || value.Type() == xvDate) {
    double d;
    if (value.Type() == xvDate) {
      std::int32_t j = value.AsDate();
      d = j < 1 ? 1.0e100 : static_cast<double>(j);
    } else {
      d = value.AsFloat();
      if (d < 0.1) d = 1.0e100;
    }
    stored = XbSortableDouble(d);
  } else {
    stored = MdxCompareForm(MdxPackedNumber(value.AsFloat()));
  }
}

std::int64_t XBobjMDXTag::NewPage() {
  if (!FSpare.empty()) {
    // The block keeps its place in the tag's chain: its link to the block before is kept.
    std::int64_t unit = FSpare.back();
    FSpare.pop_back();
    std::uint8_t link[4];
    FPrevious[unit] = FOwner.ReadPage(unit * kUnit + 4, link, 4) ? GetLE32(link) : 0;
    return unit;
  }
  std::int64_t unit = FOwner.NewPage();
  FPrevious[unit] = FLastUnit;
  if (FFirstUnit == 0) FFirstUnit = unit;
  FLastUnit = unit;
  FHeaderChanged = true;
  return unit;
}

void XBobjMDXTag::ReleasePage(std::int64_t unit) {
  if (unit >= 1) FSpare.push_back(unit);
}

void XBobjMDXTag::Define(std::string_view name, std::string_view keyExpr, std::string_view forExpr, bool unique,
                         bool descending, char keyType, int keyLength) {
  FKeyType = keyType;
  FKeyLength = keyLength;
  FItemLength = (keyLength + 4 + 3) / 4 * 4;
  FMaxKeys = (BlockSize() - 8) / FItemLength - 1;
  FFirstUnit = FLastUnit = 0;
  InitTag(name, keyExpr, forExpr, unique, descending);
}

bool XBobjMDXTag::DecodeHeader(const std::uint8_t* h, std::int64_t fileUnits) {
  const int block = BlockSize();
  std::int64_t root = GetLE32(h);
  char type = static_cast<char>(h[9]);
  int keyLength = GetLE16(h + 12), maxKeys = GetLE16(h + 14), item = GetLE16(h + 18);
  if (type != 'C' && type != 'N' && type != 'D') return false;
  if (keyLength < 1 || keyLength > TxbSort::MaxKeyLength || keyLength + 4 > item) return false;
  // A full block: 8 bytes, the items, the last child's number (4 bytes, no key).
  if (maxKeys < 2 || item * maxKeys + 12 > block) return false;
  if ((type == 'N' && keyLength != 12) || (type == 'D' && keyLength != 8)) return false;
  if (root < 1 || root + block / kUnit > fileUnits) return false;
  const char* text = reinterpret_cast<const char*>(h + 24);
  const char* end = static_cast<const char*>(std::memchr(text, 0, 221));
  if (!end) return false;
  std::string key(text, end), forExpr;
  if (key.find_first_not_of(' ') == std::string::npos) return false;
  if (h[245]) {
    const char* f = reinterpret_cast<const char*>(h + 762);
    const char* fend = static_cast<const char*>(std::memchr(f, 0, static_cast<std::size_t>(std::min(262, block - 762))));
    if (!fend) return false;
    forExpr.assign(f, fend);
  }
  FRoot = root;
  FKeyType = type;
  FKeyLength = keyLength;
  FMaxKeys = maxKeys;
  FItemLength = item;
  FFirstUnit = GetLE32(h + 248);
  FLastUnit = GetLE32(h + 252);
  InitTag(FName, key, forExpr, h[23] != 0, (h[8] & 0x08) != 0);
  return true;
}

bool XBobjMDXTag::Load(std::string_view name) {
  FName.assign(name);
  std::vector<std::uint8_t> h(static_cast<std::size_t>(BlockSize()));
  if (FHeaderUnit < 1 || !FOwner.ReadPage(FHeaderUnit * kUnit, h.data(), h.size())) return false;
  return DecodeHeader(h.data(), FOwner.File()->FileSize() / kUnit);
}

void XBobjMDXTag::ReadHeader() {
  FSpare.clear();  // another writer may have rebuilt the file over them
  std::uint8_t h[4];
  if (!FOwner.ReadPage(FHeaderUnit * kUnit, h, 4)) Damaged();
  std::int64_t root = GetLE32(h);
  if (root < 1) Damaged();
  FRoot = root;
  std::uint8_t units[8];
  if (FOwner.ReadPage(FHeaderUnit * kUnit + 248, units, 8)) {
    FFirstUnit = GetLE32(units);
    FLastUnit = GetLE32(units + 4);
  }
  FHeaderChanged = false;
}

void XBobjMDXTag::WriteHeader() {
  std::vector<std::uint8_t> h(static_cast<std::size_t>(BlockSize()), 0);
  PutLE32(h.data(), static_cast<std::uint32_t>(FRoot));
  h[8] = static_cast<std::uint8_t>((FUnique ? 0x50 : 0x10) | (FDescending ? 0x08 : 0));
  h[9] = static_cast<std::uint8_t>(FKeyType);
  PutLE16(h.data() + 12, static_cast<std::uint16_t>(FKeyLength));
  PutLE16(h.data() + 14, static_cast<std::uint16_t>(FMaxKeys));
  PutLE16(h.data() + 18, static_cast<std::uint16_t>(FItemLength));
  h[23] = FUnique ? 0x40 : 0;
  std::memcpy(h.data() + 24, FKeyExpr.data(), std::min<std::size_t>(FKeyExpr.size(), XBobjMDXTag::MaxKeyExpression));
  h[245] = FHasFor ? 1 : 0;
  h[246] = 1;
  PutLE32(h.data() + 248, static_cast<std::uint32_t>(FFirstUnit));
  PutLE32(h.data() + 252, static_cast<std::uint32_t>(FLastUnit));
  if (FHasFor) std::memcpy(h.data() + 762, FForExpr.data(), std::min<std::size_t>(FForExpr.size(), MaxForExpression));
  FOwner.WritePage(FHeaderUnit * kUnit, h.data(), h.size());
  FHeaderChanged = false;
}

bool XBobjMDXTag::DecodeNode(const std::uint8_t* p, XBobjIndexKey& node) const {
  std::uint32_t count = GetLE32(p);
  if (count > static_cast<std::uint32_t>(FMaxKeys)) return false;
  const int n = static_cast<int>(count);
  node.Entries.clear();
  node.Entries.reserve(count + 1);
  node.Attributes = GetLE32(p + 4);
  std::int64_t after = GetLE32(p + 8 + n * FItemLength);
  node.Leaf = after == 0;
  const auto keyLength = static_cast<std::size_t>(FKeyLength);
  for (int i = 0; i < n; ++i) {
    const std::uint8_t* item = p + 8 + i * FItemLength;
    TxbIndexEntry e;
    std::string disk(reinterpret_cast<const char*>(item + 4), keyLength);
    if (FKeyType == 'C') {
      while (!disk.empty() && disk.back() == ' ') disk.pop_back();
      e.Key = std::move(disk);
    } else if (FKeyType == 'D') {
      double d;
      std::memcpy(&d, disk.data(), 8);
      e.Key = XbSortableDouble(d);
    } else {
      e.Key = MdxCompareForm(disk);
    }
    if (node.Leaf) {
      e.RecNo = GetLE32(item);
    } else {
      e.Child = GetLE32(item);
      if (e.Child < 1) return false;
    }
    node.Entries.push_back(std::move(e));
  }
  if (!node.Leaf) {
    TxbIndexEntry last;
    last.Child = after;
    last.Beyond = true;
    node.Entries.push_back(std::move(last));
  }
  return true;
}

void XBobjMDXTag::EncodeNode(const XBobjIndexKey& node, std::uint8_t* p) const {
  std::memset(p, 0, static_cast<std::size_t>(BlockSize()));
  int keys = node.Leaf ? node.Count() : node.Count() - 1;
  PutLE32(p, static_cast<std::uint32_t>(std::max(keys, 0)));
  PutLE32(p + 4, node.Attributes);
  for (int i = 0; i < node.Count(); ++i) {
    const TxbIndexEntry& e = node.Entries[static_cast<std::size_t>(i)];
    std::uint8_t* item = p + 8 + i * FItemLength;
    PutLE32(item, node.Leaf ? e.RecNo : static_cast<std::uint32_t>(e.Child));
    if (i == keys) break;  // the last child holds no key
    if (FKeyType == 'C') {
      std::memset(item + 4, ' ', static_cast<std::size_t>(FKeyLength));
      std::memcpy(item + 4, e.Key.data(), std::min(e.Key.size(), static_cast<std::size_t>(FKeyLength)));
    } else if (FKeyType == 'D') {
      double d = XbDoubleFromSortable(e.Key);
      std::memcpy(item + 4, &d, 8);
    } else {
      std::memcpy(item + 4, MdxPackedFromCompare(e.Key).data(), kPacked);
    }
  }
}

bool XBobjMDXTag::ReadNode(XBobjIndexKey& node) {
  std::vector<std::uint8_t> block(static_cast<std::size_t>(BlockSize()));
  if (node.Page < 1 || !FOwner.ReadPage(node.Page * kUnit, block.data(), block.size())) return false;
  return DecodeNode(block.data(), node);
}

bool XBobjMDXTag::WriteNode(XBobjIndexKey& node) {
  auto previous = FPrevious.find(node.Page);
  if (previous != FPrevious.end()) {  // a new node records the one allocated before it
    node.Attributes = static_cast<std::uint32_t>(previous->second);
    FPrevious.erase(previous);
  }
  std::vector<std::uint8_t> block(static_cast<std::size_t>(BlockSize()));
  EncodeNode(node, block.data());
  FOwner.WritePage(node.Page * kUnit, block.data(), block.size());
  return true;
}

// ---- XBobjMDXFile ----

XBobjMDXFile::XBobjMDXFile(XBO_dBaseFld* table, std::string_view name, bool create, bool readWrite, bool shared)
    : XBobjIndexFile(table) {
  OpenOrCreate(name, ".MDX", create, readWrite, shared);
  if (create || (FFile->FileSize() == 0 && FFile->ReadWrite())) {
    InitHeader();
    WriteFileHeader();
  } else if (!LoadHeader()) {
    FDamaged = true;
  }
  if (FTable && !FDamaged && xbase::CompareTextNoCase(XbIndexBaseName(FFile->FileName()), XbIndexBaseName(FTable->FileName())) == 0) {
    FProduction = true;
    FTable->SetProductionIndex();
  }
}

XBobjMDXFile::~XBobjMDXFile() {
  if (!FHeaderChanged || !FFile || !FFile->ReadWrite()) return;
  try {
    PutDate(FHeader.data());
    WritePage(0, FHeader.data(), FHeader.size());
  } catch (...) {  // closing never raises
  }
}

std::int64_t XBobjMDXFile::FileUnits() const { return FFile->FileSize() / Unit; }

void XBobjMDXFile::InitHeader() {
  FHeader.fill(0);
  FHeader[0] = 2;
  PutDate(FHeader.data());
  std::string base = FTable ? XbIndexBaseName(FTable->FileName()) : XbIndexBaseName(FFile->FileName());
  std::memcpy(FHeader.data() + 4, base.data(), std::min<std::size_t>(base.size(), 8));
  PutLE16(FHeader.data() + 20, 2);
  PutLE16(FHeader.data() + 22, 1024);
  FHeader[24] = 1;
  FHeader[25] = 48;
  PutLE16(FHeader.data() + 26, 32);
  FBlockSize = 1024;
  FNextUnit = HeaderSize / Unit;
  FTags.clear();
}

bool XBobjMDXFile::LoadHeader() {
  FTags.clear();
  if (!ReadPage(0, FHeader.data(), FHeader.size())) return false;
  const std::uint8_t* h = FHeader.data();
  int units = GetLE16(h + 20), block = GetLE16(h + 22), entry = GetLE16(h + 26), count = GetLE16(h + 28);
  if (units < 2 || block != units * Unit || entry != 32 || count > MaxTags) return false;
  FBlockSize = block;
  FNextUnit = -1;
  std::int64_t fileUnits = FileUnits();
  for (int i = 1; i <= count; ++i) {
    const std::uint8_t* e = h + 512 + 32 * i;
    const char* name = reinterpret_cast<const char*>(e + 4);
    const char* end = static_cast<const char*>(std::memchr(name, 0, 11));
    std::int64_t unit = GetLE32(e);
    if (!end || end == name || unit < HeaderSize / Unit || unit + units > fileUnits) return false;
    auto tag = std::make_unique<XBobjMDXTag>(*this, unit);
    bool ok = tag->Load(XbTagName(std::string(name, end)));
    FTags.push_back(std::move(tag));
    if (!ok) return false;
  }
  std::stable_sort(FTags.begin(), FTags.end(), [](const auto& a, const auto& b) { return a->Name() < b->Name(); });
  return true;
}

void XBobjMDXFile::WriteFileHeader() {
  std::uint8_t* h = FHeader.data();
  PutLE16(h + 28, static_cast<std::uint16_t>(FTags.size()));
  if (FNextUnit >= 0) PutLE32(h + 32, static_cast<std::uint32_t>(FNextUnit));
  std::memset(h + 512, 0, HeaderSize - 512);
  h[512 + 17] = FTags.empty() ? 0 : 1;
  for (std::size_t i = 0; i < FTags.size(); ++i) {
    auto& tag = static_cast<XBobjMDXTag&>(*FTags[i]);
    std::uint8_t* e = h + 512 + 32 * (i + 1);
    PutLE32(e, static_cast<std::uint32_t>(tag.HeaderUnit()));
    std::memcpy(e + 4, tag.Name().data(), std::min<std::size_t>(tag.Name().size(), 10));
    e[17] = static_cast<std::uint8_t>(i + 1 < FTags.size() ? i + 2 : 0);
    e[19] = 2;
    e[20] = static_cast<std::uint8_t>(tag.KeyType());
  }
  WritePage(0, h, HeaderSize);
  FHeaderChanged = true;
}

std::int64_t XBobjMDXFile::NewPage() {
  if (FNextUnit < 0) {
    std::uint8_t v[4];
    std::int64_t stored = ReadPage(32, v, 4) ? GetLE32(v) : 0;
    FNextUnit = std::max<std::int64_t>({stored, (FFile->FileSize() + Unit - 1) / Unit, HeaderSize / Unit});
  }
  std::int64_t unit = FNextUnit;
  FNextUnit += UnitsPerBlock();
  std::uint8_t v[4];
  PutLE32(v, static_cast<std::uint32_t>(FNextUnit));
  PutLE32(FHeader.data() + 32, static_cast<std::uint32_t>(FNextUnit));
  WritePage(32, v, 4);
  return unit;
}

void XBobjMDXFile::CheckDefinition(TTagDef& def) {
  if (!FTable) throw EXBaseError("No table for index " + FileName());
  if (def.Name.empty() || def.Name.size() > 10 ||
      def.Name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") != std::string::npos ||
      (def.Name[0] >= '0' && def.Name[0] <= '9'))
    throw EXBaseError("Invalid index tag name " + def.Name);
  bool replaces = TagByName(def.Name) != nullptr;
  if (!replaces && TagCount() >= MaxTags) throw EXBaseError("No room for another tag in " + FileName());
  if (def.Key.find_first_not_of(' ') == std::string::npos || def.Key.size() > XBobjMDXTag::MaxKeyExpression)
    RaiseEngineError(xbeFormula, xbsNone, def.Key);
  if (def.For.size() > XBobjMDXTag::MaxForExpression) RaiseEngineError(xbeFormula, xbsNone, def.For);
  TxbExpHandler key(&FTable->ExpLink(), false, def.Key);  // raises when it does not compile
  if (def.For.find_first_not_of(' ') != std::string::npos) TxbExpHandler condition(&FTable->ExpLink(), false, def.For);
  const TxbExpValue& v = key.Evaluate();
  def.Length = 0;
  if (v.Type == xbtDate) {
    def.Type = 'D', def.Length = 8;
  } else if (XbIsNumeric(v.Type)) {
    def.Type = 'N', def.Length = 12;
  } else if (v.Type == xbtText || v.Type == xbtBoolean) {
    def.Type = 'C';
    std::size_t length = v.Type == xbtText ? v.Text.size() : 1;
    if (length > static_cast<std::size_t>(TxbSort::MaxKeyLength)) throw EXBaseError(SSortKeyTooLong);
    def.Length = static_cast<int>(length);
  }
  if (def.Length == 0) RaiseEngineError(xbeFormula, xbsNone, def.Key);
}

void XBobjMDXFile::CreateTag(const TTagDef& def) {
  auto tag = std::make_unique<XBobjMDXTag>(*this, NewPage());
  tag->Define(def.Name, def.Key, def.For, def.Unique, def.Descending, def.Type, def.Length);
  tag->WriteHeader();
  tag->Build();
  auto at = std::find_if(FTags.begin(), FTags.end(), [&](const auto& t) { return t->Name() > def.Name; });
  FTags.insert(at, std::move(tag));
}

XBobjIndexTag* XBobjMDXFile::AddTag(std::string_view name, std::string_view keyExpr, std::string_view forExpr,
                                    bool unique, bool descending) {
  if (FDamaged) RaiseDamaged();
  TTagDef def{XbTagName(name), std::string(keyExpr), std::string(forExpr), unique, descending, 'C', 0};
  CheckDefinition(def);  // refused before the file changes
  LockIndex();
  try {
    auto old = std::find_if(FTags.begin(), FTags.end(), [&](const auto& t) { return t->Name() == def.Name; });
    if (old != FTags.end()) FTags.erase(old);
    CreateTag(def);
    WriteFileHeader();
  } catch (...) {
    UnlockIndex();
    throw;
  }
  UnlockIndex();
  FCurrentTag = -1;
  return TagByName(def.Name);
}

bool XBobjMDXFile::DeleteTag(std::string_view name) {
  if (FDamaged) RaiseDamaged();
  std::string n = XbTagName(name);
  auto it = std::find_if(FTags.begin(), FTags.end(), [&](const auto& t) { return t->Name() == n; });
  if (it == FTags.end()) return false;
  FCurrentTag = -1;
  LockIndex();
  try {
    FTags.erase(it);
    WriteFileHeader();
  } catch (...) {
    UnlockIndex();
    throw;
  }
  UnlockIndex();
  if (FTags.empty()) Reindex();
  return true;
}

void XBobjMDXFile::Reindex() {
  if (FDamaged) RaiseDamaged();
  std::vector<TTagDef> defs;
  for (const auto& t : FTags) {
    defs.push_back({t->Name(), t->KeyExpression(), t->ForExpression(), t->Unique(), t->Descending(), 'C', 0});
    CheckDefinition(defs.back());  // every tag must build before anything is cut
  }
  UnderWholeFile([&] {
    FTags.clear();
    FFile->Truncate(HeaderSize);
    FNextUnit = HeaderSize / Unit;
    UnderIndexLock([&] {
      for (const TTagDef& def : defs) CreateTag(def);
      WriteFileHeader();
    });
  });
  FCurrentTag = -1;
}

void XBobjMDXFile::RenameIndex(std::string_view newTableName) {
  XBobjIndexFile::RenameIndex(newTableName);
  if (!FFile || FDamaged) return;
  std::string base = XbIndexBaseName(FFile->FileName());
  std::memset(FHeader.data() + 4, 0, 9);
  std::memcpy(FHeader.data() + 4, base.data(), std::min<std::size_t>(base.size(), 8));
  WritePage(0, FHeader.data(), 512);
  FHeaderChanged = true;
}
