#pragma once
// Datasets: TDataSet, the record set that data-aware controls show and edit, with its field
// and index definitions; TDataSource, through which controls reach a dataset; TDataLink, a
// control's end of that road; TMasterDataLink, a detail dataset's link to its master.
//
// The record window. A dataset keeps BufferCount record buffers (as many as its largest
// link asks for, at least one) holding a run of consecutive records, RecordCount of them
// filled; ActiveRecord is the index of the current record among them. Moving within the run
// only changes ActiveRecord; moving past its ends fetches a record and shifts the buffers.
// A link sees a window of its own BufferCount rows into the run (its first row follows the
// current record), its ActiveRecord counted from that row; when the window moves, the link
// hears DataSetScrolled with the number of rows it moved (positive: towards later records).
//
// Descendants implement the protected hooks (buffers, record fetching, bookmarks, editing,
// field data); everything else lives here.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/collection.h"
#include "classlib/data/dbfields.h"
#include "classlib/core/formatsettings.h"

class TDataLink;
class TDataSource;
class TStream;

HX_ENUM(TDataSetState, dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue,
        dsOldValue, dsInternalCalc);
HX_ENUM(TDataEvent, deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange, deUpdateRecord,
        deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange, deFocusControl, deDataSetClosing);
HX_ENUM(TGetMode, gmCurrent, gmNext, gmPrior);
HX_ENUM(TGetResult, grOK, grBOF, grEOF, grError);
HX_ENUM(TBookmarkFlag, bfCurrent, bfBOF, bfEOF, bfInserted);
HX_ENUM(TResyncModeFlag, rmExact, rmCenter);
using TResyncMode = TSet<TResyncModeFlag>;
HX_ENUM(TLocateOption, loCaseInsensitive, loPartialKey);
using TLocateOptions = TSet<TLocateOption>;
HX_ENUM(TFilterOption, foCaseInsensitive, foNoPartialCompare);
using TFilterOptions = TSet<TFilterOption>;
HX_ENUM(TIndexOption, ixPrimary, ixUnique, ixDescending, ixCaseInsensitive, ixExpression, ixNonMaintained);
using TIndexOptions = TSet<TIndexOption>;
HX_ENUM(TDataAction, daFail, daAbort, daRetry);

using TRecordBuffer = std::uint8_t*;
// A bookmark's bytes (BookmarkSize of them); empty: none.
using TBookmarkStr = std::string;

using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;
using TDataSetErrorEvent = std::function<void(TDataSet* DataSet, EDatabaseError& E, TDataAction& Action)>;
using TFilterRecordEvent = std::function<void(TDataSet* DataSet, bool& Accept)>;
using TDataChangeEvent = std::function<void(TObject* Sender, TField* Field)>;

// The states in which field values may be written, and those of editing.
bool IsWriteState(TDataSetState State);  // edit, insert, set-key, calc-fields, filter, new-value, internal-calc
bool IsEditState(TDataSetState State);   // edit, insert, set-key

// ---- Fields of a dataset ----

class TFields : public TObject {
  HX_CLASS(TFields, TObject)
 public:
  explicit TFields(TDataSet* DataSet) : FDataSet(DataSet) {}
  int Count() const { return static_cast<int>(FList.size()); }
  TField* operator[](int Index) const { return Fields(Index); }
  TField* Fields(int Index) const;  // EDatabaseError when out of range
  // Without regard to case; children of object fields by full name ("ADDR.CITY"); nullptr.
  TField* FindField(const String& FieldName) const;
  TField* FieldByName(const String& FieldName) const;  // "Поле '%s' не найдено"
  TField* FieldByNumber(int FieldNo) const;            // nullptr when none has it
  int IndexOf(TField* Field) const;

 private:
  friend class TDataSet;
  friend class TField;
  friend class TObjectField;
  // A child of an object field (at any depth) by its full name.
  TField* FindChild(const String& FullName) const;
  void Add(TField* Field);
  void Remove(TField* Field);
  void Move(int CurIndex, int NewIndex);
  TDataSet* FDataSet;
  std::vector<TField*> FList;
};

// ---- Field and index definitions ----

class TFieldDef : public TCollectionItem {
  HX_CLASS(TFieldDef, TCollectionItem)
 public:
  explicit TFieldDef(TCollection* Collection);
  const String& GetName() const { return FName; }
  void SetName(const String& Value) { FName = Value; }
  TFieldType GetDataType() const { return FDataType; }
  void SetDataType(TFieldType Value) { FDataType = Value; }
  int GetSize() const { return FSize; }
  void SetSize(int Value) { FSize = Value; }
  bool GetRequired() const { return FRequired; }
  void SetRequired(bool Value) { FRequired = Value; }
  int FieldNo() const { return GetIndex() + 1; }
  String GetDisplayName() override { return FName; }
  // A field of the type's class, owned by Owner, joined to DataSet.
  TField* CreateField(TComponent* Owner, TDataSet* DataSet);

 private:
  String FName;
  TFieldType FDataType = ftUnknown;
  int FSize = 0;
  bool FRequired = false;
};

class TFieldDefs : public TCollection {
  HX_CLASS(TFieldDefs, TCollection)
 public:
  explicit TFieldDefs(TDataSet* DataSet);
  TFieldDef* Add(const String& Name, TFieldType DataType, int Size = 0, bool Required = false);
  TFieldDef* Items(int Index) const { return static_cast<TFieldDef*>(GetItem(Index)); }
  TFieldDef* Find(const String& Name) const;  // "Поле '%s' не найдено"
  int IndexOf(const String& Name) const;      // -1 when absent
  // Fetches the definitions from the dataset again.
  void Update();

 protected:
  using TCollection::Update;

 private:
  TDataSet* FDataSet;
};

class TIndexDef : public TCollectionItem {
  HX_CLASS(TIndexDef, TCollectionItem)
 public:
  explicit TIndexDef(TCollection* Collection);
  const String& GetName() const { return FName; }
  void SetName(const String& Value) { FName = Value; }
  // The key's fields, "A;B" (or the expression's text with ixExpression).
  const String& GetFields() const { return FFields; }
  void SetFields(const String& Value) { FFields = Value; }
  const String& GetExpression() const { return FExpression; }
  void SetExpression(const String& Value) { FExpression = Value; }
  TIndexOptions GetOptions() const { return FOptions; }
  void SetOptions(TIndexOptions Value) { FOptions = Value; }
  String GetDisplayName() override { return FName; }
  void Assign(TPersistent* Source) override;

 private:
  String FName;
  String FFields;
  String FExpression;
  TIndexOptions FOptions;
};

class TIndexDefs : public TCollection {
  HX_CLASS(TIndexDefs, TCollection)
 public:
  explicit TIndexDefs(TDataSet* DataSet);
  TIndexDef* Add(const String& Name, const String& Fields, TIndexOptions Options);
  TIndexDef* Items(int Index) const { return static_cast<TIndexDef*>(GetItem(Index)); }
  int IndexOf(const String& Name) const;          // without regard to case; -1
  TIndexDef* Find(const String& Name) const;      // "Индекс '%s' не найден"
  // The first index whose key starts with these fields (whole field names, in order);
  // nullptr when none does.
  TIndexDef* GetIndexForFields(const String& Fields, bool CaseInsensitive) const;
  // Fetches the definitions from the dataset again.
  void Update();
  TDataSet* DataSet() const { return FDataSet; }

 protected:
  using TCollection::Update;

 private:
  TDataSet* FDataSet;
};

// ---- The dataset ----

class TDataSet : public TComponent {
  HX_CLASS(TDataSet, TComponent)
 public:
  explicit TDataSet(TComponent* AOwner);
  // A descendant's destructor calls Destroying() and Close() first, while its hooks stand.
  ~TDataSet() override;

  // Opening and closing. Active set while the form is read applies after loading.
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  bool GetActive() const { return FState != dsInactive; }
  void SetActive(bool Value);
  TDataSetState State() const { return FState; }

  // Navigation. Each ends any editing first (Post when modified, else Cancel).
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // Moves up to Distance records; returns how far it went.
  int MoveBy(int Distance);
  bool Eof() const { return FEOF; }
  bool Bof() const { return FBOF; }
  bool IsEmpty() const { return FActiveRecord >= FRecordCount; }
  // Fetches the records around the current one again (rmExact: the current one must exist;
  // rmCenter: put it in the middle of the buffers).
  void Resync(TResyncMode Mode);
  void Refresh();

  // Editing.
  void Edit();
  void Insert();
  void Append();
  void Post();
  void Cancel();
  void Delete();
  // Appends a record with these values for the first fields (Null leaves one empty), posted.
  void AppendRecord(std::initializer_list<TVariant> Values);
  void InsertRecord(std::initializer_list<TVariant> Values);
  // Has the controls write their pending edits into the record.
  void UpdateRecord();
  // Settles editing: posts a modified record, cancels another.
  void CheckBrowseMode();
  bool Modified() const { return FModified; }
  bool CanModify() { return GetCanModify(); }

  // Bookmarks. GetBookmark is empty while there is no current record.
  TBookmarkStr GetBookmark();
  void SetBookmark(const TBookmarkStr& Value) { GotoBookmark(Value); }
  void GotoBookmark(const TBookmarkStr& Bookmark);
  bool BookmarkAvailable();
  // < 0, 0, > 0 in record order; an empty bookmark before any other.
  virtual int CompareBookmarks(const TBookmarkStr& Bookmark1, const TBookmarkStr& Bookmark2);
  virtual bool BookmarkValid(const TBookmarkStr& Bookmark);

  // Searching: the first record whose KeyFields ("A;B") hold KeyValues (one value, or an
  // array for several fields) becomes current; false leaves the position. Lookup returns
  // ResultFields' value(s) of that record without moving (Null when there is none).
  virtual bool Locate(const String& KeyFields, const TVariant& KeyValues, TLocateOptions Options);
  virtual TVariant Lookup(const String& KeyFields, const TVariant& KeyValues, const String& ResultFields);

  // Position and count: 1-based number of the current record, -1 where the dataset cannot
  // tell; IsSequenced says whether RecNo and RecordCount can place a scroll bar.
  virtual int GetRecNo() { return -1; }
  virtual void SetRecNo(int /*Value*/) {}
  int RecordCount() { return GetRecordCount(); }
  virtual bool IsSequenced();

  // Filtering: the text is the descendant's; OnFilterRecord is asked per record where the
  // descendant supports it.
  const String& GetFilterText() const { return FFilterText; }
  virtual void SetFilterText(const String& Value) { FFilterText = Value; }
  bool GetFiltered() const { return FFiltered; }
  virtual void SetFiltered(bool Value) { FFiltered = Value; }
  TFilterOptions GetFilterOptions() const { return FFilterOptions; }
  virtual void SetFilterOptions(TFilterOptions Value) { FFilterOptions = Value; }

  // Fields.
  TFields* Fields() const { return FFields.get(); }
  int FieldCount() const { return FFields->Count(); }
  TFieldDefs* FieldDefs() const { return FFieldDefs.get(); }
  TField* FindField(const String& FieldName) const { return FFields->FindField(FieldName); }
  TField* FieldByName(const String& FieldName) const;
  TField* FieldByNumber(int FieldNo) const { return FFields->FieldByNumber(FieldNo); }
  // The fields named in "A;B" (each must exist).
  void GetFieldList(std::vector<TField*>& List, const String& FieldNames) const;
  // The value of one field, or an array of the values of "A;B".
  TVariant GetFieldValues(const String& FieldNames);
  void SetFieldValues(const String& FieldNames, const TVariant& Value);
  // Whether the fields were made by the dataset (no persistent fields at opening).
  bool DefaultFields() const { return FDefaultFields; }
  bool GetAutoCalcFields() const { return FAutoCalcFields; }
  void SetAutoCalcFields(bool Value) { FAutoCalcFields = Value; }
  // The texts of the fields' numbers and dates (DefaultFormatSettings unless set).
  TFormatSettings FormatSettings;

  // Blob data of a field of the current record; the caller frees the stream, whose end
  // writes what was written into the record.
  virtual std::unique_ptr<TStream> CreateBlobStream(TField* Field, TBlobStreamMode Mode);
  // Text between the program's UTF-8 and the bytes the dataset keeps. ToStorage: UTF-8 to
  // stored bytes, at most MaxBytes of them, cut at a character boundary. The base class
  // keeps UTF-8.
  virtual std::string Translate(std::string_view Src, bool ToStorage, std::size_t MaxBytes = std::string::npos);

  // Data-aware controls.
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return FDisableCount != 0; }
  // The master source of a detail dataset (nullptr: none), for the circular-link check.
  virtual TDataSource* GetDataSource() const { return nullptr; }
  // Sends a data event to the data sources: Info is the TField* (reinterpret_cast) for
  // field events, the buffers' shift for deDataSetScroll, else 0.
  virtual void DataEvent(TDataEvent Event, std::intptr_t Info);
  // The cursor follows the active record again before the next operation that needs it.
  void CursorPosChanged() { FCurrentRecord = -1; }
  void UpdateCursorPos();
  virtual bool GetCurrentRecord(TRecordBuffer Buffer);

  // The record window (see above).
  int BufferCount() const { return FBufferCount; }
  int BufferedRecordCount() const { return FRecordCount; }
  int ActiveRecord() const { return FActiveRecord; }
  void SetActiveRecord(int Value) { FActiveRecord = Value; }
  TRecordBuffer ActiveBuffer() const;
  TRecordBuffer CalcBuffer() const { return FCalcBuffer; }
  TRecordBuffer Buffers(int Index) const { return FBuffers[static_cast<size_t>(Index)]; }
  int CalcFieldsSize() const { return FCalcFieldsSize; }
  int BookmarkSize() const { return FBookmarkSize; }

  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  TDataSetNotifyEvent BeforeRefresh, AfterRefresh;
  TDataSetNotifyEvent OnNewRecord, OnCalcFields;
  TDataSetErrorEvent OnEditError, OnPostError, OnDeleteError;
  TFilterRecordEvent OnFilterRecord;

  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, int Order) override;

 protected:
  // ---- What descendants implement ----
  virtual TRecordBuffer AllocRecordBuffer() = 0;
  virtual void FreeRecordBuffer(TRecordBuffer& Buffer) = 0;
  // Fetches the current, next or prior record into Buffer; DoCheck: raise on failure.
  virtual TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) = 0;
  virtual int GetRecordSize() = 0;
  virtual void GetBookmarkData(TRecordBuffer Buffer, void* Data) = 0;
  virtual void SetBookmarkData(TRecordBuffer Buffer, const void* Data) = 0;
  virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) = 0;
  virtual void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) = 0;
  virtual void InternalGotoBookmark(const void* Bookmark) = 0;
  virtual void InternalSetToRecord(TRecordBuffer Buffer) = 0;
  virtual void InternalFirst() = 0;  // before the first record
  virtual void InternalLast() = 0;   // after the last record
  virtual void InternalInitFieldDefs() = 0;
  // Opens the cursor before the first record: builds the field definitions, makes default
  // fields when DefaultFields (CreateFields), binds them (BindFields) and sets BookmarkSize.
  virtual void InternalOpen() = 0;
  virtual void InternalClose() = 0;
  virtual bool IsCursorOpen() const = 0;
  virtual void InternalHandleException() {}
  virtual void InternalInitRecord(TRecordBuffer Buffer) = 0;
  virtual void InternalAddRecord(TRecordBuffer Buffer, bool Append) = 0;
  virtual void InternalDelete() = 0;
  virtual void InternalPost() = 0;
  virtual void InternalEdit() {}
  virtual void InternalCancel() {}
  virtual void InternalInsert() {}
  virtual void InternalRefresh() {}
  // The native value of a field of the buffer the state chooses (nullptr Buffer: only
  // whether there is one); false for null.
  virtual bool GetFieldData(TField* Field, void* Buffer) = 0;
  // Stores a native value (nullptr: null); sends deFieldChange where the state wants it.
  virtual void SetFieldData(TField* Field, const void* Buffer) = 0;
  virtual void ClearCalcFields(TRecordBuffer /*Buffer*/) {}
  // Rebuilds IndexDefs (TIndexDefs::Update asks for it).
  virtual void UpdateIndexDefs() {}
  virtual int GetRecordCount() { return -1; }
  virtual bool GetCanModify() { return true; }
  virtual void CheckActive();
  void CheckInactive();

  // ---- Helpers for descendants ----
  void CreateFields();
  // Binding: data fields take their field numbers, calculated and lookup fields their
  // offsets in the calculated-fields area (a presence byte, then the value).
  void BindFields(bool Binding);
  void DestroyFields();
  // Computes calculated and lookup fields into Buffer (called by GetRecord).
  void GetCalcFields(TRecordBuffer Buffer);
  void CheckRequiredFields();
  // A state for a moment, without telling anyone.
  TDataSetState SetTempState(TDataSetState Value);
  void RestoreState(TDataSetState Value);
  void SetState(TDataSetState Value);
  void SetModified(bool Value) { FModified = Value; }
  void SetBookmarkSize(int Value) { FBookmarkSize = Value; }
  void SetCalcBuffer(TRecordBuffer Value) { FCalcBuffer = Value; }
  void ClearBuffers();
  // Fetches the remaining records after / before the run.
  int GetNextRecords();
  int GetPriorRecords();
  bool FieldDefsUpdated() const { return FFieldDefsUpdated; }
  void SetFieldDefsUpdated(bool Value) { FFieldDefsUpdated = Value; }
  void InitFieldDefs();

  virtual void DoBeforeOpen() { if (BeforeOpen) BeforeOpen(this); }
  virtual void DoAfterOpen() { if (AfterOpen) AfterOpen(this); }
  virtual void DoBeforeClose() { if (BeforeClose) BeforeClose(this); }
  virtual void DoAfterClose() { if (AfterClose) AfterClose(this); }
  virtual void DoBeforeInsert() { if (BeforeInsert) BeforeInsert(this); }
  virtual void DoAfterInsert() { if (AfterInsert) AfterInsert(this); }
  virtual void DoBeforeEdit() { if (BeforeEdit) BeforeEdit(this); }
  virtual void DoAfterEdit() { if (AfterEdit) AfterEdit(this); }
  virtual void DoBeforePost() { if (BeforePost) BeforePost(this); }
  virtual void DoAfterPost() { if (AfterPost) AfterPost(this); }
  virtual void DoBeforeCancel() { if (BeforeCancel) BeforeCancel(this); }
  virtual void DoAfterCancel() { if (AfterCancel) AfterCancel(this); }
  virtual void DoBeforeDelete() { if (BeforeDelete) BeforeDelete(this); }
  virtual void DoAfterDelete() { if (AfterDelete) AfterDelete(this); }
  virtual void DoBeforeScroll() { if (BeforeScroll) BeforeScroll(this); }
  virtual void DoAfterScroll() { if (AfterScroll) AfterScroll(this); }
  virtual void DoOnNewRecord() { if (OnNewRecord) OnNewRecord(this); }
  virtual void DoOnCalcFields() { if (OnCalcFields) OnCalcFields(this); }

  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TDataSource;
  friend class TDataLink;
  friend class TField;
  friend class TFieldDefs;
  friend class TIndexDefs;

  void OpenCursor();
  void CloseCursor();
  void SetBufListSize(int Value);
  void SetBufferCount(int Value);
  void UpdateBufferCount();
  bool GetNextRecord();
  bool GetPriorRecord();
  void ActivateBuffers();
  void MoveBuffer(int CurIndex, int NewIndex);
  void SetCurrentRecord(int Index);
  void BeginInsertAppend();
  void EndInsertAppend();
  void InitRecord(TRecordBuffer Buffer);
  void CheckCanModify();
  void UpdateCalcFields();
  void CheckOperation(const std::function<void()>& Operation, const TDataSetErrorEvent& ErrorEvent);
  void SetFields(std::initializer_list<TVariant> Values);
  // Scans for a record whose key fields match (without moving the visible position); on
  // success the cursor stands on it and its bookmark is returned.
  bool LocateRecord(const String& KeyFields, const TVariant& KeyValues, TLocateOptions Options,
                    TBookmarkStr& Found);
  void AddDataSource(TDataSource* Source);
  void RemoveDataSource(TDataSource* Source);
  std::vector<TDataLink*> AllLinks() const;

  TDataSetState FState = dsInactive;
  std::unique_ptr<TFields> FFields;
  std::unique_ptr<TFieldDefs> FFieldDefs;
  std::vector<TDataSource*> FDataSources;
  std::vector<TRecordBuffer> FBuffers;  // BufferCount + 1: the last one is scratch
  int FBufferCount = 0;
  int FRecordCount = 0;
  int FActiveRecord = 0;
  int FCurrentRecord = -1;
  TRecordBuffer FCalcBuffer = nullptr;
  int FCalcFieldsSize = 0;
  int FBookmarkSize = 0;
  bool FBOF = true;
  bool FEOF = true;
  bool FModified = false;
  bool FStreamedActive = false;
  bool FInternalOpenComplete = false;
  bool FDefaultFields = false;
  bool FAutoCalcFields = true;
  bool FFieldDefsUpdated = false;
  bool FFiltered = false;
  String FFilterText;
  TFilterOptions FFilterOptions;
  int FDisableCount = 0;
  TDataSetState FDisableState = dsInactive;
  TDataEvent FEnableEvent = deDataSetChange;
};

// ---- Data sources and links ----

class TDataSource : public TComponent {
  HX_CLASS(TDataSource, TComponent)
 public:
  explicit TDataSource(TComponent* AOwner);
  ~TDataSource() override;

  TDataSet* GetDataSet() const { return FDataSet; }
  // Refuses a dataset whose master chain leads back here ("Циклические связи данных не
  // разрешены").
  void SetDataSet(TDataSet* Value);
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool GetAutoEdit() const { return FAutoEdit; }
  void SetAutoEdit(bool Value) { FAutoEdit = Value; }
  // The dataset's state, dsInactive while disabled or without a dataset.
  TDataSetState State() const { return FState; }
  // Puts the dataset into edit state when AutoEdit and it is browsing.
  void Edit();
  // Whether DataSet's chain of master sources reaches this source.
  bool IsLinkedTo(TDataSet* DataSet) const;
  int DataLinkCount() const { return static_cast<int>(FDataLinks.size()); }

  TNotifyEvent OnStateChange;
  TDataChangeEvent OnDataChange;
  TNotifyEvent OnUpdateData;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TDataSet;
  friend class TDataLink;
  void AddDataLink(TDataLink* Link);
  void RemoveDataLink(TDataLink* Link);
  void DataEvent(TDataEvent Event, std::intptr_t Info);
  void NotifyDataLinks(TDataEvent Event, std::intptr_t Info);
  void UpdateState();
  void SetState(TDataSetState Value);

  TDataSet* FDataSet = nullptr;
  std::vector<TDataLink*> FDataLinks;
  TDataSetState FState = dsInactive;
  bool FEnabled = true;
  bool FAutoEdit = true;
};

class TDataLink : public TPersistent {
  HX_CLASS(TDataLink, TPersistent)
 public:
  TDataLink();
  ~TDataLink() override;

  TDataSource* GetDataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* Value);
  TDataSet* DataSet() const;
  // The source's dataset is open and the source enabled.
  bool Active() const { return FActive; }
  // The dataset is editing (edit, insert or set-key).
  bool Editing() const { return FEditing; }
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  // The rows this link shows (at least 1).
  int GetBufferCount() const { return FBufferCount; }
  void SetBufferCount(int Value);
  // The current record's row, and switching rows (to read another row's fields).
  int GetActiveRecord() const;
  void SetActiveRecord(int Value);
  // Filled rows.
  int RecordCount() const;
  // Asks for edit state (through the source's AutoEdit); whether the dataset is editing.
  bool Edit();
  // Writes this control's pending edit (UpdateData), not echoed back as RecordChanged.
  void UpdateRecord();
  int MoveBy(int Distance);
  // Links of visual controls hear events after the others.
  bool VisualControl = false;

 protected:
  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  virtual void DataSetScrolled(int /*Distance*/) { DataSetChanged(); }
  // Field is a TField**: a link whose control shows *Field takes the focus and clears it.
  virtual void FocusControl(TField** /*Field*/) {}
  virtual void EditingChanged() {}
  // The dataset is about to close while editing: a control with an edit of its own writes
  // and posts it now (what it raises keeps the dataset open).
  virtual void DataSetClosing() {}
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void RecordChanged(TField* /*Field*/) {}
  virtual void UpdateData() {}

 private:
  friend class TDataSource;
  friend class TDataSet;
  void DataEvent(TDataEvent Event, std::intptr_t Info);
  void UpdateState();
  void SetActive(bool Value);
  void SetEditing(bool Value);
  void UpdateRange();

  TDataSource* FDataSource = nullptr;
  int FFirstRecord = 0;
  int FBufferCount = 1;
  bool FActive = false;
  bool FEditing = false;
  bool FReadOnly = false;
  bool FUpdating = false;
};

// Switches a link to another of its rows for a scope (to read that row's fields) and back to
// the row it was on when the scope ends, also by an exception.
class TActiveRecordScope {
 public:
  TActiveRecordScope(TDataLink* Link, int Record) : FLink(Link), FOld(Link->GetActiveRecord()) {
    FLink->SetActiveRecord(Record);
  }
  ~TActiveRecordScope() { FLink->SetActiveRecord(FOld); }
  TActiveRecordScope(const TActiveRecordScope&) = delete;
  TActiveRecordScope& operator=(const TActiveRecordScope&) = delete;

 private:
  TDataLink* FLink;
  int FOld;
};

// A detail dataset's link to its master: Fields are the master's fields named in
// FieldNames; OnMasterChange tells of a new master record (or a change of those fields),
// OnMasterDisable of the master closing.
class TMasterDataLink : public TDataLink {
  HX_CLASS(TMasterDataLink, TDataLink)
 public:
  explicit TMasterDataLink(TDataSet* DataSet) : FDataSet(DataSet) {}
  TDataSet* DetailDataSet() const { return FDataSet; }
  const String& GetFieldNames() const { return FFieldNames; }
  void SetFieldNames(const String& Value);
  const std::vector<TField*>& Fields() const { return FFields; }
  TNotifyEvent OnMasterChange;
  TNotifyEvent OnMasterDisable;

 protected:
  void ActiveChanged() override;
  void CheckBrowseMode() override;
  void LayoutChanged() override { ActiveChanged(); }
  void RecordChanged(TField* Field) override;

 private:
  TDataSet* FDataSet;
  String FFieldNames;
  std::vector<TField*> FFields;
};
