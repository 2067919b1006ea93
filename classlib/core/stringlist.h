#pragma once
// TStrings, the abstract list of strings with attached objects, and TStringList, the
// list that keeps them (sorted on request). Texts are UTF-8; files and streams hold UTF-8
// with CRLF line breaks.
#include <functional>
#include <vector>

#include "classlib/core/persistent.h"

class TStream;
class TReader;
class TWriter;

HX_ENUM(TDuplicates, dupIgnore, dupAccept, dupError);

class TStrings : public TPersistent {
  HX_CLASS(TStrings, TPersistent)
 public:
  // Index errors raise EListError (ListIndexError).
  virtual String Get(int Index) const = 0;
  virtual int GetCount() const = 0;
  virtual TObject* GetObject(int Index) const;
  virtual void Put(int Index, const String& S);
  virtual void PutObject(int Index, TObject* AObject);
  virtual void Clear() = 0;
  virtual void Delete(int Index) = 0;
  virtual void Insert(int Index, const String& S) = 0;
  virtual void InsertObject(int Index, const String& S, TObject* AObject);
  virtual int Add(const String& S);
  virtual int AddObject(const String& S, TObject* AObject);
  void AddStrings(TStrings* Strings);
  int Count() const { return GetCount(); }
  String operator[](int Index) const { return Get(Index); }

  // Without regard to case (Cyrillic included), in TStrings; TStringList follows CaseSensitive.
  virtual int IndexOf(const String& S) const;
  int IndexOfObject(TObject* AObject) const;
  virtual void Move(int CurIndex, int NewIndex);
  virtual void Exchange(int Index1, int Index2);

  // "Name=Value" lines: names compare without regard to case.
  String Names(int Index) const;  // "" for a line without '='
  String ValueFromIndex(int Index) const;
  int IndexOfName(const String& Name) const;
  String GetValue(const String& Name) const;
  // An empty value deletes the line.
  void SetValue(const String& Name, const String& Value);

  // Every line followed by CRLF. Setting splits at CRLF, LF or CR.
  virtual String GetText() const;
  virtual void SetText(const String& Value);
  // Comma-separated; items with spaces, commas, quotes or control characters are quoted
  // with '"' (inner quotes doubled). Reading also takes spaces as separators.
  String GetCommaText() const;
  void SetCommaText(const String& Value);

  // Changes between BeginUpdate and EndUpdate are reported once.
  void BeginUpdate();
  void EndUpdate();
  bool Equals(TStrings* Strings) const;

  void Assign(TPersistent* Source) override;
  // The lines stream as the defined property "Strings", a list of strings.
  void DefineProperties(TFiler* Filer) override;

  // Reading takes a UTF-8 byte order mark, and plain code page 1251 when the bytes are
  // not UTF-8. LoadFromStream reads from the current position to the end.
  virtual void LoadFromStream(TStream* Stream);
  virtual void SaveToStream(TStream* Stream) const;
  void LoadFromFile(const String& FileName);
  void SaveToFile(const String& FileName) const;

 protected:
  virtual void SetUpdateState(bool Updating);
  int UpdateCount() const { return FUpdateCount; }
  // Orders strings as the lists do: alphabetically (Cyrillic included), without regard to
  // case unless CaseSensitive (then a lower-case letter before its capital).
  static int CompareStrings(const String& A, const String& B, bool CaseSensitive);

 private:
  void ReadData(TReader* Reader);
  void WriteData(TWriter* Writer);
  int FUpdateCount = 0;
};

// Replaces the lines of `dest` with `lines`.
void AssignStrings(TStrings* dest, const std::vector<String>& lines);

class TStringList : public TStrings {
  HX_CLASS(TStringList, TStrings)
 public:
  TStringList() = default;

  String Get(int Index) const override;
  int GetCount() const override { return static_cast<int>(FList.size()); }
  TObject* GetObject(int Index) const override;
  void Put(int Index, const String& S) override;  // EListError on a sorted list
  void PutObject(int Index, TObject* AObject) override;
  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, const String& S) override;  // EListError on a sorted list
  void InsertObject(int Index, const String& S, TObject* AObject) override;
  // A sorted list inserts in order; a duplicate is ignored (dupIgnore, the index of the
  // one there is returned), added (dupAccept) or refused with EListError (dupError).
  int AddObject(const String& S, TObject* AObject) override;
  int IndexOf(const String& S) const override;
  void Exchange(int Index1, int Index2) override;

  // On a sorted list: whether S is there, and where it is or would go.
  virtual bool Find(const String& S, int& Index) const;
  virtual void Sort();
  // Compare returns < 0, 0 or > 0 for the strings at the two indexes.
  void CustomSort(const std::function<int(TStringList* List, int Index1, int Index2)>& Compare);

  bool GetSorted() const { return FSorted; }
  void SetSorted(bool Value);
  TDuplicates GetDuplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool GetCaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void Changed();
  virtual void Changing();
  void SetUpdateState(bool Updating) override;

 private:
  struct TItem {
    String S;
    TObject* Object;
  };
  void InsertItem(int Index, const String& S, TObject* AObject);
  void CheckIndex(int Index) const;
  std::vector<TItem> FList;
  bool FSorted = false;
  TDuplicates FDuplicates = dupIgnore;
  bool FCaseSensitive = false;
};
