#pragma once
// Property storage: a form that owns a TPropStorage remembers chosen published properties
// of itself and its components (StoredProps, paths as desktop/propfiler.h describes them)
// between runs. They are loaded when the form is shown and saved when it closes (and, when
// it was loaded but never closed, when it is destroyed), through a storage manager;
// TRegPropStorageMan keeps them in the registry, under Path\Section, as the text form of
// the stream, one string value a line ("Line0000000000", "Line0000000001" …), or as
// hexadecimal pieces of 80 characters when WriteAsText is off.
//
//   object PropStorage1: TPropStorage
//     Section = 'MicroFont'
//     StorageManager = RegPropStorageMan1
//     StoredProps.Strings = (
//       'Label1.<P>.Font.Name'
//       'Label1.<P>.Font.Size')
//   end
//   object RegPropStorageMan1: TRegPropStorageMan
//     Path = '\Software\Fernwick\Horavox'
//   end
//
// Stored data is outside input: what cannot be read is skipped value by value, and a load
// never raises. Windows only.
#include <functional>
#include <memory>
#include <vector>

#include "classlib/windows/forms.h"
#include "desktop/propfiler.h"

struct HKEY__;
typedef HKEY__* HKEY;

class TPropStorageManager;

using TWriteCustomPropsEvent = std::function<void(TObject* Sender, TPropWriter* Writer)>;
using TReadPropEvent =
    std::function<void(TObject* Sender, TPropReader* Reader, const String& PropName, bool& Processed)>;

class TPropStorage : public TComponent {
  HX_CLASS(TPropStorage, TComponent)
 public:
  explicit TPropStorage(TComponent* AOwner);
  ~TPropStorage() override;

  bool GetActive() const { return FActive; }
  void SetActive(bool Value) { FActive = Value; }
  // Empty: a section from the owner (a form's class name "TForm2"; a control's name after
  // its form's class name; "TForm1.Name" for a component of a form's component).
  String GetSection() const;
  void SetSection(const String& Value) { FSection = Value; }
  // nullptr: the default manager (SetDefaultPropStorageManager), when there is one.
  TPropStorageManager* GetStorageManager() const { return FStorageManager; }
  void SetStorageManager(TPropStorageManager* Value);
  TPropertyNames* GetStoredProps() const { return FStoredProps.get(); }
  void SetStoredProps(TPropertyNames* Value) { FStoredProps->Assign(Value); }

  // Reads the stored properties onto the owner. Never raises for what is stored.
  void LoadProperties();
  // Writes them; ignored while a load is being applied. Raises what the manager raises.
  void SaveProperties();
  // Whether the save under way is the one at the form's destruction.
  bool Closing() const { return FClosing; }

  TNotifyEvent BeforeLoadProps;
  TNotifyEvent AfterLoadProps;
  TNotifyEvent BeforeSaveProps;
  TNotifyEvent AfterSaveProps;
  // Writes properties of its own after the owner's stored ones.
  TWriteCustomPropsEvent OnWriteCustomProps;
  // May read a property itself and say so by Processed.
  TReadPropEvent OnReadProp;

 protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TPropStorageManager* Manager() const;
  bool IsSectionStored() const;
  void FormShow();
  void FormCloseQuery(bool& CanClose);
  void FormDestroy();
  void SaveReporting();

  bool FActive = true;
  String FSection;
  TPropStorageManager* FStorageManager = nullptr;
  std::unique_ptr<TPropertyNames> FStoredProps;
  bool FLoadedSinceSave = false;
  bool FLoading = false;
  bool FClosing = false;
  bool FSaveFailureReported = false;
  TCustomForm* FForm = nullptr;  // the owner form it listens to
  int FShowToken = 0;
  int FCloseQueryToken = 0;
  int FDestroyToken = 0;
};

// Reads and writes storages. The base reads nothing and keeps nothing; descendants keep
// the stream somewhere (ReadProperties, WriteBinary, WriteText).
class TPropStorageManager : public TComponent {
  HX_CLASS(TPropStorageManager, TComponent)
 public:
  explicit TPropStorageManager(TComponent* AOwner) : TComponent(AOwner) {}
  ~TPropStorageManager() override;

  bool GetWriteAsText() const { return FWriteAsText; }
  void SetWriteAsText(bool Value) { FWriteAsText = Value; }

  virtual void ReadProperties(TPropStorage* Storage);
  // Applies a form stream, binary or text, to the storage's owner; Exception "Invalid
  // stream format." for anything else.
  virtual void ReadFromStream(TPropStorage* Storage, TStream* Stream);
  // Writes the storage's stream and hands it, as text or binary, to WriteText or WriteBinary.
  virtual void WriteProperties(TPropStorage* Storage);
  virtual void WriteBinary(TPropStorage* Storage, TStream* Stream);
  virtual void WriteText(TPropStorage* Storage, const String& Text);

 private:
  bool FWriteAsText = true;
};

// The manager storages without their own use (none unless set; cleared when it goes).
TPropStorageManager* DefaultPropStorageManager();
void SetDefaultPropStorageManager(TPropStorageManager* Manager);

HX_ENUM(TRegistryKey, rkClassesRoot, rkCurrentUser, rkLocalMachine, rkUsers, rkPerformanceData, rkCurrentConfig,
        rkDynData, rkCustomRegistryKey);

class TRegPropStorageMan : public TPropStorageManager {
  HX_CLASS(TRegPropStorageMan, TPropStorageManager)
 public:
  explicit TRegPropStorageMan(TComponent* AOwner);

  TRegistryKey GetRegistryKey() const { return FRegistryKey; }
  // Selects the root key; rkCustomRegistryKey keeps the one there is.
  void SetRegistryKey(TRegistryKey Value);
  HKEY GetRootKey() const { return FRootKey; }
  // Any root key (the registry key becomes rkCustomRegistryKey).
  void SetRootKey(HKEY Value);
  // Empty: "Software\" and the application's title (or the program's name).
  const String& GetPath() const { return FPath; }
  void SetPath(const String& Value) { FPath = Value; }
  // Path\Section of a storage.
  String StorageKey(TPropStorage* Storage) const;

  // A value named like the section directly under Path (an older way of keeping one
  // storage) is read once and deleted, also when it cannot be read; otherwise the lines.
  void ReadProperties(TPropStorage* Storage) override;
  void WriteBinary(TPropStorage* Storage, TStream* Stream) override;
  void WriteText(TPropStorage* Storage, const String& Text) override;

  // "Line0000000007".
  static String LineName(int Index);

 private:
  String BasePath() const;
  void WriteLines(TPropStorage* Storage, const std::vector<String>& Lines);

  TRegistryKey FRegistryKey = rkCurrentUser;
  HKEY FRootKey;
  String FPath;
};

// Stands in for a form: its place is the normal one (not the maximised bounds), scaled
// from the pixels per inch it was stored at to the screen's, with its state and active
// control. Registered for TCustomForm.
class TFormStoragePropertyInterceptor : public TStoragePropertyInterceptor {
  HX_CLASS(TFormStoragePropertyInterceptor, TStoragePropertyInterceptor)
 public:
  explicit TFormStoragePropertyInterceptor(TPersistent* Target);

  TWinControl* GetActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* Value);
  int GetLeft() const { return FLeft; }
  void SetLeft(int Value);
  int GetTop() const { return FTop; }
  void SetTop(int Value);
  int GetWidth() const { return FWidth; }
  void SetWidth(int Value);
  int GetHeight() const { return FHeight; }
  void SetHeight(int Value);
  int GetPixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value) { FPixelsPerInch = Value; }
  TWindowState GetWindowState() const { return FWindowState; }
  void SetWindowState(TWindowState Value);
  bool PositionChanged() const { return FPositionChanged; }

  void Apply() override;

 private:
  TCustomForm* FForm;
  TWinControl* FActiveControl;
  int FLeft, FTop, FWidth, FHeight;
  int FPixelsPerInch;
  TWindowState FWindowState;
  bool FPositionChanged = false;  // Left or Top read
  unsigned FBoundsRead = 0;       // which of Left, Top, Width, Height were read
  bool FStateChanged = false;
  bool FActiveControlChanged = false;
};
