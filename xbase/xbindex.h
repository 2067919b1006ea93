#pragma once
// The format-independent half of every index: a tag (one ordering of a table by a key
// expression, optionally filtered by a FOR condition) held as a B-tree of nodes, the path of
// nodes to the current key, movement in key order, search, key maintenance when a record is
// written, key ranges, and the index file that owns the tags. A format supplies the byte
// layouts through the virtual slots: node and header I/O, the stored form of keys, whether
// a node fits, page allocation and tag builds.
//
// Keys are kept in their stored form (bytes). The order is the stored bytes (a shorter key
// read as padded with the tag's pad byte), then the record number as an unsigned number; a
// descending tag reverses both, and its tree holds the keys in that reversed order.
//
// Updates write their nodes at once, in an order that keeps a killed writer harmless: nodes
// that gain entries (new nodes, neighbours, parents, then the header) before those that
// lose entries, so a crash loses at most the key in flight or leaves a duplicate. A split
// moves every part of a node to new pages and switches to them with the one write above.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "xbase/dbftable.h"
#include "xbase/diskfile.h"
#include "xbase/tableshared.h"
#include "xbase/variant.h"

class XBO_dBaseFld;
class TxbExpHandler;
class XBobjIndexFile;

// One entry of a node: the stored key, the record number and (interior nodes) the child.
struct TxbIndexEntry {
  std::string Key;
  std::uint32_t RecNo = 0;
  std::int64_t Child = -1;
  // The bound of an interior node's key-less last child (formats that store none): it
  // compares beyond every key, so it never has to be spelled as bytes.
  bool Beyond = false;
  // An interior item that is itself a key of the tag (other programs' text-key indexes keep
  // keys between the children): it follows the entry of the child before it, holds the
  // key and record, and its Child is a one-key leaf the format makes of it. A split never
  // leaves it last in a node: it moves up to the parent with the node before it.
  bool Held = false;
};

// The current key of a tag: the stored key bytes (binary), its record number and its tag
// value (the record number again for a leaf entry).
class XBobjIndexKeyData : public TxbVariant {
 public:
  std::uint32_t RecNo = 0;
  std::int64_t TagValue = 0;
};

class XBobjIndexKey;

// A kept node's link to a child it met, with where the child's keys lie, so a descent can
// fetch them before it reads the child itself.
struct TxbNodeLink {
  std::shared_ptr<XBobjIndexKey> Node;
  const char* Keys = nullptr;
  std::size_t KeyBytes = 0;
};

// One node in memory.
class XBobjIndexKey {
 public:
  std::vector<TxbIndexEntry> Entries;
  std::int64_t Page = -1;
  std::int64_t Left = -1, Right = -1;  // sibling pages, -1 when none
  bool Leaf = true;
  bool Root = false;
  std::uint32_t Attributes = 0;  // the format's own bits, written back as read
  int Current = -1;              // the entry on the path
  int Rank = -1;                 // write order within an update (-1: unchanged)
  int Count() const { return static_cast<int>(Entries.size()); }
  // The search form of a node a tag keeps (XBobjIndexTag::LoadNode), valid while KeptEpoch
  // is the tag's: the keys side by side at one stride, padded with the tag's pad byte, so a
  // search reads a few adjacent bytes instead of an entry each; and the children met below
  // it, so a descent goes from node to node without looking pages up.
  std::uint64_t KeptEpoch = 0;
  bool Searchable = false;
  bool LastBeyond = false;
  std::size_t Stride = 0;
  std::string Packed;
  std::vector<TxbNodeLink> Below;
  // A kept leaf holds no entries, only its search form with each key's record number and
  // length after the keys (a third of the memory, so a first pass over a large tag
  // touches that much less fresh memory); it is unfolded into entries when it is used.
  bool Folded = false;
  int FoldedCount = 0;
};
using TxbIndexNode = std::shared_ptr<XBobjIndexKey>;

class XBobjIndexTag : public TObject {
 public:
  static constexpr int MaxDepth = 32;
  static constexpr int MaxEmptyLeaves = 65536;  // passed over in one step before the file counts as damaged
  // The nodes a tag keeps in memory, counted in entries (about 64 bytes each, 4 a node over):
  // a 1,000,000-key tag fits.
  static constexpr std::size_t MaxKeptEntries = std::size_t{3} << 20 >> 1;

  explicit XBobjIndexTag(XBobjIndexFile& owner);
  ~XBobjIndexTag() override;

  // ---- Format slots ----
  // The stored form of a value (the base: its bytes). trim drops trailing blanks of texts.
  virtual void KeyToStored(const TxbVariant& value, std::string& stored, bool trim);
  // Keeps the texts and flags and compiles the expressions.
  virtual void InitTag(std::string_view name, std::string_view keyExpr, std::string_view forExpr, bool unique,
                       bool descending);
  // Inserts the value's key for its record; false when a unique tag already has the key.
  virtual bool AddKey(const XBobjIndexKeyData& entry);
  virtual std::int64_t RootPage() const { return FRoot; }
  // Reads the node at node.Page (false: it is damaged or unreadable); writes it.
  virtual bool ReadNode(XBobjIndexKey&) { return false; }
  virtual bool WriteNode(XBobjIndexKey&) { return false; }
  virtual void ReadHeader() { FHeaderChanged = false; }
  virtual void WriteHeader() { FHeaderChanged = false; }
  // Compiling fails softly: the tag keeps the message and raises it at the first key it
  // must evaluate (it can still be walked in its stored order).
  virtual void CompileKey();
  virtual void CompileFor();
  // The stored key of the table's current record; false without a key expression.
  virtual bool EvaluateKey(std::string& stored);
  // True only when the FOR expression exists and yields true.
  virtual bool EvaluateFor();
  // Whether a node's entries fit its page; where to cut one that does not (1..count-1).
  virtual bool NodeFits(const XBobjIndexKey& node) const = 0;
  // The new node takes the left part, the larger half; the node keeps the rest, where the
  // keys added in order go on arriving, so such keys still fill the tree (a nearly empty
  // left part would deepen it).
  virtual int SplitPoint(const XBobjIndexKey& node) const { return (node.Count() + 1) / 2; }
  virtual std::int64_t NewPage();
  // A page nothing refers to any more; the base hands it to the file's FreePage.
  virtual void ReleasePage(std::int64_t page);
  // The byte a shorter key is read as padded with.
  virtual char PadByte() const { return ' '; }
  // The type of the key's value: C text, N number, D date (a search text is read by it).
  virtual char KeyType() const { return 'C'; }
  // Whether equal keys are kept in record-number order.
  virtual bool RecordsOrdered() const { return true; }
  // The stored key a seek for value looks for: 0 when it can hold the value exactly; when it
  // cannot (a number beyond the key's decimals or width), the seek reports not found and
  // lands on the first key after the value: 1 when that is after every key equal to
  // stored, -1 when at the first of them.
  virtual int SeekTarget(const TxbVariant& value, std::string& stored) {
    KeyToStored(value, stored, true);
    return 0;
  }

  // ---- Movement and search ----
  // -1 next, -2 prior, -3 top, -4 bottom, -5 again on the current key (top when it is gone).
  void TagMove(int code);
  // The first key at or after value in tag order (a shorter text matches a longer key);
  // true when the key reached matches.
  bool TagSeek(const TxbVariant& value);
  bool SeekStored(std::string_view stored, bool partial = true);
  // Positions on the first entry at or after (key, recno): recno 0xFFFFFFFF ignores record
  // numbers (the first equal key), 0x7FFFFFFF lands after every equal key. 0 when the entry
  // reached matches, 1 when it lies beyond, -1 when the tag ends first.
  int NodeSearch(std::uint32_t recno, std::string_view key);
  // Positions on the entry (key, recno); true when it is there.
  bool FindEntry(std::string_view stored, std::uint32_t recno);
  // Keeps the tag current when record recno was appended or rewritten (the table's record
  // buffer holds the new image, its original record the old one).
  void TagKeyUpdate(std::uint32_t recno, bool isAppend);
  // Null or empty ends leave that side open. Moves to the top.
  void TagSetRange(const TxbVariant* low, bool lowInclusive, bool partial, bool highInclusive, const TxbVariant* high);
  void ClearRange();
  // Drops the nodes held in memory.
  void ClearCache();
  // Makes the tree one empty root leaf on a new page; writes it and the header.
  void PlantEmptyRoot();

  // Inserts or removes a stored key; both write the nodes they change.
  bool InsertKey(std::string_view stored, std::uint32_t recno);
  bool DeleteKey(std::string_view stored, std::uint32_t recno);

  // Reads the whole tree and raises the damaged-index error (2112) unless it holds together:
  // every node reads and fits its page and is reached once, an interior node has entries,
  // the keys run in tag order within and across nodes, each child's keys lie between its
  // parent's key before it and its own (an interior key bounds its child from above: the
  // engine makes it the child's last key, and leaves it when that key is taken out), and
  // where the format links neighbours, each level's nodes link both ways in order. Returns
  // the number of keys.
  std::int64_t CheckTree();
  // Whether the format's nodes link their neighbours on the same level.
  virtual bool LinksSiblings() const { return false; }

  // Raises the expression's error when the key or FOR expression did not compile.
  void CheckExpressions() const;
  // <0, 0, >0: the order of two stored keys (no record numbers, descending not applied);
  // with partial, a b that is a prefix of a counts as equal.
  int CompareKeys(std::string_view a, std::string_view b, bool partial = false) const;

  const std::string& Name() const { return FName; }
  const std::string& KeyExpression() const { return FKeyExpr; }
  const std::string& ForExpression() const { return FForExpr; }
  bool Unique() const { return FUnique; }
  bool Descending() const { return FDescending; }
  bool HasFor() const { return FHasFor; }
  const XBobjIndexKeyData& CurrentKey() const { return FCurrent; }
  std::string CurrentStored() const { return std::string(FCurrent.Data(), FCurrent.Length()); }
  bool Eof() const { return FEof; }
  bool Bof() const { return FBof; }
  const char* Signature() const { return FSignature; }
  XBobjIndexFile& Owner() const { return FOwner; }
  const std::string& KeyError() const { return FKeyError; }
  // Nodes written since the tag was made (tests count them).
  std::int64_t NodesWritten() const { return FNodesWritten; }

 protected:
  enum TSearch { srFirst, srLast, srExact };
  // Reads a node through ReadNode; a bad one raises the damaged-index error. Outside
  // updates, on a file not shared, the nodes read are kept until anything writes the file.
  TxbIndexNode LoadNode(std::int64_t page);
  // The kept node of the page (a leaf may be folded), read and kept when it is not there.
  TxbIndexNode KeptOrRead(std::int64_t page);
  void DropKeptNodes();
  // Marks an update under way: its nodes are read afresh and none are kept.
  struct TUpdating {
    explicit TUpdating(XBobjIndexTag& tag) : Tag(tag) {
      if (Tag.FUpdating++ == 0) Tag.DropKeptNodes();
    }
    ~TUpdating() { --Tag.FUpdating; }
    XBobjIndexTag& Tag;
  };
  // LoadNode for the next node down the path; a page already on the path is damage.
  TxbIndexNode LoadChild(std::int64_t page);
  // LoadChild of the parent's entry slot, through the parent's link when it is kept.
  TxbIndexNode ChildOf(XBobjIndexKey& parent, int slot);
  // Gives a node about to be kept its search form; a leaf then gives up its entries.
  void MakeSearchable(XBobjIndexKey& node) const;
  // The entries of a folded leaf, in a node the tag reuses when nothing else holds it.
  TxbIndexNode Unfold(const XBobjIndexKey& folded);
  // The first entry of the node at or after the target (Order below 0 before it).
  int SearchNode(const XBobjIndexKey& node, std::string_view key, TSearch mode, std::uint32_t recno) const;
  void Damaged() const;
  // Positions the path on the first entry at or after the target (the leaf's Current may
  // be its count); true when that entry matches the target.
  void Descend(std::string_view key, TSearch mode, std::uint32_t recno);
  int Order(const TxbIndexEntry& e, std::string_view key, TSearch mode, std::uint32_t recno) const;
  bool StepForward();
  bool StepBackward();
  void DescendEdge(bool first);
  // The first (last) leaf entry below the root.
  void DescendFromRoot(bool first);
  const std::string& PathKey() const { return FPath.back()->Entries[static_cast<std::size_t>(FPath.back()->Current)].Key; }
  // The path's entry (a past-the-end leaf position moved on), false at the end.
  bool SettleForward();
  void TakeCurrent();
  // -1 before the range, 0 inside, 1 beyond.
  int RangeTest(const std::string& key) const;
  void Top();
  void Bottom();
  // Makes sure the path stands on the current key; false when it had to land elsewhere.
  bool EnsurePath();
  void Refresh();
  void MarkChanged(const TxbIndexNode& node, int rank);
  void SplitIfNeeded(int level);
  void UpdateSeparators();
  void FlushNodes();
  // Builds the tree bottom-up from every record of the table (FOR applied): nodes filled
  // while they fit, the root and the header written. textKeys sorts keys as texts.
  void BuildTree(bool textKeys);
  // Runs evaluate with the table's record buffer holding the original record.
  template <class Evaluate> void OnOriginal(Evaluate&& evaluate);
  // Positions the path on an entry of record recno: first around where near would stand,
  // then anywhere in the tag; skip names a key whose first entry of the record is passed over.
  bool FindRecord(std::string_view near, std::uint32_t recno, const std::string* skip);
  // Removes the path's entry and writes the node.
  void ErasePathEntry();
  // CheckTree's walk: the node at page, at depth, its keys bounded by low and high (null:
  // open).
  struct TTreeCheck;
  void CheckNode(std::int64_t page, int depth, const TxbIndexEntry* low, const TxbIndexEntry* high, TTreeCheck& check);
  // Whether a stands at or before b in tag order.
  bool InOrder(const TxbIndexEntry& a, const TxbIndexEntry& b) const;

  XBobjIndexFile& FOwner;
  const char* FSignature = "UNK";
  std::string FName, FKeyExpr, FForExpr;
  bool FUnique = false, FDescending = false, FHasFor = false;
  std::int64_t FRoot = -1;
  bool FHeaderChanged = false;
  std::unique_ptr<TxbExpHandler> FKeyHandler, FForHandler;
  std::string FKeyError;
  std::vector<TxbIndexNode> FPath;
  bool FPathValid = false;
  std::vector<TxbIndexNode> FDirty;
  std::vector<std::int64_t> FReleased;  // pages split nodes left, free once the update is written
  XBobjIndexKeyData FCurrent;
  bool FHaveCurrent = false;
  bool FEof = true, FBof = true;
  // The range.
  bool FHasLow = false, FHasHigh = false, FLowInclusive = true, FHighInclusive = true, FPartial = false;
  std::string FLow, FHigh;
  std::int64_t FNodesWritten = 0;
  TxbVariant FWork;
  std::unordered_map<std::int64_t, TxbIndexNode> FKept;
  TxbIndexNode FUnfolded;  // the last leaf unfolded, its entries' memory used again
  std::size_t FKeptWeight = 0;
  std::uint64_t FKeptGeneration = 0;
  std::uint64_t FKeptEpoch = 1;  // counts the kept sets: a node's links hold within its set
  int FUpdating = 0;
};

class XBobjIndexFile : public TObject {
 public:
  // table may be null (a file without its table can be walked, not updated).
  explicit XBobjIndexFile(XBO_dBaseFld* table);
  ~XBobjIndexFile() override;

  // ---- Format slots ----
  virtual XBobjIndexTag* AddTag(std::string_view, std::string_view, std::string_view, bool, bool) { return nullptr; }
  virtual bool DeleteTag(std::string_view) { return false; }
  virtual void OpenTags() {}
  virtual std::int64_t NewPage() { return -1; }
  // A page nothing refers to any more. The formats keep no free list on disk: the page is
  // used again by this object's NewPage (TakeSpare) while it has the file to itself, and
  // stays unused until re-indexing otherwise.
  virtual void FreePage(std::int64_t page) { FSpare.push_back(page); }
  // An enciphered table's index is read and written through the table's key.
  virtual bool ReadPage(std::int64_t position, void* buffer, std::size_t length);
  virtual void WritePage(std::int64_t position, const void* buffer, std::size_t length);
  virtual void RenameIndex(std::string_view newTableName);
  // Every tag's TagKeyUpdate under the index lock; the current tag becomes none.
  virtual void KeyUpdateAll(std::uint32_t recno, bool isAppend);
  virtual void SetLockProtocol(TxbLokProtocol p);
  virtual void Reindex() {}
  // True when another writer changed the file since it was last read: its change counter
  // moved, or, in a format that keeps none, whenever another may write it.
  bool ChangedByOther();
  // Called when another writer changed the file: takes the change counter again, forgets
  // where the file ends, and (unless the file is damaged) drops every cache and re-reads the
  // headers.
  virtual void Resync();
  // Writes what is pending (headers); called before the unlock and at close.
  virtual void FlushPending() {}

  // A single-tag file cut to its header and an empty root leaf (the whole file taken).
  void EmptyToRootLeaf();
  // Opens the file (create: a new one). Without create a missing file raises code 2.
  // Creation takes the table's share mode.
  void OpenOrCreate(std::string_view name, std::string_view extension, bool create, bool readWrite, bool shared);
  // Before every change of a shared file: the index lock (retried by the lock policy; on
  // failure "Error N in Lock of NAME"), then a check for others' changes. Nested calls count.
  void LockIndex();
  void UnlockIndex();
  // Before positioning on a shared file: others' changes drop the caches.
  void CheckChanges();

  int TagCount() const { return static_cast<int>(FTags.size()); }
  XBobjIndexTag* TagByName(std::string_view name) const;  // folds only a..z
  XBobjIndexTag* TagByIndex(int i) const;                  // nullptr out of range
  bool SameFile(std::string_view name) const;
  XBO_dBaseFld* Table() const { return FTable; }
  XBO_DiskFile* File() const { return FFile.get(); }
  const std::string& FileName() const;
  int CurrentTag() const { return FCurrentTag; }
  void SetCurrentTag(int i) { FCurrentTag = i; }
  bool Production() const { return FProduction; }
  bool Damaged() const { return FDamaged; }
  TxbLokProtocol LockProtocol() const { return FProtocol; }
  [[noreturn]] void RaiseDamaged() const;
  // Takes the table's key again (the table was enciphered anew; re-index next).
  void TakeTableKey();

 private:
  template <class Work> void Under(void (XBobjIndexFile::*Take)(), void (XBobjIndexFile::*Release)(), Work& W) {
    (this->*Take)();
    try {
      W();
    } catch (...) {
      (this->*Release)();
      throw;
    }
    (this->*Release)();
  }

 protected:
  // Called when the index lock was taken (the outermost LockIndex): a shared file's end is
  // forgotten (another writer may have grown it).
  virtual void OnLocked();
  // ---- Format hooks of the above ----
  // The counter every writer of a shared file bumps: Bytes (2 or 4) little-endian bytes at
  // Offset. Bytes 0: the format keeps none.
  struct TChangeCounter {
    std::int64_t Offset = 0;
    int Bytes = 0;
  };
  virtual TChangeCounter ChangeCounter() const { return {}; }
  // Forgets the next free page the format keeps, so the next one is read from the file.
  virtual void ForgetEnd() {}
  // The format's own part of cutting the file for a new tree (StartOver below).
  virtual void RestartFile() {}
  // Cuts the file to nothing for a new tree: the tags' kept nodes and the spare pages go, and
  // the format starts its pages (and counters) over.
  void StartOver();
  // Reads the change counter; false where there is none or it cannot be read.
  bool ReadVersion(std::uint32_t& version);
  // Every tag's kept nodes dropped and its header read again.
  void ReadTagHeaders();
  // The whole file for emptying and re-indexing a shared file (others are kept out).
  void TakeWholeFile();
  void ReleaseWholeFile();
  // Runs Work under the whole-file or the index lock, given back however Work ends.
  template <class Work> void UnderWholeFile(Work&& W) { Under(&XBobjIndexFile::TakeWholeFile, &XBobjIndexFile::ReleaseWholeFile, W); }
  template <class Work> void UnderIndexLock(Work&& W) { Under(&XBobjIndexFile::LockIndex, &XBobjIndexFile::UnlockIndex, W); }
  // A page FreePage kept, when there is one.
  bool TakeSpare(std::int64_t& page);
  // The table's key when its index is enciphered, else nullptr.
  const std::string* CipherKey() const;
  std::string FCipherKey;  // taken from the table when the file is opened

  XBO_dBaseFld* FTable;
  std::unique_ptr<XBO_DiskFile> FFile;
  std::vector<std::unique_ptr<XBobjIndexTag>> FTags;
  int FCurrentTag = -1;
  std::vector<std::int64_t> FSpare;  // pages splits left (emptied when the file is cut)
  std::uint32_t FVersion = 0;        // the change counter as last read or written
  bool FProduction = false;
  bool FDamaged = false;
  TxbLokProtocol FProtocol = TxbLokProtocol::Default;
  int FLockDepth = 0;
  bool FRegionLocked = false;
  bool FWholeFile = false;
};

// Numbers as bytes whose order is the numbers' order: the double's big-endian bytes, the
// sign bit set (a negative value: every bit inverted); -0 counts as 0.
std::string XbSortableDouble(double value);
// A tag name as kept: blanks around removed, a..z upper-cased.
std::string XbTagName(std::string_view name);
// A file's name without folder and extension, upper-cased (the tag name of a single-tag file).
std::string XbIndexBaseName(std::string_view path);
// The field an expression consists of (brackets aside), or nullptr.
const TxbFieldDesc* XbSingleField(const TxbExpHandler& handler, XBO_dBaseFld& table);
inline bool XbIsFieldOfType(const TxbExpHandler& handler, XBO_dBaseFld& table, char type) {
  const TxbFieldDesc* f = XbSingleField(handler, table);
  return f && f->Type == type;
}
double XbDoubleFromSortable(std::string_view bytes);  // missing trailing bytes read as 0
