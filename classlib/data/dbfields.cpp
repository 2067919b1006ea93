#include "classlib/data/dbfields.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "classlib/data/db.h"
#include "classlib/core/filer.h"
#include "classlib/core/finally.h"
#include "classlib/core/format.h"
#include "classlib/core/streams.h"
#include "classlib/core/text.h"
#include "classlib/core/unicode.h"

HX_PUBLISH(TField, p) {
  p.Property("FieldName", &TField::GetFieldName, &TField::SetFieldName).Default("");
  p.Property("FieldKind", &TField::GetFieldKind, &TField::SetFieldKind).Default(fkData);
  p.Property("Alignment", &TField::GetAlignment, &TField::SetAlignment).Stored(&TField::IsAlignmentStored);
  p.Property("DisplayLabel", &TField::GetDisplayLabel, &TField::SetDisplayLabel)
      .Stored(&TField::IsDisplayLabelStored);
  p.Property("DisplayWidth", &TField::GetDisplayWidth, &TField::SetDisplayWidth)
      .Stored(&TField::IsDisplayWidthStored);
  p.Property("KeyFields", &TField::GetKeyFields, &TField::SetKeyFields).Default("");
  p.Property("LookupDataSet", &TField::GetLookupDataSet, &TField::SetLookupDataSet);
  p.Property("LookupKeyFields", &TField::GetLookupKeyFields, &TField::SetLookupKeyFields).Default("");
  p.Property("LookupResultField", &TField::GetLookupResultField, &TField::SetLookupResultField).Default("");
  p.Property("ReadOnly", &TField::GetReadOnly, &TField::SetReadOnly).Default(false);
  p.Property("Required", &TField::GetRequired, &TField::SetRequired).Default(false);
  p.Property("Visible", &TField::GetVisible, &TField::SetVisible).Default(true);
  p.Event("OnChange", &TField::OnChange);
  p.Event("OnGetText", &TField::OnGetText);
  p.Event("OnSetText", &TField::OnSetText);
  p.Event("OnValidate", &TField::OnValidate);
}
HX_PUBLISH(TStringField, p) {
  p.Property("Size", &TStringField::GetSize, &TStringField::SetSize).Default(20);
  p.Property("Transliterate", &TStringField::GetTransliterate, &TStringField::SetTransliterate).Default(true);
}
HX_PUBLISH(TNumericField, p) {}
HX_PUBLISH(TIntegerField, p) {
  p.Property("MinValue", &TIntegerField::GetMinValue, &TIntegerField::SetMinValue).Default(0);
  p.Property("MaxValue", &TIntegerField::GetMaxValue, &TIntegerField::SetMaxValue).Default(0);
}
HX_PUBLISH(TSmallintField, p) {}
HX_PUBLISH(TFloatField, p) {
  p.Property("Precision", &TFloatField::GetPrecision, &TFloatField::SetPrecision).Default(15);
  p.Property("MinValue", &TFloatField::GetMinValue, &TFloatField::SetMinValue).Default(0.0);
  p.Property("MaxValue", &TFloatField::GetMaxValue, &TFloatField::SetMaxValue).Default(0.0);
}
HX_PUBLISH(TBooleanField, p) {
  p.Property("DisplayValues", &TBooleanField::GetDisplayValues, &TBooleanField::SetDisplayValues)
      .Default("True;False");
}
HX_PUBLISH(TDateTimeField, p) {
  p.Property("DisplayFormat", &TDateTimeField::GetDisplayFormat, &TDateTimeField::SetDisplayFormat).Default("");
}
HX_PUBLISH(TDateField, p) {}
HX_PUBLISH(TBlobField, p) {}
HX_PUBLISH(TObjectField, p) {}
HX_PUBLISH(TADTField, p) {}
HX_PUBLISH(TArrayField, p) {}
HX_PUBLISH(TDataSetField, p) {
  p.Property("NestedDataSet", &TDataSetField::GetNestedDataSet, &TDataSetField::SetNestedDataSet);
}
HX_PUBLISH(TMemoField, p) {
  p.Property("Transliterate", &TMemoField::GetTransliterate, &TMemoField::SetTransliterate).Default(true);
}

void DatabaseError(const String& Message, TComponent* Component) {
  if (Component && !Component->GetName().empty()) throw EDatabaseError(Component->GetName() + ": " + Message);
  throw EDatabaseError(Message);
}

void DatabaseErrorFmt(const String& Message, const String& Arg, TComponent* Component) {
  DatabaseError(Format(Message, Arg), Component);
}

TClass DefaultFieldClass(TFieldType Type) {
  switch (Type) {
    case ftString: return ClassOf<TStringField>();
    case ftSmallint: return ClassOf<TSmallintField>();
    case ftInteger: return ClassOf<TIntegerField>();
    case ftBoolean: return ClassOf<TBooleanField>();
    case ftFloat: return ClassOf<TFloatField>();
    case ftDate: return ClassOf<TDateField>();
    case ftDateTime: return ClassOf<TDateTimeField>();
    case ftBlob: return ClassOf<TBlobField>();
    case ftMemo: return ClassOf<TMemoField>();
    default: return nullptr;
  }
}

// ---- TField ----

TField::TField(TComponent* AOwner) : TComponent(AOwner) {}

TField::~TField() {
  if (FParentField) FParentField->RemoveChild(this);
  if (FDataSet) FDataSet->FFields->Remove(this);
  if (FLookupDataSet) FLookupDataSet->RemoveFreeNotification(this);
}

const TFormatSettings& TField::Settings() const {
  return FDataSet ? FDataSet->FormatSettings : DefaultFormatSettings();
}

void TField::CheckInactive() {
  if (FDataSet) FDataSet->CheckInactive();
}

void TField::SetDataSet(TDataSet* Value) {
  if (Value == FDataSet) return;
  if (FDataSet) FDataSet->CheckInactive();
  if (Value) {
    Value->CheckInactive();
    if (!FFieldName.empty() && Value->FindField(FFieldName))
      DatabaseErrorFmt(dbtext::DuplicateFieldName, FFieldName, Value);
  }
  if (FDataSet) FDataSet->FFields->Remove(this);
  FDataSet = Value;
  if (Value) Value->FFields->Add(this);
}

TComponent* TField::GetParentComponent() const { return FDataSet; }

void TField::SetParentComponent(TComponent* Value) {
  if (auto* ds = dynamic_cast<TDataSet*>(Value)) SetDataSet(ds);
}

void TField::ReadState(TReader* Reader) {
  if (auto* ds = dynamic_cast<TDataSet*>(Reader->Parent())) SetDataSet(ds);
  TComponent::ReadState(Reader);
}

void TField::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FLookupDataSet) FLookupDataSet = nullptr;
}

int TField::DataSize() const { return 0; }

void TField::SetFieldName(const String& Value) {
  if (FDataSet && !AnsiSameText(Value, FFieldName) && FDataSet->FindField(Value))
    DatabaseErrorFmt(dbtext::DuplicateFieldName, Value, FDataSet);
  FFieldName = Value;
  PropertyChanged(true);
}

void TField::SetFieldKind(TFieldKind Value) {
  if (Value == FFieldKind) return;
  CheckInactive();
  FFieldKind = Value;
}

void TField::SetSize(int Value) {
  if (Value == FSize) return;
  CheckInactive();
  FSize = std::max(Value, 0);
}

int TField::GetIndex() const { return FDataSet ? FDataSet->FFields->IndexOf(const_cast<TField*>(this)) : -1; }

void TField::SetIndex(int Value) {
  if (!FDataSet) return;
  int cur = GetIndex();
  FDataSet->FFields->Move(cur, Value);
  if (GetIndex() != cur) PropertyChanged(true);
}

void TField::PropertyChanged(bool LayoutAffected) {
  if (FDataSet && FDataSet->GetActive()) FDataSet->DataEvent(LayoutAffected ? deLayoutChange : deDataSetChange, 0);
}

void TField::SetDisplayLabel(const String& Value) {
  String v = Value == FFieldName ? String() : Value;
  if (v == FDisplayLabel) return;
  FDisplayLabel = v;
  PropertyChanged(true);
}

int TField::GetDisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : DefaultDisplayWidth(); }

void TField::SetDisplayWidth(int Value) {
  if (Value == FDisplayWidth) return;
  FDisplayWidth = std::max(Value, 0);
  PropertyChanged(true);
}

void TField::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  PropertyChanged(false);
}

void TField::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  PropertyChanged(true);
}

void TField::SetReadOnly(bool Value) {
  if (Value == FReadOnly) return;
  FReadOnly = Value;
  PropertyChanged(true);
}

bool TField::CanModify() const {
  if (FFieldNo <= 0 || !FDataSet) return false;
  if (FDataSet->State() == dsSetKey) return true;
  return !FReadOnly && FDataSet->CanModify();
}

void TField::SetKeyFields(const String& Value) {
  CheckInactive();
  FKeyFields = Value;
}

void TField::SetLookupDataSet(TDataSet* Value) {
  if (Value == FLookupDataSet) return;
  CheckInactive();
  if (FLookupDataSet) FLookupDataSet->RemoveFreeNotification(this);
  FLookupDataSet = Value;
  if (Value) Value->FreeNotification(this);
}

void TField::SetLookupKeyFields(const String& Value) {
  CheckInactive();
  FLookupKeyFields = Value;
}

void TField::SetLookupResultField(const String& Value) {
  CheckInactive();
  FLookupResultField = Value;
}

bool TField::GetData(void* Buffer) {
  if (!FDataSet) DatabaseErrorFmt(dbtext::DataSetMissing, DisplayName());
  if (FValidating) {
    if (!FValidateBuffer) return false;
    if (Buffer) std::memcpy(Buffer, FValidateBuffer, static_cast<size_t>(DataSize()));
    return true;
  }
  return FDataSet->GetFieldData(this, Buffer);
}

void TField::SetData(const void* Buffer) {
  if (!FDataSet) DatabaseErrorFmt(dbtext::DataSetMissing, DisplayName());
  FDataSet->SetFieldData(this, Buffer);
}

void TField::Validate(const void* Buffer) {
  if (!OnValidate) return;
  FValidating = true;
  FValidateBuffer = Buffer;
  TFinally done([this] {
    FValidating = false;
    FValidateBuffer = nullptr;
  });
  OnValidate(this);
}

void TField::FocusControl() {
  if (!FDataSet || !FDataSet->GetActive()) return;
  TField* field = this;
  FDataSet->DataEvent(deFocusControl, reinterpret_cast<std::intptr_t>(&field));
}

bool TField::IsNull() {
  std::vector<std::uint8_t> buffer(static_cast<size_t>(std::max(DataSize(), 1)));
  return !GetData(DataSize() > 0 ? buffer.data() : nullptr);
}

void TField::Clear() { SetData(nullptr); }

void TField::AccessError(const char* TypeName) const {
  DatabaseError(Format(dbtext::FieldAccessError, DisplayName(), TypeName));
}

String TField::GetAsString() { AccessError("String"); }
void TField::SetAsString(const String&) { AccessError("String"); }
int TField::GetAsInteger() { AccessError("Integer"); }
void TField::SetAsInteger(int) { AccessError("Integer"); }
double TField::GetAsFloat() { AccessError("Float"); }
void TField::SetAsFloat(double) { AccessError("Float"); }
bool TField::GetAsBoolean() { AccessError("Boolean"); }
void TField::SetAsBoolean(bool) { AccessError("Boolean"); }
TDateTime TField::GetAsDateTime() { AccessError("DateTime"); }
void TField::SetAsDateTime(TDateTime) { AccessError("DateTime"); }
TVariant TField::GetAsVariant() { AccessError("Variant"); }

void TField::SetAsVariant(const TVariant& Value) {
  switch (Value.VarType()) {
    case varEmpty:
    case varNull: Clear(); break;
    case varBoolean: SetAsBoolean(Value.AsBoolean()); break;
    case varInteger: SetAsInteger(static_cast<int>(Value.AsInteger())); break;
    case varDouble: SetAsFloat(Value.AsFloat()); break;
    case varDate: SetAsDateTime(Value.AsDateTime()); break;
    case varString: SetAsString(Value.AsString()); break;
    case varArray: AccessError("Array"); break;
  }
}

TVariant TField::OldValue() {
  if (!FDataSet) DatabaseErrorFmt(dbtext::DataSetMissing, DisplayName());
  TDataSetState saved = FDataSet->SetTempState(dsOldValue);
  TFinally restore([this, saved] { FDataSet->RestoreState(saved); });
  return GetAsVariant();
}

String TField::GetFieldText(bool) { return GetAsString(); }

String TField::GetText() {
  String text;
  if (OnGetText) OnGetText(this, text, false);
  else text = GetFieldText(false);
  return text;
}

String TField::DisplayText() {
  String text;
  if (OnGetText) OnGetText(this, text, true);
  else text = GetFieldText(true);
  return text;
}

void TField::SetText(const String& Value) {
  if (OnSetText) OnSetText(this, Value);
  else SetAsString(Value);
}

void TField::CalcLookupValue() {
  if (!FLookupDataSet || !FLookupDataSet->GetActive()) return;
  TVariant keys = FDataSet->GetFieldValues(FKeyFields);
  if (keys.IsNull()) {  // no key, nothing to look up
    Clear();
    return;
  }
  TVariant value = FLookupDataSet->Lookup(FLookupKeyFields, keys, FLookupResultField);
  if (value.IsNull()) Clear();
  else SetAsVariant(value);
}

// ---- TStringField ----

TStringField::TStringField(TComponent* AOwner) : TField(AOwner) {
  SetDataType(ftString);
  SetSize(20);
}

bool TStringField::ReadBytes(std::string& Bytes) {
  std::vector<char> buffer(static_cast<size_t>(DataSize()), '\0');
  if (!GetData(buffer.data())) return false;
  Bytes.assign(buffer.data(), strnlen(buffer.data(), static_cast<size_t>(GetSize())));
  return true;
}

bool TStringField::IsNull() {
  std::string bytes;
  return !ReadBytes(bytes);
}

String TStringField::GetAsString() {
  std::string bytes;
  if (!ReadBytes(bytes)) return {};
  return FTransliterate && GetDataSet() ? GetDataSet()->Translate(bytes, false) : bytes;
}

void TStringField::SetAsString(const String& Value) {
  if (Value.empty()) {  // an empty text is no value, as tables keep it
    Clear();
    return;
  }
  auto size = static_cast<size_t>(GetSize());
  std::string bytes = FTransliterate && GetDataSet() ? GetDataSet()->Translate(Value, true, size)
                                                    : std::string(Utf8Truncate(Value, size));
  std::vector<char> buffer(size + 1, '\0');
  std::memcpy(buffer.data(), bytes.data(), std::min(bytes.size(), size));
  SetData(buffer.data());
}

int TStringField::GetAsInteger() { return StrToInt(Trim(GetAsString())); }
void TStringField::SetAsInteger(int Value) { SetAsString(IntToStr(Value)); }
double TStringField::GetAsFloat() { return StrToFloat(GetAsString(), Settings()); }
void TStringField::SetAsFloat(double Value) { SetAsString(FloatToStr(Value, Settings())); }

bool TStringField::GetAsBoolean() {
  String s = GetAsString();
  return !s.empty() && (s[0] == 'T' || s[0] == 't' || s[0] == 'Y' || s[0] == 'y');
}

void TStringField::SetAsBoolean(bool Value) { SetAsString(Value ? "T" : "F"); }
TDateTime TStringField::GetAsDateTime() { return StrToDateTime(GetAsString(), Settings()); }
void TStringField::SetAsDateTime(TDateTime Value) { SetAsString(DateTimeToStr(Value, Settings())); }

TVariant TStringField::GetAsVariant() {
  std::string bytes;
  if (!ReadBytes(bytes)) return TVariant::Null();
  return TVariant(FTransliterate && GetDataSet() ? GetDataSet()->Translate(bytes, false) : bytes);
}

void TStringField::SetAsVariant(const TVariant& Value) {
  if (Value.IsNull()) Clear();
  else SetAsString(Value.AsString());
}

// ---- TIntegerField, TSmallintField ----

TIntegerField::TIntegerField(TComponent* AOwner)
    : TIntegerField(AOwner, ftInteger, std::numeric_limits<std::int32_t>::min(),
                    std::numeric_limits<std::int32_t>::max()) {}

TIntegerField::TIntegerField(TComponent* AOwner, TFieldType Type, int TypeMin, int TypeMax)
    : TNumericField(AOwner), FTypeMin(TypeMin), FTypeMax(TypeMax) {
  SetDataType(Type);
  SetAlignment(taRightJustify);
}

TSmallintField::TSmallintField(TComponent* AOwner)
    : TIntegerField(AOwner, ftSmallint, std::numeric_limits<std::int16_t>::min(),
                    std::numeric_limits<std::int16_t>::max()) {}

bool TIntegerField::ReadValue(int& Value) {
  if (DataSize() == 2) {
    std::int16_t v = 0;
    if (!GetData(&v)) return false;
    Value = v;
    return true;
  }
  std::int32_t v = 0;
  if (!GetData(&v)) return false;
  Value = v;
  return true;
}

void TIntegerField::CheckRange(std::int64_t Value) {
  std::int64_t lo = FTypeMin, hi = FTypeMax;
  if (FMinValue != 0 || FMaxValue != 0) {
    lo = std::max<std::int64_t>(lo, FMinValue);
    hi = std::min<std::int64_t>(hi, FMaxValue);
  }
  if (Value < lo || Value > hi)
    DatabaseError(Format(dbtext::FieldRangeError, IntToStr(Value), DisplayName(), IntToStr(lo), IntToStr(hi)));
}

int TIntegerField::GetAsInteger() {
  int v = 0;
  return ReadValue(v) ? v : 0;
}

String TIntegerField::GetAsString() {
  int v = 0;
  return ReadValue(v) ? IntToStr(v) : String();
}

void TIntegerField::SetAsInteger(int Value) {
  CheckRange(Value);
  if (DataSize() == 2) {
    auto v = static_cast<std::int16_t>(Value);
    SetData(&v);
  } else {
    std::int32_t v = Value;
    SetData(&v);
  }
}

void TIntegerField::SetAsString(const String& Value) {
  String s = Trim(Value);
  if (s.empty()) {
    Clear();
    return;
  }
  std::int64_t v;
  if (!TryStrToInt64(s, v)) DatabaseError(Format(dbtext::InvalidIntegerValue, Value, DisplayName()));
  CheckRange(v);
  SetAsInteger(static_cast<int>(v));
}

void TIntegerField::SetAsFloat(double Value) {
  if (!std::isfinite(Value) || std::fabs(Value) > 9e18)
    DatabaseError(Format(dbtext::InvalidIntegerValue, FloatToStr(Value), DisplayName()));
  std::int64_t v = std::llround(Value);
  CheckRange(v);
  SetAsInteger(static_cast<int>(v));
}

TVariant TIntegerField::GetAsVariant() {
  int v = 0;
  return ReadValue(v) ? TVariant(v) : TVariant::Null();
}

void TIntegerField::SetAsVariant(const TVariant& Value) {
  if (Value.IsNull()) {
    Clear();
    return;
  }
  if (Value.VarType() == varString) {
    SetAsString(Value.AsString());
    return;
  }
  std::int64_t v = Value.AsInteger();
  CheckRange(v);
  SetAsInteger(static_cast<int>(v));
}

// ---- TFloatField ----

TFloatField::TFloatField(TComponent* AOwner) : TNumericField(AOwner) {
  SetDataType(ftFloat);
  SetAlignment(taRightJustify);
}

bool TFloatField::ReadValue(double& Value) {
  Value = 0;
  return GetData(&Value);
}

void TFloatField::SetPrecision(int Value) {
  Value = std::clamp(Value, 2, 15);
  if (Value == FPrecision) return;
  FPrecision = Value;
  PropertyChanged(false);
}

double TFloatField::GetAsFloat() {
  double v;
  return ReadValue(v) ? v : 0;
}

int TFloatField::GetAsInteger() {
  double v = GetAsFloat();
  if (!(std::fabs(v) <= static_cast<double>(std::numeric_limits<int>::max())))
    DatabaseError(Format(dbtext::FieldRangeError, FloatToStr(v, Settings()), DisplayName(),
                         IntToStr(std::numeric_limits<int>::min()), IntToStr(std::numeric_limits<int>::max())));
  return static_cast<int>(std::llround(v));
}

String TFloatField::GetAsString() {
  double v;
  return ReadValue(v) ? FloatToStr(v, Settings()) : String();
}

String TFloatField::GetFieldText(bool ForDisplay) {
  double v;
  if (!ReadValue(v)) return {};
  return FloatToStrF(v, ffGeneral, ForDisplay ? FPrecision : 15, 0, Settings());
}

void TFloatField::SetAsFloat(double Value) {
  if (!std::isfinite(Value))
    DatabaseError(Format(dbtext::InvalidFloatValue, FloatToStr(Value, Settings()), DisplayName()));
  if ((FMinValue != 0 || FMaxValue != 0) && (Value < FMinValue || Value > FMaxValue))
    DatabaseError(Format(dbtext::FieldRangeError, FloatToStr(Value, Settings()), DisplayName(),
                         FloatToStr(FMinValue, Settings()), FloatToStr(FMaxValue, Settings())));
  SetData(&Value);
}

void TFloatField::SetAsString(const String& Value) {
  String s = Trim(Value);
  if (s.empty()) {
    Clear();
    return;
  }
  double v;
  if (!TryStrToFloat(s, v, Settings())) DatabaseError(Format(dbtext::InvalidFloatValue, Value, DisplayName()));
  SetAsFloat(v);
}

TVariant TFloatField::GetAsVariant() {
  double v;
  return ReadValue(v) ? TVariant(v) : TVariant::Null();
}

void TFloatField::SetAsVariant(const TVariant& Value) {
  if (Value.IsNull()) Clear();
  else if (Value.VarType() == varString) SetAsString(Value.AsString());
  else SetAsFloat(Value.AsFloat());
}

// ---- TBooleanField ----

TBooleanField::TBooleanField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftBoolean); }

bool TBooleanField::ReadValue(bool& Value) {
  std::int16_t v = 0;
  bool present = GetData(&v);
  Value = v != 0;
  return present;
}

void TBooleanField::SetDisplayValues(const String& Value) {
  FDisplayValues = Value;
  size_t semi = Value.find(';');
  FTrueText = Value.substr(0, semi);
  FFalseText = semi == String::npos ? String() : Value.substr(semi + 1);
  PropertyChanged(true);
}

int TBooleanField::DefaultDisplayWidth() const {
  return static_cast<int>(std::max(Utf8ToUtf32(FTrueText).size(), Utf8ToUtf32(FFalseText).size()));
}

bool TBooleanField::GetAsBoolean() {
  bool v;
  return ReadValue(v) && v;
}

String TBooleanField::GetAsString() {
  bool v;
  if (!ReadValue(v)) return {};
  return v ? FTrueText : FFalseText;
}

void TBooleanField::SetAsBoolean(bool Value) {
  std::int16_t v = Value ? 1 : 0;
  SetData(&v);
}

void TBooleanField::SetAsString(const String& Value) {
  String s = Trim(Value);
  if (s.empty()) {
    if (FFalseText.empty()) SetAsBoolean(false);
    else if (FTrueText.empty()) SetAsBoolean(true);
    else Clear();
    return;
  }
  // The text, or the start of one of the two texts.
  auto starts = [&s](const String& Text) { return AnsiSameText(s, Utf8Truncate(Text, s.size())); };
  if (starts(FFalseText)) SetAsBoolean(false);
  else if (starts(FTrueText)) SetAsBoolean(true);
  else DatabaseError(Format(dbtext::InvalidBoolValue, Value, DisplayName()));
}

TVariant TBooleanField::GetAsVariant() {
  bool v;
  return ReadValue(v) ? TVariant(v) : TVariant::Null();
}

void TBooleanField::SetAsVariant(const TVariant& Value) {
  if (Value.IsNull()) Clear();
  else if (Value.VarType() == varString) SetAsString(Value.AsString());
  else SetAsBoolean(Value.AsBoolean());
}

// ---- TDateTimeField, TDateField ----

TDateTimeField::TDateTimeField(TComponent* AOwner) : TDateTimeField(AOwner, ftDateTime) {}
TDateTimeField::TDateTimeField(TComponent* AOwner, TFieldType Type) : TField(AOwner) { SetDataType(Type); }
TDateField::TDateField(TComponent* AOwner) : TDateTimeField(AOwner, ftDate) {}

bool TDateTimeField::ReadValue(TDateTime& Value) {
  Value = 0;
  if (DataType() == ftDate) {
    std::int32_t days = 0;
    if (!GetData(&days)) return false;
    Value = TimeStampToDateTime(TTimeStamp{0, days});
    return true;
  }
  double msecs = 0;
  if (!GetData(&msecs)) return false;
  Value = TimeStampToDateTime(MSecsToTimeStamp(msecs));
  return true;
}

void TDateTimeField::SetDisplayFormat(const String& Value) {
  if (Value == FDisplayFormat) return;
  FDisplayFormat = Value;
  PropertyChanged(false);
}

String TDateTimeField::DefaultFormat() const { return {}; }
String TDateField::DefaultFormat() const { return Settings().ShortDateFormat; }

TDateTime TDateTimeField::GetAsDateTime() {
  TDateTime v;
  return ReadValue(v) ? v : 0;
}

String TDateTimeField::GetFieldText(bool ForDisplay) {
  TDateTime v;
  if (!ReadValue(v)) return {};
  String format = ForDisplay && !FDisplayFormat.empty() ? FDisplayFormat : DefaultFormat();
  return FormatDateTime(format, v, Settings());
}

String TDateTimeField::GetAsString() { return GetFieldText(false); }

void TDateTimeField::SetAsDateTime(TDateTime Value) {
  int y, m, d;
  DecodeDate(Value, y, m, d);  // refuses what is no date
  TTimeStamp ts = DateTimeToTimeStamp(Value);
  if (DataType() == ftDate) {
    std::int32_t days = ts.Date;
    SetData(&days);
  } else {
    double msecs = TimeStampToMSecs(ts);
    SetData(&msecs);
  }
}

void TDateTimeField::SetAsString(const String& Value) {
  String s = Trim(Value);
  if (s.empty()) {
    Clear();
    return;
  }
  TDateTime v;
  bool ok = DataType() == ftDate ? TryStrToDate(s, v, Settings()) : TryStrToDateTime(s, v, Settings());
  if (!ok) DatabaseError(Format(dbtext::InvalidDateValue, Value, DisplayName()));
  SetAsDateTime(v);
}

TVariant TDateTimeField::GetAsVariant() {
  TDateTime v;
  return ReadValue(v) ? TVariant::FromDate(v) : TVariant::Null();
}

void TDateTimeField::SetAsVariant(const TVariant& Value) {
  if (Value.IsNull()) Clear();
  else if (Value.VarType() == varString) SetAsString(Value.AsString());
  else SetAsDateTime(Value.AsDateTime());
}

// ---- TBlobField, TMemoField ----

TBlobField::TBlobField(TComponent* AOwner) : TBlobField(AOwner, ftBlob) {}
TBlobField::TBlobField(TComponent* AOwner, TFieldType Type) : TField(AOwner) { SetDataType(Type); }
TMemoField::TMemoField(TComponent* AOwner) : TBlobField(AOwner, ftMemo) { SetTransliterate(true); }

bool TBlobField::IsNull() {
  if (!FModified) return !GetData(nullptr);
  std::unique_ptr<TStream> stream = GetDataSet()->CreateBlobStream(this, bmRead);
  return stream->GetSize() == 0;
}

void TBlobField::Clear() { SetAsString({}); }

String TBlobField::GetAsString() {
  if (!GetDataSet()) DatabaseErrorFmt(dbtext::DataSetMissing, DisplayName());
  std::unique_ptr<TStream> stream = GetDataSet()->CreateBlobStream(this, bmRead);
  return StreamToString(stream.get());
}

void TBlobField::SetAsString(const String& Value) {
  if (!GetDataSet()) DatabaseErrorFmt(dbtext::DataSetMissing, DisplayName());
  std::unique_ptr<TStream> stream = GetDataSet()->CreateBlobStream(this, bmWrite);
  stream->WriteBuffer(Value.data(), static_cast<std::int64_t>(Value.size()));
}

TVariant TBlobField::GetAsVariant() {
  if (IsNull()) return TVariant::Null();
  return TVariant(GetAsString());
}

void TBlobField::SetAsVariant(const TVariant& Value) { SetAsString(Value.AsString()); }

void TBlobField::LoadFromStream(TStream* Stream) {
  std::unique_ptr<TStream> blob = GetDataSet()->CreateBlobStream(this, bmWrite);
  blob->CopyFrom(Stream, 0);
}

void TBlobField::SaveToStream(TStream* Stream) {
  std::unique_ptr<TStream> blob = GetDataSet()->CreateBlobStream(this, bmRead);
  Stream->CopyFrom(blob.get(), 0);
}

String TBlobField::GetFieldText(bool) { return IsNull() ? "(Blob)" : "(BLOB)"; }
String TMemoField::GetFieldText(bool) { return IsNull() ? "(Memo)" : "(MEMO)"; }

// ---- Object fields ----

String TField::FullName() const {
  if (!FParentField || dynamic_cast<const TArrayField*>(FParentField)) return FFieldName;
  return FParentField->FullName() + "." + FFieldName;
}

TObjectField::TObjectField(TComponent* AOwner) : TField(AOwner), FFields(std::make_unique<TFields>(nullptr)) {}

TObjectField::~TObjectField() {
  while (FFields->Count() > 0) delete FFields->FList.back();
}

int TObjectField::FieldCount() const { return FFields->Count(); }

void TObjectField::AddField(TField* Child) {
  if (!Child || Child == this || Child->FParentField || Child->FDataSet)
    throw EDatabaseError("A child field must belong to no dataset and no other field");
  if (GetDataSet() && GetDataSet()->GetActive()) DatabaseError(dbtext::DataSetOpen, GetDataSet());
  Child->FParentField = this;
  FFields->Add(Child);
}

void TObjectField::RemoveChild(TField* Child) {
  FFields->Remove(Child);
  Child->FParentField = nullptr;
  Child->FDataSet = nullptr;
}

TADTField::TADTField(TComponent* AOwner) : TObjectField(AOwner) { SetDataType(ftADT); }
String TADTField::GetFieldText(bool) { return "(ADT)"; }

TArrayField::TArrayField(TComponent* AOwner) : TObjectField(AOwner) { SetDataType(ftArray); }
String TArrayField::GetFieldText(bool) { return "(Array)"; }

TDataSetField::TDataSetField(TComponent* AOwner) : TObjectField(AOwner) { SetDataType(ftDataSet); }
String TDataSetField::GetFieldText(bool) { return "(DataSet)"; }

void TDataSetField::SetNestedDataSet(TDataSet* Value) {
  if (Value == FNestedDataSet) return;
  if (FNestedDataSet) RemoveFreeNotification(FNestedDataSet);
  FNestedDataSet = Value;
  if (Value) FreeNotification(Value);
}

void TDataSetField::Notification(TComponent* AComponent, TOperation Operation) {
  TObjectField::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FNestedDataSet) FNestedDataSet = nullptr;
}
