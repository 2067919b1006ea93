#pragma once
// TxbVariant: a typed value buffer, the form in which keys, sort values and expression
// results travel through the engine. Texts are the stored bytes, in the table's code page.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "classlib/core/object.h"
#include "xbase/casetables.h"

enum TxbVarType : std::uint8_t {
  xvNone = 0,
  xvText = 1,     // the characters, no terminator
  xvFloat = 2,    // an 8-byte double
  xvDate = 3,     // a 32-bit Julian day
  xvLogical = 4,  // one byte, non-zero = true
  xvBinary = 5,   // raw bytes; compares as whatever type it is compared with
};

class TxbVariant : public TObject {
 public:
  explicit TxbVariant(std::size_t initialCapacity = 0);

  TxbVarType Type() const { return FType; }
  std::size_t Length() const { return FLength; }
  std::size_t Capacity() const { return FData.size(); }
  const char* Data() const { return FData.data(); }
  char* Data() { return FData.data(); }
  bool IsEmpty() const { return FLength == 0; }

  void Clear();
  bool Assign(const TxbVariant* other);
  // Sets the length, growing the buffer (the content kept) when needed.
  void SetSize(std::size_t n);
  void SetType(TxbVarType type) { FType = type; }

  void SetString(std::string_view s);
  void SetPChar(const char* p);
  void SetFloat(double d);
  void SetDate(std::int32_t julian);
  void SetBoolean(bool b);
  void SetBinary(const void* buffer, std::size_t n);
  void AppendBinary(const void* buffer, std::size_t n);

  // An empty value gives the empty result (false, 0, 0.0, "").
  bool AsBoolean() const;
  std::int32_t AsDate() const;
  double AsFloat() const;  // EConvertError for a text that is no number
  std::string AsString() const;
  // min(length, max) bytes into buffer; the count copied.
  std::size_t CopyTo(void* buffer, std::size_t max) const;

  // Text only (other types are left alone): maps every byte through table, or upper-cases
  // by the code page's table when none is given.
  void Translate(const TxbByteTable* table, TxbCodePage codePage = TxbCodePage::cp1251);
  void PadRight(std::size_t n);
  void TrimRight();

  // -1, 0 or 1. collation (optional) maps text bytes before comparing; Position tells how
  // many bytes were compared. A text that is a proper prefix of other gives prefixResult
  // (0: a short search key matches a longer key; -1: exact order). Types that cannot be
  // compared raise EXBaseError "Variant types mismatch for compare".
  int Compare(const TxbVariant* other, int& Position, const TxbByteTable* collation, int prefixResult) const;

 private:
  std::string FData;  // capacity bytes; the first FLength are the value
  std::size_t FLength = 0;
  TxbVarType FType = xvNone;
};
