#pragma once
// TxbSort: orders the (key, record number) pairs of a whole table for an index build, so the
// index can be written bottom-up. Keys go into one arena (no allocation per key); a full arena
// is sorted into a run, and retrieval merges the runs.
//
// One order everywhere: the key bytes (text mapped through the collation, and a shorter text
// compared as if padded with blanks), then the record number as an unsigned number; descending
// reverses both. Floats keep all 8 bytes, so neighbouring values never mix with the record
// number's bytes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "xbase/casetables.h"
#include "xbase/variant.h"

class TxbSort : public TObject {
 public:
  static constexpr int MaxKeyLength = 240;

  // maxKeyLength above 240 raises "Sort key length greater than 240 bytes". The arena holds
  // about memoryBudget bytes before it is sorted into a run.
  TxbSort(int maxKeyLength, const TxbByteTable* collation, bool unique, bool descending,
          std::size_t memoryBudget = 16u << 20);

  // Text, float, date or binary; others raise "Variant type cannot be sorted". A key longer
  // than the maximum (texts without their trailing blanks) raises; so does adding after
  // retrieval began.
  void AddKey(const TxbVariant& value, std::uint32_t recno);
  // The next pair in order; false when none is left. The first call ends the adding.
  bool NextKey(TxbVariant& value, std::uint32_t& recno);

  std::int64_t Count() const { return FCount; }
  int RunCount() const { return static_cast<int>(FRuns.size()); }

  // The order of two keys given as (type, bytes): <0, 0, >0 (record numbers not compared;
  // descending not applied).
  static int CompareKeys(std::uint8_t type, const std::uint8_t* a, std::size_t la, const std::uint8_t* b,
                         std::size_t lb, const TxbByteTable* collation);

 private:
  // An entry: type (1), key length (1), key bytes, record number (4, native order).
  int Compare(const std::uint8_t* a, const std::uint8_t* b) const;
  void SpillArena();
  void Decode(const std::uint8_t* e, TxbVariant& value, std::uint32_t& recno) const;
  const std::uint8_t* RunEntry(std::size_t run) const;

  int FMaxKeyLength;
  const TxbByteTable* FCollation;
  bool FUnique, FDescending;
  std::size_t FBudget;
  bool FAccepting = true;
  std::int64_t FCount = 0;
  // Taken whole at the first key and never grown (the budget bounds it): growing would
  // copy it and touch fresh memory twice.
  std::unique_ptr<std::uint8_t[]> FArena;
  std::size_t FArenaSize = 0;
  // The arena's entries, each with its type and the first 8 bytes of its key as they
  // compare: most comparisons end there without reading the arena.
  struct TItem {
    std::uint64_t Prefix;
    std::uint32_t Offset;
    std::uint8_t Type;
  };
  std::vector<TItem> FOffsets;
  void SortArena();
  std::uint64_t PrefixOf(std::uint8_t type, const std::uint8_t* key, std::size_t length) const;
  struct TRun {
    std::vector<std::uint8_t> Bytes;  // entries in order
    std::size_t Position = 0;
  };
  std::vector<TRun> FRuns;
  std::vector<std::size_t> FHeap;  // runs by their current entry
  std::size_t FNext = 0;           // the arena's next entry when there is no run
  std::vector<std::uint8_t> FLast;  // the key last returned (unique)
  bool FHaveLast = false;
};
