#include "classlib/core/lists.h"

#include <algorithm>

HX_PUBLISH(TList, p) {}

void ListIndexError(int Index) {
  String text = kListIndexErrorText;
  text.replace(text.find("%d"), 2, std::to_string(Index));
  throw EListError(text);
}

TList::~TList() {
  // Descendants' Notify is gone by now: plain removal.
  FItems.clear();
}

void TList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
}

void* TList::Get(int Index) const {
  CheckIndex(Index);
  return FItems[static_cast<size_t>(Index)];
}

void TList::Put(int Index, void* Item) {
  CheckIndex(Index);
  void* old = FItems[static_cast<size_t>(Index)];
  if (old == Item) return;
  FItems[static_cast<size_t>(Index)] = Item;
  if (old) Notify(old, lnDeleted);
  if (Item) Notify(Item, lnAdded);
}

int TList::Add(void* Item) {
  FItems.push_back(Item);
  if (Item) Notify(Item, lnAdded);
  return Count() - 1;
}

void TList::Insert(int Index, void* Item) {
  if (Index < 0 || Index > Count()) ListIndexError(Index);
  FItems.insert(FItems.begin() + Index, Item);
  if (Item) Notify(Item, lnAdded);
}

void TList::Delete(int Index) {
  CheckIndex(Index);
  void* item = FItems[static_cast<size_t>(Index)];
  FItems.erase(FItems.begin() + Index);
  if (item) Notify(item, lnDeleted);
}

int TList::Remove(void* Item) {
  int i = IndexOf(Item);
  if (i >= 0) Delete(i);
  return i;
}

void* TList::Extract(void* Item) {
  int i = IndexOf(Item);
  if (i < 0) return nullptr;
  FItems.erase(FItems.begin() + i);
  Notify(Item, lnExtracted);
  return Item;
}

void TList::Clear() {
  while (!FItems.empty()) Delete(Count() - 1);
}

int TList::IndexOf(void* Item) const {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  std::swap(FItems[static_cast<size_t>(Index1)], FItems[static_cast<size_t>(Index2)]);
}

void TList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  void* item = FItems[static_cast<size_t>(CurIndex)];
  FItems.erase(FItems.begin() + CurIndex);
  FItems.insert(FItems.begin() + NewIndex, item);
}

void TList::Pack() { FItems.erase(std::remove(FItems.begin(), FItems.end(), nullptr), FItems.end()); }

void TList::Sort(const std::function<int(void*, void*)>& Compare) {
  std::stable_sort(FItems.begin(), FItems.end(), [&](void* a, void* b) { return Compare(a, b) < 0; });
}

void TList::Notify(void*, TListNotification) {}
