#pragma once
// The multiple index file (".MDX"): a 2,048-byte header with a table of up to 47 tags, each a
// B-tree of fixed-size blocks (1,024 bytes here) addressed in 512-byte units. Items are a
// 4-byte number (child unit or record number) and the key; an interior block's last child
// has no key. Text keys are blank padded, dates little-endian doubles (an empty date 1e100,
// after every date), numbers a 12-byte packed decimal.
//
// Stored key forms: C the text; D the number's sortable bytes (XbSortableDouble); N the
// packed decimal's comparison form: 2 (1 when negative), the exponent byte, the ten digit
// bytes, all but the first inverted when negative; zero is 2 followed by zeros.
//
// Nothing read is trusted: a header, tag table or block that does not hold together is
// damaged (2112).
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/xbindex.h"

class XBobjMDXFile;

// The packed decimal on disk and in its comparison form (both 12 bytes). A magnitude of
// 1e203 or more does not fit and raises code 1011; one below 1e-53 is zero.
std::string MdxPackedNumber(double value);
std::string MdxCompareForm(std::string_view packed);
std::string MdxPackedFromCompare(std::string_view compare);
double MdxNumberOf(std::string_view packed);

class XBobjMDXTag : public XBobjIndexTag {
 public:
  static constexpr int MaxKeyExpression = 220, MaxForExpression = 261;

  XBobjMDXTag(XBobjMDXFile& owner, std::int64_t headerUnit);

  void KeyToStored(const TxbVariant& value, std::string& stored, bool trim) override;
  bool ReadNode(XBobjIndexKey& node) override;
  bool WriteNode(XBobjIndexKey& node) override;
  void ReadHeader() override;
  void WriteHeader() override;
  bool NodeFits(const XBobjIndexKey& node) const override { return node.Count() <= FMaxKeys; }
  bool RecordsOrdered() const override { return false; }  // interior items carry no record
  char PadByte() const override { return FKeyType == 'C' ? ' ' : '\0'; }
  // A block a split left (kept for this tag: it stays in the tag's chain of allocations),
  // else a new one.
  std::int64_t NewPage() override;
  void ReleasePage(std::int64_t unit) override;

  void Define(std::string_view name, std::string_view keyExpr, std::string_view forExpr, bool unique, bool descending,
              char keyType, int keyLength);
  // Reads and checks the tag header; false when it does not hold together.
  bool Load(std::string_view name);
  void Build() { BuildTree(FKeyType == 'C'); }

  std::int64_t HeaderUnit() const { return FHeaderUnit; }
  void SetHeaderUnit(std::int64_t unit) { FHeaderUnit = unit; }
  char KeyType() const override { return FKeyType; }
  int KeyLength() const { return FKeyLength; }
  int ItemLength() const { return FItemLength; }
  int MaxKeys() const { return FMaxKeys; }
  // One block's items and the tag header (the fuzzer drives these).
  bool DecodeNode(const std::uint8_t* block, XBobjIndexKey& node) const;
  void EncodeNode(const XBobjIndexKey& node, std::uint8_t* block) const;
  bool DecodeHeader(const std::uint8_t* h, std::int64_t fileUnits);

 private:
  XBobjMDXFile& MDX() const;
  int BlockSize() const;

  std::int64_t FHeaderUnit;
  char FKeyType = 'C';
  int FKeyLength = 10, FItemLength = 16, FMaxKeys = 62;
  std::int64_t FFirstUnit = 0, FLastUnit = 0;
  std::map<std::int64_t, std::int64_t> FPrevious;  // units allocated, not yet written: the unit before
  // Blocks splits left; dropped when another writer may have rebuilt the file over them.
  std::vector<std::int64_t> FSpare;
};

class XBobjMDXFile : public XBobjIndexFile {
 public:
  static constexpr int HeaderSize = 2048, Unit = 512, MaxTags = 47;

  // Opens name (".MDX" added when it has no extension; a bare name lies beside the table).
  // create makes a new file; otherwise a missing file raises code 2, and one that does not
  // hold together opens damaged (code 2112 when used). Named after its table, the file is
  // the table's production index.
  XBobjMDXFile(XBO_dBaseFld* table, std::string_view name, bool create, bool readWrite, bool shared);
  ~XBobjMDXFile() override;

  XBobjIndexTag* AddTag(std::string_view name, std::string_view keyExpr, std::string_view forExpr, bool unique,
                        bool descending) override;
  bool DeleteTag(std::string_view name) override;
  std::int64_t NewPage() override;  // a unit
  void Reindex() override;
  void RenameIndex(std::string_view newTableName) override;

  int BlockSize() const { return FBlockSize; }
  int UnitsPerBlock() const { return FBlockSize / Unit; }
  // Reads and checks the header and tag table (the fuzzer drives this); false when damaged.
  bool LoadHeader();

 protected:
  // No change counter: a shared file is read again at every lock and positioning.
  void ForgetEnd() override { FNextUnit = -1; }

 private:
  struct TTagDef {
    std::string Name, Key, For;
    bool Unique, Descending;
    char Type;
    int Length;
  };
  void CheckDefinition(TTagDef& def);
  void InitHeader();
  void WriteFileHeader();
  void CreateTag(const TTagDef& def);
  std::int64_t FileUnits() const;

  std::array<std::uint8_t, HeaderSize> FHeader{};
  int FBlockSize = 1024;
  std::int64_t FNextUnit = -1;  // -1 unknown
  bool FHeaderChanged = false;
};
