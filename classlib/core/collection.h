#pragma once
// TCollection and TCollectionItem: an owned, ordered list of items with published
// properties, streamed inside a form (stored files, grid columns, message definitions ...).
#include <vector>

#include "classlib/core/persistent.h"

class TCollection;

HX_ENUM(TCollectionNotification, cnAdded, cnExtracting, cnDeleting);

class TCollectionItem : public TPersistent {
  HX_CLASS(TCollectionItem, TPersistent)
 public:
  // Joins the collection at its end. Create items through TCollection::Add or Insert,
  // which also notify the collection once the item is complete.
  explicit TCollectionItem(TCollection* Collection);
  ~TCollectionItem() override;  // leaves its collection

  TCollection* Collection() const { return FCollection; }
  void SetCollection(TCollection* Value);
  int GetIndex() const;
  virtual void SetIndex(int Value);
  // Unique within the collection, kept when items move.
  int ID() const { return FID; }
  virtual String GetDisplayName();
  virtual void SetDisplayName(const String& Value);

  TPersistent* GetOwner() override;
  String GetNamePath() override;  // "Form1.Grid.Columns[2]"

 protected:
  // Tells the collection of a change of this item, or of all items.
  void Changed(bool AllItems);

 private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  int FID = 0;
};

class TCollection : public TPersistent {
  HX_CLASS(TCollection, TPersistent)
 public:
  // ItemClass: the class of the items Add creates (a TCollectionItem descendant).
  TCollection(TPersistent* Owner, TClass ItemClass);
  ~TCollection() override;

  TClass ItemClass() const { return FItemClass; }
  int Count() const { return static_cast<int>(FItems.size()); }
  TCollectionItem* GetItem(int Index) const;  // EListError when out of range
  void SetItem(int Index, TCollectionItem* Value);  // assigns Value to the item
  TCollectionItem* Add();
  TCollectionItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  TCollectionItem* FindItemID(int ID) const;
  // Changes between BeginUpdate and EndUpdate are reported once, by EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  void Assign(TPersistent* Source) override;
  TPersistent* Owner() const { return FOwner; }
  TPersistent* GetOwner() override { return FOwner; }
  String GetNamePath() override;

 protected:
  // A change of Item, or of the whole collection when Item is nullptr.
  virtual void Update(TCollectionItem* Item);
  virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);
  // The name of the owner's published property that holds this collection.
  String PropName();

  TPersistent* FOwner;
  TClass FItemClass;
  std::vector<TCollectionItem*> FItems;
  int FUpdateCount = 0;
  int FNextID = 0;
};
