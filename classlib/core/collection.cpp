#include "classlib/core/collection.h"

#include <algorithm>

#include "classlib/core/finally.h"
#include "classlib/core/lists.h"

HX_PUBLISH(TCollectionItem, p) {}
HX_PUBLISH(TCollection, p) {}

// ---- TCollectionItem ----

TCollectionItem::TCollectionItem(TCollection* Collection) {
  if (Collection) Collection->InsertItem(this);
}

TCollectionItem::~TCollectionItem() {
  if (FCollection) FCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* Value) {
  if (Value == FCollection) return;
  if (FCollection) {
    FCollection->Notify(this, cnExtracting);
    FCollection->RemoveItem(this);
  }
  if (Value) {
    Value->InsertItem(this);
    Value->Notify(this, cnAdded);
    Value->Changed();
  }
}

int TCollectionItem::GetIndex() const {
  if (!FCollection) return -1;
  const auto& items = FCollection->FItems;
  return static_cast<int>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int Value) {
  int current = GetIndex();
  if (current < 0 || Value == current) return;
  auto& items = FCollection->FItems;
  if (Value < 0 || Value >= static_cast<int>(items.size())) ListIndexError(Value);
  items.erase(items.begin() + current);
  items.insert(items.begin() + Value, this);
  Changed(true);
}

String TCollectionItem::GetDisplayName() { return ClassName(); }
void TCollectionItem::SetDisplayName(const String&) { Changed(false); }

TPersistent* TCollectionItem::GetOwner() { return FCollection; }

String TCollectionItem::GetNamePath() {
  if (!FCollection) return ClassName();
  return FCollection->GetNamePath() + "[" + std::to_string(GetIndex()) + "]";
}

void TCollectionItem::Changed(bool AllItems) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

// ---- TCollection ----

TCollection::TCollection(TPersistent* Owner, TClass ItemClass) : FOwner(Owner), FItemClass(ItemClass) {
  if (!ItemClass || !ItemClass->InheritsFrom(ClassOf<TCollectionItem>()))
    throw EInvalidOperation("A collection holds TCollectionItem descendants");
}

TCollection::~TCollection() {
  FUpdateCount = 1;  // nobody is told of the items' removal any more
  while (!FItems.empty()) delete FItems.back();
}

TCollectionItem* TCollection::GetItem(int Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
  return FItems[static_cast<size_t>(Index)];
}

void TCollection::SetItem(int Index, TCollectionItem* Value) { GetItem(Index)->Assign(Value); }

TCollectionItem* TCollection::Add() {
  TCollectionItem* item = FItemClass->CreateItem(this);
  if (!item) throw EInvalidOperation("Cannot create an item of class " + FItemClass->ClassName());
  Notify(item, cnAdded);
  Changed();
  return item;
}

TCollectionItem* TCollection::Insert(int Index) {
  if (Index < 0 || Index > Count()) ListIndexError(Index);
  TUpdateScope update(this);
  TCollectionItem* item = Add();
  item->SetIndex(Index);
  return item;
}

void TCollection::Delete(int Index) {
  TCollectionItem* item = GetItem(Index);
  Notify(item, cnDeleting);
  delete item;
}

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  while (!FItems.empty()) {
    TCollectionItem* item = FItems.back();
    Notify(item, cnDeleting);
    delete item;
  }
  EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int ID) const {
  for (TCollectionItem* item : FItems)
    if (item->FID == ID) return item;
  return nullptr;
}

void TCollection::BeginUpdate() { ++FUpdateCount; }

void TCollection::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  Changed();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::Update(TCollectionItem*) {}
void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::InsertItem(TCollectionItem* Item) {
  FItems.push_back(Item);
  Item->FCollection = this;
  Item->FID = FNextID++;
}

void TCollection::RemoveItem(TCollectionItem* Item) {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it != FItems.end()) FItems.erase(it);
  Item->FCollection = nullptr;
  Changed();
}

void TCollection::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TCollection*>(Source);
  if (!source) return TPersistent::Assign(Source);
  if (source == this) return;
  TUpdateScope update(this);
  Clear();
  for (TCollectionItem* item : source->FItems) Add()->Assign(item);
}

String TCollection::PropName() {
  if (!FOwner) return String();
  for (const TPropInfo* prop : FOwner->ClassType()->Properties())
    if (prop->Kind() == tkClass && prop->GetObject(FOwner) == this) return prop->Name();
  return String();
}

String TCollection::GetNamePath() {
  if (!FOwner) return ClassName();
  String ownerPath = FOwner->GetNamePath();
  String prop = PropName();
  if (ownerPath.empty() || prop.empty()) return ClassName();
  return ownerPath + "." + prop;
}
