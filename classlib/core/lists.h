#pragma once
// TList: an ordered list of untyped pointers that it does not own.
#include <functional>
#include <vector>

#include "classlib/core/object.h"
#include "classlib/core/typinfo.h"

// The class library's text for a list index out of range ("%d": the index), and the
// EListError that the lists raise with it.
inline constexpr char kListIndexErrorText[] = "Индекс списка вышел за границы (%d)";
[[noreturn]] void ListIndexError(int Index);

HX_ENUM(TListNotification, lnAdded, lnExtracted, lnDeleted);

class TList : public TObject {
  HX_CLASS(TList, TObject)
 public:
  TList() = default;
  ~TList() override;

  int Count() const { return static_cast<int>(FItems.size()); }
  // Index errors raise ListIndexError.
  void* Get(int Index) const;
  void Put(int Index, void* Item);
  void* operator[](int Index) const { return Get(Index); }
  int Add(void* Item);
  void Insert(int Index, void* Item);
  void Delete(int Index);
  int Remove(void* Item);     // the index it had, -1 when absent
  void* Extract(void* Item);  // removes without deleting; nullptr when absent
  void Clear();
  int IndexOf(void* Item) const;
  void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  void* First() const { return Get(0); }
  void* Last() const { return Get(Count() - 1); }
  void Pack();  // drops the nullptr entries
  // Compare returns < 0, 0 or > 0 like strcmp.
  void Sort(const std::function<int(void*, void*)>& Compare);

 protected:
  // Descendants that own what they hold free it on lnDeleted.
  virtual void Notify(void* Item, TListNotification Action);

 private:
  void CheckIndex(int Index) const;
  std::vector<void*> FItems;
};
