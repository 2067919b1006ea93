#include "classlib/core/stringlist.h"

#include <algorithm>

#include "classlib/core/codepage.h"
#include "classlib/core/filer.h"
#include "classlib/core/finally.h"
#include "classlib/core/lists.h"
#include "classlib/core/streams.h"
#include "classlib/core/text.h"
#include "classlib/core/unicode.h"

HX_PUBLISH(TStrings, p) {}
HX_PUBLISH(TStringList, p) {}

namespace {

// UTF-8 throughout; anything else is taken for code page 1251.
bool IsUtf8(const String& s) {
  for (size_t i = 0; i < s.size();) {
    bool valid;
    NextUtf8Char(s, i, valid);
    if (!valid) return false;
  }
  return true;
}

}  // namespace

// ---- TStrings ----

int TStrings::CompareStrings(const String& A, const String& B, bool CaseSensitive) {
  return CaseSensitive ? AnsiCompareStr(A, B) : AnsiCompareText(A, B);
}

TObject* TStrings::GetObject(int) const { return nullptr; }

void TStrings::Put(int Index, const String& S) {
  TObject* o = GetObject(Index);
  BeginUpdate();
  Delete(Index);
  InsertObject(Index, S, o);
  EndUpdate();
}

void TStrings::PutObject(int, TObject*) {}

void TStrings::InsertObject(int Index, const String& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

int TStrings::Add(const String& S) { return AddObject(S, nullptr); }

int TStrings::AddObject(const String& S, TObject* AObject) {
  int index = Count();
  InsertObject(index, S, AObject);
  return index;
}

void TStrings::AddStrings(TStrings* Strings) {
  BeginUpdate();
  for (int i = 0; i < Strings->Count(); ++i) AddObject(Strings->Get(i), Strings->GetObject(i));
  EndUpdate();
}

int TStrings::IndexOf(const String& S) const {
  for (int i = 0; i < Count(); ++i)
    if (CompareStrings(Get(i), S, false) == 0) return i;
  return -1;
}

int TStrings::IndexOfObject(TObject* AObject) const {
  for (int i = 0; i < Count(); ++i)
    if (GetObject(i) == AObject) return i;
  return -1;
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  BeginUpdate();
  String s = Get(CurIndex);
  TObject* o = GetObject(CurIndex);
  Delete(CurIndex);
  InsertObject(NewIndex, s, o);
  EndUpdate();
}

void TStrings::Exchange(int Index1, int Index2) {
  BeginUpdate();
  String s1 = Get(Index1), s2 = Get(Index2);
  TObject* o1 = GetObject(Index1);
  TObject* o2 = GetObject(Index2);
  Put(Index1, s2);
  PutObject(Index1, o2);
  Put(Index2, s1);
  PutObject(Index2, o1);
  EndUpdate();
}

String TStrings::Names(int Index) const {
  String s = Get(Index);
  size_t eq = s.find('=');
  return eq == String::npos ? String() : s.substr(0, eq);
}

String TStrings::ValueFromIndex(int Index) const {
  String s = Get(Index);
  size_t eq = s.find('=');
  return eq == String::npos ? String() : s.substr(eq + 1);
}

int TStrings::IndexOfName(const String& Name) const {
  for (int i = 0; i < Count(); ++i) {
    String s = Get(i);
    size_t eq = s.find('=');
    if (eq != String::npos && CompareStrings(s.substr(0, eq), Name, false) == 0) return i;
  }
  return -1;
}

String TStrings::GetValue(const String& Name) const {
  int i = IndexOfName(Name);
  return i < 0 ? String() : ValueFromIndex(i);
}

void TStrings::SetValue(const String& Name, const String& Value) {
  int i = IndexOfName(Name);
  if (!Value.empty()) {
    if (i < 0) i = Add(String());
    Put(i, Name + "=" + Value);
  } else if (i >= 0) {
    Delete(i);
  }
}

String TStrings::GetText() const {
  String text;
  for (int i = 0; i < Count(); ++i) text += Get(i) + "\r\n";
  return text;
}

void TStrings::SetText(const String& Value) {
  TUpdateScope update(this);
  Clear();
  size_t start = 0;
  while (start < Value.size()) {
    size_t end = Value.find_first_of("\r\n", start);
    if (end == String::npos) {
      Add(Value.substr(start));
      break;
    }
    Add(Value.substr(start, end - start));
    start = end + 1;
    if (Value[end] == '\r' && start < Value.size() && Value[start] == '\n') ++start;
  }
}

String TStrings::GetCommaText() const {
  if (Count() == 1 && Get(0).empty()) return "\"\"";
  String text;
  for (int i = 0; i < Count(); ++i) {
    String s = Get(i);
    bool quote = std::any_of(s.begin(), s.end(), [](char c) {
      return static_cast<unsigned char>(c) <= ' ' || c == '"' || c == ',';
    });
    if (i > 0) text += ',';
    if (!quote) {
      text += s;
      continue;
    }
    text += '"';
    for (char c : s) {
      if (c == '"') text += '"';
      text += c;
    }
    text += '"';
  }
  return text;
}

void TStrings::SetCommaText(const String& Value) {
  auto blank = [&](size_t i) { return i < Value.size() && static_cast<unsigned char>(Value[i]) <= ' '; };
  TUpdateScope update(this);
  Clear();
  size_t p = 0;
  while (blank(p)) ++p;
  while (p < Value.size()) {
    String s;
    if (Value[p] == '"') {
      for (++p; p < Value.size(); ++p) {
        if (Value[p] == '"') {
          if (p + 1 < Value.size() && Value[p + 1] == '"') ++p;
          else {
            ++p;
            break;
          }
        }
        s += Value[p];
      }
    } else {
      size_t start = p;
      while (p < Value.size() && !blank(p) && Value[p] != ',') ++p;
      s = Value.substr(start, p - start);
    }
    Add(s);
    while (blank(p)) ++p;
    if (p < Value.size() && Value[p] == ',') {
      if (p + 1 == Value.size()) Add(String());
      do ++p;
      while (blank(p));
    }
  }
}

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

bool TStrings::Equals(TStrings* Strings) const {
  if (Count() != Strings->Count()) return false;
  for (int i = 0; i < Count(); ++i)
    if (Get(i) != Strings->Get(i)) return false;
  return true;
}

void TStrings::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TStrings*>(Source);
  if (!source) return TPersistent::Assign(Source);
  if (source == this) return;
  TUpdateScope update(this);
  Clear();
  AddStrings(source);
}

void TStrings::DefineProperties(TFiler* Filer) {
  bool hasData;
  if (auto* ancestor = dynamic_cast<TStrings*>(Filer->Ancestor())) hasData = !Equals(ancestor);
  else hasData = Count() > 0;
  Filer->DefineProperty(
      "Strings", [this](TReader* r) { ReadData(r); }, [this](TWriter* w) { WriteData(w); }, hasData);
}

void TStrings::ReadData(TReader* Reader) {
  Reader->ReadListBegin();
  TUpdateScope update(this);
  Clear();
  while (!Reader->EndOfList()) Add(Reader->ReadString());
  Reader->ReadListEnd();
}

void TStrings::WriteData(TWriter* Writer) {
  Writer->WriteListBegin();
  for (int i = 0; i < Count(); ++i) Writer->WriteString(Get(i));
  Writer->WriteListEnd();
}

void TStrings::LoadFromStream(TStream* Stream) {
  std::int64_t size = Stream->GetSize() - Stream->GetPosition();
  String text(static_cast<size_t>(std::max<std::int64_t>(size, 0)), '\0');
  Stream->ReadBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  else if (!IsUtf8(text)) text = Cp1251ToUtf8(text);
  SetText(text);
}

void TStrings::SaveToStream(TStream* Stream) const {
  String text = GetText();
  Stream->WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
}

void TStrings::LoadFromFile(const String& FileName) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&file);
}

void TStrings::SaveToFile(const String& FileName) const {
  TFileStream file(FileName, fmCreate);
  SaveToStream(&file);
}

// ---- TStringList ----

void TStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
}

String TStringList::Get(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)].S;
}

TObject* TStringList::GetObject(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)].Object;
}

void TStringList::Put(int Index, const String& S) {
  if (FSorted) throw EListError("Operation not allowed on sorted list");
  CheckIndex(Index);
  Changing();
  FList[static_cast<size_t>(Index)].S = S;
  Changed();
}

void TStringList::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  FList[static_cast<size_t>(Index)].Object = AObject;
  Changed();
}

void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  FList.clear();
  Changed();
}

void TStringList::Delete(int Index) {
  CheckIndex(Index);
  Changing();
  FList.erase(FList.begin() + Index);
  Changed();
}

void TStringList::Insert(int Index, const String& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(int Index, const String& S, TObject* AObject) {
  if (FSorted) throw EListError("Operation not allowed on sorted list");
  if (Index < 0 || Index > Count()) ListIndexError(Index);
  InsertItem(Index, S, AObject);
}

void TStringList::InsertItem(int Index, const String& S, TObject* AObject) {
  Changing();
  FList.insert(FList.begin() + Index, TItem{S, AObject});
  Changed();
}

int TStringList::AddObject(const String& S, TObject* AObject) {
  int index = Count();
  if (FSorted && Find(S, index)) {
    if (FDuplicates == dupIgnore) return index;
    if (FDuplicates == dupError) throw EListError("String list does not allow duplicates");
  }
  InsertItem(index, S, AObject);
  return index;
}

bool TStringList::Find(const String& S, int& Index) const {
  auto it = std::lower_bound(FList.begin(), FList.end(), S, [this](const TItem& item, const String& s) {
    return CompareStrings(item.S, s, FCaseSensitive) < 0;
  });
  Index = static_cast<int>(it - FList.begin());
  return it != FList.end() && CompareStrings(it->S, S, FCaseSensitive) == 0;
}

int TStringList::IndexOf(const String& S) const {
  if (FSorted) {
    int index;
    return Find(S, index) ? index : -1;
  }
  for (int i = 0; i < Count(); ++i)
    if (CompareStrings(FList[static_cast<size_t>(i)].S, S, FCaseSensitive) == 0) return i;
  return -1;
}

void TStringList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
  Changed();
}

void TStringList::Sort() {
  if (Count() < 2) return;
  Changing();
  std::stable_sort(FList.begin(), FList.end(),
                   [this](const TItem& a, const TItem& b) { return CompareStrings(a.S, b.S, FCaseSensitive) < 0; });
  Changed();
}

void TStringList::CustomSort(const std::function<int(TStringList*, int, int)>& Compare) {
  if (FSorted || Count() < 2) return;
  // Sorts positions, so that Compare sees the list as it stands.
  std::vector<int> order(FList.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return Compare(this, a, b) < 0; });
  std::vector<TItem> sorted;
  sorted.reserve(FList.size());
  for (int i : order) sorted.push_back(FList[static_cast<size_t>(i)]);
  Changing();
  FList = std::move(sorted);
  Changed();
}

void TStringList::SetSorted(bool Value) {
  if (Value == FSorted) return;
  if (Value) Sort();
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (Value == FCaseSensitive) return;
  FCaseSensitive = Value;
  if (FSorted) Sort();  // the order changes with the comparison
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool Updating) {
  if (Updating) Changing();
  else Changed();
}

void AssignStrings(TStrings* dest, const std::vector<String>& lines) {
  TUpdateScope update(dest);
  dest->Clear();
  for (const String& line : lines) dest->Add(line);
}
