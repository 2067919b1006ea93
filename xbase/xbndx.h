#pragma once
// The single-tag index (".NDX"): one B-tree over one key expression in 512-byte blocks,
// block 0 the header. Items have a fixed size (child block, record number, key); an interior
// block's last item holds only its last child. Text keys are blank padded; numbers and dates
// are little-endian doubles (an empty date is 1e100, after every date). The format has no
// FOR condition and no descending order.
//
// Stored key forms: C the text, N and D the number's sortable bytes (XbSortableDouble).
// Nothing read is trusted: a header or block that does not hold together is damaged (2112).
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "xbase/xbindex.h"

class XBobjNDXFile;

class XBobjNDXTag : public XBobjIndexTag {
 public:
  static constexpr int BlockSize = 512;

  explicit XBobjNDXTag(XBobjNDXFile& owner);

  void KeyToStored(const TxbVariant& value, std::string& stored, bool trim) override;
  bool ReadNode(XBobjIndexKey& node) override;
  bool WriteNode(XBobjIndexKey& node) override;
  void ReadHeader() override;
  void WriteHeader() override;
  bool NodeFits(const XBobjIndexKey& node) const override { return node.Count() <= FKeysPerBlock; }
  bool RecordsOrdered() const override { return false; }  // interior items carry no record
  char PadByte() const override { return FKeyType == 'C' ? ' ' : '\0'; }
  std::int64_t NewPage() override;

  // The key's type and length set the geometry (C: the text's length; N, D: 8).
  void Define(std::string_view name, std::string_view keyExpr, bool unique, char keyType, int keyLength);
  // Reads and checks the header block; false when it does not hold together.
  bool Load(std::string_view name);
  // Builds the tree from every record of the table (root and header written).
  void Build() { BuildTree(FKeyType == 'C'); }

  int KeyLength() const { return FKeyLength; }
  int ItemSize() const { return FItemSize; }
  int KeysPerBlock() const { return FKeysPerBlock; }
  char KeyType() const override { return FKeyType; }
  // The header as the format writes it, and one block's items (the fuzzer drives these).
  bool DecodeHeader(const std::uint8_t* h, std::int64_t fileBlocks);
  bool DecodeNode(const std::uint8_t* block, XBobjIndexKey& node) const;
  void EncodeNode(const XBobjIndexKey& node, std::uint8_t* block) const;

 private:
  friend class XBobjNDXFile;
  XBobjNDXFile& NDX() const;

  int FKeyLength = 10, FItemSize = 20, FKeysPerBlock = 25;
  char FKeyType = 'C';
};

class XBobjNDXFile : public XBobjIndexFile {
 public:
  // Opens name (".NDX" added when it has no extension; a bare name lies beside the table).
  // create makes a new, empty file; otherwise a missing file raises code 2, and one that does
  // not hold together opens damaged (code 2112 when used).
  XBobjNDXFile(XBO_dBaseFld* table, std::string_view name, bool create, bool readWrite, bool shared);
  ~XBobjNDXFile() override;

  // The one tag (named after the file); a FOR condition or descending order is refused.
  XBobjIndexTag* AddTag(std::string_view name, std::string_view keyExpr, std::string_view forExpr, bool unique,
                        bool descending) override;
  std::int64_t NewPage() override;
  void Reindex() override;
  // Leaves the header and an empty root (1,024 bytes).
  void Empty() { EmptyToRootLeaf(); }
  // The next free block (read from the header and the file size when unknown).
  std::int64_t NewPageFrontier();

  XBobjNDXTag* Tag() const { return static_cast<XBobjNDXTag*>(TagByIndex(0)); }

 protected:
  // No change counter: a shared file is read again at every lock and positioning.
  void ForgetEnd() override { FNext = -1; }
  void RestartFile() override;

 private:
  friend class XBobjNDXTag;
  std::string BaseName() const;
  std::int64_t FNext = -1;  // the next free block, -1 unknown
};
