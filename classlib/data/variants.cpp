#include "classlib/data/variants.h"

#include <cmath>
#include <limits>

#include "classlib/core/format.h"
#include "classlib/core/text.h"

TVariant TVariant::Null() {
  TVariant v;
  v.FType = varNull;
  return v;
}

TVariant TVariant::FromDate(TDateTime d) {
  TVariant v(d);
  v.FType = varDate;
  return v;
}

TVariant TVariant::Array(std::vector<TVariant> Items) {
  TVariant v;
  v.FType = varArray;
  v.FItems = std::make_shared<const std::vector<TVariant>>(std::move(Items));
  return v;
}

TVariant VarArrayOf(std::initializer_list<TVariant> Items) { return TVariant::Array(std::vector<TVariant>(Items)); }

const char* VarTypeName(TVarType Type) {
  static const char* const names[] = {"Empty", "Null", "Boolean", "Integer", "Double", "Date", "String", "Array"};
  return names[Type];
}

int TVariant::ArrayCount() const { return FType == varArray ? static_cast<int>(FItems->size()) : 1; }

const TVariant& TVariant::Item(int Index) const {
  if (Index < 0 || Index >= ArrayCount()) throw EVariantError("Индекс массива вариантов вне границ (" + IntToStr(Index) + ")");
  return FType == varArray ? (*FItems)[Index] : *this;
}

void TVariant::CannotConvert(const char* To) const {
  throw EVariantError(std::string("Невозможно преобразовать вариант типа (") + VarTypeName(FType) + ") в тип (" +
                      To + ")");
}

bool TVariant::AsBoolean() const {
  switch (FType) {
    case varBoolean:
    case varInteger: return FInt != 0;
    case varDouble:
    case varDate: return FFloat != 0;
    case varString:
      if (SameText(FString, "True")) return true;
      if (SameText(FString, "False")) return false;
      {
        double d;
        if (TryStrToFloat(FString, d)) return d != 0;
      }
      break;
    default: break;
  }
  CannotConvert("Boolean");
}

std::int64_t TVariant::AsInteger() const {
  switch (FType) {
    case varBoolean:
    case varInteger: return FInt;
    case varDouble:
    case varDate:
      if (std::isfinite(FFloat) && std::fabs(FFloat) < 9.2e18) return static_cast<std::int64_t>(std::llround(FFloat));
      break;
    case varString: {
      std::int64_t i;
      if (TryStrToInt64(Trim(FString), i)) return i;
      double d;
      if (TryStrToFloat(FString, d) && std::fabs(d) < 9.2e18) return static_cast<std::int64_t>(std::llround(d));
      break;
    }
    default: break;
  }
  CannotConvert("Integer");
}

double TVariant::AsFloat() const {
  switch (FType) {
    case varBoolean:
    case varInteger: return static_cast<double>(FInt);
    case varDouble:
    case varDate: return FFloat;
    case varString: {
      double d;
      if (TryStrToFloat(FString, d)) return d;
      break;
    }
    default: break;
  }
  CannotConvert("Double");
}

TDateTime TVariant::AsDateTime() const {
  if (FType == varString) {
    TDateTime d;
    if (TryStrToDateTime(FString, d)) return d;
    CannotConvert("Date");
  }
  if (FType == varBoolean) CannotConvert("Date");
  return AsFloat();
}

std::string TVariant::AsString() const {
  switch (FType) {
    case varEmpty:
    case varNull: return {};
    case varBoolean: return FInt ? "True" : "False";
    case varInteger: return IntToStr(FInt);
    case varDouble: return FloatToStr(FFloat);
    case varDate: return DateTimeToStr(FFloat);
    case varString: return FString;
    case varArray: break;
  }
  CannotConvert("String");
}

bool operator==(const TVariant& A, const TVariant& B) {
  auto numeric = [](TVarType t) { return t == varInteger || t == varDouble || t == varDate; };
  if (numeric(A.FType) && numeric(B.FType)) {
    if (A.FType == varInteger && B.FType == varInteger) return A.FInt == B.FInt;
    return A.AsFloat() == B.AsFloat();
  }
  if (A.FType != B.FType) return false;
  switch (A.FType) {
    case varBoolean: return A.FInt == B.FInt;
    case varString: return A.FString == B.FString;
    case varArray: return *A.FItems == *B.FItems;
    default: return true;
  }
}
