#include "xbase/xbhandler.h"

#include <algorithm>
#include <cstring>

#include "classlib/core/finally.h"
#include "classlib/core/format.h"
#include "xbase/dates.h"
#include "xbase/errors.h"
#include "xbase/expression.h"
#include "xbase/names.h"
#include "xbase/numbers.h"
#include "xbase/tablelink.h"
#include "xbase/xbcdx.h"
#include "xbase/xbmdx.h"
#include "xbase/xbndx.h"
#include "xbase/xbntx.h"

namespace {

constexpr std::int32_t xbeTooManyFiles = 4;
constexpr std::int32_t xbeBadNumber = 106;
constexpr std::int32_t xbsExclusiveNeeded = 2105;

std::string UpperAscii(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::string Trimmed(std::string_view s) {
  std::size_t a = s.find_first_not_of(' ');
  if (a == std::string_view::npos) return {};
  std::size_t b = s.find_last_not_of(' ');
  return std::string(s.substr(a, b - a + 1));
}

// The extension of a path (with its dot), or empty.
std::string ExtensionOf(std::string_view path) {
  std::size_t cut = path.find_last_of("\\/:");
  std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || (cut != std::string_view::npos && dot < cut)) return {};
  return std::string(path.substr(dot));
}

std::string WithoutExtension(std::string_view path) {
  std::string ext = ExtensionOf(path);
  return std::string(path.substr(0, path.size() - ext.size()));
}

}  // namespace

// ---- Construction ----

XBO_dBHandler::XBO_dBHandler(std::string_view FileName, bool ReadWrite, bool Shared, std::string_view Password)
    : XBO_dBaseFld(FileName, ReadWrite, Shared, Password) {
  OpenProductionIndex();
}

XBO_dBHandler::~XBO_dBHandler() {
  FMasterTag = nullptr;
  FProduction = nullptr;
  for (auto& f : FIndexFiles) f.reset();
}

// A table flagged as having a production index gets it opened with it, so that no write
// leaves the index behind.
void XBO_dBHandler::OpenProductionIndex() {
  if (!(Flags() & 1)) return;
  std::string base = WithoutExtension(FileName());
  for (const char* ext : {".CDX", ".MDX", ".cdx", ".mdx"}) {
    std::string name = NormalizeFileName(base + ext);
    if (!FileSystem().Exists(name)) continue;
    try {
      if (IndexOpen(name) == 0) {
        for (auto& f : FIndexFiles)
          if (f && f->FileName() == NormalizeFileName(name)) FProduction = f.get();
      }
    } catch (const EXBaseError&) {
      // A damaged production index leaves the table usable; re-indexing repairs it.
    }
    return;
  }
}

// ---- Index files ----

int XBO_dBHandler::IndexOpen(std::string_view FileName) {
  std::string name;
  for (char c : FileName)
    if (c != '"') name += c;
  name = Trimmed(name);
  if (name.find_first_of("\\/:") == std::string::npos) {
    std::size_t cut = this->FileName().find_last_of("\\/");
    if (cut != std::string::npos) name = this->FileName().substr(0, cut + 1) + name;
  }
  name = NormalizeFileName(xbase::DefaultExtension(name, ".NDX"));
  for (auto& f : FIndexFiles) {
    if (!f || f->FileName() != name) continue;
    if (f.get() == FProduction && !FProductionListed) {
      FProductionListed = true;  // opened with the table: listing it is no repeat
      return 0;
    }
    return -1;
  }
  int slot = 0;
  while (slot < MaxIndexFiles && FIndexFiles[slot]) ++slot;
  if (slot == MaxIndexFiles) {
    Error(xbeTooManyFiles, xbsNone, name);
    return xbeTooManyFiles;
  }
  std::string ext = UpperAscii(ExtensionOf(name)).substr(0, 4);
  std::unique_ptr<XBobjIndexFile> file;
  try {
    if (ext == ".CDX")
      file = std::make_unique<XBobjCDXFile>(this, name, false, ReadWrite(), Shared());
    else if (ext == ".NTX")
      file = std::make_unique<XBobjNTXFile>(this, name, false, ReadWrite(), Shared());
    else if (ext == ".MDX")
      file = std::make_unique<XBobjMDXFile>(this, name, false, ReadWrite(), Shared());
    else if (ext == ".NDX")
      file = std::make_unique<XBobjNDXFile>(this, name, false, ReadWrite(), Shared());
  } catch (const EXBaseError&) {
    file.reset();
  }
  if (!file) {
    Error(xbeFileNotFound, xbsNone, name);
    return xbeFileNotFound;
  }
  if (file->Damaged()) {
    file.reset();
    Error(xbeIndexDamaged, xbsNone, name);
    return xbeIndexDamaged;
  }
  file->SetLockProtocol(LockProtocol());
  FIndexFiles[slot] = std::move(file);
  return 0;
}

int XBO_dBHandler::OpenIndexList(std::string_view List, std::string_view TagName) {
  CloseIndexFiles();
  std::string list(List);
  while (!list.empty() && (list.back() == ' ' || list.back() == ',' || list.back() == ';')) list.pop_back();
  std::vector<std::string> names;
  std::string current;
  bool quoted = false;
  for (char c : list) {
    if (c == '"') {
      quoted = !quoted;  // the quotes keep a name together and are dropped
    } else if (!quoted && (c == ' ' || c == ',' || c == ';')) {
      if (!current.empty()) names.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) names.push_back(current);
  if (names.empty()) return 1;
  for (const auto& n : names)
    if (int r = IndexOpen(n)) return r;
  SetMasterTag(TagName, true);
  return 0;
}

void XBO_dBHandler::CloseIndexFiles() {
  if (FMasterTag) {
    FMasterTag->ClearRange();
    FMasterTag = nullptr;
    FMasterTagName.clear();
  }
  std::unique_ptr<XBobjIndexFile> kept;
  for (auto& f : FIndexFiles) {
    if (f && f.get() == FProduction)
      kept = std::move(f);
    else
      f.reset();
  }
  FIndexFiles[0] = std::move(kept);
  FProductionListed = false;
}

int XBO_dBHandler::SetMasterTag(std::string_view TagName, bool KeepPosition) {
  std::string name = UpperAscii(Trimmed(TagName));
  if (name.empty()) {
    if (FMasterTag) FMasterTag->ClearRange();
    FMasterTag = nullptr;
    FMasterTagName.clear();
    SwitchReadAhead(true);
    if (!KeepPosition) Go(xbGoTop);
    return 0;
  }
  XBobjIndexTag* found = nullptr;
  int slot = 0;
  for (int i = 0; i < MaxIndexFiles && !found; ++i)
    if (FIndexFiles[i] && (found = FIndexFiles[i]->TagByName(name))) slot = i + 1;
  if (!found) throw EXBaseError(Format(SCannotFindTag, std::string(TagName)));
  if (FMasterTag) FMasterTag->ClearRange();
  SwitchReadAhead(false);
  FMasterTagName = name;
  FMasterTag = found;
  if (KeepPosition && FCurrentRecord >= 1 && FCurrentRecord <= FRecordCount)
    Go(FCurrentRecord);
  else
    Go(xbGoTop);
  return slot;
}

XBobjIndexTag* XBO_dBHandler::TagByNumber(int n) const {
  if (n < 1) return nullptr;
  for (const auto& f : FIndexFiles) {
    if (!f) continue;
    if (n <= f->TagCount()) return f->TagByIndex(n - 1);
    n -= f->TagCount();
  }
  return nullptr;
}

int XBO_dBHandler::TagCount() const {
  int n = 0;
  for (const auto& f : FIndexFiles)
    if (f) n += f->TagCount();
  return n;
}

XBobjIndexFile* XBO_dBHandler::IndexFile(int slot) const {
  return slot >= 1 && slot <= MaxIndexFiles ? FIndexFiles[slot - 1].get() : nullptr;
}

void XBO_dBHandler::KeyValue(XBobjIndexTag& tag, std::string_view text, TxbVariant& value) {
  switch (tag.KeyType()) {
    case 'N':
    case 'F':
    case 'I': {
      double d;
      if (!TryParseNumber(text, d)) {
        Error(xbeBadNumber, xbsNone, std::string(text));
        RaiseEngineError(xbeBadNumber, xbsNone, std::string(text));
      }
      value.SetFloat(d);
      return;
    }
    case 'D': value.SetDate(DateObject().TextToJulian(Trimmed(text))); return;
    default: value.SetString(text); return;
  }
}

void XBO_dBHandler::SetRange(std::string_view Low, std::string_view High, bool LowInclusive, bool Partial,
                             bool HighInclusive) {
  if (!FMasterTag) return;
  TxbVariant low, high;
  if (!Low.empty()) KeyValue(*FMasterTag, Low, low);
  if (!High.empty()) KeyValue(*FMasterTag, High, high);
  FMasterTag->TagSetRange(Low.empty() ? nullptr : &low, LowInclusive, Partial, HighInclusive,
                          High.empty() ? nullptr : &high);
}

void XBO_dBHandler::ClearRange() {
  if (FMasterTag) FMasterTag->ClearRange();
}

// ---- Locks ----

// Another user may change the table while it is unlocked: what was read ahead is dropped
// at every lock of a shared table.
bool XBO_dBHandler::LockIndexes() {
  if (Shared()) DropReadAhead();
  for (int i = 0; i < MaxIndexFiles; ++i) {
    if (!FIndexFiles[i]) continue;
    try {
      FIndexFiles[i]->LockIndex();
    } catch (const EXBaseError&) {
      FLockRefused = FIndexFiles[i]->FileName();
      for (int j = 0; j < i; ++j)
        if (FIndexFiles[j]) FIndexFiles[j]->UnlockIndex();
      FLastError = xbeLocked;
      return false;
    }
  }
  return true;
}

void XBO_dBHandler::UnlockIndexes() {
  for (auto& f : FIndexFiles)
    if (f) f->UnlockIndex();
}

bool XBO_dBHandler::LockAppend() {
  if (Shared()) DropReadAhead();
  return XBO_dBaseFld::LockAppend();
}

bool XBO_dBHandler::LockTable() {
  if (Shared()) DropReadAhead();
  return XBO_dBaseFld::LockTable();
}

bool XBO_dBHandler::LockTableFromStart() {
  if (Shared()) DropReadAhead();
  return XBO_dBaseFld::LockTableFromStart();
}

bool XBO_dBHandler::LockRecord() {
  if (Shared()) DropReadAhead();
  return XBO_dBaseFld::LockRecord();
}

void XBO_dBHandler::SetLockProtocol(TxbLokProtocol protocol) {
  XBO_dBaseFld::SetLockProtocol(protocol);
  for (auto& f : FIndexFiles)
    if (f) f->SetLockProtocol(protocol);
}

// ---- Writes ----

// Every index is locked and every tag known to be maintainable before the record is
// written; a refused lock raises code 33 and writes nothing.
template <class Work> void XBO_dBHandler::UnderIndexes(Work&& W) {
  if (!HasIndex()) {
    W();
    return;
  }
  if (!LockIndexes()) {
    Error(xbeLocked, xbsNone, FLockRefused);
    RaiseEngineError(xbeLocked, xbsNone, FLockRefused);
  }
  TFinally unlock([this] { UnlockIndexes(); });
  for (auto& f : FIndexFiles) {
    if (!f) continue;
    if (f->Damaged()) f->RaiseDamaged();
    for (int t = 0; t < f->TagCount(); ++t) f->TagByIndex(t)->CheckExpressions();
  }
  W();
}

void XBO_dBHandler::Append() {
  UnderIndexes([&] {
    FAppending = true;
    TFinally done([this] { FAppending = false; });
    XBO_dBaseFld::Append();
  });
}

void XBO_dBHandler::PutRec(std::int32_t recno) {
  UnderIndexes([&] { XBO_dBaseFld::PutRec(recno); });
}

void XBO_dBHandler::StatusUpdate(int code, std::int32_t value) {
  XBO_dBaseFld::StatusUpdate(code, value);
  if (code == xbStatAfterWrite && value >= 1) {
    if (FFilter && !FFilterText.empty()) {
      const TxbExpValue& v = FFilter->Evaluate();
      FFilterSet.SetState(value, v.Type == xbtBoolean && v.Logical ? TxbHugeSet::opSet : TxbHugeSet::opClear);
    }
    for (auto& f : FIndexFiles)
      if (f) f->KeyUpdateAll(static_cast<std::uint32_t>(value), FAppending);
    if (FMasterTag) SyncTag(value);
  } else if (code == xbStatFlushed) {
    for (auto& f : FIndexFiles)
      if (f && f->File()) f->File()->Flush();
  }
}

// ---- Movement ----

bool XBO_dBHandler::Accepted() { return (FUseDeleted || !IsDeleted()) && RecordFilterTest(); }

bool XBO_dBHandler::FilterPasses(std::int32_t recno) const { return !FFilterActive || FFilterSet.Test(recno); }

// Puts the master tag on the entry of record recno (the record buffer holds it).
void XBO_dBHandler::SyncTag(std::int32_t recno) {
  std::string key;
  if (!FMasterTag->EvaluateKey(key)) return;
  if (FMasterTag->NodeSearch(0xFFFFFFFFu, key) != 0) return;
  while (!FMasterTag->Eof() && FMasterTag->CurrentKey().RecNo != static_cast<std::uint32_t>(recno) &&
         FMasterTag->CompareKeys(FMasterTag->CurrentStored(), key) == 0)
    FMasterTag->TagMove(xbGoNext);
}

// Reads record recno by number as the field layer does; false past the table.
bool XBO_dBHandler::ReadRecord(std::int32_t recno) {
  if (recno < 1 || recno > FRecordCount) RefreshHeader();
  if (recno < 1 || recno > FRecordCount) {
    BlankRecord();
    FEof = true;
    return false;
  }
  XBO_dBaseFld::Go(recno);
  return !FEof;
}

void XBO_dBHandler::Go(std::int32_t recno) {
  if (TableState() != xbStateNormal) {
    XBO_dBaseFld::Go(recno);
    return;
  }
  if (!UnderClipLock([&] { Move(recno); })) Move(recno);  // a move goes on unlocked
}

// Under the ClipLock protocol seeks and moves run under every index lock; false when it
// was refused (nothing ran).
template <class Work> bool XBO_dBHandler::UnderClipLock(Work&& W) {
  bool clip = LockProtocol() == TxbLokProtocol::ClipLock && HasIndex();
  if (clip && !LockIndexes()) return false;
  TFinally unlock([this, clip] {
    if (clip) UnlockIndexes();
  });
  W();
  return true;
}

void XBO_dBHandler::Move(std::int32_t recno) {
  if (Shared() && FReadAheadActive && recno != xbGoNext && recno != xbGoPrior) {
    RefreshHeader();
    if (ChangedByOther()) DropReadAhead();
  }
  bool wasEof = FEof, wasBof = FBof;
  FEof = FBof = FRecordValid = false;
  if (recno >= 1) {
    if (ReadRecord(recno)) {
      FRecordValid = true;
      if (FMasterTag) SyncTag(recno);
    }
    return;
  }
  if (recno == 0) return;
  std::int32_t direction = (recno == xbGoTop || recno == xbGoAgain) ? xbGoNext : recno == xbGoBottom ? xbGoPrior : recno;
  std::int32_t code = recno;
  // A step back from the end (or on from the start) starts at the last (first) record.
  if (code == xbGoPrior && wasEof) code = xbGoBottom;
  if ((code == xbGoNext && wasBof && FCurrentRecord == 0) || (code == xbGoAgain && FCurrentRecord < 1)) code = xbGoTop;
  for (;;) {
    std::int32_t target = 0;
    if (FMasterTag) {
      FMasterTag->TagMove(code);
      while (!FMasterTag->Eof() && !FMasterTag->Bof() && FFilterActive &&
             !FFilterSet.Test(static_cast<std::int32_t>(FMasterTag->CurrentKey().RecNo)))
        FMasterTag->TagMove(direction);
      FEof = FMasterTag->Eof();
      FBof = FMasterTag->Bof();
      if (!FEof && !FBof) target = static_cast<std::int32_t>(FMasterTag->CurrentKey().RecNo);
    } else if (FFilterActive) {
      target = NextInSet(code);
      if (target == 0) {
        if (FFilterSet.HighestIndex() < 1)
          FEof = FBof = true;
        else if (direction == xbGoNext)
          FEof = true;
        else
          FBof = true;
      }
    } else {
      XBO_dBaseFld::Go(code);
      if (FEof || FBof) return;
      if (Accepted()) {
        FRecordValid = true;
        return;
      }
      code = direction;
      continue;
    }
    if (FEof || FBof) return;
    if (!ReadRecord(target)) return;
    if (Accepted()) {
      FRecordValid = true;
      return;
    }
    code = direction;
  }
}

// The next record number of the filter's set in the move's direction; 0 when none.
std::int32_t XBO_dBHandler::NextInSet(std::int32_t code) {
  std::int32_t highest = FFilterSet.HighestIndex();
  std::int32_t from;
  int step;
  switch (code) {
    case xbGoTop: from = 1, step = 1; break;
    case xbGoBottom: from = highest, step = -1; break;
    case xbGoPrior: from = std::min(FCurrentRecord - 1, highest), step = -1; break;
    case xbGoAgain: from = std::max(FCurrentRecord, 1), step = 1; break;
    default: from = FCurrentRecord + 1, step = 1; break;
  }
  for (std::int32_t r = from; r >= 1 && r <= highest; r += step)
    if (FFilterSet.Test(r)) return r;
  return 0;
}

void XBO_dBHandler::Skip(std::int32_t count) {
  if (count == 0) {
    Go(xbGoAgain);
    return;
  }
  std::int32_t step = count > 0 ? xbGoNext : xbGoPrior;
  std::int64_t n = count > 0 ? static_cast<std::int64_t>(count) : -static_cast<std::int64_t>(count);
  if (FFilterWanted || !FUseDeleted || TableState() != xbStateNormal) {
    for (std::int64_t i = 0; i < n; ++i) {
      Go(step);
      if (FEof || FBof) break;
    }
    return;
  }
  // Every record shows: the target is found without reading the records between.
  bool limit = false;
  std::int32_t target;
  if (!FMasterTag) {
    RefreshHeader();
    std::int64_t t = static_cast<std::int64_t>(FCurrentRecord) + count;
    if (FEof && count < 0) t = static_cast<std::int64_t>(FRecordCount) + 1 + count;
    limit = t < 1 || t > FRecordCount;
    target = static_cast<std::int32_t>(std::clamp<std::int64_t>(t, 1, std::max(FRecordCount, 1)));
    if (FRecordCount == 0) {
      FEof = FBof = true;
      FRecordValid = false;
      return;
    }
  } else {
    for (std::int64_t i = 0; i < n && !limit; ++i) {
      FMasterTag->TagMove(step);
      limit = FMasterTag->Eof() || FMasterTag->Bof();
    }
    if (limit) FMasterTag->TagMove(count > 0 ? xbGoBottom : xbGoTop);
    if (FMasterTag->Eof() || FMasterTag->Bof()) {
      FEof = FBof = true;
      FRecordValid = false;
      return;
    }
    target = static_cast<std::int32_t>(FMasterTag->CurrentKey().RecNo);
  }
  FEof = FBof = false;
  FRecordValid = ReadRecord(target);
  if (limit) {
    FEof = count > 0;
    FBof = count < 0;
  }
}

// ---- Seeks ----

bool XBO_dBHandler::SeekKey(std::string_view key) {
  FFound = false;
  if (LiveRecordCount() == 0) {
    FEof = FBof = true;
    FRecordValid = false;
    return false;
  }
  return UnderClipLock([&] { Seek(key); }) && FFound;
}

void XBO_dBHandler::Seek(std::string_view key) {
  auto toEnd = [&] {
    Move(xbGoBottom);
    FEof = true;
    FRecordValid = false;
  };
  if (!FMasterTag) return toEnd();
  TxbVariant value;
  KeyValue(*FMasterTag, key, value);
  FMasterTag->CheckExpressions();
  std::string stored;
  FMasterTag->KeyToStored(value, stored, true);
  FMasterTag->SeekStored(stored, true);
  if (FMasterTag->Eof()) return toEnd();
  FEof = FBof = false;
  FRecordValid = ReadRecord(static_cast<std::int32_t>(FMasterTag->CurrentKey().RecNo));
  while (FRecordValid && !Accepted()) Move(xbGoNext);
  if (FEof || !FRecordValid) return toEnd();
  // Texts match by their start unless the whole key is asked for; numbers and dates whole.
  std::string recordKey;
  FMasterTag->EvaluateKey(recordKey);
  bool partial = !FExactMatch && FMasterTag->KeyType() == 'C';
  FFound = FMasterTag->CompareKeys(recordKey, stored, partial) == 0;
  if (!FFound && !FSoftSeek) toEnd();
}

std::int32_t XBO_dBHandler::FindKeyInTag(std::string_view tagName, std::string_view key) {
  XBobjIndexTag* tag = nullptr;
  for (auto& f : FIndexFiles)
    if (f && !tag) tag = f->TagByName(XbTagName(tagName));
  if (!tag) return -1;
  std::int32_t result = -1;
  UnderClipLock([&] {
    TxbVariant value;
    KeyValue(*tag, key, value);
    tag->CheckExpressions();
    std::string stored;
    tag->KeyToStored(value, stored, true);
    if (tag->SeekStored(stored, false)) result = static_cast<std::int32_t>(tag->CurrentKey().RecNo);
  });
  return result;
}

// ---- Filter ----

void XBO_dBHandler::SetFilterExpression(std::string_view Text, bool CaseInsensitive, bool PartialCompare) {
  FFilterActive = false;
  if (!FFilter) FFilter = std::make_unique<TxbExpHandler>(&ExpLink(), false, std::string());
  if (FFilterText == Text && FFilterCaseInsensitive == CaseInsensitive && FFilterPartial == PartialCompare &&
      !FFilterText.empty()) {
    FFilterActive = FFilterWanted;
    return;
  }
  FFilterText.clear();
  FFilterSet.ClearAll();
  FFilterCaseInsensitive = CaseInsensitive;
  FFilterPartial = PartialCompare;
  FFilter->CaseInsensitive = CaseInsensitive;
  FFilter->Wildcards = PartialCompare;
  FFilter->Recompile(std::string(Text));
  if (Text.empty()) return;
  // The type shows at the first evaluation (on the record at hand).
  if (FFilter->Evaluate().Type != xbtBoolean) {
    FFilter->Recompile(std::string());
    throw EXBaseError(SFilterNotBoolean);
  }
  FFilterText.assign(Text);
  BuildFilterSet();
  FFilterActive = FFilterWanted;
}

void XBO_dBHandler::SetFilterWanted(bool Wanted) {
  FFilterWanted = Wanted;
  FFilterActive = Wanted && FFilter && !FFilterText.empty();
}

void XBO_dBHandler::RefreshFilter() {
  if (!FFilterActive) return;
  FFilterSet.ClearAll();
  BuildFilterSet();
}

// Every record by number, deleted ones too (movement hides those by itself).
void XBO_dBHandler::BuildFilterSet() {
  std::int32_t saved = FCurrentRecord;
  bool readAhead = FReadAheadActive;
  int state = TableState();
  SetTableState(xbStateIndexing);
  SwitchReadAhead(true);
  {
    TFinally restore([this, state, readAhead] {
      SetTableState(state);
      if (!readAhead) SwitchReadAhead(false);
    });
    RefreshHeader();
    for (std::int32_t r = 1; r <= FRecordCount; ++r) {
      XBO_dBaseFld::Go(r);
      if (FEof) break;
      const TxbExpValue& v = FFilter->Evaluate();
      if (v.Type == xbtBoolean && v.Logical) FFilterSet.SetState(r, TxbHugeSet::opSet);
    }
  }
  if (saved >= 1 && saved <= FRecordCount) {
    ReadRecord(saved);
    FRecordValid = !FEof;
  }
}

// ---- Text search ----

namespace {

struct TPattern {
  std::string Text;
  bool Whole, MustStart, MustEnd, Jokers;
  bool IsNumber;
  double Number;
  bool Logical;
  std::int32_t Date;
};

bool SameAt(std::string_view value, const TPattern& p, std::size_t at) {
  for (std::size_t i = 0; i < p.Text.size(); ++i)
    if (!(p.Jokers && p.Text[i] == '?') && p.Text[i] != value[at + i]) return false;
  return true;
}

// A text field's value (trailing blanks aside) against the pattern.
bool TextMatches(std::string value, const TPattern& p, bool caseInsensitive, TxbCodePage cp) {
  if (caseInsensitive) value = UpperCaseBytes(std::move(value), cp);
  while (!value.empty() && value.back() == ' ') value.pop_back();
  if (p.Whole) return value.size() == p.Text.size() && SameAt(value, p, 0);
  if (p.Text.size() > value.size()) return false;
  std::size_t last = value.size() - p.Text.size();
  if (p.MustStart) return SameAt(value, p, 0) && (!p.MustEnd || last == 0);
  if (p.MustEnd) return SameAt(value, p, last);
  for (std::size_t at = 0; at <= last; ++at)
    if (SameAt(value, p, at)) return true;
  return false;
}

}  // namespace

std::int32_t XBO_dBHandler::TextSearch(int FieldNo, std::string_view Text, std::int32_t StartRecord) {
  if (FieldNo < 0 || FieldNo > FieldCount() || Text.empty()) return 0;
  int mode = FTextSearchMode;
  bool ci = mode & xbSearchCaseInsensitive;
  TPattern p;
  p.Text = ci ? UpperCaseBytes(std::string(Text), CodePage()) : std::string(Text);
  p.Whole = mode & xbSearchWholeField;
  p.MustStart = mode & xbSearchAtStart;
  p.MustEnd = true;
  p.Jokers = mode & xbSearchWildcards;
  if (p.Jokers) {
    // "*" in front lets a match start anywhere, "*" behind end anywhere; any joker makes
    // the match no longer one of the whole field.
    if (p.Text.front() == '*') p.MustStart = false, p.Whole = false;
    if (p.Text.back() == '*') p.MustEnd = false, p.Whole = false;
    while (!p.Text.empty() && p.Text.front() == '*') p.Text.erase(0, 1);
    while (!p.Text.empty() && p.Text.back() == '*') p.Text.pop_back();
    if (p.Text.find('?') != std::string::npos) p.Whole = false;
  }
  p.IsNumber = TryParseNumber(p.Text, p.Number);
  p.Logical = IsTrueLetter(p.Text.empty() ? 0 : p.Text[0]);
  p.Date = -1;
  for (const auto& f : FFields) {
    if (f.Type != 'D' || (FieldNo != 0 && FieldNo != f.Number)) continue;
    try {
      p.Date = DateObject().TextToJulian(Trimmed(Text));
    } catch (const Exception&) {
      p.Date = -1;  // no date: no D field matches
    }
    break;
  }

  auto fieldMatches = [&](int n) {
    const TxbFieldDesc* f = Field(n);
    switch (f->Type) {
      case 'C':
        return TextMatches(std::string(Record() + f->Offset, static_cast<std::size_t>(f->Length)), p, ci, CodePage());
      case 'D': return p.Date > 0 && GetDate(n) == p.Date;
      case 'F':
      case 'N': return p.IsNumber && GetNumber(n) == p.Number;
      case 'L': return GetLogical(n) == p.Logical;
      default: return false;
    }
  };
  auto recordMatches = [&] {
    if (FieldNo > 0) return fieldMatches(FieldNo);
    for (int n = 1; n <= FieldCount(); ++n)
      if (fieldMatches(n)) return true;
    return false;
  };

  std::int32_t saved = FCurrentRecord;
  int state = TableState();
  XBobjIndexTag* master = FMasterTag;
  bool readAhead = FReadAheadActive;
  if (!(mode & xbSearchKeepOrder) && FUseDeleted) SetTableState(xbStateIndexing);
  if (!(mode & xbSearchFollowTag)) FMasterTag = nullptr;
  if (!FMasterTag) SwitchReadAhead(true);
  std::int32_t found = 0;
  {
    TFinally restore([&] {
      SetTableState(state);
      FMasterTag = master;
      if (!readAhead) SwitchReadAhead(false);
    });
    RefreshHeader();
    SetStatusTargets(-1, xbStatusSearch, FRecordCount);
    if (StartRecord >= 1) {
      Go(StartRecord);
      Go(xbGoNext);
    } else {
      Go(xbGoTop);
    }
    while (!FEof && !FBof && FCurrentRecord >= 1) {
      SetStatusTargets(xbStatusSearch, FCurrentRecord, 0);
      if (recordMatches()) {
        found = FCurrentRecord;
        break;
      }
      Go(xbGoNext);
    }
  }
  if (found)
    Go(found);
  else if (saved >= 1 && saved <= FRecordCount)
    Go(saved);
  return found;
}

// ---- Read-ahead ----

void XBO_dBHandler::SetReadAheadAllowed(bool Allowed) {
  FReadAheadAllowed = Allowed;
  if (!Allowed) SwitchReadAhead(false);
}

void XBO_dBHandler::SwitchReadAhead(bool On) {
  if (On) {
    if (!FReadAheadAllowed || FReadAheadActive) return;
    FReadAheadRecords = std::max(1, ReadAheadBytes / std::max(RecordLength(), 1));
    FReadAhead.assign(static_cast<std::size_t>(FReadAheadRecords) * static_cast<std::size_t>(RecordLength()), 0);
    FReadAheadStart = FReadAheadEnd = -1;
    FReadAheadActive = true;
  } else {
    FReadAhead.clear();
    FReadAhead.shrink_to_fit();
    FReadAheadStart = FReadAheadEnd = -1;
    FReadAheadActive = false;
  }
}

void XBO_dBHandler::DropReadAhead() { FReadAheadStart = FReadAheadEnd = -1; }

std::size_t XBO_dBHandler::Read(std::int64_t Offset, void* Buffer, std::size_t Count) {
  if (!FReadAheadActive || Offset < HeaderLength() || Count != static_cast<std::size_t>(RecordLength()))
    return XBO_dBaseFld::Read(Offset, Buffer, Count);
  if (FReadAheadStart < 0 || Offset < FReadAheadStart ||
      Offset + static_cast<std::int64_t>(Count) > FReadAheadEnd) {
    std::size_t got = XBO_dBaseFld::Read(Offset, FReadAhead.data(), FReadAhead.size());
    FReadAheadStart = Offset;
    FReadAheadEnd = Offset + static_cast<std::int64_t>(got);
    if (got < Count) {
      std::memcpy(Buffer, FReadAhead.data(), got);
      return got;
    }
  }
  std::memcpy(Buffer, FReadAhead.data() + (Offset - FReadAheadStart), Count);
  return Count;
}

void XBO_dBHandler::Write(std::int64_t Offset, const void* Buffer, std::size_t Count) {
  XBO_dBaseFld::Write(Offset, Buffer, Count);
  if (FReadAheadStart < 0) return;
  // Only the bytes that fall inside the window are copied into it.
  std::int64_t from = std::max(Offset, FReadAheadStart);
  std::int64_t to = std::min(Offset + static_cast<std::int64_t>(Count), FReadAheadEnd);
  if (from < to)
    std::memcpy(FReadAhead.data() + (from - FReadAheadStart), static_cast<const char*>(Buffer) + (from - Offset),
                static_cast<std::size_t>(to - from));
}

std::int32_t XBO_dBHandler::LiveRecordCount() {
  RefreshHeader();
  if (ChangedByOther()) DropReadAhead();
  return RecordCount();
}

// ---- Whole-table work ----

bool XBO_dBHandler::Rename(std::string_view NewName) {
  std::string oldBase = XbIndexBaseName(FileName());
  XBO_dBaseFld::Rename(NewName);
  for (auto& f : FIndexFiles)
    if (f && XbIndexBaseName(f->FileName()) == oldBase) f->RenameIndex(FileName());
  return true;
}

// A rebuilt file may hold new tag objects: the master tag is found again by its name.
void XBO_dBHandler::ReattachMaster() {
  FMasterTag = nullptr;
  if (FMasterTagName.empty()) return;
  for (auto& f : FIndexFiles)
    if (f && !FMasterTag) FMasterTag = f->TagByName(FMasterTagName);
  if (!FMasterTag) FMasterTagName.clear();
}

void XBO_dBHandler::ReindexAll() {
  bool readAhead = FReadAheadActive;
  FMasterTag = nullptr;
  SetTableState(xbStateIndexing);
  SwitchReadAhead(true);
  {
    TFinally restore([&] {
      SetTableState(xbStateNormal);
      if (!readAhead) SwitchReadAhead(false);
      ReattachMaster();
    });
    for (auto& f : FIndexFiles)
      if (f) f->Reindex();
  }
  Go(xbGoTop);
}

void XBO_dBHandler::Pack() {
  if (Shared()) Error(xbeAccessDenied, xbsExclusiveNeeded, FileName());
  FMasterTag = nullptr;
  {
    TFinally reattach([this] { ReattachMaster(); });
    PackRecords();
  }
  if (FFilterActive) RefreshFilter();
}

void XBO_dBHandler::PackRecords() {
  bool readAhead = FReadAheadActive;
  SwitchReadAhead(false);
  SwitchReadAhead(true);
  std::int32_t count = FRecordCount, kept = 0;
  SetStatusTargets(-1, xbStatusPack, count);
  std::string raw(static_cast<std::size_t>(RecordLength()), ' ');
  XBobjMemo* memo = HasMemo() ? MemoObject() : nullptr;
  for (std::int32_t i = 1; i <= count; ++i) {
    std::int64_t at = HeaderLength() + static_cast<std::int64_t>(i - 1) * RecordLength();
    if (Read(at, raw.data(), raw.size()) != raw.size()) Error(xbeBeyondEof, xbsRecordRead, FileName());
    std::memcpy(FRecord.data(), raw.data(), raw.size());
    if (Encrypted()) CryptRecord(FReadKey, FRecord.data(), FRecord.data(), raw.size());
    if (FRecord[0] != '*') {
      ++kept;
      if (kept != i) Write(HeaderLength() + static_cast<std::int64_t>(kept - 1) * RecordLength(), raw.data(), raw.size());
    } else if (memo) {
      for (int n = 1; n <= FieldCount(); ++n) {
        if (!MemoObjectFor(n)) continue;
        double v = GetNumber(n);
        auto block = v >= 1 && v <= 4294967295.0 ? static_cast<std::uint32_t>(v) : 0u;
        if (block) memo->WriteMemo(nullptr, 0, block);  // gives the blocks back
      }
    }
    SetStatusTargets(xbStatusPack, i, 0);
  }
  if (count > 0) {
    FRecordCount = kept;
    std::int64_t end = HeaderLength() + static_cast<std::int64_t>(kept) * RecordLength();
    const char eof = 0x1A;
    Write(end, &eof, 1);
    Truncate(end + 1);
    DropReadAhead();
    FHeaderDirty = true;
    WriteHeader();
  }
  FCurrentRecord = 0;
  BlankRecord();
  ClearChangeFlags();
  SetStatusTargets(0, 0, 0);
  if (!readAhead) SwitchReadAhead(false);
  if (count > 0) ReindexAll();
}

// ---- Password ----

void XBO_dBHandler::ChangePassword(std::string_view newPassword) {
  if (Shared()) Error(xbeAccessDenied, xbsExclusiveNeeded, FileName());
  std::string newKey = PasswordKey(newPassword);
  if (Encrypted() ? newKey == FReadKey : newKey.empty()) return;
  std::int32_t saved = FCurrentRecord;
  FMasterTag = nullptr;
  SetTableState(xbStateEnciphering);
  try {
    RewriteEnciphered(newKey);
  } catch (...) {
    SetTableState(xbStateNormal);
    ReattachMaster();
    if (IsOpen() && saved >= 1 && saved <= FRecordCount) Go(saved);
    throw;
  }
  SetTableState(xbStateNormal);
  for (auto& f : FIndexFiles)
    if (f) f->TakeTableKey();
  ReindexAll();
  if (saved >= 1 && saved <= FRecordCount) Go(saved);
}

// The table is written whole under the new key beside the old one and swapped in at the
// end; memo values go to new blocks of the same memo file, so until the swap the old table
// and its memo blocks stay as they were.
void XBO_dBHandler::RewriteEnciphered(const std::string& newKey) {
  DropReadAhead();
  RefreshHeader();
  std::string temp = WithoutExtension(FileName()) + ".$PW";
  std::string header(static_cast<std::size_t>(HeaderLength()), '\0');
  if (XBO_DiskFile::Read(0, header.data(), header.size()) != header.size()) HeaderError();
  std::size_t area = static_cast<std::size_t>(HeaderLength() - (Version() == 0x30 ? 296 : 33));
  if (Encrypted()) CryptRecord(FReadKey, header.data() + 32, header.data() + 32, area);
  if (!newKey.empty()) CryptRecord(newKey, header.data() + 32, header.data() + 32, area);
  header[15] = newKey.empty() ? 0 : 1;
  PutLE32(header.data() + 4, static_cast<std::uint32_t>(FRecordCount));

  XBobjMemo* oldMemo = HasMemo() ? MemoObject() : nullptr;
  std::unique_ptr<XBobjMemo> newMemo;
  if (oldMemo) newMemo = XBobjMemo::ForVersion(this, Version(), true, false, newKey, FileName());
  std::vector<std::uint32_t> oldBlocks;
  {
    XBO_DiskFile out(temp, true, false);
    out.CreateNew();
    out.Write(0, header.data(), header.size());
    std::string raw(static_cast<std::size_t>(RecordLength()), ' ');
    std::int64_t at = HeaderLength();
    for (std::int32_t r = 1; r <= FRecordCount; ++r, at += RecordLength()) {
      if (XBO_DiskFile::Read(at, raw.data(), raw.size()) != raw.size()) Error(xbeBeyondEof, xbsRecordRead, FileName());
      std::memcpy(FRecord.data(), raw.data(), raw.size());
      if (Encrypted()) CryptRecord(FReadKey, FRecord.data(), FRecord.data(), raw.size());
      if (newMemo) {
        for (int n = 1; n <= FieldCount(); ++n) {
          if (!MemoObjectFor(n)) continue;
          double v = GetNumber(n);
          std::uint32_t block = v >= 1 && v <= 4294967295.0 ? static_cast<std::uint32_t>(v) : 0u;
          if (!block) continue;
          std::string value = oldMemo->ReadMemo(block);
          std::uint32_t moved = 0;
          newMemo->WriteMemo(value.data(), value.size(), moved);
          oldBlocks.push_back(block);
          PutNumber(n, moved);
        }
      }
      if (!newKey.empty()) CryptRecord(newKey, FRecord.data(), FRecord.data(), raw.size());
      out.Write(at, FRecord.data(), raw.size());
    }
    const char eof = 0x1A;
    out.Write(at, &eof, 1);
    out.Flush();
    if (newMemo) newMemo->Flush();
  }
  // The swap: from here on the table opens with the new password.
  if (!Close()) CheckFileError(xbeNotAssigned, xbsRename);
  int error = FileSystem().Replace(NormalizeFileName(temp), FileName());
  Open();
  CheckFileError(error, xbsRename);
  FReadKey = FWriteKey = newKey;
  FEncrypted = !newKey.empty();
  FHeader[15] = FEncrypted ? 1 : 0;
  std::memcpy(FHeader, header.data(), 32);
  FMemo.reset();
  if (newMemo) {
    // The old values' blocks are free now (where the format keeps free blocks).
    for (std::uint32_t block : oldBlocks) newMemo->WriteMemo(nullptr, 0, block);
    newMemo.reset();
  }
  FCurrentRecord = 0;
  BlankRecord();
  ClearChangeFlags();
  FHeaderDirty = true;
  WriteHeader();
}
