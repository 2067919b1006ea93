// The field layer of a DBF table: descriptors and the typed gets and puts of field values.
#include <cmath>
#include <cstring>

#include "classlib/core/exceptions.h"
#include "xbase/dates.h"
#include "xbase/dbftable.h"
#include "xbase/errors.h"
#include "xbase/names.h"
#include "xbase/numbers.h"

namespace {

std::string TrimRightBlanks(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
  return s;
}
std::string TrimBlanks(std::string s) {
  s = TrimRightBlanks(std::move(s));
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  return s.substr(i);
}
bool AllBlank(const char* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    if (p[i] != ' ') return false;
  return true;
}
bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

constexpr std::int64_t kMsPerDay = 86400000;
constexpr std::int32_t kJulianOfDayOne = 1721425;  // the day T values count from

}  // namespace

XBO_dBaseFld::XBO_dBaseFld(std::string_view FileName, bool ReadWrite, bool Shared, std::string_view Password)
    : XBO_dBaseDBF(FileName, ReadWrite, Shared, Password) {
  ClearChangeFlags();
}

std::string XBO_dBaseFld::BaseName() const { return xbase::BaseFileName(FileName()); }

void XBO_dBaseFld::TypeError(std::string_view info) {
  Error(xbeFieldType, xbsFieldType, std::string(info));
  RaiseEngineError(xbeFieldType, xbsFieldType, std::string(info));
}

bool XBO_dBaseFld::IsBinaryField(const TxbFieldDesc& f) const {
  if (FVersion != 0x30) return false;
  switch (f.Type) {
    case 'I':
    case 'M':
    case 'G': return f.Length == 4;
    case 'B':
    case 'Y':
    case 'T': return f.Length == 8;
    default: return false;
  }
}

bool XBO_dBaseFld::IsMemoField(const TxbFieldDesc& f) const {
  return f.Type == 'M' || f.Type == 'G' || (f.Type == 'B' && !IsBinaryField(f));
}

int XBO_dBaseFld::FieldNumber(std::string_view name) {
  std::string wanted = TrimRightBlanks(std::string(name)).substr(0, 11);
  for (const auto& f : FFields)
    if (xbase::CompareTextNoCase(f.Name, wanted) == 0) return f.Number;
  return 0;
}

const TxbFieldDesc* XBO_dBaseFld::FieldByName(std::string_view name) {
  int n = FieldNumber(name);
  if (n == 0) {
    std::string info = FileName() + "->" + std::string(name);
    Error(xbeFieldName, xbsFieldName, info);
    RaiseEngineError(xbeFieldName, xbsFieldName, info);
  }
  return Field(n);
}

void XBO_dBaseFld::FieldCheckType(std::string_view name, char type) {
  const TxbFieldDesc* f = FieldByName(name);
  char t = f->Type;
  bool ok = t == type || (type == 'G' && (t == 'B' || t == 'M')) ||
            (type == 'N' && std::strchr("BFGIM", t) != nullptr && t != 0);
  if (!ok) TypeError(name);
}

std::string XBO_dBaseFld::FieldText(int n) {
  const TxbFieldDesc* f = Field(n);
  return f ? FRecord.substr(f->Offset, f->Length) : std::string();
}

std::string XBO_dBaseFld::FieldTextByName(std::string_view name) { return FieldText(FieldByName(name)->Number); }

int XBO_dBaseFld::FieldDecimals(int n) {
  const TxbFieldDesc* f = Field(n);
  return f ? f->Decimals : 0;
}
int XBO_dBaseFld::FieldLength(int n) {
  const TxbFieldDesc* f = Field(n);
  return f ? f->Length : 0;
}
int XBO_dBaseFld::FieldOffset(int n) {
  const TxbFieldDesc* f = Field(n);
  return f ? f->Offset : 0;
}
std::string XBO_dBaseFld::FieldName(int n) {
  const TxbFieldDesc* f = Field(n);
  return f ? f->Name : std::string();
}
char XBO_dBaseFld::FieldType(int n) {
  const TxbFieldDesc* f = Field(n);
  return f ? f->Type : '\0';
}

bool XBO_dBaseFld::PutRaw(int n, std::string_view text) {
  const TxbFieldDesc* f = Field(n);
  if (!f) return false;
  char* p = FRecord.data() + f->Offset;
  std::memset(p, ' ', f->Length);
  std::size_t len = std::min<std::size_t>(text.size(), f->Length);
  bool left = f->Type == 'C' || f->Type == 'D' || f->Type == 'L';
  std::memcpy(left ? p : p + f->Length - len, text.data(), len);
  SetChanged(n);
  StatusUpdate(xbStatFieldChanged, n);
  return true;
}

bool XBO_dBaseFld::PutRawByName(std::string_view name, std::string_view text) {
  return PutRaw(FieldByName(name)->Number, text);
}

// ---- Dates ----

std::int32_t XBO_dBaseFld::GetDate(int n) {
  const TxbFieldDesc* f = Field(n);
  if (!f) return 0;
  if (IsBinaryField(*f) && f->Type == 'T') {
    const char* p = FRecord.data() + f->Offset;
    return AllBlank(p, 4) ? 0 : static_cast<std::int32_t>(GetLE32(p));
  }
  std::string text = FieldText(n);
  try {
    return DateObject().TextToJulian(text);
  } catch (const EConvertError&) {
    std::string info = "Invalid date in field " + BaseName() + "->" + f->Name + " (" + text + ")";
    Error(xbeFieldType, xbsNone, info);
    RaiseEngineError(xbeFieldType, xbsNone, info);
  }
}

std::int32_t XBO_dBaseFld::DateByName(std::string_view name) {
  const TxbFieldDesc* f = Field(FieldNumber(name));
  if (!f || (f->Type != 'D' && !(f->Type == 'T' && IsBinaryField(*f)))) return -1;
  return GetDate(f->Number);
}

bool XBO_dBaseFld::PutDate(int n, std::int32_t julian) {
  const TxbFieldDesc* f = Field(n);
  if (!f) return false;
  if (julian == -1) {
    Error(xbeFieldType, xbsPutDate, f->Name);
    RaiseEngineError(xbeFieldType, xbsPutDate, f->Name);
  }
  if (f->Type == 'D') return PutRaw(n, DateObject().DateStorageText(julian));
  if (f->Type == 'T' && IsBinaryField(*f)) {
    char* p = FRecord.data() + f->Offset;
    PutLE32(p, julian > 0 ? static_cast<std::uint32_t>(julian) : 0);
    PutLE32(p + 4, 0);
    SetChanged(n);
    StatusUpdate(xbStatFieldChanged, n);
    return true;
  }
  TypeError(f->Name);
}

bool XBO_dBaseFld::PutDateByName(std::string_view name, std::int32_t julian) {
  return PutDate(FieldByName(name)->Number, julian);
}

// ---- Numbers ----

double XBO_dBaseFld::GetNumber(int n) {
  const TxbFieldDesc* f = Field(n);
  if (!f) return 0;
  const char* p = FRecord.data() + f->Offset;
  if (IsBinaryField(*f)) {
    switch (f->Type) {
      case 'I': return static_cast<std::int32_t>(GetLE32(p));
      case 'M':
      case 'G': return AllBlank(p, 4) ? 0 : GetLE32(p);
      case 'B': {
        double d;
        std::memcpy(&d, p, 8);
        return d;
      }
      case 'Y': {
        std::int64_t v;
        std::memcpy(&v, p, 8);
        return static_cast<double>(v) / 10000.0;
      }
      case 'T': {
        std::int64_t day = AllBlank(p, 4) ? 2415019 : GetLE32(p);
        std::int64_t ms = AllBlank(p + 4, 4) ? 0 : GetLE32(p + 4);
        return static_cast<double>((day - kJulianOfDayOne) * kMsPerDay + ms);
      }
    }
  }
  std::string_view text(p, static_cast<std::size_t>(f->Length));  // read in place: no copy per value
  double v = 0;
  if (ParsePaddedDecimal(text, v)) return v;
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  text = text.substr(0, 31);
  if (text.empty()) return 0;
  if (ParseFieldDecimal(text, v)) return v;
  if (!TryParseNumber(text, v)) {
    std::string info = "Invalid number in field " + BaseName() + "->" + f->Name + " (" + std::string(text) + ")";
    Error(xbeFieldType, xbsNone, info);
    RaiseEngineError(xbeFieldType, xbsNone, info);
  }
  return v;
}

double XBO_dBaseFld::NumberByName(std::string_view name) { return GetNumber(FieldByName(name)->Number); }

bool XBO_dBaseFld::PutNumber(int n, double v) {
  const TxbFieldDesc* f = Field(n);
  if (!f) return false;
  if (IsBinaryField(*f)) {
    char* p = FRecord.data() + f->Offset;
    auto tooLarge = [&] {
      std::string info = f->Name + " - " + FloatText(v);
      Error(xbeNumberTooLarge, xbsPutNumber, info);
      RaiseEngineError(xbeNumberTooLarge, xbsPutNumber, info);
    };
    switch (f->Type) {
      case 'I':
        if (!(std::trunc(v) >= -2147483648.0 && std::trunc(v) <= 2147483647.0)) tooLarge();
        PutLE32(p, static_cast<std::uint32_t>(static_cast<std::int32_t>(std::trunc(v))));
        break;
      case 'M':
      case 'G':
        if (!(std::trunc(v) >= 0 && std::trunc(v) <= 4294967295.0)) tooLarge();
        PutLE32(p, static_cast<std::uint32_t>(std::trunc(v)));
        break;
      case 'B': std::memcpy(p, &v, 8); break;
      case 'Y': {
        double scaled = std::round(v * 10000.0);
        if (!(std::fabs(scaled) < 9.2e18)) tooLarge();
        std::int64_t i = static_cast<std::int64_t>(scaled);
        std::memcpy(p, &i, 8);
        break;
      }
      case 'T': {
        if (!(std::fabs(v) < 9.0e17)) tooLarge();
        std::int64_t total = static_cast<std::int64_t>(std::floor(v));
        std::int64_t day = total >= 0 ? total / kMsPerDay : -((-total + kMsPerDay - 1) / kMsPerDay);
        std::int64_t ms = total - day * kMsPerDay;
        PutLE32(p, static_cast<std::uint32_t>(day + kJulianOfDayOne));
        PutLE32(p + 4, static_cast<std::uint32_t>(ms));
        break;
      }
    }
    SetChanged(n);
    StatusUpdate(xbStatFieldChanged, n);
    return true;
  }
  if (f->Type != 'N' && f->Type != 'F' && !IsMemoField(*f)) TypeError(f->Name);
  int decimals = IsMemoField(*f) ? 0 : f->Decimals;
  std::string text = FormatNumber(v, decimals);
  if (static_cast<int>(text.size()) > f->Length) {
    std::string info = f->Name + " - " + text;
    Error(xbeNumberTooLarge, xbsPutNumber, info);
    RaiseEngineError(xbeNumberTooLarge, xbsPutNumber, info);
  }
  return PutRaw(n, text);
}

bool XBO_dBaseFld::PutNumberByName(std::string_view name, double v) { return PutNumber(FieldByName(name)->Number, v); }

// ---- Logicals ----

bool XBO_dBaseFld::GetLogical(int n) {
  std::string text = FieldText(n);
  return !text.empty() && TrueLetters.find(text) != std::string_view::npos;
}

bool XBO_dBaseFld::LogicalByName(std::string_view name) { return GetLogical(FieldByName(name)->Number); }

bool XBO_dBaseFld::PutLogical(int n, bool b) {
  const TxbFieldDesc* f = Field(n);
  if (!f) return false;
  if (f->Type != 'L') TypeError(f->Name);
  return PutRaw(n, b ? "T" : "F");
}

bool XBO_dBaseFld::PutLogicalByName(std::string_view name, bool b) { return PutLogical(FieldByName(name)->Number, b); }

// ---- Text ----

bool XBO_dBaseFld::PutText(int n, std::string_view text) {
  const TxbFieldDesc* f = Field(n);
  if (!f) return false;
  std::string trimmed = TrimBlanks(std::string(text));
  auto number = [&](std::int32_t subCode) {
    double v = 0;
    if (!trimmed.empty() && !TryParseNumber(trimmed, v)) {
      Error(xbeFieldType, subCode, f->Name);
      RaiseEngineError(xbeFieldType, subCode, f->Name);
    }
    return v;
  };
  if (IsMemoField(*f)) {
    // Only a block number goes into a memo field; its text goes through MemoWrite.
    if (trimmed.empty()) return IsBinaryField(*f) ? PutNumber(n, 0) : PutRaw(n, "");
    if (!AllDigits(trimmed)) TypeError(f->Name);
    return PutNumber(n, std::stod(trimmed));
  }
  switch (f->Type) {
    case 'D':
    case 'T':
      if (f->Type == 'T' && !IsBinaryField(*f)) break;
      try {
        return PutDate(n, DateObject().TextToJulian(text));
      } catch (const EConvertError&) {
        Error(xbeFieldType, xbsPutDate, f->Name);
        RaiseEngineError(xbeFieldType, xbsPutDate, f->Name);
      }
    case 'L': {
      char c = trimmed.empty() ? 'F' : trimmed[0];
      if (IsTrueLetter(c)) return PutRaw(n, "T");
      if (IsFalseLetter(c)) return PutRaw(n, "F");
      return PutRaw(n, number(xbsPutLogical) != 0 ? "T" : "F");
    }
    case 'N':
    case 'F': return PutNumber(n, number(xbsPutNumber));
    case 'I':
    case 'B':
    case 'Y':
      if (IsBinaryField(*f)) return PutNumber(n, number(xbsPutNumber));
      break;
    default: break;
  }
  return PutRaw(n, text);
}

bool XBO_dBaseFld::PutTextByName(std::string_view name, std::string_view text) {
  return PutText(FieldByName(name)->Number, text);
}

bool XBO_dBaseFld::PutTextByName2(std::string_view name, std::string_view text) {
  return PutText(FieldByName(name)->Number, text);
}

std::string XBO_dBaseFld::FieldDisplay(int n) {
  const TxbFieldDesc* f = Field(n);
  if (!f) return std::string();
  if (IsBinaryField(*f)) {
    switch (f->Type) {
      case 'M': return GetNumber(n) > 0 ? "---MEMO---" : "---memo---";
      case 'G': return GetNumber(n) > 0 ? "-GENERAL--" : "-general--";
      case 'I': return FormatNumber(GetNumber(n), 0);
      case 'B': return FloatText(GetNumber(n));
      case 'Y': return FormatNumber(GetNumber(n), 4);
      case 'T': {
        const char* p = FRecord.data() + f->Offset;
        if (AllBlank(p, 8)) return std::string();
        std::int32_t day = GetDate(n);
        std::int64_t ms = AllBlank(p + 4, 4) ? 0 : GetLE32(p + 4);
        if (!TxbDBFDate::IsValidJulian(day)) return std::string();
        char time[16];
        std::snprintf(time, sizeof time, " %02d:%02d:%02d", static_cast<int>(ms / 3600000 % 24),
                      static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60));
        return DateObject().DateFormatText(day) + time;
      }
    }
  }
  std::string text = TrimRightBlanks(FieldText(n));
  switch (f->Type) {
    case 'B': return text.empty() ? "--binary--" : "--BINARY--";
    case 'G': return text.empty() ? "-general--" : "-GENERAL--";
    case 'M': return text.empty() ? "---memo---" : "---MEMO---";
    case 'D':
      try {
        return DateObject().DateFormatText(DateObject().TextToJulian(text));
      } catch (const EConvertError&) {
        return text;
      }
    case 'F':
    case 'N': {
      std::string t = TrimBlanks(text);
      return t.empty() ? FormatNumber(0, f->Decimals) : t;
    }
    case 'L': return !text.empty() && TrueLetters.find(text) != std::string_view::npos ? "T" : "F";
    default: return text;
  }
}

// ---- Records ----

void XBO_dBaseFld::BlankRecord() {
  std::memset(FRecord.data(), ' ', FRecordLength);
  for (const auto& f : FFields)
    if (f.Type == 'N' || f.Type == 'F' || (IsBinaryField(f) && f.Type != 'T')) PutNumber(f.Number, 0);
  std::fill(FChanged.begin(), FChanged.end(), true);
  StatusUpdate(xbStatBlanked, 0);
}

void XBO_dBaseFld::DeleteRecord() {
  FRecord[0] = '*';
  SetChanged(0);
  PutRec(FCurrentRecord);
}

void XBO_dBaseFld::RecallRecord() {
  FRecord[0] = ' ';
  SetChanged(0);
  PutRec(FCurrentRecord);
}

// ---- Memos ----

XBobjMemo* XBO_dBaseFld::MemoObjectFor(int n) {
  const TxbFieldDesc* f = Field(n);
  return f && IsMemoField(*f) ? MemoObject() : nullptr;
}

namespace {
std::uint32_t BlockNumber(double v) { return v >= 1 && v <= 4294967295.0 ? static_cast<std::uint32_t>(v) : 0; }
}  // namespace

std::int64_t XBO_dBaseFld::MemoSize(int n) {
  XBobjMemo* memo = MemoObjectFor(n);
  return memo ? memo->MemoLength(BlockNumber(GetNumber(n))) : 0;
}

std::string XBO_dBaseFld::MemoRead(int n, std::size_t maxSize) {
  XBobjMemo* memo = MemoObjectFor(n);
  return memo ? memo->ReadMemo(BlockNumber(GetNumber(n)), maxSize) : std::string();
}

void XBO_dBaseFld::MemoWrite(int n, std::string_view value) {
  XBobjMemo* memo = MemoObjectFor(n);
  if (!memo) TypeError(FieldName(n));
  std::uint32_t block = BlockNumber(GetNumber(n));
  memo->WriteMemo(value.data(), value.size(), block);
  if (block == 0 && !IsBinaryField(*Field(n)))
    PutRaw(n, "");  // no memo: a blank field
  else
    PutNumber(n, block);
}

void XBO_dBaseFld::SetFieldValues(std::string_view names, const std::vector<std::optional<std::string>>& values) {
  std::size_t index = 0, start = 0;
  while (start <= names.size()) {
    std::size_t end = names.find(';', start);
    if (end == std::string_view::npos) end = names.size();
    std::string_view name = names.substr(start, end - start);
    if (!name.empty()) {
      const auto& value = index < values.size() ? values[index] : std::nullopt;
      PutTextByName2(name, value ? *value : std::string());
      ++index;
    }
    start = end + 1;
  }
}

// ---- A new table ----

void CreateTable(std::string_view fileName, std::uint8_t version, const std::vector<TxbFieldSpec>& fields,
                 std::string_view password) {
  std::string name(fileName);
  name = xbase::DefaultExtension(TrimBlanks(name), ".DBF");
  bool fox = version == 0x30;
  int headerLength = 32 + 32 * static_cast<int>(fields.size()) + 1 + (fox ? 263 : 0);
  int recordLength = 1;
  bool memoFields = false;
  for (const auto& f : fields) {
    recordLength += f.Length;
    memoFields = memoFields || f.Type == 'M' || f.Type == 'G' || (f.Type == 'B' && !fox);
  }
  std::string bytes(headerLength + 1, '\0');
  auto* h = reinterpret_cast<std::uint8_t*>(bytes.data());
  h[0] = version;
  int y, m, d;
  DecodeDate(Now(), y, m, d);
  h[1] = static_cast<std::uint8_t>(y % 100), h[2] = static_cast<std::uint8_t>(m), h[3] = static_cast<std::uint8_t>(d);
  PutLE16(h + 8, static_cast<std::uint16_t>(headerLength));
  PutLE16(h + 10, static_cast<std::uint16_t>(recordLength));
  std::string key = PasswordKey(password);
  h[15] = key.empty() ? 0 : 1;
  h[28] = fox && memoFields ? 2 : 0;
  int offset = 1;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    std::uint8_t* desc = h + 32 + 32 * i;
    const auto& f = fields[i];
    std::memcpy(desc, f.Name.data(), std::min<std::size_t>(f.Name.size(), 10));
    desc[11] = static_cast<std::uint8_t>(f.Type);
    if (fox) PutLE32(desc + 12, static_cast<std::uint32_t>(offset));
    desc[16] = static_cast<std::uint8_t>(f.Length & 0xFF);
    desc[17] = static_cast<std::uint8_t>(f.Type == 'C' ? f.Length >> 8 : f.Decimals);
    offset += f.Length;
  }
  std::size_t area = headerLength - (fox ? 296 : 33);
  if (!key.empty()) CryptRecord(key, h + 32, h + 32, area);
  h[32 + 32 * fields.size()] = 0x0D;
  h[headerLength] = 0x1A;
  {
    XBO_DiskFile file(name, true, false);
    file.CreateNew();
    file.Write(0, bytes.data(), bytes.size());
  }
  if (version == 0x83 || version == 0x8B || version == 0xF5 || (fox && memoFields))
    WriteEmptyMemoFile(NormalizeFileName(name), version);
}
