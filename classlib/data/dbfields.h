#pragma once
// Dataset fields: TField and its kinds by data type. A field reads and writes its value in
// the dataset's current record buffer through the dataset (GetFieldData/SetFieldData), in
// the native form of its type:
//
//   ftString    the stored bytes, NUL-terminated (Size + 1 bytes); the field turns them into
//               the program's UTF-8 through the dataset's Translate when Transliterate
//   ftSmallint  int16          ftInteger  int32           ftFloat  double
//   ftBoolean   int16 (0 or 1) ftDate     int32, TTimeStamp::Date
//   ftDateTime  double, TimeStampToMSecs
//   ftBlob, ftMemo  no bytes in the record: the dataset's blob stream carries the data
//   ftADT, ftArray, ftDataSet  object fields (TObjectField below): no value of their own
//
// Data fields come from the dataset's field definitions; calculated fields get their values
// in the dataset's OnCalcFields, lookup fields from another dataset (LookupDataSet, whose
// LookupKeyFields match this dataset's KeyFields, giving LookupResultField). Fields are
// components: those the dataset makes for itself are its own; persistent ones belong to the
// form and stream inside their dataset ("object Table1NAME: TStringField").
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "classlib/core/alignment.h"
#include "classlib/core/component.h"
#include "classlib/core/datetime.h"
#include "classlib/data/variants.h"

class TDataSet;
class TField;
class TFields;
class TObjectField;
class TStream;

HX_ENUM(TFieldType, ftUnknown, ftString, ftSmallint, ftInteger, ftBoolean, ftFloat, ftDate, ftDateTime, ftBlob,
        ftMemo, ftADT, ftArray, ftDataSet);
HX_ENUM(TFieldKind, fkData, fkCalculated, fkLookup);
HX_ENUM(TBlobStreamMode, bmRead, bmWrite, bmReadWrite);

class EDatabaseError : public Exception {
 public:
  using Exception::Exception;
};

// The class library's database texts.
namespace dbtext {
inline constexpr const char* DataSetClosed = "Не могу выполнить эту операцию для закрытого набора данных (dataset)";
inline constexpr const char* DataSetOpen = "Не могу выполнить эту операцию для открытого набора данных (dataset)";
inline constexpr const char* DataSetEmpty = "Не могу выполнить эту операцию для пустого набора данных (dataset)";
inline constexpr const char* DataSetReadOnly = "Не могу изменить набор данных (dataset) только для чтения";
inline constexpr const char* NotEditing = "Набор данных (dataset) не в режиме редактирования или вставки";
inline constexpr const char* FieldNotFound = "Поле '%s' не найдено";
inline constexpr const char* FieldReadOnly = "Поле '%s' не может быть изменено";
inline constexpr const char* NotIndexField = "Поле '%s' не индексировано и не может быть изменено";
inline constexpr const char* FieldRequired = "Поле '%s' должно иметь значение";
inline constexpr const char* FieldTypeMismatch = "Поле '%s' не того типа. Ожидается: %s, фактически: %s";
inline constexpr const char* FieldAccessError = "Нет доступа к полю '%s' как к типу %s";
inline constexpr const char* FieldRangeError =
    "%s не является допустимым значением для поля '%s'. Допустимый диапазон от %s до %s";
inline constexpr const char* InvalidIntegerValue = "'%s' не является допустимым целым значением для поля '%s'";
inline constexpr const char* InvalidFloatValue =
    "'%s' не является допустимым значением с плавающей точкой для поля '%s'";
inline constexpr const char* InvalidBoolValue = "'%s' не является допустимым логическим значением для поля '%s'";
inline constexpr const char* InvalidDateValue = "'%s' не является допустимой датой для поля '%s'";
inline constexpr const char* DuplicateFieldName = "Повторяющееся имя поля '%s'";
inline constexpr const char* DataSetMissing = "Поле '%s' не имеет набора данных (dataset)";
inline constexpr const char* LookupInfoError = "Неполная информация о подстановке для поля '%s'";
inline constexpr const char* CircularDataLink = "Циклические связи данных не разрешены";
inline constexpr const char* RecordNotFound = "Запись не найдена";
inline constexpr const char* IndexNotFound = "Индекс '%s' не найден";
inline constexpr const char* BookmarkNotFound = "Закладка не найдена";
inline constexpr const char* BlobNotSupported = "Набор данных (dataset) не поддерживает поле BLOB '%s'";
}  // namespace dbtext

// Raises EDatabaseError with the message, after "Name: " when the component has a name.
[[noreturn]] void DatabaseError(const String& Message, TComponent* Component = nullptr);
// The same with one "%s" of Message filled.
[[noreturn]] void DatabaseErrorFmt(const String& Message, const String& Arg, TComponent* Component = nullptr);

using TFieldNotifyEvent = std::function<void(TField* Sender)>;
using TFieldGetTextEvent = std::function<void(TField* Sender, String& Text, bool DisplayText)>;
using TFieldSetTextEvent = std::function<void(TField* Sender, const String& Text)>;

class TField : public TComponent {
  HX_CLASS(TField, TComponent)
 public:
  explicit TField(TComponent* AOwner);
  ~TField() override;

  TDataSet* GetDataSet() const { return FDataSet; }
  // Joins the dataset's fields at their end (leaving its former dataset); the dataset must
  // be closed.
  void SetDataSet(TDataSet* Value);
  TFieldType DataType() const { return FDataType; }
  // Bytes of the native value (see above); 0 for blobs.
  virtual int DataSize() const;
  int FieldNo() const { return FFieldNo; }  // 1-based for data fields, -1 for the others
  int Offset() const { return FOffset; }    // in the calculated-fields area
  const String& GetFieldName() const { return FFieldName; }
  void SetFieldName(const String& Value);
  TFieldKind GetFieldKind() const { return FFieldKind; }
  void SetFieldKind(TFieldKind Value);
  bool Calculated() const { return FFieldKind == fkCalculated; }
  bool Lookup() const { return FFieldKind == fkLookup; }
  int GetSize() const { return FSize; }
  void SetSize(int Value);
  // Position among the dataset's fields; setting it moves the field.
  int GetIndex() const;
  void SetIndex(int Value);

  // What a user sees: DisplayLabel, or FieldName when none was given.
  String DisplayName() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
  String GetDisplayLabel() const { return DisplayName(); }
  void SetDisplayLabel(const String& Value);
  // Characters a column shows; by default the type's (the Size of a string).
  int GetDisplayWidth() const;
  void SetDisplayWidth(int Value);
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool Value);
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool GetRequired() const { return FRequired; }
  void SetRequired(bool Value) { FRequired = Value; }
  // Whether the value may be changed now: a writable field of a dataset that can be modified.
  virtual bool CanModify() const;

  // Lookup fields: KeyFields of this dataset ("A;B") matched to LookupKeyFields of
  // LookupDataSet give LookupResultField.
  const String& GetKeyFields() const { return FKeyFields; }
  void SetKeyFields(const String& Value);
  TDataSet* GetLookupDataSet() const { return FLookupDataSet; }
  void SetLookupDataSet(TDataSet* Value);
  const String& GetLookupKeyFields() const { return FLookupKeyFields; }
  void SetLookupKeyFields(const String& Value);
  const String& GetLookupResultField() const { return FLookupResultField; }
  void SetLookupResultField(const String& Value);

  // The value in the current record.
  virtual bool IsNull();
  virtual void Clear();  // sets null
  virtual String GetAsString();
  virtual void SetAsString(const String& Value);
  virtual int GetAsInteger();
  virtual void SetAsInteger(int Value);
  virtual double GetAsFloat();
  virtual void SetAsFloat(double Value);
  virtual bool GetAsBoolean();
  virtual void SetAsBoolean(bool Value);
  virtual TDateTime GetAsDateTime();
  virtual void SetAsDateTime(TDateTime Value);
  // Null for a null value; the type's natural kind otherwise.
  virtual TVariant GetAsVariant();
  virtual void SetAsVariant(const TVariant& Value);
  TVariant GetValue() { return GetAsVariant(); }
  void SetValue(const TVariant& Value) { SetAsVariant(Value); }
  // The value before editing began (the dataset's old-value state).
  TVariant OldValue();
  // The text to edit (OnGetText may change it) and to show (DisplayText); SetText goes
  // through OnSetText when assigned, else AsString.
  String GetText();
  void SetText(const String& Value);
  String DisplayText();

  // The native value (see above) into Buffer (nullptr: only whether there is one); false
  // for null.
  bool GetData(void* Buffer);
  void SetData(const void* Buffer);
  // Runs OnValidate for a value about to be stored; while it runs the field reads Buffer.
  void Validate(const void* Buffer);
  // Asks the controls that show this field to take the focus.
  void FocusControl();
  // The object field this one is a child of (nullptr for the dataset's own fields), and the
  // name the dataset keeps its value under: "ADDR.CITY" for a child of ADDR, the field name
  // for the others (an array's children are named "SCORES[0]" ...).
  TObjectField* ParentField() const { return FParentField; }
  String FullName() const;

  TFieldNotifyEvent OnChange;
  TFieldNotifyEvent OnValidate;
  TFieldGetTextEvent OnGetText;
  TFieldSetTextEvent OnSetText;

  // Streaming: a field is written inside its dataset.
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

 protected:
  void SetDataType(TFieldType Value) { FDataType = Value; }
  virtual TAlignment DefaultAlignment() const { return taLeftJustify; }
  virtual int DefaultDisplayWidth() const { return 10; }
  // The text for GetText/DisplayText without OnGetText.
  virtual String GetFieldText(bool ForDisplay);
  // The formatting of the field's dataset, or the streaming one without a dataset.
  const TFormatSettings& Settings() const;
  [[noreturn]] void AccessError(const char* TypeName) const;
  // Tells the dataset that a display property changed.
  void PropertyChanged(bool LayoutAffected);
  void ReadState(TReader* Reader) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The record's value for a lookup field, from LookupDataSet.
  void CalcLookupValue();

 private:
  friend class TDataSet;
  friend class TObjectField;
  bool IsAlignmentStored() const { return FAlignment != DefaultAlignment(); }
  bool IsDisplayLabelStored() const { return !FDisplayLabel.empty(); }
  bool IsDisplayWidthStored() const { return FDisplayWidth > 0; }
  void CheckInactive();

  TDataSet* FDataSet = nullptr;
  TObjectField* FParentField = nullptr;
  TFieldType FDataType = ftUnknown;
  TFieldKind FFieldKind = fkData;
  String FFieldName;
  String FDisplayLabel;
  int FDisplayWidth = 0;  // 0: the default
  int FSize = 0;
  int FFieldNo = 0;
  int FOffset = 0;
  TAlignment FAlignment = taLeftJustify;
  bool FVisible = true;
  bool FReadOnly = false;
  bool FRequired = false;
  String FKeyFields;
  TDataSet* FLookupDataSet = nullptr;
  String FLookupKeyFields;
  String FLookupResultField;
  bool FValidating = false;
  const void* FValidateBuffer = nullptr;  // what OnValidate reads (nullptr: null)
};

class TStringField : public TField {
  HX_CLASS(TStringField, TField)
 public:
  explicit TStringField(TComponent* AOwner);
  int DataSize() const override { return GetSize() + 1; }
  // Convert the stored bytes through the dataset's Translate (on by default).
  bool GetTransliterate() const { return FTransliterate; }
  void SetTransliterate(bool Value) { FTransliterate = Value; }
  bool IsNull() override;
  String GetAsString() override;
  // Cut to Size stored bytes; an empty text stores null.
  void SetAsString(const String& Value) override;
  int GetAsInteger() override;
  void SetAsInteger(int Value) override;
  double GetAsFloat() override;
  void SetAsFloat(double Value) override;
  bool GetAsBoolean() override;  // "T…", "Y…" (either case) are true
  void SetAsBoolean(bool Value) override;
  TDateTime GetAsDateTime() override;
  void SetAsDateTime(TDateTime Value) override;
  TVariant GetAsVariant() override;
  void SetAsVariant(const TVariant& Value) override;

 protected:
  int DefaultDisplayWidth() const override { return GetSize(); }

 private:
  bool ReadBytes(std::string& Bytes);  // the stored bytes; false for null
  bool FTransliterate = true;
};

// Integer and floating-point fields: right-aligned.
class TNumericField : public TField {
  HX_CLASS(TNumericField, TField)
 public:
  using TField::TField;

 protected:
  TAlignment DefaultAlignment() const override { return taRightJustify; }
};

class TIntegerField : public TNumericField {
  HX_CLASS(TIntegerField, TNumericField)
 public:
  explicit TIntegerField(TComponent* AOwner);
  int DataSize() const override { return 4; }
  // Values outside MinValue..MaxValue are refused (both 0: the type's range).
  int GetMinValue() const { return FMinValue; }
  void SetMinValue(int Value) { FMinValue = Value; }
  int GetMaxValue() const { return FMaxValue; }
  void SetMaxValue(int Value) { FMaxValue = Value; }
  String GetAsString() override;
  void SetAsString(const String& Value) override;
  int GetAsInteger() override;
  void SetAsInteger(int Value) override;
  double GetAsFloat() override { return GetAsInteger(); }
  void SetAsFloat(double Value) override;
  bool GetAsBoolean() override { return GetAsInteger() != 0; }
  void SetAsBoolean(bool Value) override { SetAsInteger(Value ? 1 : 0); }
  TVariant GetAsVariant() override;
  void SetAsVariant(const TVariant& Value) override;

 protected:
  TIntegerField(TComponent* AOwner, TFieldType Type, int TypeMin, int TypeMax);
  int DefaultDisplayWidth() const override { return 10; }

 private:
  bool ReadValue(int& Value);
  void CheckRange(std::int64_t Value);
  int FMinValue = 0;
  int FMaxValue = 0;
  int FTypeMin;
  int FTypeMax;
};

class TSmallintField : public TIntegerField {
  HX_CLASS(TSmallintField, TIntegerField)
 public:
  explicit TSmallintField(TComponent* AOwner);
  int DataSize() const override { return 2; }

 protected:
  int DefaultDisplayWidth() const override { return 6; }
};

class TFloatField : public TNumericField {
  HX_CLASS(TFloatField, TNumericField)
 public:
  explicit TFloatField(TComponent* AOwner);
  int DataSize() const override { return 8; }
  // Significant digits of the text (2..15).
  int GetPrecision() const { return FPrecision; }
  void SetPrecision(int Value);
  // Values outside MinValue..MaxValue are refused (both 0: no range).
  double GetMinValue() const { return FMinValue; }
  void SetMinValue(double Value) { FMinValue = Value; }
  double GetMaxValue() const { return FMaxValue; }
  void SetMaxValue(double Value) { FMaxValue = Value; }
  String GetAsString() override;
  void SetAsString(const String& Value) override;
  int GetAsInteger() override;
  void SetAsInteger(int Value) override { SetAsFloat(Value); }
  double GetAsFloat() override;
  void SetAsFloat(double Value) override;
  TVariant GetAsVariant() override;
  void SetAsVariant(const TVariant& Value) override;

 protected:
  String GetFieldText(bool ForDisplay) override;

 private:
  bool ReadValue(double& Value);
  int FPrecision = 15;
  double FMinValue = 0;
  double FMaxValue = 0;
};

class TBooleanField : public TField {
  HX_CLASS(TBooleanField, TField)
 public:
  explicit TBooleanField(TComponent* AOwner);
  int DataSize() const override { return 2; }
  // "True text;False text" (default "True;False"); text is read back by either, or by its
  // first letters, without regard to case.
  const String& GetDisplayValues() const { return FDisplayValues; }
  void SetDisplayValues(const String& Value);
  String GetAsString() override;
  void SetAsString(const String& Value) override;
  bool GetAsBoolean() override;
  void SetAsBoolean(bool Value) override;
  int GetAsInteger() override { return GetAsBoolean() ? 1 : 0; }
  void SetAsInteger(int Value) override { SetAsBoolean(Value != 0); }
  TVariant GetAsVariant() override;
  void SetAsVariant(const TVariant& Value) override;

 protected:
  int DefaultDisplayWidth() const override;

 private:
  bool ReadValue(bool& Value);
  String FDisplayValues = "True;False";
  String FTrueText = "True";
  String FFalseText = "False";
};

class TDateTimeField : public TField {
  HX_CLASS(TDateTimeField, TField)
 public:
  explicit TDateTimeField(TComponent* AOwner);
  int DataSize() const override { return 8; }
  // FormatDateTime's format for DisplayText; empty: the settings' short date (and the time
  // for date-and-time fields).
  const String& GetDisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& Value);
  String GetAsString() override;
  void SetAsString(const String& Value) override;
  TDateTime GetAsDateTime() override;
  void SetAsDateTime(TDateTime Value) override;
  double GetAsFloat() override { return GetAsDateTime(); }
  void SetAsFloat(double Value) override { SetAsDateTime(Value); }
  TVariant GetAsVariant() override;
  void SetAsVariant(const TVariant& Value) override;

 protected:
  TDateTimeField(TComponent* AOwner, TFieldType Type);
  String GetFieldText(bool ForDisplay) override;
  int DefaultDisplayWidth() const override { return 18; }
  // The edit text's format.
  virtual String DefaultFormat() const;

 private:
  bool ReadValue(TDateTime& Value);
  String FDisplayFormat;
};

class TDateField : public TDateTimeField {
  HX_CLASS(TDateField, TDateTimeField)
 public:
  explicit TDateField(TComponent* AOwner);
  int DataSize() const override { return 4; }

 protected:
  int DefaultDisplayWidth() const override { return 10; }
  String DefaultFormat() const override;
};

// Binary data of any length, through the dataset's blob streams.
class TBlobField : public TField {
  HX_CLASS(TBlobField, TField)
 public:
  explicit TBlobField(TComponent* AOwner);
  int DataSize() const override { return 0; }
  // Whether the dataset's blob streams convert the stored bytes as text (memos do).
  bool GetTransliterate() const { return FTransliterate; }
  void SetTransliterate(bool Value) { FTransliterate = Value; }
  // Set by a blob stream that changed the data (until the record is posted or cancelled).
  bool GetModified() const { return FModified; }
  void SetModified(bool Value) { FModified = Value; }
  bool IsNull() override;
  void Clear() override;  // empty data
  // The bytes as they are (a memo: its text).
  String GetAsString() override;
  void SetAsString(const String& Value) override;
  TVariant GetAsVariant() override;
  void SetAsVariant(const TVariant& Value) override;
  void LoadFromStream(TStream* Stream);
  void SaveToStream(TStream* Stream);

 protected:
  TBlobField(TComponent* AOwner, TFieldType Type);
  // "(Blob)" / "(BLOB)" (with data).
  String GetFieldText(bool ForDisplay) override;
  int DefaultDisplayWidth() const override { return 10; }

 private:
  bool FModified = false;
  bool FTransliterate = false;
};

class TMemoField : public TBlobField {
  HX_CLASS(TMemoField, TBlobField)
 public:
  explicit TMemoField(TComponent* AOwner);

 protected:
  String GetFieldText(bool ForDisplay) override;  // "(Memo)" / "(MEMO)"
};

// A field made of child fields, or holding a nested dataset: it has no value of its own
// (never null, its text names its kind) and cannot be set. Its children are fields of the
// same dataset, bound by their full names when the dataset opens; only the object field
// stands among the dataset's Fields (FindField also finds the children by full name). The
// children are its own: freed with it, and a child freed leaves it.
class TObjectField : public TField {
  HX_CLASS(TObjectField, TField)
 public:
  explicit TObjectField(TComponent* AOwner);
  ~TObjectField() override;
  TFields* Fields() const { return FFields.get(); }
  int FieldCount() const;
  // Makes Child one of the children, at their end (it must belong to no dataset yet).
  void AddField(TField* Child);
  bool IsNull() override { return false; }

 protected:
  friend class TField;
  void RemoveChild(TField* Child);

 private:
  std::unique_ptr<TFields> FFields;
};

// Named children: an abstract data type's attributes.
class TADTField : public TObjectField {
  HX_CLASS(TADTField, TObjectField)
 public:
  explicit TADTField(TComponent* AOwner);

 protected:
  String GetFieldText(bool ForDisplay) override;  // "(ADT)"
};

// Children by number, named "NAME[0]", "NAME[1]" ...
class TArrayField : public TObjectField {
  HX_CLASS(TArrayField, TObjectField)
 public:
  explicit TArrayField(TComponent* AOwner);

 protected:
  String GetFieldText(bool ForDisplay) override;  // "(Array)"
};

// A nested dataset: the records of the current record's nested table, in a dataset the
// program gives (NestedDataSet).
class TDataSetField : public TObjectField {
  HX_CLASS(TDataSetField, TObjectField)
 public:
  explicit TDataSetField(TComponent* AOwner);
  TDataSet* GetNestedDataSet() const { return FNestedDataSet; }
  void SetNestedDataSet(TDataSet* Value);

 protected:
  String GetFieldText(bool ForDisplay) override;  // "(DataSet)"
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TDataSet* FNestedDataSet = nullptr;
};

// The field class a type makes by default.
TClass DefaultFieldClass(TFieldType Type);
