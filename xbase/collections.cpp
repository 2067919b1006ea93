#include "xbase/collections.h"

TxbCollection::~TxbCollection() { FreeAll(); }

void TxbCollection::FreeItem(void* item) { delete static_cast<TObject*>(item); }

void TxbCollection::Notify(void* Item, TListNotification Action) {
  if (Action == lnDeleted) FreeItem(Item);
}

void TxbCollection::FreeAll() {
  std::vector<void*> items;
  for (int i = 0; i < Count(); ++i) items.push_back(Get(i));
  while (Count() > 0) Extract(Get(Count() - 1));
  for (void* item : items)
    if (item) FreeItem(item);
}

void TxbHugeSet::SetState(std::int32_t index, int op) {
  if (index < 0) return;
  std::size_t page = static_cast<std::uint32_t>(index) >> 17;
  std::uint8_t mask = static_cast<std::uint8_t>(1u << (index & 7));
  std::size_t byte = (static_cast<std::uint32_t>(index) >> 3) & (PageBytes - 1);
  if (page >= FPages.size()) {
    if (op == opClear) return;  // clearing a bit of a page never set changes nothing
    FPages.resize(page + 1);
  }
  if (!FPages[page]) {
    if (op == opClear) return;
    FPages[page] = std::make_unique<std::uint8_t[]>(PageBytes);  // zeroed
  }
  std::uint8_t& b = FPages[page][byte];
  if (op == opClear)
    b &= static_cast<std::uint8_t>(~mask);
  else if (op == opSet)
    b |= mask;
  else
    b ^= mask;
  if (index > FHighest) FHighest = index;
}

bool TxbHugeSet::Test(std::int32_t index) const {
  if (index < 0 || index > FHighest) return false;
  std::size_t page = static_cast<std::uint32_t>(index) >> 17;
  if (page >= FPages.size() || !FPages[page]) return false;
  std::size_t byte = (static_cast<std::uint32_t>(index) >> 3) & (PageBytes - 1);
  return (FPages[page][byte] >> (index & 7)) & 1;
}

void TxbHugeSet::ClearAll() {
  for (auto& page : FPages)
    if (page) std::fill(page.get(), page.get() + PageBytes, 0);
  FHighest = -1;
}

int TxbHugeSet::AllocatedPages() const {
  int n = 0;
  for (const auto& page : FPages) n += page ? 1 : 0;
  return n;
}
