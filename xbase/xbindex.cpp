#include "xbase/xbindex.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <unordered_set>

#include "classlib/core/format.h"
#include "xbase/dbftable.h"
#include "xbase/errors.h"
#include "xbase/expression.h"
#include "xbase/names.h"
#include "xbase/tablelink.h"
#include "xbase/xbsort.h"

namespace {

// Write order within an update: what gains entries before what loses them.
enum : int { rankNew = 0, rankNeighbour = 1, rankParent = 2, rankGaining = 3, rankLosing = 5 };

}  // namespace

// ---- XBobjIndexTag ----

XBobjIndexTag::XBobjIndexTag(XBobjIndexFile& owner) : FOwner(owner) {}
XBobjIndexTag::~XBobjIndexTag() = default;

void XBobjIndexTag::KeyToStored(const TxbVariant& value, std::string& stored, bool trim) {
  stored.assign(value.Data(), value.Length());
  if (trim && value.Type() == xvText)
    while (!stored.empty() && stored.back() == ' ') stored.pop_back();
}

void XBobjIndexTag::InitTag(std::string_view name, std::string_view keyExpr, std::string_view forExpr, bool unique,
                            bool descending) {
  FName.assign(name);
  FKeyExpr.assign(keyExpr);
  FForExpr.assign(forExpr);
  FUnique = unique;
  FDescending = descending;
  FHasFor = FForExpr.find_first_not_of(' ') != std::string::npos;
  CompileKey();
  if (FHasFor) CompileFor();
}

bool XBobjIndexTag::AddKey(const XBobjIndexKeyData& entry) {
  std::string stored;
  KeyToStored(entry, stored, true);
  return InsertKey(stored, entry.RecNo);
}

void XBobjIndexTag::CompileKey() {
  FKeyHandler.reset();
  XBO_dBaseFld* table = FOwner.Table();
  if (!table || FKeyExpr.empty()) return;
  try {
    FKeyHandler = std::make_unique<TxbExpHandler>(&table->ExpLink(), false, FKeyExpr);
  } catch (const Exception& e) {
    FKeyError = e.Message;
  }
}

void XBobjIndexTag::CompileFor() {
  FForHandler.reset();
  XBO_dBaseFld* table = FOwner.Table();
  if (!table || !FHasFor) return;
  try {
    FForHandler = std::make_unique<TxbExpHandler>(&table->ExpLink(), false, FForExpr);
  } catch (const Exception& e) {
    if (FKeyError.empty()) FKeyError = e.Message;
  }
}

void XBobjIndexTag::CheckExpressions() const {
  if (!FKeyError.empty()) XbExpressionError(FKeyError);
}

bool XBobjIndexTag::EvaluateKey(std::string& stored) {
  CheckExpressions();
  if (!FKeyHandler || !FKeyHandler->Evaluate(FWork)) return false;
  KeyToStored(FWork, stored, true);
  return true;
}

bool XBobjIndexTag::EvaluateFor() {
  CheckExpressions();
  if (!FForHandler) return false;
  const TxbExpValue& v = FForHandler->Evaluate();
  return v.Type == xbtBoolean && v.Logical;
}

std::int64_t XBobjIndexTag::NewPage() { return FOwner.NewPage(); }
void XBobjIndexTag::ReleasePage(std::int64_t page) { FOwner.FreePage(page); }

int XBobjIndexTag::CompareKeys(std::string_view a, std::string_view b, bool partial) const {
  std::size_t n = std::min(a.size(), b.size());
  if (n > 0) {
    int c = std::memcmp(a.data(), b.data(), n);
    if (c != 0) return c < 0 ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  if (partial && b.size() < a.size()) return 0;
  auto pad = static_cast<std::uint8_t>(PadByte());
  bool aLonger = a.size() > b.size();
  std::string_view rest = aLonger ? a.substr(n) : b.substr(n);
  for (char ch : rest) {
    auto c = static_cast<std::uint8_t>(ch);
    if (c != pad) return (c > pad) == aLonger ? 1 : -1;
  }
  return 0;
}

int XBobjIndexTag::Order(const TxbIndexEntry& e, std::string_view key, TSearch mode, std::uint32_t recno) const {
  if (e.Beyond) return 1;
  int c = CompareKeys(e.Key, key);
  if (FDescending) c = -c;
  if (c != 0) return c;
  switch (mode) {
    case srFirst: return 1;
    case srLast: return -1;
    default:
      if (!RecordsOrdered() || e.RecNo == recno) return 0;
      c = e.RecNo < recno ? -1 : 1;
      return FDescending ? -c : c;
  }
}

void XBobjIndexTag::Damaged() const { FOwner.RaiseDamaged(); }

TxbIndexNode XBobjIndexTag::KeptOrRead(std::int64_t page) {
  // A file this object has to itself keeps the nodes it read while nothing writes to it;
  // an update reads its own (it changes them before they are written).
  XBO_DiskFile* file = FOwner.File();
  const bool kept = FUpdating == 0 && file && !file->Shared();
  if (kept) {
    const std::uint64_t generation = file->WriteGeneration();
    if (generation != FKeptGeneration) {
      DropKeptNodes();
      FKeptGeneration = generation;
    }
    if (auto it = FKept.find(page); it != FKept.end()) {
      it->second->Current = -1;
      return it->second;
    }
  }
  auto node = std::make_shared<XBobjIndexKey>();
  node->Page = page;
  if (page < 0 || !ReadNode(*node)) Damaged();
  if (kept) {
    const std::size_t weight = static_cast<std::size_t>(node->Count()) + 4;
    if (FKeptWeight + weight > MaxKeptEntries) DropKeptNodes();
    MakeSearchable(*node);
    node->KeptEpoch = FKeptEpoch;
    FKept.emplace(page, node);
    FKeptWeight += weight;
  }
  return node;
}

TxbIndexNode XBobjIndexTag::LoadNode(std::int64_t page) {
  TxbIndexNode node = KeptOrRead(page);
  return node->Folded ? Unfold(*node) : node;
}

TxbIndexNode XBobjIndexTag::Unfold(const XBobjIndexKey& folded) {
  if (!FUnfolded || FUnfolded.use_count() > 1) FUnfolded = std::make_shared<XBobjIndexKey>();
  XBobjIndexKey& node = *FUnfolded;
  node.Page = folded.Page;
  node.Left = folded.Left;
  node.Right = folded.Right;
  node.Leaf = folded.Leaf;
  node.Root = folded.Root;
  node.Attributes = folded.Attributes;
  node.Current = -1;
  node.Rank = -1;
  const auto count = static_cast<std::size_t>(folded.FoldedCount);
  const char* keys = folded.Packed.data();
  const char* recnos = keys + count * folded.Stride;
  const char* lengths = recnos + count * 4;
  node.Entries.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    TxbIndexEntry& e = node.Entries[i];
    e.Key.assign(keys + i * folded.Stride, static_cast<std::uint8_t>(lengths[i]));
    std::memcpy(&e.RecNo, recnos + i * 4, 4);
    e.Child = -1;
    e.Beyond = e.Held = false;
  }
  return FUnfolded;
}

void XBobjIndexTag::DropKeptNodes() {
  // The links go: a damaged file's links may run in a circle, which would keep its nodes.
  for (auto& kept : FKept) kept.second->Below.clear();
  FKept.clear();
  FKeptWeight = 0;
  ++FKeptEpoch;
}

void XBobjIndexTag::MakeSearchable(XBobjIndexKey& node) const {
  node.Searchable = false;
  node.Packed.clear();
  node.Below.clear();
  const int count = node.Count();
  std::size_t stride = 0;
  for (int i = 0; i < count; ++i) {
    const TxbIndexEntry& e = node.Entries[static_cast<std::size_t>(i)];
    if (e.Beyond && i != count - 1) return;  // searched entry by entry
    if (!e.Beyond) stride = std::max(stride, e.Key.size());
  }
  if (count == 0) return;
  // A leaf of plain entries folds: its record numbers and key lengths follow the keys.
  bool fold = node.Leaf;
  for (const TxbIndexEntry& e : node.Entries) fold = fold && !e.Beyond && !e.Held && e.Child == -1 && e.Key.size() <= 255;
  const auto n = static_cast<std::size_t>(count);
  // A key padded with the pad byte compares as the key itself (CompareKeys).
  node.Packed.assign(n * stride + (fold ? n * 5 : 0), PadByte());
  char* keys = node.Packed.data();
  for (std::size_t i = 0; i < n; ++i) {
    const TxbIndexEntry& e = node.Entries[i];
    if (!e.Beyond && !e.Key.empty()) std::memcpy(keys + i * stride, e.Key.data(), e.Key.size());
    if (fold) {
      std::memcpy(keys + n * stride + i * 4, &e.RecNo, 4);
      keys[n * stride + n * 4 + i] = static_cast<char>(e.Key.size());
    }
  }
  node.Stride = stride;
  node.LastBeyond = node.Entries.back().Beyond;
  node.Searchable = true;
  if (!node.Leaf) node.Below.resize(n);
  if (fold) {
    node.Folded = true;
    node.FoldedCount = count;
    std::vector<TxbIndexEntry>().swap(node.Entries);
  }
}

int XBobjIndexTag::SearchNode(const XBobjIndexKey& node, std::string_view key, TSearch mode, std::uint32_t recno) const {
  int lo = 0, hi = node.Count();
  if (node.Searchable && node.KeptEpoch == FKeptEpoch) {
    const char* keys = node.Packed.data();
    const std::size_t stride = node.Stride;
    const int beyond = node.LastBeyond ? hi - 1 : hi;
    while (lo < hi) {
      int mid = (lo + hi) / 2;
      int c = 1;
      if (mid < beyond) {
        c = CompareKeys(std::string_view(keys + static_cast<std::size_t>(mid) * stride, stride), key);
        if (FDescending) c = -c;
        if (c == 0) c = mode == srFirst ? 1 : mode == srLast ? -1 : Order(node.Entries[static_cast<std::size_t>(mid)], key, mode, recno);
      }
      if (c < 0)
        lo = mid + 1;
      else
        hi = mid;
    }
    return lo;
  }
  while (lo < hi) {
    int mid = (lo + hi) / 2;
    if (Order(node.Entries[static_cast<std::size_t>(mid)], key, mode, recno) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

TxbIndexNode XBobjIndexTag::ChildOf(XBobjIndexKey& parent, int slot) {
  const auto at = static_cast<std::size_t>(slot);
  if (parent.KeptEpoch == FKeptEpoch && at < parent.Below.size() && parent.Below[at].Node) {
    const TxbNodeLink& link = parent.Below[at];
    // The child's keys are on their way while the child itself is read.
    for (std::size_t b = 0; b < link.KeyBytes; b += 64) __builtin_prefetch(link.Keys + b);
    const XBobjIndexKey& child = *link.Node;
    for (const TxbIndexNode& above : FPath)
      if (above->Page == child.Page) Damaged();
    return child.Folded ? Unfold(child) : link.Node;
  }
  const std::int64_t page = parent.Entries[at].Child;
  for (const TxbIndexNode& above : FPath)
    if (above->Page == page) Damaged();
  TxbIndexNode child = KeptOrRead(page);
  // Linked only when both stay in the kept set (loading may have started a new one).
  if (parent.KeptEpoch == FKeptEpoch && child->KeptEpoch == FKeptEpoch && at < parent.Below.size()) {
    TxbNodeLink& link = parent.Below[at];
    link.Node = child;
    link.Keys = child->Searchable ? child->Packed.data() : nullptr;
    link.KeyBytes = child->Searchable ? child->Stride * static_cast<std::size_t>(child->Folded ? child->FoldedCount : child->Count()) : 0;
  }
  return child->Folded ? Unfold(*child) : child;
}

TxbIndexNode XBobjIndexTag::LoadChild(std::int64_t page) {
  // A page met twice on one path is a cycle: walking on would return the same keys again.
  for (const TxbIndexNode& above : FPath)
    if (above->Page == page) Damaged();
  return LoadNode(page);
}

void XBobjIndexTag::PlantEmptyRoot() {
  XBobjIndexKey root;
  root.Page = NewPage();
  root.Leaf = root.Root = true;
  FRoot = root.Page;
  WriteHeader();
  WriteNode(root);
}

void XBobjIndexTag::ClearCache() {
  FPath.clear();
  FPathValid = false;
  DropKeptNodes();
}

void XBobjIndexTag::Descend(std::string_view key, TSearch mode, std::uint32_t recno) {
  FPath.clear();
  FPathValid = false;
  TxbIndexNode node = LoadChild(RootPage());
  for (int depth = 0;; ++depth) {
    XBobjIndexKey& here = *node;
    const int lo = SearchNode(here, key, mode, recno);
    here.Current = lo;
    FPath.push_back(std::move(node));
    if (here.Leaf) break;
    if (here.Count() == 0) Damaged();
    if (lo == here.Count()) here.Current = lo - 1;
    if (depth + 1 >= MaxDepth) Damaged();
    node = ChildOf(here, here.Current);
  }
  FPathValid = true;
}

void XBobjIndexTag::DescendEdge(bool first) {
  while (!FPath.back()->Leaf) {
    if (static_cast<int>(FPath.size()) >= MaxDepth) Damaged();
    const XBobjIndexKey& parent = *FPath.back();
    TxbIndexNode node = LoadChild(parent.Entries[parent.Current].Child);
    if (!node->Leaf && node->Count() == 0) Damaged();
    node->Current = first ? 0 : node->Count() - 1;
    FPath.push_back(node);
  }
}

bool XBobjIndexTag::StepForward() {
  XBobjIndexKey& leaf = *FPath.back();
  if (leaf.Current + 1 < leaf.Count()) {
    ++leaf.Current;
    return true;
  }
  // A damaged file can hold endless runs of empty leaves (one node reached by many paths).
  for (int visits = 0;; ++visits) {
    if (visits > MaxEmptyLeaves) Damaged();
    int level = static_cast<int>(FPath.size()) - 2;
    while (level >= 0 && FPath[level]->Current + 1 >= FPath[level]->Count()) --level;
    if (level < 0) {
      FPath.back()->Current = FPath.back()->Count();
      return false;
    }
    ++FPath[level]->Current;
    FPath.resize(level + 1);
    DescendEdge(true);
    if (FPath.back()->Count() > 0) return true;  // empty leaves are passed over
  }
}

bool XBobjIndexTag::StepBackward() {
  XBobjIndexKey& leaf = *FPath.back();
  int c = std::min(leaf.Current, leaf.Count());
  if (c > 0) {
    leaf.Current = c - 1;
    return true;
  }
  for (int visits = 0;; ++visits) {
    if (visits > MaxEmptyLeaves) Damaged();
    int level = static_cast<int>(FPath.size()) - 2;
    while (level >= 0 && FPath[level]->Current <= 0) --level;
    if (level < 0) {
      FPath.back()->Current = -1;
      return false;
    }
    --FPath[level]->Current;
    FPath.resize(level + 1);
    DescendEdge(false);
    if (FPath.back()->Count() > 0) return true;
  }
}

bool XBobjIndexTag::SettleForward() {
  const XBobjIndexKey& leaf = *FPath.back();
  if (leaf.Current >= 0 && leaf.Current < leaf.Count()) return true;
  return StepForward();
}

void XBobjIndexTag::TakeCurrent() {
  const TxbIndexEntry& e = FPath.back()->Entries[FPath.back()->Current];
  FCurrent.SetBinary(e.Key.data(), e.Key.size());
  FCurrent.RecNo = e.RecNo;
  FCurrent.TagValue = e.RecNo;
  FHaveCurrent = true;
  FEof = FBof = false;
}

int XBobjIndexTag::RangeTest(const std::string& key) const {
  if (FHasLow) {
    int c = CompareKeys(key, FLow);
    if (FDescending) c = -c;
    if (c < 0 || (c == 0 && !FLowInclusive)) return -1;
  }
  if (FHasHigh) {
    int c = CompareKeys(key, FHigh, FPartial);
    if (FDescending) c = -c;
    if (c > 0 || (c == 0 && !FHighInclusive)) return 1;
  }
  return 0;
}

void XBobjIndexTag::DescendFromRoot(bool first) {
  FPath.assign(1, LoadNode(RootPage()));
  FPath[0]->Current = first ? 0 : FPath[0]->Count() - 1;
  if (!FPath[0]->Leaf && FPath[0]->Count() == 0) Damaged();
  DescendEdge(first);
  FPathValid = true;
}

void XBobjIndexTag::Top() {
  FOwner.CheckChanges();
  bool ok;
  if (FHasLow) {
    Descend(FLow, srFirst, 0);
    ok = SettleForward();
    while (ok && RangeTest(PathKey()) < 0) ok = StepForward();
  } else {
    DescendFromRoot(true);
    ok = SettleForward();
  }
  if (ok && RangeTest(PathKey()) == 0)
    TakeCurrent();
  else
    FEof = FBof = true;
}

void XBobjIndexTag::Bottom() {
  FOwner.CheckChanges();
  bool ok;
  if (FHasHigh) {
    Descend(FHigh, srLast, 0);
    ok = SettleForward();
    while (ok && RangeTest(PathKey()) <= 0) ok = StepForward();
    ok = StepBackward();
    while (ok && RangeTest(PathKey()) > 0) ok = StepBackward();
  } else {
    DescendFromRoot(false);
    const XBobjIndexKey& leaf = *FPath.back();
    ok = leaf.Count() > 0 || StepBackward();
  }
  if (ok && RangeTest(PathKey()) == 0)
    TakeCurrent();
  else
    FEof = FBof = true;
}

bool XBobjIndexTag::EnsurePath() {
  if (FPathValid) return true;
  if (!RecordsOrdered()) return FindEntry(CurrentStored(), FCurrent.RecNo);  // equal keys in any record order
  Descend(CurrentStored(), srExact, FCurrent.RecNo);
  const XBobjIndexKey& leaf = *FPath.back();
  return leaf.Current < leaf.Count() && Order(leaf.Entries[leaf.Current], CurrentStored(), srExact, FCurrent.RecNo) == 0 &&
         leaf.Entries[leaf.Current].RecNo == FCurrent.RecNo;
}

void XBobjIndexTag::TagMove(int code) {
  switch (code) {
    case -3: Top(); return;
    case -4: Bottom(); return;
    case -1: {
      if (!FHaveCurrent) return Top();
      if (FEof) return;
      FOwner.CheckChanges();
      bool ok = EnsurePath() ? StepForward() : SettleForward();
      if (ok && RangeTest(PathKey()) <= 0)
        TakeCurrent();
      else
        FEof = true;
      return;
    }
    case -2: {
      if (!FHaveCurrent || FEof) return Bottom();
      if (FBof) return;
      FOwner.CheckChanges();
      EnsurePath();
      bool ok = StepBackward();
      if (ok && RangeTest(PathKey()) >= 0)
        TakeCurrent();
      else
        FBof = true;
      return;
    }
    case -5: {
      if (!FHaveCurrent) return Top();
      FOwner.CheckChanges();
      FPathValid = false;
      if (EnsurePath() && RangeTest(CurrentStored()) == 0)
        TakeCurrent();
      else
        Top();
      return;
    }
    default: return;
  }
}

bool XBobjIndexTag::TagSeek(const TxbVariant& value) {
  CheckExpressions();
  std::string stored;
  int place = SeekTarget(value, stored);
  if (place == 0) return SeekStored(stored, true);
  FOwner.CheckChanges();
  Descend(stored, place > 0 ? srLast : srFirst, 0);
  if (SettleForward() && RangeTest(PathKey()) == 0)
    TakeCurrent();
  else
    FEof = true;
  return false;
}

bool XBobjIndexTag::SeekStored(std::string_view stored, bool partial) {
  FOwner.CheckChanges();
  Descend(stored, srFirst, 0);
  if (!SettleForward() || RangeTest(PathKey()) != 0) {
    FEof = true;
    return false;
  }
  TakeCurrent();
  return CompareKeys(CurrentStored(), stored, partial) == 0;
}

int XBobjIndexTag::NodeSearch(std::uint32_t recno, std::string_view key) {
  TSearch mode = recno == 0xFFFFFFFFu ? srFirst : recno == 0x7FFFFFFFu ? srLast : srExact;
  Descend(key, mode, recno);
  if (!SettleForward()) return -1;
  TakeCurrent();
  const TxbIndexEntry& e = FPath.back()->Entries[FPath.back()->Current];
  bool equal = CompareKeys(e.Key, key) == 0 && (mode != srExact || e.RecNo == recno);
  return equal ? 0 : 1;
}

bool XBobjIndexTag::FindEntry(std::string_view stored, std::uint32_t recno) {
  if (RecordsOrdered()) {
    Descend(stored, srExact, recno);
    if (!SettleForward()) return false;
    const TxbIndexEntry& e = FPath.back()->Entries[FPath.back()->Current];
    return e.RecNo == recno && CompareKeys(e.Key, stored) == 0;
  }
  Descend(stored, srFirst, 0);
  for (bool ok = SettleForward(); ok; ok = StepForward()) {
    const TxbIndexEntry& e = FPath.back()->Entries[FPath.back()->Current];
    if (CompareKeys(e.Key, stored) != 0) return false;
    if (e.RecNo == recno) return true;
  }
  return false;
}

void XBobjIndexTag::TagSetRange(const TxbVariant* low, bool lowInclusive, bool partial, bool highInclusive,
                                const TxbVariant* high) {
  FHasLow = low && !low->IsEmpty();
  FHasHigh = high && !high->IsEmpty();
  if (FHasLow || FHasHigh) CheckExpressions();
  if (FHasLow) KeyToStored(*low, FLow, true);
  if (FHasHigh) KeyToStored(*high, FHigh, true);
  FLowInclusive = lowInclusive;
  FHighInclusive = highInclusive;
  FPartial = partial;
  Top();
}

void XBobjIndexTag::ClearRange() {
  FHasLow = FHasHigh = false;
  FLow.clear();
  FHigh.clear();
}

// ---- The tree check ----

struct XBobjIndexTag::TTreeCheck {
  std::unordered_set<std::int64_t> Pages;                    // every page met
  std::vector<std::pair<std::int64_t, std::int64_t>> Last;   // per depth: the node met last, its right link
  TxbIndexEntry Previous;                                    // the last key of the walk
  bool HavePrevious = false;
  std::int64_t Keys = 0;
};

bool XBobjIndexTag::InOrder(const TxbIndexEntry& a, const TxbIndexEntry& b) const {
  if (b.Beyond) return true;
  if (a.Beyond) return false;
  return Order(a, b.Key, srExact, b.RecNo) <= 0;
}

std::int64_t XBobjIndexTag::CheckTree() {
  FOwner.CheckChanges();
  TTreeCheck check;
  CheckNode(RootPage(), 0, nullptr, nullptr, check);
  for (const auto& last : check.Last)
    if (last.second != -1) Damaged();  // a level's last node links to no neighbour on its right
  return check.Keys;
}

void XBobjIndexTag::CheckNode(std::int64_t page, int depth, const TxbIndexEntry* low, const TxbIndexEntry* high,
                              TTreeCheck& check) {
  if (depth >= MaxDepth || page < 0 || !check.Pages.insert(page).second) Damaged();
  XBobjIndexKey node;
  node.Page = page;
  if (!ReadNode(node) || !NodeFits(node) || (!node.Leaf && node.Count() == 0)) Damaged();
  if (LinksSiblings()) {
    const auto at = static_cast<std::size_t>(depth);
    if (check.Last.size() <= at) check.Last.resize(at + 1, {-1, -1});
    auto& [lastPage, lastRight] = check.Last[at];
    if (node.Left != lastPage || (lastPage >= 0 && lastRight != page)) Damaged();
    lastPage = page;
    lastRight = node.Right;
  }
  const TxbIndexEntry* before = low;
  for (const TxbIndexEntry& e : node.Entries) {
    // A key-less last child is bounded by the node's own bound.
    if (!e.Beyond && ((before && !InOrder(*before, e)) || (high && !InOrder(e, *high)))) Damaged();
    if (node.Leaf) {
      if (check.HavePrevious && !InOrder(check.Previous, e)) Damaged();
      check.Previous = e;
      check.HavePrevious = true;
      ++check.Keys;
    } else {
      CheckNode(e.Child, depth + 1, before, e.Beyond ? high : &e, check);
    }
    before = &e;
  }
}

// ---- Updates ----

void XBobjIndexTag::MarkChanged(const TxbIndexNode& node, int rank) {
  if (node->Rank < 0) FDirty.push_back(node);
  node->Rank = std::max(node->Rank, rank);
}

void XBobjIndexTag::UpdateSeparators() {
  for (int level = static_cast<int>(FPath.size()) - 2; level >= 0; --level) {
    XBobjIndexKey& parent = *FPath[level];
    const XBobjIndexKey& child = *FPath[level + 1];
    if (child.Count() == 0) return;
    const TxbIndexEntry& last = child.Entries.back();
    TxbIndexEntry& e = parent.Entries[parent.Current];
    if (e.Beyond) return;  // bounds whatever lies below
    if (e.Key == last.Key && e.RecNo == last.RecNo) return;
    e.Key = last.Key;
    e.RecNo = last.RecNo;
    MarkChanged(FPath[level], rankParent);
    if (parent.Current != parent.Count() - 1) return;
  }
}

void XBobjIndexTag::SplitIfNeeded(int level) {
  TxbIndexNode node = FPath[level];
  if (NodeFits(*node)) return;
  // Cut the entries into parts until each fits; the node keeps the last part.
  std::vector<std::vector<TxbIndexEntry>> pieces;
  pieces.push_back(std::move(node->Entries));
  XBobjIndexKey probe;
  probe.Leaf = node->Leaf;
  probe.Page = node->Page;
  for (std::size_t i = 0; i < pieces.size();) {
    probe.Entries.swap(pieces[i]);
    bool fits = probe.Count() <= 1 || NodeFits(probe);
    int k = fits ? 0 : std::clamp(SplitPoint(probe), 1, probe.Count() - 1);
    // A held key stays behind the child before it.
    if (!fits && probe.Entries[static_cast<std::size_t>(k)].Held) k = k + 1 < probe.Count() ? k + 1 : k - 1;
    probe.Entries.swap(pieces[i]);
    if (fits) {
      ++i;
      continue;
    }
    std::vector<TxbIndexEntry> right(std::make_move_iterator(pieces[i].begin() + k),
                                     std::make_move_iterator(pieces[i].end()));
    pieces[i].resize(k);
    pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(right));
  }
  node->Entries = std::move(pieces.back());
  // Every part goes to a new page: the neighbours' links are pointed at the parts first,
  // then the parent's (or, for a new root, the header's) one write switches from the whole
  // old node to its parts. A node split in place would hold the parts' keys twice until it
  // was rewritten itself. The old page is released once the switch is written.
  FReleased.push_back(node->Page);
  node->Page = NewPage();
  if (level > 0) FPath[level - 1]->Entries[FPath[level - 1]->Current].Child = node->Page;
  if (node->Right >= 0) {
    TxbIndexNode neighbour = LoadNode(node->Right);
    neighbour->Left = node->Page;
    MarkChanged(neighbour, rankNeighbour);
  }
  std::vector<TxbIndexEntry> parentEntries;
  TxbIndexNode previous;
  for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
    auto fresh = std::make_shared<XBobjIndexKey>();
    fresh->Leaf = node->Leaf;
    fresh->Attributes = node->Attributes;
    fresh->Entries = std::move(pieces[i]);
    fresh->Page = NewPage();
    fresh->Right = node->Page;
    if (previous) {
      fresh->Left = previous->Page;
      previous->Right = fresh->Page;
    } else {
      fresh->Left = node->Left;
      if (node->Left >= 0) {
        TxbIndexNode neighbour = LoadNode(node->Left);
        neighbour->Right = fresh->Page;
        MarkChanged(neighbour, rankNeighbour);
      }
    }
    MarkChanged(fresh, rankNew);
    if (fresh->Entries.back().Held) {
      // The held key goes up, between the part and what follows it.
      TxbIndexEntry held = std::move(fresh->Entries.back());
      fresh->Entries.pop_back();
      parentEntries.push_back({held.Key, held.RecNo, fresh->Page});
      parentEntries.push_back(std::move(held));
    } else {
      parentEntries.push_back({fresh->Entries.back().Key, fresh->Entries.back().RecNo, fresh->Page});
    }
    previous = fresh;
  }
  node->Left = previous->Page;
  // Nothing on disk refers to the new page before the write above it.
  if (node->Rank < 0) FDirty.push_back(node);
  node->Rank = rankNew;
  TxbIndexEntry own = node->Entries.back();
  own.Child = node->Page;
  if (level == 0) {
    auto root = std::make_shared<XBobjIndexKey>();
    root->Leaf = false;
    root->Root = true;
    node->Root = false;
    root->Page = NewPage();
    root->Entries = std::move(parentEntries);
    root->Entries.push_back(std::move(own));
    root->Current = root->Count() - 1;
    FPath.insert(FPath.begin(), root);
    FRoot = root->Page;
    FHeaderChanged = true;
    MarkChanged(root, rankParent);
    SplitIfNeeded(0);
  } else {
    XBobjIndexKey& parent = *FPath[level - 1];
    parent.Entries.insert(parent.Entries.begin() + parent.Current, std::make_move_iterator(parentEntries.begin()),
                          std::make_move_iterator(parentEntries.end()));
    parent.Current += static_cast<int>(parentEntries.size());
    MarkChanged(FPath[level - 1], rankParent);
    SplitIfNeeded(level - 1);
  }
}

void XBobjIndexTag::FlushNodes() {
  try {
    std::stable_sort(FDirty.begin(), FDirty.end(), [](const TxbIndexNode& a, const TxbIndexNode& b) { return a->Rank < b->Rank; });
    bool headerDone = !FHeaderChanged;
    for (const TxbIndexNode& n : FDirty) {
      if (!headerDone && n->Rank >= rankLosing) {
        WriteHeader();
        headerDone = true;
      }
      if (!WriteNode(*n)) Damaged();
      ++FNodesWritten;
      n->Rank = -1;
    }
    if (!headerDone) WriteHeader();
  } catch (...) {
    for (const TxbIndexNode& n : FDirty) n->Rank = -1;
    FDirty.clear();
    FReleased.clear();  // the old tree may still refer to them
    ClearCache();
    throw;
  }
  FDirty.clear();
  for (std::int64_t page : FReleased) ReleasePage(page);
  FReleased.clear();
}

bool XBobjIndexTag::InsertKey(std::string_view stored, std::uint32_t recno) {
  TUpdating updating(*this);
  if (FUnique) {
    Descend(stored, srFirst, 0);
    if (SettleForward() && CompareKeys(PathKey(), stored) == 0) {
      FPathValid = false;
      return false;
    }
  }
  Descend(stored, RecordsOrdered() ? srExact : srLast, recno);
  FPathValid = false;
  XBobjIndexKey& leaf = *FPath.back();
  int at = std::min(leaf.Current, leaf.Count());
  leaf.Entries.insert(leaf.Entries.begin() + at, TxbIndexEntry{std::string(stored), recno, -1});
  leaf.Current = at;
  MarkChanged(FPath.back(), rankGaining);
  if (at == leaf.Count() - 1) UpdateSeparators();
  SplitIfNeeded(static_cast<int>(FPath.size()) - 1);
#ifndef NDEBUG
  const bool split = !FReleased.empty();
#endif
  FlushNodes();
#ifndef NDEBUG
  if (split) CheckTree();  // a split that breaks the tree is caught where it happens
#endif
  FCurrent.SetBinary(stored.data(), stored.size());
  FCurrent.RecNo = recno;
  FCurrent.TagValue = recno;
  FHaveCurrent = true;
  FEof = FBof = false;
  return true;
}

bool XBobjIndexTag::DeleteKey(std::string_view stored, std::uint32_t recno) {
  TUpdating updating(*this);
  bool found = FindEntry(stored, recno);
  FPathValid = false;
  if (!found) return false;
  ErasePathEntry();
  return true;
}

void XBobjIndexTag::ErasePathEntry() {
  TUpdating updating(*this);
  FPathValid = false;
  XBobjIndexKey& leaf = *FPath.back();
  leaf.Entries.erase(leaf.Entries.begin() + leaf.Current);
  MarkChanged(FPath.back(), rankLosing);
  FlushNodes();
}

bool XBobjIndexTag::FindRecord(std::string_view near, std::uint32_t recno, const std::string* skip) {
  constexpr int kNeighbourhood = 256;
  int skips = 0;
  auto holds = [&] {
    const TxbIndexEntry& e = FPath.back()->Entries[FPath.back()->Current];
    if (e.RecNo != recno) return false;
    if (skip && skips == 0 && CompareKeys(e.Key, *skip) == 0) {
      ++skips;  // the entry just added for the new image
      return false;
    }
    return true;
  };
  // The entries around where the key's own spelling would stand, on both sides.
  Descend(near, srFirst, 0);
  bool ok = SettleForward();
  for (int n = 0; ok && n < kNeighbourhood; ++n, ok = StepForward())
    if (holds()) return true;
  skips = 0;
  Descend(near, srFirst, 0);
  ok = StepBackward();
  for (int n = 0; ok && n < kNeighbourhood; ++n, ok = StepBackward())
    if (holds()) return true;
  // Then the whole tag.
  skips = 0;
  DescendFromRoot(true);
  for (ok = SettleForward(); ok; ok = StepForward())
    if (holds()) return true;
  return false;
}

template <class Evaluate> void XBobjIndexTag::OnOriginal(Evaluate&& evaluate) {
  XBO_dBaseFld& table = *FOwner.Table();
  std::size_t n = static_cast<std::size_t>(table.RecordLength());
  std::string current(table.Record(), n);
  std::memcpy(table.Record(), table.OriginalRecord(), n);
  try {
    evaluate();
  } catch (...) {
    std::memcpy(table.Record(), current.data(), n);
    throw;
  }
  std::memcpy(table.Record(), current.data(), n);
}

void XBobjIndexTag::TagKeyUpdate(std::uint32_t recno, bool isAppend) {
  TUpdating updating(*this);
  XBO_dBaseFld* table = FOwner.Table();
  if (!table || table->RecordLength() <= 0) return;
  CheckExpressions();
  bool hadPath = FPathValid;
  bool newFor = !FHasFor || EvaluateFor();
  std::string newKey;
  if (!EvaluateKey(newKey)) return;
  if (isAppend) {
    if (newFor) InsertKey(newKey, recno);
  } else {
    std::string oldKey;
    bool oldFor = true;
    OnOriginal([&] {
      EvaluateKey(oldKey);
      oldFor = !FHasFor || EvaluateFor();
    });
    // Whatever FOR said of the old image, a key of it that is there goes (unless kept).
    bool there = FindEntry(oldKey, recno);
    std::string gone = oldKey;
    if (!there && oldFor && !FUnique) {
      // The record's entry is not where its key's spelling puts it (another program spelled
      // it otherwise): that entry is the one replaced. With none at all the tag is damaged;
      // adding the new key would leave whatever holds the record behind.
      if (!FindRecord(oldKey, recno, nullptr)) Damaged();
      gone = PathKey();
      there = true;
    }
    if (!(there && newFor && gone == newKey)) {
      // The new key first: a writer killed in between leaves a duplicate, never a loss.
      if (newFor) InsertKey(newKey, recno);
      if (there && !DeleteKey(gone, recno) && FindRecord(gone, recno, newFor ? &newKey : nullptr)) ErasePathEntry();
    }
  }
  if (!hadPath) ClearCache();
  FPathValid = false;
}

void XBobjIndexTag::BuildTree(bool textKeys) {
  XBO_dBaseFld& table = *FOwner.Table();
  TxbSort sorter(TxbSort::MaxKeyLength, nullptr, FUnique, FDescending);
  table.RefreshHeader();
  std::int32_t count = table.RecordCount(), saved = table.RecNo();
  std::string stored;
  TxbVariant key;
  table.SetStatusTargets(-1, xbStatusIndexBuild, count);  // progress: the build starts
  for (std::int32_t r = 1; r <= count; ++r) {
    table.Go(r);  // every record by number, deleted ones too
    if (FHasFor && !EvaluateFor()) continue;
    if (!EvaluateKey(stored)) continue;
    if (textKeys)
      key.SetString(stored);
    else
      key.SetBinary(stored.data(), stored.size());
    sorter.AddKey(key, static_cast<std::uint32_t>(r));
  }
  if (saved >= 1 && saved <= count) table.Go(saved);

  // Bottom-up: one open node per level; a full one is written and posts its last key up.
  std::vector<TxbIndexNode> levels;
  auto open = [&](std::size_t level, std::int64_t page, std::int64_t left) {
    auto node = std::make_shared<XBobjIndexKey>();
    node->Leaf = level == 0;
    node->Page = page;
    node->Left = left;
    if (level == levels.size())
      levels.push_back(node);
    else
      levels[level] = node;
  };
  std::function<void(std::size_t, TxbIndexEntry)> post = [&](std::size_t level, TxbIndexEntry entry) {
    if (level >= static_cast<std::size_t>(MaxDepth)) Damaged();
    if (level == levels.size()) open(level, NewPage(), -1);
    XBobjIndexKey* node = levels[level].get();
    node->Entries.push_back(std::move(entry));
    if (node->Count() > 1 && !NodeFits(*node)) {
      TxbIndexEntry moved = std::move(node->Entries.back());
      node->Entries.pop_back();
      std::int64_t next = NewPage();
      node->Right = next;
      WriteNode(*node);
      post(level + 1, TxbIndexEntry{node->Entries.back().Key, node->Entries.back().RecNo, node->Page});
      open(level, next, node->Page);
      levels[level]->Entries.push_back(std::move(moved));
    }
  };
  open(0, NewPage(), -1);
  std::uint32_t recno;
  std::int32_t placed = 0;
  while (sorter.NextKey(key, recno)) {
    table.SetStatusTargets(xbStatusIndexBuild, ++placed, 0);  // progress: keys placed so far
    post(0, TxbIndexEntry{std::string(key.Data(), key.Length()), recno, -1});
  }
  for (std::size_t level = 0; level < levels.size(); ++level) {
    XBobjIndexKey& node = *levels[level];
    node.Right = -1;
    if (level + 1 == levels.size()) {
      node.Root = true;
      WriteNode(node);
      FRoot = node.Page;
      break;
    }
    WriteNode(node);
    post(level + 1, TxbIndexEntry{node.Entries.back().Key, node.Entries.back().RecNo, node.Page});
  }
  WriteHeader();
  ClearCache();
}

// ---- XBobjIndexFile ----

XBobjIndexFile::XBobjIndexFile(XBO_dBaseFld* table) : FTable(table) {
  if (table) FProtocol = table->LockProtocol();
}

XBobjIndexFile::~XBobjIndexFile() = default;

const std::string& XBobjIndexFile::FileName() const {
  static const std::string none;
  return FFile ? FFile->FileName() : none;
}

void XBobjIndexFile::RaiseDamaged() const { RaiseEngineError(xbeIndexDamaged, xbsNone, FileName()); }

namespace {

// An enciphered table's index is enciphered byte by byte by the byte's place in the file, so
// a page, a header and a counter read or written alone all meet the same cipher.
void CipherAt(std::string_view key, std::int64_t position, std::uint8_t* bytes, std::size_t length) {
  const std::size_t size = key.size();
  std::size_t k = static_cast<std::size_t>(position % static_cast<std::int64_t>(size));
  auto place = static_cast<std::uint8_t>(position & 0xFF);
  for (std::size_t i = 0; i < length; ++i) {
    bytes[i] ^= static_cast<std::uint8_t>(place | static_cast<std::uint8_t>(key[k]));
    ++place;
    if (++k == size) k = 0;
  }
}

}  // namespace

void XBobjIndexFile::TakeTableKey() {
  FCipherKey = FTable && FTable->Encrypted() ? FTable->CipherKey() : std::string();
}

const std::string* XBobjIndexFile::CipherKey() const { return FCipherKey.empty() ? nullptr : &FCipherKey; }

bool XBobjIndexFile::ReadPage(std::int64_t position, void* buffer, std::size_t length) {
  if (!FFile || FFile->Read(position, buffer, length) != length) return false;
  if (const std::string* key = CipherKey()) CipherAt(*key, position, static_cast<std::uint8_t*>(buffer), length);
  return true;
}

void XBobjIndexFile::WritePage(std::int64_t position, const void* buffer, std::size_t length) {
  const std::string* key = CipherKey();
  if (!key) return FFile->Write(position, buffer, length);
  std::vector<std::uint8_t> copy(static_cast<const std::uint8_t*>(buffer), static_cast<const std::uint8_t*>(buffer) + length);
  CipherAt(*key, position, copy.data(), length);
  FFile->Write(position, copy.data(), length);
}

void XBobjIndexFile::RenameIndex(std::string_view newTableName) {
  if (!FFile) return;
  std::string name(newTableName);
  std::size_t cut = name.find_last_of("\\/:");
  std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && (cut == std::string::npos || dot > cut)) name.resize(dot);
  const std::string& old = FFile->FileName();
  std::size_t oldDot = old.rfind('.');
  std::size_t oldCut = old.find_last_of("\\/:");
  if (oldDot != std::string::npos && (oldCut == std::string::npos || oldDot > oldCut)) name += old.substr(oldDot);
  FFile->Rename(name);
}

void XBobjIndexFile::KeyUpdateAll(std::uint32_t recno, bool isAppend) {
  for (const auto& tag : FTags) tag->CheckExpressions();  // before anything is written
  LockIndex();
  try {
    for (const auto& tag : FTags) tag->TagKeyUpdate(recno, isAppend);
  } catch (...) {
    UnlockIndex();
    throw;
  }
  UnlockIndex();
  FCurrentTag = -1;
}

void XBobjIndexFile::SetLockProtocol(TxbLokProtocol p) { FProtocol = p; }

void XBobjIndexFile::ReadTagHeaders() {
  for (const auto& tag : FTags) {
    tag->ClearCache();
    tag->ReadHeader();
  }
}

bool XBobjIndexFile::ReadVersion(std::uint32_t& version) {
  const TChangeCounter counter = ChangeCounter();
  std::uint8_t v[4];
  if (counter.Bytes == 0 || !ReadPage(counter.Offset, v, static_cast<std::size_t>(counter.Bytes))) return false;
  version = counter.Bytes == 2 ? GetLE16(v) : GetLE32(v);
  return true;
}

bool XBobjIndexFile::ChangedByOther() {
  if (!FFile || !FFile->Shared()) return false;
  if (ChangeCounter().Bytes == 0) return !FFile->HasExclusiveAccess();
  std::uint32_t now;
  return ReadVersion(now) && now != FVersion;
}

void XBobjIndexFile::Resync() {
  ReadVersion(FVersion);
  ForgetEnd();
  if (!FDamaged) ReadTagHeaders();
}

void XBobjIndexFile::OnLocked() {
  if (FFile && FFile->Shared()) ForgetEnd();
}

void XBobjIndexFile::StartOver() {
  for (const auto& tag : FTags) tag->ClearCache();
  FFile->Truncate(0);
  FSpare.clear();
  RestartFile();
}

void XBobjIndexFile::EmptyToRootLeaf() {
  XBobjIndexTag* tag = TagByIndex(0);
  if (FDamaged || !tag) RaiseDamaged();
  UnderWholeFile([&] {
    StartOver();
    tag->PlantEmptyRoot();
  });
}

void XBobjIndexFile::OpenOrCreate(std::string_view name, std::string_view extension, bool create, bool readWrite,
                                  bool shared) {
  std::string n(name);
  while (!n.empty() && n.back() == ' ') n.pop_back();
  while (!n.empty() && n.front() == ' ') n.erase(0, 1);
  n = xbase::DefaultExtension(n, extension);
  if (n.find_first_of("\\/:") == std::string::npos && FTable) {
    const std::string& t = FTable->FileName();
    std::size_t cut = t.find_last_of("\\/");
    if (cut != std::string::npos) n = t.substr(0, cut + 1) + n;
  }
  TakeTableKey();
  FFile = std::make_unique<XBO_DiskFile>(n, create || readWrite, shared);
  if (create) {
    FFile->CreateNew();
  } else {
    if (!FFile->Existed()) RaiseEngineError(xbeFileNotFound, xbsOpen, FFile->FileName());
    FFile->Open();
  }
}

void XBobjIndexFile::TakeWholeFile() {
  if (!FFile->Shared() || FFile->HasExclusiveAccess()) return;
  if (!RetryLock([&] { return FFile->LockFile(); })) RaiseEngineError(xbeAccessDenied, xbsTruncate, FFile->FileName());
  FWholeFile = true;
}

void XBobjIndexFile::ReleaseWholeFile() {
  if (!FWholeFile) return;
  FWholeFile = false;
  FFile->Unlock();
}

bool XBobjIndexFile::TakeSpare(std::int64_t& page) {
  if (FSpare.empty()) return false;
  page = FSpare.back();
  FSpare.pop_back();
  return true;
}

void XBobjIndexFile::LockIndex() {
  if (FLockDepth++ > 0) return;
  if (FFile && FFile->Shared()) FSpare.clear();  // another writer may have rebuilt the file over them
  OnLocked();
  if (!FFile || !FFile->Shared() || FFile->HasExclusiveAccess()) return;
  TxbLockOffsets o = LockOffsetsFor(FProtocol);
  std::uint64_t offset = o.Header - 1, length = FProtocol == TxbLokProtocol::DB4Lock ? 2 : 1;
  if (FProtocol == TxbLokProtocol::ClipLock) offset = o.TableBase, length = 1;
  if (!RetryLock([&] { return FFile->LockRegion(offset, length); })) {
    --FLockDepth;
    throw EXBaseError(Format(SLockError, std::to_string(FFile->LastError()), FFile->FileName()));
  }
  FRegionLocked = true;
  if (ChangedByOther()) Resync();
}

void XBobjIndexFile::UnlockIndex() {
  if (FLockDepth == 0 || --FLockDepth > 0) return;
  try {
    FlushPending();
  } catch (...) {
    if (FRegionLocked) FFile->Unlock();
    FRegionLocked = false;
    throw;
  }
  if (FRegionLocked) FFile->Unlock();
  FRegionLocked = false;
}

void XBobjIndexFile::CheckChanges() {
  if (FLockDepth > 0 || !FFile || !FFile->Shared()) return;
  if (ChangedByOther()) Resync();
}

XBobjIndexTag* XBobjIndexFile::TagByName(std::string_view name) const {
  std::string n(name);
  xbase::TrimText(n);
  for (const auto& tag : FTags) {
    std::string t = tag->Name();
    xbase::TrimText(t);
    if (xbase::CompareTextNoCase(t, n) == 0) return tag.get();
  }
  return nullptr;
}

XBobjIndexTag* XBobjIndexFile::TagByIndex(int i) const {
  return i >= 0 && i < TagCount() ? FTags[static_cast<std::size_t>(i)].get() : nullptr;
}

bool XBobjIndexFile::SameFile(std::string_view name) const {
  auto tail = [](std::string_view s) {
    std::size_t cut = s.find_last_of("\\/:");
    return cut == std::string_view::npos ? s : s.substr(cut + 1);
  };
  return xbase::CompareTextNoCase(tail(name), tail(FileName())) == 0;
}

std::string XbSortableDouble(double value) {
  if (value == 0) value = 0.0;
  std::uint64_t u;
  std::memcpy(&u, &value, 8);
  u = (u & 0x8000000000000000ull) ? ~u : (u | 0x8000000000000000ull);
  std::string out(8, '\0');
  for (int i = 7; i >= 0; --i, u >>= 8) out[static_cast<std::size_t>(i)] = static_cast<char>(u & 0xFF);
  return out;
}

double XbDoubleFromSortable(std::string_view bytes) {
  std::uint64_t u = 0;
  for (std::size_t i = 0; i < 8; ++i) u = (u << 8) | (i < bytes.size() ? static_cast<std::uint8_t>(bytes[i]) : 0);
  u = (u & 0x8000000000000000ull) ? (u & ~0x8000000000000000ull) : ~u;
  double d;
  std::memcpy(&d, &u, 8);
  return d;
}

const TxbFieldDesc* XbSingleField(const TxbExpHandler& handler, XBO_dBaseFld& table) {
  const TxbExpBaseObject* node = handler.Root();
  while (node && node->Kind == TxbExpNodeKind::Container) node = static_cast<const TxbExpContainer*>(node)->Inner.get();
  if (!node || node->Kind != TxbExpNodeKind::Fieldvar) return nullptr;
  auto* var = dynamic_cast<const TxblDBFFieldVars*>(static_cast<const TxbExpFieldvar*>(node)->Var);
  return var ? table.Field(var->FieldNo()) : nullptr;
}

std::string XbTagName(std::string_view name) {
  std::string n(name);
  xbase::TrimText(n);
  while (!n.empty() && n.front() == ' ') n.erase(0, 1);
  for (char& ch : n)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  return n;
}

std::string XbIndexBaseName(std::string_view path) {
  std::size_t cut = path.find_last_of("\\/:");
  std::string_view name = cut == std::string_view::npos ? path : path.substr(cut + 1);
  std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return XbTagName(name);
}
