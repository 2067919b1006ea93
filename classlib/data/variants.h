#pragma once
// TVariant: a small value of one of a few kinds (empty, null, Boolean, integer, float, date,
// string, array), as datasets pass field values, locate keys and lookup results. Conversions
// between kinds are locale-free (DefaultFormatSettings); one that cannot be made raises
// EVariantError.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/datetime.h"
#include "classlib/core/exceptions.h"

HX_DECLARE_EXCEPTION(EVariantError, Exception);

enum TVarType { varEmpty, varNull, varBoolean, varInteger, varDouble, varDate, varString, varArray };

class TVariant {
 public:
  TVariant() = default;  // empty
  TVariant(bool v) : FType(varBoolean), FInt(v) {}
  TVariant(int v) : FType(varInteger), FInt(v) {}
  TVariant(std::int64_t v) : FType(varInteger), FInt(v) {}
  TVariant(double v) : FType(varDouble), FFloat(v) {}
  TVariant(const char* v) : FType(varString), FString(v ? v : "") {}
  TVariant(std::string v) : FType(varString), FString(std::move(v)) {}

  static TVariant Null();
  static TVariant FromDate(TDateTime v);
  static TVariant Array(std::vector<TVariant> Items);

  TVarType VarType() const { return FType; }
  bool IsEmpty() const { return FType == varEmpty; }
  // Null or empty: no value.
  bool IsNull() const { return FType == varNull || FType == varEmpty; }
  bool IsArray() const { return FType == varArray; }
  // Array items; a value that is no array counts as one item, itself.
  int ArrayCount() const;
  const TVariant& Item(int Index) const;  // EVariantError when out of range

  bool AsBoolean() const;
  std::int64_t AsInteger() const;
  double AsFloat() const;
  TDateTime AsDateTime() const;
  // Null and empty give "" (as VarToStr does); an array raises.
  std::string AsString() const;

  // Same kind and value; integers, floats and dates compare by number, strings exactly.
  friend bool operator==(const TVariant& A, const TVariant& B);

 private:
  [[noreturn]] void CannotConvert(const char* To) const;
  TVarType FType = varEmpty;
  std::int64_t FInt = 0;
  double FFloat = 0;
  std::string FString;
  std::shared_ptr<const std::vector<TVariant>> FItems;
};

inline bool VarIsNull(const TVariant& V) { return V.IsNull(); }
inline bool VarIsArray(const TVariant& V) { return V.IsArray(); }
inline std::string VarToStr(const TVariant& V) { return V.AsString(); }
TVariant VarArrayOf(std::initializer_list<TVariant> Items);
// The name of a kind: "Empty", "Null", "Boolean", "Integer", "Double", "Date", "String", "Array".
const char* VarTypeName(TVarType Type);
