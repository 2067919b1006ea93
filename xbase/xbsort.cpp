#include "xbase/xbsort.h"

#include <algorithm>
#include <cstring>

#include "xbase/errors.h"

namespace {

enum : std::uint8_t { tagBinary = 16, tagText = 32, tagFloat = 48, tagDate = 64 };

// Doubles as bytes that sort as the numbers do: big-endian, the sign bit set for positive
// values, every bit inverted for negative ones.
void FloatBytes(double d, std::uint8_t* out) {
  if (d == 0) d = 0.0;  // -0.0 is 0
  std::uint64_t u;
  std::memcpy(&u, &d, 8);
  u = (u & 0x8000000000000000ull) ? ~u : (u | 0x8000000000000000ull);
  for (int i = 7; i >= 0; --i, u >>= 8) out[i] = static_cast<std::uint8_t>(u);
}

double FloatFromBytes(const std::uint8_t* in) {
  std::uint64_t u = 0;
  for (int i = 0; i < 8; ++i) u = (u << 8) | in[i];
  u = (u & 0x8000000000000000ull) ? (u & ~0x8000000000000000ull) : ~u;
  double d;
  std::memcpy(&d, &u, 8);
  return d;
}

}  // namespace

TxbSort::TxbSort(int maxKeyLength, const TxbByteTable* collation, bool unique, bool descending,
                 std::size_t memoryBudget)
    : FMaxKeyLength(maxKeyLength), FCollation(collation), FUnique(unique), FDescending(descending),
      FBudget(std::max<std::size_t>(memoryBudget, 4096)) {
  if (maxKeyLength > MaxKeyLength) throw EXBaseError(SSortKeyTooLong);
}

int TxbSort::CompareKeys(std::uint8_t type, const std::uint8_t* a, std::size_t la, const std::uint8_t* b,
                         std::size_t lb, const TxbByteTable* collation) {
  std::size_t n = std::min(la, lb);
  if (type == tagText && collation) {
    const TxbByteTable& map = *collation;
    for (std::size_t i = 0; i < n; ++i)
      if (map[a[i]] != map[b[i]]) return map[a[i]] < map[b[i]] ? -1 : 1;
  } else if (n > 0) {
    int c = std::memcmp(a, b, n);
    if (c != 0) return c < 0 ? -1 : 1;
  }
  if (la == lb) return 0;
  if (type != tagText) return la < lb ? -1 : 1;
  // A shorter text reads as padded with blanks.
  std::uint8_t blank = collation ? (*collation)[' '] : ' ';
  const std::uint8_t* rest = la > lb ? a : b;
  for (std::size_t i = n; i < std::max(la, lb); ++i) {
    std::uint8_t c = collation ? (*collation)[rest[i]] : rest[i];
    if (c != blank) return (c > blank) == (la > lb) ? 1 : -1;
  }
  return 0;
}

int TxbSort::Compare(const std::uint8_t* a, const std::uint8_t* b) const {
  int c;
  if (a[0] != b[0])
    c = a[0] < b[0] ? -1 : 1;
  else
    c = CompareKeys(a[0], a + 2, a[1], b + 2, b[1], FCollation);
  if (c == 0) {
    std::uint32_t ra, rb;
    std::memcpy(&ra, a + 2 + a[1], 4);
    std::memcpy(&rb, b + 2 + b[1], 4);
    c = ra < rb ? -1 : (ra > rb ? 1 : 0);
    // A unique sort keeps the lowest record of each key, in either direction.
    return FDescending && !FUnique ? -c : c;
  }
  return FDescending ? -c : c;
}

void TxbSort::AddKey(const TxbVariant& value, std::uint32_t recno) {
  if (!FAccepting) throw EXBaseError(SCannotAddSortKeys);
  std::uint8_t key[8];
  const std::uint8_t* bytes = key;
  std::size_t length = 0;
  std::uint8_t tag;
  switch (value.Type()) {
    case xvText:
      tag = tagText;
      bytes = reinterpret_cast<const std::uint8_t*>(value.Data());
      length = value.Length();
      while (length > 0 && bytes[length - 1] == ' ') --length;
      break;
    case xvBinary:
      tag = tagBinary;
      bytes = reinterpret_cast<const std::uint8_t*>(value.Data());
      length = value.Length();
      break;
    case xvFloat:
      tag = tagFloat;
      FloatBytes(value.AsFloat(), key);
      length = 8;
      break;
    case xvDate: {
      tag = tagDate;
      std::uint32_t day = static_cast<std::uint32_t>(value.AsDate()) ^ 0x80000000u;
      for (int i = 3; i >= 0; --i, day >>= 8) key[i] = static_cast<std::uint8_t>(day);
      length = 4;
      break;
    }
    default: throw EXBaseError(SVariantNoSort);
  }
  if (length > static_cast<std::size_t>(FMaxKeyLength) && tag != tagFloat && tag != tagDate)
    throw EXBaseError(SSortKeyTooLong);
  if (!FOffsets.empty() && FArenaSize + length + 6 > FBudget) SpillArena();
  if (!FArena) {
    FArena.reset(new std::uint8_t[FBudget]);
    FOffsets.reserve(FBudget / 16);
  }
  std::size_t at = FArenaSize;
  FArenaSize += length + 6;
  std::uint8_t* e = FArena.get() + at;
  e[0] = tag;
  e[1] = static_cast<std::uint8_t>(length);
  if (length > 0) std::memcpy(e + 2, bytes, length);
  std::memcpy(e + 2 + length, &recno, 4);
  FOffsets.push_back({PrefixOf(tag, bytes, length), static_cast<std::uint32_t>(at), tag});
  ++FCount;
}

std::uint64_t TxbSort::PrefixOf(std::uint8_t type, const std::uint8_t* key, std::size_t length) const {
  // A text reads as padded with blanks, other keys with zeros (shorter first).
  std::uint8_t pad = type == tagText ? (FCollation ? (*FCollation)[' '] : ' ') : 0;
  std::uint64_t prefix = 0;
  for (std::size_t i = 0; i < 8; ++i) {
    std::uint8_t c = i < length ? key[i] : pad;
    if (i < length && type == tagText && FCollation) c = (*FCollation)[c];
    prefix = (prefix << 8) | c;
  }
  return prefix;
}

void TxbSort::SortArena() {
  const std::uint8_t* base = FArena.get();
  std::sort(FOffsets.begin(), FOffsets.end(), [&](const TItem& x, const TItem& y) {
    if (x.Type != y.Type) return (x.Type < y.Type) != FDescending;
    if (x.Prefix != y.Prefix) return (x.Prefix < y.Prefix) != FDescending;
    return Compare(base + x.Offset, base + y.Offset) < 0;
  });
}

void TxbSort::SpillArena() {
  SortArena();
  const std::uint8_t* base = FArena.get();
  TRun run;
  run.Bytes.reserve(FArenaSize);
  for (const TItem& item : FOffsets) {
    std::uint32_t o = item.Offset;
    run.Bytes.insert(run.Bytes.end(), base + o, base + o + base[o + 1] + 6);
  }
  FRuns.push_back(std::move(run));
  FArenaSize = 0;
  FOffsets.clear();
}

const std::uint8_t* TxbSort::RunEntry(std::size_t run) const {
  const TRun& r = FRuns[run];
  return r.Bytes.data() + r.Position;
}

void TxbSort::Decode(const std::uint8_t* e, TxbVariant& value, std::uint32_t& recno) const {
  std::size_t length = e[1];
  const std::uint8_t* key = e + 2;
  std::memcpy(&recno, key + length, 4);
  switch (e[0]) {
    case tagText: value.SetString(std::string_view(reinterpret_cast<const char*>(key), length)); break;
    case tagFloat: value.SetFloat(FloatFromBytes(key)); break;
    case tagDate: {
      std::uint32_t day = 0;
      for (int i = 0; i < 4; ++i) day = (day << 8) | key[i];
      value.SetDate(static_cast<std::int32_t>(day ^ 0x80000000u));
      break;
    }
    default: value.SetBinary(key, length);
  }
}

bool TxbSort::NextKey(TxbVariant& value, std::uint32_t& recno) {
  // The heap's top is the run whose entry comes first; ties go to the earlier run.
  auto later = [&](std::size_t x, std::size_t y) {
    int c = Compare(RunEntry(x), RunEntry(y));
    return c != 0 ? c > 0 : x > y;
  };
  if (FAccepting) {
    FAccepting = false;
    if (!FRuns.empty()) {
      if (!FOffsets.empty()) SpillArena();
      for (std::size_t i = 0; i < FRuns.size(); ++i) FHeap.push_back(i);
      std::make_heap(FHeap.begin(), FHeap.end(), later);
    } else {
      SortArena();
    }
  }
  for (;;) {
    const std::uint8_t* e;
    if (FRuns.empty()) {
      if (FNext >= FOffsets.size()) return false;
      e = FArena.get() + FOffsets[FNext++].Offset;
    } else {
      if (FHeap.empty()) return false;
      std::pop_heap(FHeap.begin(), FHeap.end(), later);
      std::size_t run = FHeap.back();
      e = RunEntry(run);
      FRuns[run].Position += e[1] + 6;
      if (FRuns[run].Position < FRuns[run].Bytes.size())
        std::push_heap(FHeap.begin(), FHeap.end(), later);
      else
        FHeap.pop_back();
    }
    if (FUnique) {
      if (FHaveLast && FLast[0] == e[0] &&
          CompareKeys(e[0], e + 2, e[1], FLast.data() + 2, FLast[1], FCollation) == 0)
        continue;
      FLast.assign(e, e + 2 + e[1]);
      FHaveLast = true;
    }
    Decode(e, value, recno);
    return true;
  }
}
