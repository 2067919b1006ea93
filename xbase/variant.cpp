#include "xbase/variant.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "classlib/core/exceptions.h"
#include "xbase/dates.h"
#include "xbase/errors.h"
#include "xbase/numbers.h"

TxbVariant::TxbVariant(std::size_t initialCapacity) { FData.resize(initialCapacity); }

void TxbVariant::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  FLength = 0;
  FType = xvNone;
}

bool TxbVariant::Assign(const TxbVariant* other) {
  Clear();
  if (!other) return false;
  FData = other->FData;
  FLength = other->FLength;
  FType = other->FType;
  return true;
}

void TxbVariant::SetSize(std::size_t n) {
  if (n > FData.size()) FData.resize(n);
  FLength = n;
}

void TxbVariant::SetString(std::string_view s) {
  SetSize(s.size());
  if (!s.empty()) std::memcpy(FData.data(), s.data(), s.size());
  FType = xvText;
}

void TxbVariant::SetPChar(const char* p) { SetString(p ? std::string_view(p) : std::string_view()); }

void TxbVariant::SetFloat(double d) {
  SetSize(sizeof d);
  std::memcpy(FData.data(), &d, sizeof d);
  FType = xvFloat;
}

void TxbVariant::SetDate(std::int32_t julian) {
  SetSize(sizeof julian);
  std::memcpy(FData.data(), &julian, sizeof julian);
  FType = xvDate;
}

void TxbVariant::SetBoolean(bool b) {
  SetSize(1);
  FData[0] = b ? 1 : 0;
  FType = xvLogical;
}

void TxbVariant::SetBinary(const void* buffer, std::size_t n) {
  SetSize(n);
  if (n) std::memcpy(FData.data(), buffer, n);
  FType = xvBinary;
}

void TxbVariant::AppendBinary(const void* buffer, std::size_t n) {
  if (!buffer || n == 0) return;
  std::size_t old = FLength;
  SetSize(old + n);
  std::memcpy(FData.data() + old, buffer, n);
  FType = xvBinary;
}

namespace {
double ReadDouble(const char* p) {
  double d;
  std::memcpy(&d, p, sizeof d);
  return d;
}
std::int32_t ReadInt32(const char* p) {
  std::int32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
}  // namespace

bool TxbVariant::AsBoolean() const {
  if (IsEmpty()) return false;
  switch (FType) {
    case xvText: return IsTrueLetter(FData[0]);
    case xvFloat: return FLength >= 8 && std::trunc(ReadDouble(FData.data())) != 0.0;
    case xvLogical:
    case xvBinary: return FData[0] != 0;
    default: return false;
  }
}

std::int32_t TxbVariant::AsDate() const {
  if (IsEmpty()) return 0;
  switch (FType) {
    case xvText: return DateObject().TextToJulian(std::string_view(FData.data(), FLength));
    case xvFloat: {
      if (FLength < 8) return 0;
      std::int32_t j = TxbDBFDate::JulianFromDouble(ReadDouble(FData.data()));
      return DateObject().TextToJulian(DateObject().DateStorageText(j));
    }
    case xvDate:
    case xvBinary: return FLength >= 4 ? ReadInt32(FData.data()) : 0;
    default: return 0;
  }
}

double TxbVariant::AsFloat() const {
  if (IsEmpty()) return 0.0;
  switch (FType) {
    case xvText: {
      std::string text(FData.data(), FLength);
      double v = 0;
      if (!TryParseNumber(text, v)) throw EConvertError("'" + text + "' is not a valid floating point value");
      return v;
    }
    case xvFloat:
    case xvBinary: return FLength >= 8 ? ReadDouble(FData.data()) : 0.0;
    case xvDate: return FLength >= 4 ? ReadInt32(FData.data()) : 0.0;
    case xvLogical: return FData[0] ? 1.0 : 0.0;
    default: return 0.0;
  }
}

std::string TxbVariant::AsString() const {
  if (IsEmpty()) return std::string();
  switch (FType) {
    case xvText:
    case xvBinary: return std::string(FData.data(), FLength);
    case xvFloat: return FloatText(AsFloat());
    case xvDate: return DateObject().DateFormatText(AsDate());
    case xvLogical: return FData[0] ? "T" : "F";
    default: return std::string();
  }
}

std::size_t TxbVariant::CopyTo(void* buffer, std::size_t max) const {
  std::size_t n = std::min(FLength, max);
  if (n) std::memcpy(buffer, FData.data(), n);
  return n;
}

void TxbVariant::Translate(const TxbByteTable* table, TxbCodePage codePage) {
  if (FType != xvText) return;
  TranslateBytes(FData.data(), FLength, table ? *table : UpperCaseTable(codePage));
}

void TxbVariant::PadRight(std::size_t n) {
  if (FType != xvText) return;
  std::size_t old = FLength;
  SetSize(n);
  for (std::size_t i = old; i < n; ++i) FData[i] = ' ';
}

void TxbVariant::TrimRight() {
  if (FType != xvText) return;
  while (FLength > 0 && FData[FLength - 1] == ' ') --FLength;
}

int TxbVariant::Compare(const TxbVariant* other, int& Position, const TxbByteTable* collation,
                        int prefixResult) const {
  Position = 0;
  if (!other) return 1;
  TxbVarType type = FType;
  if (FType != other->FType) {
    if (FType == xvBinary)
      type = other->FType;
    else if (other->FType == xvBinary)
      type = FType;
    else
      throw EXBaseError(SVariantMismatch);
  }
  if (IsEmpty() || other->IsEmpty()) {
    if (IsEmpty() && other->IsEmpty()) return 0;
    return IsEmpty() ? -1 : 1;
  }
  long long result = 0;
  switch (type) {
    case xvText:
    case xvBinary: {
      const TxbByteTable* map = type == xvText ? collation : nullptr;
      std::size_t n = std::min(FLength, other->FLength);
      std::size_t i = 0;
      for (; i < n; ++i) {
        std::uint8_t a = static_cast<std::uint8_t>(FData[i]), b = static_cast<std::uint8_t>(other->FData[i]);
        if (map) a = (*map)[a], b = (*map)[b];
        ++Position;
        if (a != b) {
          result = static_cast<int>(a) - static_cast<int>(b);
          break;
        }
      }
      if (i == n) {
        ++Position;
        result = static_cast<long long>(FLength) - static_cast<long long>(other->FLength);
      }
      if (type == xvText && result < 0 && Position > static_cast<int>(FLength)) result = prefixResult;
      break;
    }
    case xvFloat: {
      double a = AsFloat(), b = other->AsFloat();
      result = a < b ? -1 : (a > b ? 1 : 0);
      break;
    }
    case xvDate: {
      std::int32_t a = AsDate(), b = other->AsDate();
      result = a < b ? -1 : (a > b ? 1 : 0);
      break;
    }
    case xvLogical:
      if ((FData[0] != 0) == (other->FData[0] != 0))
        result = 0;
      else
        result = FData[0] ? 1 : -1;
      break;
    default: result = 0;
  }
  return result < 0 ? -1 : (result > 0 ? 1 : 0);
}
