#include "xbase/xbcdx.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "xbase/dbftable.h"
#include "xbase/errors.h"
#include "xbase/expression.h"
#include "xbase/names.h"
#include "xbase/tablelink.h"
#include "xbase/xbsort.h"

namespace {

// The GENERAL collation: primary weights, secondary weights and the expansion groups.
constexpr std::uint8_t kW1[256] = {
    0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x11, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10,
    0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10,
    0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x20,
    0x56, 0x57, 0x58, 0x59, 0x5A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26,
    0x27, 0x60, 0x61, 0x62, 0x64, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6F, 0x70, 0x72,
    0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x7A, 0x7B, 0x7C, 0x7D, 0x7E, 0x28, 0x29, 0x2A, 0x2B, 0x2C,
    0x2D, 0x60, 0x61, 0x62, 0x64, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6F, 0x70, 0x72,
    0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x7A, 0x7B, 0x7C, 0x7D, 0x7E, 0x2E, 0x2F, 0x30, 0x31, 0x10,
    0x10, 0x10, 0x18, 0x32, 0x13, 0x33, 0x34, 0x35, 0x36, 0x37, 0x76, 0x18, 0x00, 0x10, 0x10, 0x10,
    0x10, 0x18, 0x18, 0x13, 0x13, 0x38, 0x1E, 0x1E, 0x39, 0x3A, 0x76, 0x18, 0x00, 0x10, 0x10, 0x7D,
    0x20, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, 0x13, 0x45, 0x1E, 0x46, 0x47,
    0x48, 0x49, 0x58, 0x59, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x57, 0x4F, 0x13, 0x50, 0x51, 0x52, 0x53,
    0x60, 0x60, 0x60, 0x60, 0x60, 0x60, 0x06, 0x62, 0x66, 0x66, 0x66, 0x66, 0x6A, 0x6A, 0x6A, 0x6A,
    0x65, 0x70, 0x72, 0x72, 0x72, 0x72, 0x72, 0x54, 0x81, 0x78, 0x78, 0x78, 0x78, 0x7D, 0x12, 0x0C,
    0x60, 0x60, 0x60, 0x60, 0x60, 0x60, 0x06, 0x62, 0x66, 0x66, 0x66, 0x66, 0x6A, 0x6A, 0x6A, 0x6A,
    0x65, 0x70, 0x72, 0x72, 0x72, 0x72, 0x72, 0x55, 0x81, 0x78, 0x78, 0x78, 0x78, 0x7D, 0x12, 0x7D,
};
constexpr std::uint8_t kW2High[192] = {  // 0x40 .. 0xFF; below 0x40 every weight is 0
    0x00, 0x20, 0x00, 0x20, 0x00, 0x20, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x00, 0x20, 0x20,
    0x00, 0x00, 0x00, 0x20, 0x00, 0x20, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x20, 0x00, 0x20, 0x00, 0x20, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x00, 0x20, 0x20,
    0x00, 0x00, 0x00, 0x20, 0x00, 0x20, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x28, 0x00, 0x80, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x28, 0x00, 0x80, 0x00, 0x00, 0x24,
    0x21, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x22, 0x21, 0x23, 0x25, 0x24, 0x26, 0x80, 0x27, 0x22, 0x21, 0x23, 0x24, 0x22, 0x21, 0x23, 0x24,
    0x00, 0x25, 0x22, 0x21, 0x23, 0x25, 0x24, 0x00, 0x00, 0x22, 0x21, 0x23, 0x24, 0x21, 0x80, 0x80,
    0x22, 0x21, 0x23, 0x25, 0x24, 0x26, 0x80, 0x27, 0x22, 0x21, 0x23, 0x24, 0x22, 0x21, 0x23, 0x24,
    0x00, 0x25, 0x22, 0x21, 0x23, 0x25, 0x24, 0x00, 0x00, 0x22, 0x21, 0x23, 0x24, 0x21, 0x80, 0x24,
};
constexpr std::uint8_t kX[30] = {0x00, 0x02, 0x72, 0x20, 0x66, 0x20, 0x00, 0x02, 0x60, 0x20, 0x66, 0x20, 0x00, 0x02, 0x76,
                                 0x20, 0x76, 0x20, 0x00, 0x02, 0x77, 0x00, 0x69, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

std::uint64_t Mask(int bits) { return bits >= 64 ? ~0ull : (1ull << bits) - 1; }

std::int64_t Offset32(std::uint32_t v) { return v == 0xFFFFFFFFu ? -1 : static_cast<std::int64_t>(v); }

bool ValidLink(std::int64_t v) { return v == -1 || (v >= 0 && v % XBobjCDXTag::NodeSize == 0); }

std::string WithoutExtension(const std::string& name) {
  std::size_t cut = name.find_last_of("\\/:");
  std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && (cut == std::string::npos || dot > cut)) return name.substr(0, dot);
  return name;
}

}  // namespace

std::string CdxGeneralKey(std::string_view text) {
  std::string primary, secondary;
  for (char ch : text) {
    auto c = static_cast<std::uint8_t>(ch);
    std::uint8_t p = kW1[c], s = c < 0x40 ? 0 : kW2High[c - 0x40];
    if ((p == 0 || p == 6 || p == 18 || p == 24) && kX[p + 1] != 0) {
      primary += static_cast<char>(kX[p + 2]);
      primary += static_cast<char>(kX[p + 4]);
    } else {
      primary += static_cast<char>(p);
    }
    if (s == 0x80) {
      std::uint8_t g = p < 25 ? p : 24;  // only the expanding letters carry 0x80
      if (kX[g + 3]) secondary += static_cast<char>(kX[g + 3] | 0xF0);
      if (kX[g + 5]) secondary += static_cast<char>(kX[g + 5] | 0xF0);
    } else if (s != 0) {
      secondary += static_cast<char>(s | 0xF0);
    }
  }
  primary += secondary;
  while (!primary.empty() && static_cast<std::uint8_t>(primary.back()) == 0xF0) primary.pop_back();
  return primary;
}

// ---- XBobjCDXTag ----

XBobjCDXTag::XBobjCDXTag(XBobjCDXFile& owner, std::int64_t headerOffset)
    : XBobjIndexTag(owner), FHeaderOffset(headerOffset) {
  FSignature = "CDX";
  if (headerOffset == 0) {
    FOptions = 0xE0;
    FKeyLength = 10;
    FKeyType = 'C';
  }
}

XBobjCDXFile& XBobjCDXTag::CDX() const { return static_cast<XBobjCDXFile&>(FOwner); }

int XBobjCDXTag::CountBitsFor(int keyLength) { return std::bit_width(static_cast<unsigned>(std::max(keyLength, 1))); }

void XBobjCDXTag::KeyToStored(const TxbVariant& value, std::string& stored, bool trim) {
  char type = IsDirectory() ? 'C' : FKeyType;
  if (value.Type() == xvBinary) {
    stored.assign(value.Data(), value.Length());  // already in the stored form
  } else if (type == 'C') {
    if (value.Type() == xvText)
      stored.assign(value.Data(), value.Length());
    else
      stored = value.AsString();
    if (trim)
      while (!stored.empty() && stored.back() == ' ') stored.pop_back();
    if (FGeneral && !IsDirectory() && !stored.empty()) stored = CdxGeneralKey(stored);
  } else if (type == 'I') {
    double d = value.AsFloat();
    std::int32_t i = d >= 2147483647.0 ? 2147483647 : d <= -2147483648.0 ? INT32_MIN : static_cast<std::int32_t>(d);
    std::uint32_t u = static_cast<std::uint32_t>(i) ^ 0x80000000u;
    stored.resize(4);
    PutBE32(stored.data(), u);
  } else {
    double d = value.Type() == xvDate ? static_cast<double>(value.AsDate()) : value.AsFloat();
    stored = XbSortableDouble(d);
  }
  if (stored.size() > static_cast<std::size_t>(FKeyLength)) stored.resize(static_cast<std::size_t>(FKeyLength));
  // The pad byte restores what is cut: trailing zeros of numbers (both signs), blanks of texts.
  if (type != 'C' && value.Type() != xvBinary)
    while (!stored.empty() && stored.back() == '\0') stored.pop_back();
}

// GENERAL keys keep their secondary weights (F0 .. F8) on disk with the high half cleared,
// from the key's end back to the first primary weight. The primary weight 0C (of 0xDF) lies
// below 10, so reading back stops at the first byte that is no secondary weight in either
// form: 09 .. EF. Bytes F9 .. FF are no weight; they are left as they are both ways, so a
// key read from any page is written back and read again unchanged.
void XBobjCDXTag::ToDisk(std::string& key) const {
  if (!FGeneral || FKeyType != 'C' || IsDirectory()) return;
  for (std::size_t i = key.size(); i-- > 0;) {
    auto c = static_cast<std::uint8_t>(key[i]);
    if (c < 0xF0 || c > 0xF8) break;
    key[i] = static_cast<char>(c & 0x0F);
  }
}

void XBobjCDXTag::FromDisk(std::string& key) const {
  if (!FGeneral || FKeyType != 'C' || IsDirectory()) return;
  for (std::size_t i = key.size(); i-- > 0;) {
    auto c = static_cast<std::uint8_t>(key[i]);
    if (c > 0x08 && c < 0xF0) break;
    key[i] = static_cast<char>(c | 0xF0);
  }
}

std::string XBobjCDXTag::Padded(const std::string& key) const {
  std::string k = key;
  ToDisk(k);
  if (k.size() > static_cast<std::size_t>(FKeyLength)) k.resize(static_cast<std::size_t>(FKeyLength));
  k.resize(static_cast<std::size_t>(FKeyLength), PadByte());
  return k;
}

XBobjCDXTag::TLeafLayout XBobjCDXTag::LeafLayout(const XBobjIndexKey& node) const {
  TLeafLayout l;
  l.CountBits = CountBitsFor(FKeyLength);
  l.EntryBytes = 3;
  l.RecordBits = 24 - 2 * l.CountBits;
  // The entry width follows the largest record number the node holds, so a node rewritten
  // for its links alone keeps its size.
  std::uint64_t largest = 0;
  for (const TxbIndexEntry& e : node.Entries) largest = std::max<std::uint64_t>(largest, e.RecNo);
  while (Mask(l.RecordBits) < largest && l.EntryBytes < 8) {
    ++l.EntryBytes;
    l.RecordBits += 8;
  }
  l.RecordMask = static_cast<std::uint32_t>(std::min<std::uint64_t>(Mask(l.RecordBits), 0xFFFFFFFFu));
  return l;
}

// The bytes the entries take in a leaf: each entry's E bytes and the key bytes it stores.
int XBobjCDXTag::LeafBytes(const XBobjIndexKey& node, const TLeafLayout& layout) const {
  int total = 0;
  std::string previous(static_cast<std::size_t>(FKeyLength), PadByte());
  for (const TxbIndexEntry& e : node.Entries) {
    std::string full = Padded(e.Key);
    std::size_t used = full.find_last_not_of(PadByte());
    used = used == std::string::npos ? 0 : used + 1;
    std::size_t dup = 0;
    while (dup < used && full[dup] == previous[dup]) ++dup;
    total += layout.EntryBytes + static_cast<int>(used - dup);
    previous.swap(full);
  }
  return total;
}

bool XBobjCDXTag::NodeFits(const XBobjIndexKey& node) const {
  if (!node.Leaf) return node.Count() <= MaxInteriorKeys();
  return LeafBytes(node, LeafLayout(node)) <= LeafArea;
}

int XBobjCDXTag::SplitPoint(const XBobjIndexKey& node) const {
  if (!node.Leaf) return XBobjIndexTag::SplitPoint(node);
  TLeafLayout layout = LeafLayout(node);
  int total = LeafBytes(node, layout);
  std::string previous(static_cast<std::size_t>(FKeyLength), PadByte());
  int sum = 0;
  for (int i = 0; i < node.Count(); ++i) {
    std::string full = Padded(node.Entries[i].Key);
    std::size_t used = full.find_last_not_of(PadByte());
    used = used == std::string::npos ? 0 : used + 1;
    std::size_t dup = 0;
    while (dup < used && full[dup] == previous[dup]) ++dup;
    int size = layout.EntryBytes + static_cast<int>(used - dup);
    if ((sum + size) * 2 >= total) return (sum + size) * 2 - total <= total - sum * 2 ? i + 1 : i;
    sum += size;
    previous.swap(full);
  }
  return XBobjIndexTag::SplitPoint(node);
}

bool XBobjCDXTag::DecodeNode(const std::uint8_t* p, XBobjIndexKey& node) const {
  std::uint16_t attributes = GetLE16(p);
  int count = GetLE16(p + 2);
  node.Attributes = attributes;
  node.Root = (attributes & 1) != 0;
  node.Leaf = (attributes & 2) != 0;
  node.Left = Offset32(GetLE32(p + 4));
  node.Right = Offset32(GetLE32(p + 8));
  node.Entries.clear();
  if (!ValidLink(node.Left) || !ValidLink(node.Right)) return false;
  const char pad = PadByte();
  const auto keyLength = static_cast<std::size_t>(FKeyLength);
  if (!node.Leaf) {
    if (count > MaxInteriorKeys()) return false;
    node.Entries.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
      const std::uint8_t* e = p + 12 + static_cast<std::size_t>(i) * (keyLength + 8);
      TxbIndexEntry& entry = node.Entries[static_cast<std::size_t>(i)];
      entry.Key.assign(reinterpret_cast<const char*>(e), keyLength);
      while (!entry.Key.empty() && entry.Key.back() == pad) entry.Key.pop_back();
      FromDisk(entry.Key);
      entry.RecNo = GetBE32(e + keyLength);
      entry.Child = GetBE32(e + keyLength + 4);
      if (entry.Child < NodeSize || entry.Child % NodeSize != 0) return false;
    }
    return true;
  }
  const int bytes = p[23], recordBits = p[20], dupBits = p[21], trailBits = p[22];
  if (bytes < 1 || bytes > 8 || dupBits > 8 || trailBits > 8 || recordBits + dupBits + trailBits > 8 * bytes)
    return false;
  if (count * bytes > LeafArea) return false;
  const int floor = 24 + count * bytes;
  int position = NodeSize;
  std::string previous(keyLength, pad);
  node.Entries.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* e = p + 24 + i * bytes;
    std::uint64_t v = 0;
    for (int b = bytes - 1; b >= 0; --b) v = (v << 8) | e[b];
    std::uint64_t record = v & Mask(recordBits);
    std::size_t dup = recordBits >= 64 ? 0 : (v >> recordBits) & Mask(dupBits);
    std::size_t trail = trailBits == 0 ? 0 : (v >> (8 * bytes - trailBits)) & Mask(trailBits);
    if (record > 0xFFFFFFFFu || dup + trail > keyLength) return false;
    std::size_t stored = keyLength - dup - trail;
    position -= static_cast<int>(stored);
    if (position < floor) return false;
    std::string full = previous.substr(0, dup);
    full.append(reinterpret_cast<const char*>(p + position), stored);
    TxbIndexEntry& entry = node.Entries[static_cast<std::size_t>(i)];
    entry.Key = full;
    full.append(trail, pad);
    previous.swap(full);
    FromDisk(entry.Key);
    while (!entry.Key.empty() && entry.Key.back() == pad) entry.Key.pop_back();
    entry.RecNo = static_cast<std::uint32_t>(record);
    entry.Child = -1;
  }
  return true;
}

void XBobjCDXTag::EncodeNode(const XBobjIndexKey& node, std::uint8_t* p) const {
  std::memset(p, 0, NodeSize);
  PutLE16(p, static_cast<std::uint16_t>((node.Attributes & ~3u) | (node.Root ? 1 : 0) | (node.Leaf ? 2 : 0)));
  PutLE16(p + 2, static_cast<std::uint16_t>(node.Count()));
  PutLE32(p + 4, static_cast<std::uint32_t>(node.Left));
  PutLE32(p + 8, static_cast<std::uint32_t>(node.Right));
  const char pad = PadByte();
  const auto keyLength = static_cast<std::size_t>(FKeyLength);
  if (!node.Leaf) {
    std::memset(p + 12, static_cast<unsigned char>(pad), NodeSize - 12);
    for (int i = 0; i < node.Count(); ++i) {
      std::uint8_t* e = p + 12 + static_cast<std::size_t>(i) * (keyLength + 8);
      const TxbIndexEntry& entry = node.Entries[static_cast<std::size_t>(i)];
      std::string full = Padded(entry.Key);
      std::memcpy(e, full.data(), keyLength);
      PutBE32(e + keyLength, entry.RecNo);
      PutBE32(e + keyLength + 4, static_cast<std::uint32_t>(entry.Child));
    }
    return;
  }
  TLeafLayout l = LeafLayout(node);
  const int b = l.CountBits;
  p[18] = static_cast<std::uint8_t>(Mask(b));
  p[19] = static_cast<std::uint8_t>(Mask(b));
  PutLE32(p + 14, l.RecordMask);
  p[20] = static_cast<std::uint8_t>(l.RecordBits);
  p[21] = static_cast<std::uint8_t>(b);
  p[22] = static_cast<std::uint8_t>(b);
  p[23] = static_cast<std::uint8_t>(l.EntryBytes);
  int position = NodeSize;
  int used = 0;
  std::string previous(keyLength, pad);
  for (int i = 0; i < node.Count(); ++i) {
    const TxbIndexEntry& entry = node.Entries[static_cast<std::size_t>(i)];
    std::string full = Padded(entry.Key);
    std::size_t length = full.find_last_not_of(pad);
    length = length == std::string::npos ? 0 : length + 1;
    std::size_t dup = 0;
    while (dup < length && full[dup] == previous[dup]) ++dup;
    std::size_t stored = length - dup;
    position -= static_cast<int>(stored);
    if (position < 24 + (i + 1) * l.EntryBytes) break;  // never past the entries (callers check NodeFits)
    std::memcpy(p + position, full.data() + dup, stored);
    std::uint64_t v = (entry.RecNo & Mask(l.RecordBits)) | (static_cast<std::uint64_t>(dup) << l.RecordBits) |
                      (static_cast<std::uint64_t>(keyLength - length) << (8 * l.EntryBytes - b));
    std::uint8_t* e = p + 24 + i * l.EntryBytes;
    for (int k = 0; k < l.EntryBytes; ++k, v >>= 8) e[k] = static_cast<std::uint8_t>(v);
    used += l.EntryBytes + static_cast<int>(stored);
    previous.swap(full);
  }
  PutLE16(p + 12, static_cast<std::uint16_t>(std::max(LeafArea - used, 0)));
}

bool XBobjCDXTag::ReadNode(XBobjIndexKey& node) {
  std::uint8_t page[NodeSize];
  if (node.Page < NodeSize || node.Page % NodeSize != 0) return false;
  if (!FOwner.ReadPage(node.Page, page, NodeSize)) return false;
  return DecodeNode(page, node);
}

bool XBobjCDXTag::WriteNode(XBobjIndexKey& node) {
  std::uint8_t page[NodeSize];
  EncodeNode(node, page);
  CDX().NoteChange();
  FOwner.WritePage(node.Page, page, NodeSize);
  return true;
}

void XBobjCDXTag::Define(std::string_view name, std::string_view keyExpr, std::string_view forExpr, bool unique,
                         bool descending, bool general, char keyType, int keyLength) {
  FRaw.fill(0);
  FOptions = 0x60;
  FGeneral = general;
  FKeyType = keyType;
  FKeyLength = keyLength;
  InitTag(name, keyExpr, forExpr, unique, descending);
}

bool XBobjCDXTag::Load() {
  if (!FOwner.ReadPage(FHeaderOffset, FRaw.data(), FRaw.size())) return false;
  const std::uint8_t* h = FRaw.data();
  std::int64_t root = GetLE32(h);
  std::int64_t size = FOwner.File()->FileSize();
  int keyLength = GetLE16(h + 12);
  if (root < NodeSize || root % NodeSize != 0 || root + NodeSize > size) return false;
  if (keyLength < 1 || keyLength > TxbSort::MaxKeyLength) return false;
  FRoot = root;
  FOptions = h[14];
  FGeneral = std::memcmp(h + 494, "GENERAL", 7) == 0;
  if (IsDirectory()) {
    if (keyLength != 10) return false;
    FKeyLength = 10;
    FKeyType = 'C';
    FGeneral = false;
    return true;
  }
  if (FOptions & 0x80) return false;  // only the directory carries 0x80
  FKeyLength = keyLength;
  const char* text = reinterpret_cast<const char*>(h + 512);
  const char* end = static_cast<const char*>(std::memchr(text, 0, 512));
  if (!end) return false;
  std::string key(text, end);
  std::string forExpr;
  if (FOptions & 0x08) {
    const char* forText = end + 1;
    const char* forEnd = static_cast<const char*>(std::memchr(forText, 0, static_cast<std::size_t>(h + 1024 - reinterpret_cast<const std::uint8_t*>(forText))));
    if (!forEnd) return false;
    forExpr.assign(forText, forEnd);
  }
  if (key.find_first_not_of(' ') == std::string::npos) return false;
  FKeyType = 'C';
  InitTag(FName, key, forExpr, (FOptions & 0x01) != 0, GetLE16(h + 502) == 1);
  XBO_dBaseFld* table = FOwner.Table();
  if (FKeyError.empty() && FKeyHandler && table) {
    try {
      const TxbExpValue& v = FKeyHandler->Evaluate();
      if (v.Type == xbtDate)
        FKeyType = 'D';
      else if (XbIsNumeric(v.Type))
        FKeyType = keyLength == 4 && XbIsFieldOfType(*FKeyHandler, *table, 'I') ? 'I' : 'N';
      else if (v.Type != xbtText && v.Type != xbtBoolean)
        FKeyError = SCannotEvaluate;
    } catch (const Exception& e) {
      FKeyError = e.Message;
    }
  }
  return true;
}

void XBobjCDXTag::ReadHeader() {
  std::uint8_t root[4];
  if (!FOwner.ReadPage(FHeaderOffset, root, 4)) Damaged();
  std::int64_t r = GetLE32(root);
  if (r < NodeSize || r % NodeSize != 0) Damaged();
  FRoot = r;
  FHeaderChanged = false;
}

void XBobjCDXTag::WriteHeader() {
  std::uint8_t* h = FRaw.data();
  PutLE32(h, static_cast<std::uint32_t>(FRoot));
  PutLE32(h + 4, 0);
  if (IsDirectory()) PutLE32(h + 8, CDX().Version());
  PutLE16(h + 12, static_cast<std::uint16_t>(FKeyLength));
  FOptions = static_cast<std::uint8_t>((FOptions & ~0x09) | 0x60 | (IsDirectory() ? 0x80 : 0) | (FUnique ? 0x01 : 0) |
                                       (FHasFor ? 0x08 : 0));
  h[14] = FOptions;
  h[15] = FGeneral ? 2 : 1;
  if (FGeneral)
    std::memcpy(h + 494, "GENERAL\0", 8);
  else if (std::memcmp(h + 494, "GENERAL", 7) == 0)
    std::memset(h + 494, 0, 8);
  PutLE16(h + 502, FDescending ? 1 : 0);
  PutLE16(h + 504, static_cast<std::uint16_t>(FKeyExpr.size() + 1));
  PutLE16(h + 506, static_cast<std::uint16_t>(FHasFor ? FForExpr.size() + 1 : 1));
  PutLE16(h + 508, 0);
  PutLE16(h + 510, static_cast<std::uint16_t>(FKeyExpr.size() + 1));
  std::memset(h + 512, 0, 512);
  std::memcpy(h + 512, FKeyExpr.data(), std::min<std::size_t>(FKeyExpr.size(), 510));
  if (FHasFor && FKeyExpr.size() + FForExpr.size() + 2 <= 512)
    std::memcpy(h + 512 + FKeyExpr.size() + 1, FForExpr.data(), FForExpr.size());
  CDX().NoteChange();
  FOwner.WritePage(FHeaderOffset, h, FRaw.size());
  FHeaderChanged = false;
}

void XBobjCDXTag::Build() { BuildTree(FKeyType == 'C'); }

// ---- XBobjCDXFile ----

XBobjCDXFile::XBobjCDXFile(XBO_dBaseFld* table, std::string_view name, bool create, bool readWrite, bool shared)
    : XBobjIndexFile(table) {
  OpenOrCreate(name, ".CDX", create, readWrite, shared);
  FDirectory = std::make_unique<XBobjCDXTag>(*this, 0);
  if (FFile->FileSize() == 0 && FFile->ReadWrite())
    InitEmpty();
  else
    OpenTags();
  if (FTable && !FDamaged) {
    std::string own = WithoutExtension(FFile->FileName()), other = WithoutExtension(FTable->FileName());
    if (own == other) {
      FProduction = true;
      FTable->SetProductionIndex();
    }
  }
}

XBobjCDXFile::~XBobjCDXFile() = default;

void XBobjCDXFile::OpenTags() {
  FTags.clear();
  if (!FDirectory->Load()) {
    FDamaged = true;
    return;
  }
  FVersion = GetLE32(FDirectory->FRaw.data() + 8);
  try {
    int guard = 0;
    for (FDirectory->TagMove(-3); !FDirectory->Eof(); FDirectory->TagMove(-1)) {
      if (++guard > 65536) RaiseDamaged();
      auto tag = std::make_unique<XBobjCDXTag>(*this, FDirectory->CurrentKey().RecNo);
      tag->SetName(XbTagName(FDirectory->CurrentStored()));
      if (tag->HeaderOffset() < XBobjCDXTag::NodeSize || tag->HeaderOffset() % XBobjCDXTag::NodeSize != 0 || !tag->Load())
        FDamaged = true;
      FTags.push_back(std::move(tag));
    }
  } catch (const EXBaseError&) {
    FDamaged = true;
  }
}

void XBobjCDXFile::InitEmpty() {
  UnderWholeFile([&] {
    FFile->Truncate(0);
    FEnd = 1024;
    FSpare.clear();
    FDirectory = std::make_unique<XBobjCDXTag>(*this, 0);
    FDirectory->PlantEmptyRoot();
    FDirectory->ClearCache();
  });
}

std::int64_t XBobjCDXFile::NewPage() {
  if (std::int64_t spare; TakeSpare(spare)) return spare;
  if (FEnd < 0) FEnd = (FFile->FileSize() + XBobjCDXTag::NodeSize - 1) / XBobjCDXTag::NodeSize * XBobjCDXTag::NodeSize;
  std::int64_t page = std::max<std::int64_t>(FEnd, 1024);
  FEnd = page + XBobjCDXTag::NodeSize;
  return page;
}

void XBobjCDXFile::OnLocked() {
  XBobjIndexFile::OnLocked();
  FCounted = false;
}

void XBobjCDXFile::NoteChange() {
  if (FCounted) return;
  FCounted = true;
  ++FVersion;
  std::uint8_t v[4];
  PutLE32(v, FVersion);
  WritePage(8, v, 4);
}

void XBobjCDXFile::FlushPending() { FCounted = false; }

void XBobjCDXFile::Resync() {
  ReadVersion(FVersion);
  ForgetEnd();
  FDirectory->ClearCache();
  FDirectory->ReadHeader();
  ReadTagHeaders();
}

void XBobjCDXFile::CheckDefinition(const TTagDef& def, char& keyType, int& keyLength) {
  if (!FTable) throw EXBaseError("No table for index " + FileName());
  if (def.Name.empty() || def.Name.size() > 10 ||
      def.Name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") != std::string::npos ||
      (def.Name[0] >= '0' && def.Name[0] <= '9'))
    throw EXBaseError("Invalid index tag name " + def.Name);
  if (def.Key.find_first_not_of(' ') == std::string::npos || def.Key.size() + def.For.size() + 2 > 512)
    RaiseEngineError(xbeFormula, xbsNone, def.Key);
  TxbExpHandler key(&FTable->ExpLink(), false, def.Key);  // raises when it does not compile
  if (def.For.find_first_not_of(' ') != std::string::npos) TxbExpHandler condition(&FTable->ExpLink(), false, def.For);
  const TxbExpValue& v = key.Evaluate();
  if (v.Type == xbtDate) {
    keyType = 'D', keyLength = 8;
  } else if (XbIsNumeric(v.Type)) {
    bool integer = XbIsFieldOfType(key, *FTable, 'I');
    keyType = integer ? 'I' : 'N';
    keyLength = integer ? 4 : 8;
  } else if (v.Type == xbtText || v.Type == xbtBoolean) {
    keyType = 'C';
    std::size_t length = v.Type == xbtText ? v.Text.size() : 1;
    if (length > static_cast<std::size_t>(TxbSort::MaxKeyLength)) throw EXBaseError(SSortKeyTooLong);
    if (def.General) length = std::min<std::size_t>(length * 2, TxbSort::MaxKeyLength);
    keyLength = static_cast<int>(length);
  } else {
    keyLength = 0;
  }
  if (keyLength == 0) RaiseEngineError(xbeFormula, xbsNone, def.Key);
}

XBobjCDXTag* XBobjCDXFile::CreateTag(const TTagDef& def, char keyType, int keyLength) {
  std::int64_t header = NewPage();
  NewPage();  // headers take two nodes
  auto tag = std::make_unique<XBobjCDXTag>(*this, header);
  tag->Define(def.Name, def.Key, def.For, def.Unique, def.Descending, def.General, keyType, keyLength);
  tag->Build();
  FDirectory->InsertKey(def.Name, static_cast<std::uint32_t>(header));
  XBobjCDXTag* result = tag.get();
  FTags.push_back(std::move(tag));
  std::stable_sort(FTags.begin(), FTags.end(), [](const auto& a, const auto& b) { return a->Name() < b->Name(); });
  return result;
}

XBobjIndexTag* XBobjCDXFile::AddTag(std::string_view name, std::string_view keyExpr, std::string_view forExpr,
                                    bool unique, bool descending) {
  return AddTagCollated(name, keyExpr, forExpr, unique, descending, false);
}

XBobjIndexTag* XBobjCDXFile::AddTagCollated(std::string_view name, std::string_view keyExpr, std::string_view forExpr,
                                            bool unique, bool descending, bool general) {
  if (FDamaged) RaiseDamaged();
  TTagDef def{XbTagName(name), std::string(keyExpr), std::string(forExpr), unique, descending, general};
  char keyType;
  int keyLength;
  CheckDefinition(def, keyType, keyLength);  // refused before the file changes
  XBobjCDXTag* tag;
  LockIndex();
  try {
    for (std::size_t i = 0; i < FTags.size(); ++i)
      if (FTags[i]->Name() == def.Name) {
        auto* old = static_cast<XBobjCDXTag*>(FTags[i].get());
        FDirectory->DeleteKey(def.Name, static_cast<std::uint32_t>(old->HeaderOffset()));
        FTags.erase(FTags.begin() + static_cast<std::ptrdiff_t>(i));
        break;
      }
    tag = CreateTag(def, keyType, keyLength);
  } catch (...) {
    UnlockIndex();
    throw;
  }
  UnlockIndex();
  FCurrentTag = -1;
  return tag;
}

bool XBobjCDXFile::DeleteTag(std::string_view name) {
  if (FDamaged) RaiseDamaged();
  std::string n = XbTagName(name);
  auto it = std::find_if(FTags.begin(), FTags.end(), [&](const auto& t) { return t->Name() == n; });
  if (it == FTags.end()) return false;
  FCurrentTag = -1;
  if (FTags.size() == 1) {  // the last one: the file starts again
    UnderWholeFile([&] {
      FTags.clear();
      InitEmpty();
    });
    return true;
  }
  auto* tag = static_cast<XBobjCDXTag*>(it->get());
  LockIndex();
  try {
    FDirectory->DeleteKey(n, static_cast<std::uint32_t>(tag->HeaderOffset()));
  } catch (...) {
    UnlockIndex();
    throw;
  }
  UnlockIndex();
  FTags.erase(it);
  return true;
}

XBobjCDXFile::TTagDef XBobjCDXFile::DefOf(const XBobjCDXTag& tag) const {
  return {tag.Name(), tag.KeyExpression(), tag.ForExpression(), tag.Unique(), tag.Descending(), tag.General()};
}

void XBobjCDXFile::Reindex() {
  if (FDamaged && FTags.empty()) RaiseDamaged();
  std::vector<TTagDef> defs;
  std::vector<std::pair<char, int>> shapes;
  for (const auto& t : FTags) {
    defs.push_back(DefOf(static_cast<const XBobjCDXTag&>(*t)));
    char type;
    int length;
    CheckDefinition(defs.back(), type, length);  // every tag must build before anything is cut
    shapes.emplace_back(type, length);
  }
  UnderWholeFile([&] {
    FTags.clear();
    InitEmpty();
    UnderIndexLock([&] {
      for (std::size_t i = 0; i < defs.size(); ++i) CreateTag(defs[i], shapes[i].first, shapes[i].second);
    });
    FDamaged = false;
  });
  FCurrentTag = -1;
}
