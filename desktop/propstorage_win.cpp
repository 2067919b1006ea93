#include "desktop/propstorage.h"

#include <set>

#include "classlib/windows/application.h"
#include "classlib/core/files.h"
#include "classlib/core/formtext.h"
#include "classlib/core/registry.h"
#include "classlib/core/text.h"
#include "classlib/core/winapi.h"

HX_PUBLISH(TPropStorage, p) {
  p.Property("Active", &TPropStorage::GetActive, &TPropStorage::SetActive).Default(true);
  p.Property("Section", &TPropStorage::GetSection, &TPropStorage::SetSection)
      .Stored(&TPropStorage::IsSectionStored);
  p.Property("StorageManager", &TPropStorage::GetStorageManager, &TPropStorage::SetStorageManager);
  p.Property("StoredProps", &TPropStorage::GetStoredProps, &TPropStorage::SetStoredProps);
  p.Event("AfterLoadProps", &TPropStorage::AfterLoadProps);
  p.Event("AfterSaveProps", &TPropStorage::AfterSaveProps);
  p.Event("BeforeLoadProps", &TPropStorage::BeforeLoadProps);
  p.Event("BeforeSaveProps", &TPropStorage::BeforeSaveProps);
  p.Event("OnReadProp", &TPropStorage::OnReadProp);
  p.Event("OnWriteCustomProps", &TPropStorage::OnWriteCustomProps);
}

HX_PUBLISH(TPropStorageManager, p) {
  p.Property("WriteAsText", &TPropStorageManager::GetWriteAsText, &TPropStorageManager::SetWriteAsText)
      .Default(true);
}

HX_PUBLISH(TRegPropStorageMan, p) {
  p.Property("RegistryKey", &TRegPropStorageMan::GetRegistryKey, &TRegPropStorageMan::SetRegistryKey)
      .Default(rkCurrentUser);
  p.Property("Path", &TRegPropStorageMan::GetPath, &TRegPropStorageMan::SetPath).Default("");
}

HX_PUBLISH(TFormStoragePropertyInterceptor, p) {
  using I = TFormStoragePropertyInterceptor;
  p.Property("ActiveControl", &I::GetActiveControl, &I::SetActiveControl);
  p.Property("Height", &I::GetHeight, &I::SetHeight);
  p.Property("Left", &I::GetLeft, &I::SetLeft);
  p.Property("PixelsPerInch", &I::GetPixelsPerInch, &I::SetPixelsPerInch);
  p.Property("Top", &I::GetTop, &I::SetTop);
  p.Property("Width", &I::GetWidth, &I::SetWidth);
  p.Property("WindowState", &I::GetWindowState, &I::SetWindowState);
}

[[maybe_unused]] static const bool HxFormInterceptorRegistered =
    (RegisterPropertyInterceptor<TFormStoragePropertyInterceptor>(ClassOf<TCustomForm>()), true);

// ---- TPropStorage ----

TPropStorage::TPropStorage(TComponent* AOwner) : TComponent(AOwner), FStoredProps(std::make_unique<TPropertyNames>()) {
  FStoredProps->SetRoot(AOwner);
}

TPropStorage::~TPropStorage() {
  Destroying();
  // A form that is going has dropped its listeners already.
  if (FForm && !FForm->ComponentState().Contains(csDestroying)) {
    FForm->ShowListeners.Remove(FShowToken);
    FForm->CloseQueryListeners.Remove(FCloseQueryToken);
    FForm->DestroyListeners.Remove(FDestroyToken);
  }
  SetStorageManager(nullptr);
}

String TPropStorage::GetSection() const {
  if (!FSection.empty() || ComponentState().Contains(csDesigning)) return FSection;
  TComponent* owner = Owner();
  if (!owner) return String();
  if (dynamic_cast<TCustomForm*>(owner)) return owner->ClassName();
  if (auto* control = dynamic_cast<TControl*>(owner)) {
    if (TCustomForm* form = GetParentForm(control)) return form->ClassName() + control->GetName();
    return (control->GetParent() ? control->GetParent()->GetName() : String()) + control->GetName();
  }
  if (owner->Owner() && owner->Owner()->InheritsFrom(ClassOf<TForm>()))
    return owner->Owner()->ClassName() + "." + owner->GetName();
  return owner->GetName();
}

bool TPropStorage::IsSectionStored() const { return !FSection.empty(); }

void TPropStorage::SetStorageManager(TPropStorageManager* Value) {
  if (Value == FStorageManager) return;
  if (FStorageManager) FStorageManager->RemoveFreeNotification(this);
  FStorageManager = Value;
  if (Value) Value->FreeNotification(this);
}

void TPropStorage::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FStorageManager) FStorageManager = nullptr;
}

void TPropStorage::Loaded() {
  bool loading = ComponentState().Contains(csLoading);
  TComponent::Loaded();
  // The paths were read before the components they name: checked now.
  FStoredProps->SetRoot(Owner());
  if (!loading || ComponentState().Contains(csDesigning) || FForm) return;
  if (auto* form = dynamic_cast<TCustomForm*>(Owner())) {
    FForm = form;
    FShowToken = form->ShowListeners.Add([this](TObject*) { FormShow(); });
    FCloseQueryToken = form->CloseQueryListeners.Add([this](TObject*, bool& CanClose) { FormCloseQuery(CanClose); });
    FDestroyToken = form->DestroyListeners.Add([this](TObject*) { FormDestroy(); });
  }
}

TPropStorageManager* TPropStorage::Manager() const {
  return FStorageManager ? FStorageManager : DefaultPropStorageManager();
}

void TPropStorage::LoadProperties() {
  if (BeforeLoadProps) BeforeLoadProps(this);
  FLoadedSinceSave = true;
  if (TPropStorageManager* manager = Manager()) {
    FLoading = true;
    try {
      manager->ReadProperties(this);
    } catch (const Exception&) {
      // What is stored could not be read: the properties keep their values.
    }
    FLoading = false;
  }
  if (AfterLoadProps) AfterLoadProps(this);
}

void TPropStorage::SaveProperties() {
  // A handler that saves while a load is applied would store a half-applied state.
  if (FLoading) return;
  if (BeforeSaveProps) BeforeSaveProps(this);
  if (TPropStorageManager* manager = Manager()) {
    manager->WriteProperties(this);
    FLoadedSinceSave = false;
  }
  if (AfterSaveProps) AfterSaveProps(this);
}

void TPropStorage::FormShow() {
  if (!FActive) return;
  try {
    LoadProperties();
  } catch (...) {
    GetApplication()->HandleException(std::current_exception(), this);
  }
}

void TPropStorage::FormCloseQuery(bool& CanClose) {
  if (CanClose && FActive && FForm->HandleAllocated()) SaveReporting();
}

void TPropStorage::FormDestroy() {
  // Only what was loaded is saved: a form never shown would write its resource's values
  // over the stored ones.
  if (!FActive || !FLoadedSinceSave) return;
  FClosing = true;
  SaveReporting();
  FClosing = false;
}

void TPropStorage::SaveReporting() {
  try {
    SaveProperties();
  } catch (...) {
    // The window closes all the same; the user hears of it once.
    if (FSaveFailureReported) return;
    FSaveFailureReported = true;
    GetApplication()->HandleException(std::current_exception(), this);
  }
}

// ---- TPropStorageManager ----

namespace {
TPropStorageManager* GDefaultManager = nullptr;
}

TPropStorageManager* DefaultPropStorageManager() { return GDefaultManager; }
void SetDefaultPropStorageManager(TPropStorageManager* Manager) { GDefaultManager = Manager; }

TPropStorageManager::~TPropStorageManager() {
  if (GDefaultManager == this) GDefaultManager = nullptr;
}

void TPropStorageManager::ReadProperties(TPropStorage*) {}
void TPropStorageManager::WriteBinary(TPropStorage*, TStream*) {}
void TPropStorageManager::WriteText(TPropStorage*, const String&) {}

void TPropStorageManager::ReadFromStream(TPropStorage* Storage, TStream* Stream) {
  TMemoryStream binary;
  switch (TestStreamFormat(Stream)) {
    case sofText: ObjectTextToBinary(Stream, &binary); break;
    case sofBinary: binary.CopyFrom(Stream, Stream->GetSize() - Stream->GetPosition()); break;
    default: throw Exception("Invalid stream format.");
  }
  if (!Storage->Owner()) return;
  binary.SetPosition(0);
  TPropReader reader(&binary);
  reader.OnReadProp = [Storage](TPropReader* Reader, const String& Name, bool& Processed) {
    if (Storage->OnReadProp) Storage->OnReadProp(Storage, Reader, Name, Processed);
  };
  reader.ReadStorage(Storage->Owner());
}

void TPropStorageManager::WriteProperties(TPropStorage* Storage) {
  if (!Storage->Owner()) return;
  TMemoryStream binary;
  {
    TPropWriter writer(&binary);
    writer.WriteStorage(Storage->Owner(), Storage->GetStoredProps(), [Storage](TPropWriter* Writer) {
      if (Storage->OnWriteCustomProps) Storage->OnWriteCustomProps(Storage, Writer);
    });
  }
  binary.SetPosition(0);
  if (FWriteAsText) {
    TStringStream text;
    ObjectBinaryToText(&binary, &text);
    WriteText(Storage, text.DataString());
  } else {
    WriteBinary(Storage, &binary);
  }
}

// ---- TRegPropStorageMan ----

namespace {

HKEY RootKeyOf(TRegistryKey Key) {
  switch (Key) {
    case rkClassesRoot: return HKEY_CLASSES_ROOT;
    case rkLocalMachine: return HKEY_LOCAL_MACHINE;
    case rkUsers: return HKEY_USERS;
    case rkPerformanceData: return HKEY_PERFORMANCE_DATA;
    case rkCurrentConfig: return HKEY_CURRENT_CONFIG;
    case rkDynData: return HKEY_DYN_DATA;
    default: return HKEY_CURRENT_USER;
  }
}

constexpr size_t kHexPiece = 80;

}  // namespace

TRegPropStorageMan::TRegPropStorageMan(TComponent* AOwner)
    : TPropStorageManager(AOwner), FRootKey(HKEY_CURRENT_USER) {}

void TRegPropStorageMan::SetRegistryKey(TRegistryKey Value) {
  FRegistryKey = Value;
  if (Value != rkCustomRegistryKey) FRootKey = RootKeyOf(Value);
}

void TRegPropStorageMan::SetRootKey(HKEY Value) {
  FRootKey = Value;
  FRegistryKey = rkCustomRegistryKey;
}

String TRegPropStorageMan::LineName(int Index) {
  String digits = std::to_string(Index);
  return "Line" + String(digits.size() < 10 ? 10 - digits.size() : 0, '0') + digits;
}

String TRegPropStorageMan::BasePath() const {
  if (!FPath.empty()) return FPath;
  String title = GetApplication()->GetTitle();
  if (title.empty()) title = ChangeFileExt(ExtractFileName(GetApplication()->ExeName()), "");
  return "Software\\" + title;
}

String TRegPropStorageMan::StorageKey(TPropStorage* Storage) const {
  return BasePath() + "\\" + Storage->GetSection();
}

void TRegPropStorageMan::ReadProperties(TPropStorage* Storage) {
  TRegistry reg;
  reg.SetRootKey(FRootKey);
  String section = Storage->GetSection();
  if (reg.OpenKey(BasePath(), false) && reg.ValueExists(section)) {
    // Read once: deleted whether it could be applied or not.
    struct TDeleteValue {
      TRegistry& Reg;
      const String& Name;
      ~TDeleteValue() { Reg.DeleteValue(Name); }
    } deleteValue{reg, section};
    TRegDataInfo info;
    reg.GetDataInfo(section, info);
    String bytes;
    if (info.RegData == rdString || info.RegData == rdExpandString) {
      bytes = reg.ReadString(section);
    } else {
      bytes.resize(static_cast<size_t>(info.DataSize));
      bytes.resize(static_cast<size_t>(reg.ReadBinaryData(section, bytes.data(), info.DataSize)));
    }
    TStringStream stream(bytes);
    ReadFromStream(Storage, &stream);
    return;
  }
  reg.CloseKey();
  if (!reg.OpenKey(StorageKey(Storage), false)) return;
  std::vector<String> names;
  reg.GetValueNames(names);
  std::set<String> present;
  for (const String& n : names) present.insert(UpperCase(n));
  std::vector<String> lines;
  for (int i = 0; present.count(UpperCase(LineName(i))); ++i) lines.push_back(reg.ReadString(LineName(i)));
  if (lines.empty()) return;
  TStringStream first(lines[0]);
  String data;
  if (TestStreamFormat(&first) == sofText) {
    for (size_t i = 0; i < lines.size(); ++i) data += (i ? "\r\n" : "") + lines[i];
  } else {
    String hex;
    for (const String& line : lines) hex += line;
    if (!HexToBytes(hex, data)) throw Exception("Invalid hexadecimal data under " + StorageKey(Storage));
  }
  TStringStream stream(data);
  ReadFromStream(Storage, &stream);
}

void TRegPropStorageMan::WriteLines(TPropStorage* Storage, const std::vector<String>& Lines) {
  TRegistry reg;
  reg.SetRootKey(FRootKey);
  String key = StorageKey(Storage);
  if (!reg.OpenKey(key, true)) throw ERegistryException("Cannot open the registry key " + key);
  int i = 0;
  for (; i < static_cast<int>(Lines.size()); ++i) reg.WriteString(LineName(i), Lines[i]);
  // Lines of a longer earlier stream go, up to the first gap.
  for (; reg.ValueExists(LineName(i)); ++i) reg.DeleteValue(LineName(i));
}

void TRegPropStorageMan::WriteText(TPropStorage* Storage, const String& Text) {
  TStringList lines;
  lines.SetText(Text);
  std::vector<String> list;
  for (int i = 0; i < lines.Count(); ++i) list.push_back(lines[i]);
  WriteLines(Storage, list);
}

void TRegPropStorageMan::WriteBinary(TPropStorage* Storage, TStream* Stream) {
  String hex = BytesToHex(StreamToString(Stream));
  std::vector<String> pieces;
  for (size_t i = 0; i < hex.size(); i += kHexPiece) pieces.push_back(hex.substr(i, kHexPiece));
  WriteLines(Storage, pieces);
}

// ---- TFormStoragePropertyInterceptor ----

namespace {
enum : unsigned { kLeftRead = 1, kTopRead = 2, kWidthRead = 4, kHeightRead = 8 };
}

TFormStoragePropertyInterceptor::TFormStoragePropertyInterceptor(TPersistent* Target)
    : TStoragePropertyInterceptor(Target), FForm(dynamic_cast<TCustomForm*>(Target)) {
  if (!FForm) throw EInvalidOperation("A form interceptor stands in for forms only");
  TRect r = FForm->GetWindowState() != wsNormal && FForm->HandleAllocated() ? FForm->NormalBounds()
                                                                           : FForm->GetBoundsRect();
  FLeft = r.Left;
  FTop = r.Top;
  FWidth = r.Width();
  FHeight = r.Height();
  FPixelsPerInch = FForm->GetPixelsPerInch();
  FWindowState = FForm->GetWindowState();
  FActiveControl = FForm->GetActiveControl();
}

void TFormStoragePropertyInterceptor::SetActiveControl(TWinControl* Value) {
  FActiveControl = Value;
  FActiveControlChanged = true;
}

void TFormStoragePropertyInterceptor::SetLeft(int Value) {
  FLeft = Value;
  FBoundsRead |= kLeftRead;
  FPositionChanged = true;
}

void TFormStoragePropertyInterceptor::SetTop(int Value) {
  FTop = Value;
  FBoundsRead |= kTopRead;
  FPositionChanged = true;
}

void TFormStoragePropertyInterceptor::SetWidth(int Value) {
  FWidth = Value;
  FBoundsRead |= kWidthRead;
}

void TFormStoragePropertyInterceptor::SetHeight(int Value) {
  FHeight = Value;
  FBoundsRead |= kHeightRead;
}

void TFormStoragePropertyInterceptor::SetWindowState(TWindowState Value) {
  FWindowState = Value;
  FStateChanged = true;
}

void TFormStoragePropertyInterceptor::Apply() {
  // Only the values read are in stored pixels; the others are the form's own. A stored
  // resolution of 0 or less scales nothing.
  int screen = Screen->PixelsPerInch();
  auto scaled = [&](int Value, unsigned Read) {
    return (FBoundsRead & Read) && FPixelsPerInch > 0 ? MulDiv(Value, screen, FPixelsPerInch) : Value;
  };
  if (FStateChanged) FForm->SetWindowState(FWindowState);
  if (FBoundsRead) {
    int left = scaled(FLeft, kLeftRead), top = scaled(FTop, kTopRead);
    FForm->SetNormalBounds(Rect(left, top, left + scaled(FWidth, kWidthRead), top + scaled(FHeight, kHeightRead)));
  }
  TPosition position = FForm->GetPosition();
  if (FPositionChanged && (position == poScreenCenter || position == poDesktopCenter) &&
      !FForm->ComponentState().Contains(csDesigning))
    FForm->SetPosition(poDesigned);
  if (FActiveControlChanged && FActiveControl != FForm->GetActiveControl()) FForm->SetActiveControl(FActiveControl);
}
