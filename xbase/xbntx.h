#pragma once
// The text-key index (".NTX"): one B-tree over one key expression in 1,024-byte pages
// addressed by byte offset, with an optional FOR condition, descending order and a version
// counter other writers watch. Every key is text: numbers as fixed-point digits (a negative
// one with every digit mirrored, so text order is numeric order), dates as "yyyymmdd". A page
// holds a table of item offsets, then items of child offset, record number and key; an
// interior page's last item holds only its last child. The interior items this engine writes
// carry record number 0: they only bound the child before them. Other programs keep keys in
// interior items (a record number other than 0): such a key stands between its item's child
// and the next, and is read, walked, sought and kept as a key (a one-key leaf of its own,
// named by the page's offset + 1 + the item's place).
//
// Nothing read is trusted: a header or page that does not hold together is damaged (2112).
#include <cstdint>
#include <string>
#include <string_view>

#include "xbase/xbindex.h"

class XBobjNTXFile;

// A number's key text in `width` characters with `decimals` decimals; one that does not fit
// raises code 1011.
std::string NtxNumberKey(double value, int width, int decimals);

class XBobjNTXTag : public XBobjIndexTag {
 public:
  static constexpr int PageSize = 1024;

  explicit XBobjNTXTag(XBobjNTXFile& owner);

  void KeyToStored(const TxbVariant& value, std::string& stored, bool trim) override;
  bool ReadNode(XBobjIndexKey& node) override;
  bool WriteNode(XBobjIndexKey& node) override;
  void ReadHeader() override;
  void WriteHeader() override;
  // Held keys share their item with the child before them.
  bool NodeFits(const XBobjIndexKey& node) const override;
  bool RecordsOrdered() const override { return false; }  // equal keys stand in any record order
  // A number is sought as the key that rounds it; one the key cannot hold exactly is not
  // found, as in the formats that keep numbers whole.
  int SeekTarget(const TxbVariant& value, std::string& stored) override;

  // Key size 0 refuses; false when fewer than 2 items would fit a page.
  bool Define(std::string_view name, std::string_view keyExpr, std::string_view forExpr, bool unique, bool descending,
              char keyType, int keySize, int decimals);
  bool Load(std::string_view name);
  void Build() { BuildTree(FKeyType == 'C'); }

  int KeySize() const { return FKeySize; }
  int ItemSize() const { return FKeySize + 8; }
  int MaxItems() const { return FMaxItems; }
  int Decimals() const { return FDecimals; }
  char KeyType() const override { return FKeyType; }
  static int MaxItemsFor(int keySize) { return (1020 / (keySize + 10) - 1) / 2 * 2; }
  // The header and one page (the fuzzer drives these).
  bool DecodeHeader(const std::uint8_t* h, std::int64_t fileSize);
  // node.Page names the page decoded (its held keys' leaves are named after it).
  bool DecodeNode(const std::uint8_t* page, XBobjIndexKey& node) const;
  // False when the node cannot be written as a page.
  bool EncodeNode(const XBobjIndexKey& node, std::uint8_t* page) const;

 private:
  friend class XBobjNTXFile;
  XBobjNTXFile& NTX() const;

  char FKeyType = 'C';
  int FKeySize = 10, FDecimals = 0, FMaxItems = 50;
};

class XBobjNTXFile : public XBobjIndexFile {
 public:
  XBobjNTXFile(XBO_dBaseFld* table, std::string_view name, bool create, bool readWrite, bool shared);
  ~XBobjNTXFile() override;

  XBobjIndexTag* AddTag(std::string_view name, std::string_view keyExpr, std::string_view forExpr, bool unique,
                        bool descending) override;
  // The page a split left first, else the end of the file.
  std::int64_t NewPage() override;
  void Reindex() override;
  // Counts the update (1 .. 32767, then 1 again) before the keys are kept current.
  void KeyUpdateAll(std::uint32_t recno, bool isAppend) override;
  // Leaves the header and an empty root (2,048 bytes).
  void Empty() { EmptyToRootLeaf(); }

  XBobjNTXTag* Tag() const { return static_cast<XBobjNTXTag*>(TagByIndex(0)); }
  std::uint16_t Version() const { return static_cast<std::uint16_t>(FVersion); }

 protected:
  // The version counter: 2 bytes at offset 2.
  TChangeCounter ChangeCounter() const override { return {2, 2}; }
  void ForgetEnd() override { FEnd = -1; }
  void RestartFile() override;

 private:
  friend class XBobjNTXTag;
  std::int64_t FEnd = -1;  // the next page offset, -1 unknown
};
