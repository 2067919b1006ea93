#include "desktop/dsklabels.h"

#include <cwchar>
#include <vector>

#include "classlib/windows/dialogs.h"
#include "classlib/core/files.h"
#include "classlib/windows/forms.h"
#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"

#include <shellapi.h>

HX_PUBLISH(TDskVersionLabel, p) {
  p.Property("VersionRes", &TDskVersionLabel::GetVersionRes, &TDskVersionLabel::SetVersionRes).Default(verFileVersion);
  p.Property("VersionResKey", &TDskVersionLabel::GetVersionResKey, &TDskVersionLabel::SetVersionResKey)
      .Stored(&TDskVersionLabel::IsVersionResKeyStored);
  p.Property("InfoPrefix", &TDskVersionLabel::GetInfoPrefix, &TDskVersionLabel::SetInfoPrefix)
      .Stored(&TDskVersionLabel::IsInfoPrefixStored);
  p.Property("ShowInfoPrefix", &TDskVersionLabel::GetShowInfoPrefix, &TDskVersionLabel::SetShowInfoPrefix)
      .Default(true);
  p.Property("LangCharset", &TDskVersionLabel::GetLangCharset, &TDskVersionLabel::SetLangCharset).Default("-1");
  p.Property("About", &TDskVersionLabel::About, &TDskVersionLabel::About).Stored(false);
}

HX_PUBLISH(TDskCommandLabel, p) {
  p.Property("Command", &TDskCommandLabel::Command, &TDskCommandLabel::Command).Default(runURL);
  p.Property("CaptionValue", &TDskCommandLabel::CaptionValue, &TDskCommandLabel::CaptionValue).Default("");
  p.Property("FollowedColor", &TDskCommandLabel::FollowedColor, &TDskCommandLabel::FollowedColor).Default(clPurple);
  p.Property("MoveOverColor", &TDskCommandLabel::MoveOverColor, &TDskCommandLabel::MoveOverColor).Default(clRed);
  p.Property("About", &TDskCommandLabel::About, &TDskCommandLabel::About).Stored(false);
  p.Event("OnCommand", &TDskCommandLabel::OnCommand);
}

namespace {

class TSystemLabelSystem : public TDskLabelSystem {};

}  // namespace

String TDskLabelSystem::ExecutableName() { return ParamStr(0); }

bool TDskLabelSystem::Open(const String& Target) {
  HINSTANCE result = ShellExecuteW(nullptr, L"open", Utf8ToWide(Target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

TDskLabelSystem& TDskLabelSystem::System() {
  static TSystemLabelSystem system;
  return system;
}

String DskVersionInfoText(const String& FileName, TDskVersionRes Res, const String& Key, String& LangCharset) {
  std::wstring file = Utf8ToWide(FileName);
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
  if (size == 0) return "< No Data Available >";
  std::vector<std::uint8_t> block(size + 1);
  if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return "< Error retrieving version info >";

  void* value = nullptr;
  UINT length = 0;
  if (Res == verFlags) {
    if (!VerQueryValueW(block.data(), L"\\", &value, &length) || !value || length < sizeof(VS_FIXEDFILEINFO))
      return "< Error retrieving version info >";
    return DskFileFlagsText(static_cast<const VS_FIXEDFILEINFO*>(value)->dwFileFlags);
  }
  if (LangCharset == "-1") {
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) || !value || length < 4)
      return "< Error retrieving translation info >";
    const auto* words = static_cast<const WORD*>(value);
    LangCharset = DskLangCharset(words[0], words[1]);
  }
  std::wstring path = L"\\StringFileInfo\\" + Utf8ToWide(LangCharset) + L"\\" + Utf8ToWide(Key);
  if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || !value)
    return "< Error retrieving version info >";
  // The length counts characters with or without the closing NUL, depending on who wrote
  // the resource: the text up to its NUL, never beyond the length.
  const auto* text = static_cast<const wchar_t*>(value);
  std::wstring result(text, wcsnlen(text, length));
  if (result.empty()) return "< No Version Info >";
  return WideToUtf8(result);
}

// ---- TDskVersionLabel

TDskVersionLabel::TDskVersionLabel(TComponent* AOwner) : TLabel(AOwner) { SetWordWrap(false); }

void TDskVersionLabel::SetVersionRes(TDskVersionRes Value) {
  FVersionRes = Value;
  SetVersionResKey(DskVersionResKey(Value));
  SetPrefixOfEntry(DskVersionResPrefix(Value));
}

void TDskVersionLabel::SetVersionResKey(const String& Value) {
  if (Value == FVersionResKey) return;
  FVersionResKey = Value;
  SetPrefixOfEntry(Value);
}

void TDskVersionLabel::SetPrefixOfEntry(const String& Value) {
  // A prefix the form being read gave stays, whichever came first.
  if (FPrefixRead && ComponentState().Contains(csReading)) return;
  if (Value == FInfoPrefix) return;
  FInfoPrefix = Value;
  RefreshCaption();
}

void TDskVersionLabel::SetInfoPrefix(const String& Value) {
  if (ComponentState().Contains(csReading)) FPrefixRead = true;
  if (Value == FInfoPrefix) return;
  FInfoPrefix = Value;
  RefreshCaption();
}

void TDskVersionLabel::SetShowInfoPrefix(bool Value) {
  if (Value == FShowInfoPrefix) return;
  FShowInfoPrefix = Value;
  RefreshCaption();
}

void TDskVersionLabel::SetLangCharset(const String& Value) {
  if (Value == FLangCharset) return;
  FLangCharset = Value;
  RefreshCaption();
}

void TDskVersionLabel::RefreshCaption() {
  if (ComponentState().Contains(csLoading)) return;  // once, when the form is read
  String text = ComponentState().Contains(csDesigning)
                    ? String("< No Designtime Information >")
                    : DskVersionInfoText(TSeam<TDskLabelSystem>::Get().ExecutableName(), FVersionRes,
                                         FVersionResKey, FLangCharset);
  SetCaption(FShowInfoPrefix ? FInfoPrefix + " " + text : text);
}

void TDskVersionLabel::Loaded() {
  TLabel::Loaded();
  FPrefixRead = false;
  RefreshCaption();
}

// ---- TDskCommandLabel

TDskCommandLabel::TDskCommandLabel(TComponent* AOwner) : TLabel(AOwner) {
  SetParentFont(false);
  GetFont()->SetSize(10);
  GetFont()->SetColor(clBlue);
  GetFont()->SetStyle(TFontStyles{fsUnderline});
  SetCursor(crHandPoint);
}

void TDskCommandLabel::Loaded() {
  TLabel::Loaded();
  FNormalColor = GetFont()->GetColor();
}

void TDskCommandLabel::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TLabel::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !GetEnabled() || !GetVisible() || Shift.Contains(ssDouble)) return;
  FPressed = FFollowed = true;
  GetFont()->SetColor(FNormalColor);
  if (Command == runEVENT) {
    if (OnCommand) OnCommand(this);
    return;
  }
  String target = DskCommandTarget(Command, CaptionValue);
  if (!TSeam<TDskLabelSystem>::Get().Open(target)) ShowMessage("Не удалось открыть «" + target + "».");
}

void TDskCommandLabel::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TLabel::MouseUp(Button, Shift, X, Y);
  if (!FPressed) return;
  FPressed = false;
  GetFont()->SetColor(FollowedColor);
}

void TDskCommandLabel::MouseEnter() {
  TLabel::MouseEnter();
  TCustomForm* form = GetParentForm(this);
  if (form && form->Active()) GetFont()->SetColor(MoveOverColor);
}

void TDskCommandLabel::MouseLeave() {
  TLabel::MouseLeave();
  if (!FPressed) GetFont()->SetColor(FFollowed ? FollowedColor : FNormalColor);
}
