#pragma once
// The engine's owning list and its bit set over record numbers.
#include <cstdint>
#include <memory>
#include <vector>

#include "classlib/core/lists.h"

// A list that owns its items: removing one frees it (FreeItem), and so does the destructor.
class TxbCollection : public TList {
 public:
  TxbCollection() = default;
  ~TxbCollection() override;
  TObject* Item(int index) const { return static_cast<TObject*>(Get(index)); }
  // Frees every item in index order; the count becomes 0.
  void FreeAll();

 protected:
  virtual void FreeItem(void* item);
  void Notify(void* Item, TListNotification Action) override;
};

// A set of non-negative 32-bit indexes (record numbers) in pages of 131,072 bits; pages that
// were never set take no memory. Negative indexes are ignored.
class TxbHugeSet : public TObject {
 public:
  enum TOp { opClear = 0, opSet = 1, opToggle = 2 };
  void SetState(std::int32_t index, int op);
  bool Test(std::int32_t index) const;
  void ClearAll();
  std::int32_t HighestIndex() const { return FHighest; }
  int AllocatedPages() const;

  static constexpr int PageBytes = 16384;

 private:
  std::vector<std::unique_ptr<std::uint8_t[]>> FPages;
  std::int32_t FHighest = -1;
};
