#pragma once
// The compound index (".CDX"): one file of 512-byte nodes holding any number of named tags,
// each a B-tree over a key expression with an optional FOR condition, and a directory that
// is itself a tag whose keys are the tag names and whose record numbers are the offsets of
// the tags' 1024-byte headers. Leaves store their keys compressed (the prefix shared with the
// previous key and the trailing pad left out) behind bit-packed entries; interior nodes store
// whole keys with big-endian record numbers and child offsets.
//
// Stored key forms: C the text (or its GENERAL collation weights), N the double's big-endian
// bytes with the sign bit set (negative: every bit inverted) and trailing zero bytes cut, D
// the Julian day as N, a single I field its 4 big-endian bytes with the sign bit inverted.
//
// Nothing read is trusted: headers and nodes are checked whole, and a bad one marks the file
// damaged (code 2112).
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "xbase/xbindex.h"

class XBobjCDXFile;

class XBobjCDXTag : public XBobjIndexTag {
 public:
  static constexpr int NodeSize = 512;
  static constexpr int LeafArea = 488;

  // A tag whose header lies at headerOffset (0: the directory).
  XBobjCDXTag(XBobjCDXFile& owner, std::int64_t headerOffset);

  void KeyToStored(const TxbVariant& value, std::string& stored, bool trim) override;
  bool ReadNode(XBobjIndexKey& node) override;
  bool WriteNode(XBobjIndexKey& node) override;
  void ReadHeader() override;
  void WriteHeader() override;
  bool NodeFits(const XBobjIndexKey& node) const override;
  int SplitPoint(const XBobjIndexKey& node) const override;
  bool LinksSiblings() const override { return true; }
  char PadByte() const override { return FKeyType == 'C' ? ' ' : '\0'; }

  // A new tag's header fields (before its first WriteHeader).
  void Define(std::string_view name, std::string_view keyExpr, std::string_view forExpr, bool unique, bool descending,
              bool general, char keyType, int keyLength);
  // Reads the header and compiles; false when the header is bad.
  bool Load();
  // Builds the tree from every record of the table (root written, header written).
  void Build();
  void SetName(std::string_view name) { FName.assign(name); }

  std::int64_t HeaderOffset() const { return FHeaderOffset; }
  int KeyLength() const { return FKeyLength; }
  char KeyType() const override { return FKeyType; }
  bool General() const { return FGeneral; }
  bool IsDirectory() const { return FHeaderOffset == 0; }
  std::uint8_t Options() const { return FOptions; }
  int MaxInteriorKeys() const { return 500 / (FKeyLength + 8); }

  // The leaf layout a node of these entries takes, and its encoded size (entries + keys).
  struct TLeafLayout {
    int EntryBytes = 3, RecordBits = 16, CountBits = 4;
    std::uint32_t RecordMask = 0xFFFF;
  };
  TLeafLayout LeafLayout(const XBobjIndexKey& node) const;
  static int CountBitsFor(int keyLength);
  // Encodes and decodes one leaf or interior node page (the fuzzer drives these).
  bool DecodeNode(const std::uint8_t* page, XBobjIndexKey& node) const;
  void EncodeNode(const XBobjIndexKey& node, std::uint8_t* page) const;

 private:
  friend class XBobjCDXFile;
  std::string Padded(const std::string& key) const;
  void ToDisk(std::string& key) const;
  void FromDisk(std::string& key) const;
  int LeafBytes(const XBobjIndexKey& node, const TLeafLayout& layout) const;
  XBobjCDXFile& CDX() const;

  std::int64_t FHeaderOffset;
  int FKeyLength = 10;
  std::uint8_t FOptions = 0x60;
  bool FGeneral = false;
  char FKeyType = 'C';
  std::array<std::uint8_t, 1024> FRaw{};  // the header as read (unknown bytes written back)
};

class XBobjCDXFile : public XBobjIndexFile {
 public:
  // Opens name (".CDX" added when it has no extension; a bare name lies beside the table).
  // create makes a new file (the table's share mode) and otherwise a missing file raises
  // code 2. A file that does not hold together opens damaged (Damaged(), code 2112 when used).
  XBobjCDXFile(XBO_dBaseFld* table, std::string_view name, bool create, bool readWrite, bool shared);
  ~XBobjCDXFile() override;

  XBobjIndexTag* AddTag(std::string_view name, std::string_view keyExpr, std::string_view forExpr, bool unique,
                        bool descending) override;
  // The same with the GENERAL collation for text keys.
  XBobjIndexTag* AddTagCollated(std::string_view name, std::string_view keyExpr, std::string_view forExpr, bool unique,
                                bool descending, bool general);
  bool DeleteTag(std::string_view name) override;
  void OpenTags() override;
  // A node a split left first, else the end of the file.
  std::int64_t NewPage() override;
  void Reindex() override;
  // Re-reads the directory too, also in a damaged file (its tags that loaded are still read).
  void Resync() override;
  void FlushPending() override;

  XBobjCDXTag& Directory() { return *FDirectory; }
  std::uint32_t Version() const { return FVersion; }
  // Counts a change of the file once per locked update (the version counter).
  void NoteChange();

 protected:
  void OnLocked() override;
  // The version counter: 4 bytes at offset 8.
  TChangeCounter ChangeCounter() const override { return {8, 4}; }
  void ForgetEnd() override { FEnd = -1; }

 private:
  struct TTagDef {
    std::string Name, Key, For;
    bool Unique, Descending, General;
  };
  void CheckDefinition(const TTagDef& def, char& keyType, int& keyLength);
  XBobjCDXTag* CreateTag(const TTagDef& def, char keyType, int keyLength);
  void InitEmpty();
  void Rebuild(const std::vector<TTagDef>& defs);
  TTagDef DefOf(const XBobjCDXTag& tag) const;

  std::unique_ptr<XBobjCDXTag> FDirectory;
  std::int64_t FEnd = -1;  // the next node offset, -1 unknown
  bool FCounted = false;
};

// The GENERAL collation's stored form of a text.
std::string CdxGeneralKey(std::string_view text);
