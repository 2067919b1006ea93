#include "classlib/windows/commondialogs.h"

#include <algorithm>
#include <cstdlib>

#include "classlib/core/callbackguard.h"
#include "classlib/core/text.h"
#include "classlib/core/unicode.h"

HX_PUBLISH(TCommonDialog, p) {}

HX_PUBLISH(TOpenDialog, p) {
  p.Property("DefaultExt", &TOpenDialog::GetDefaultExt, &TOpenDialog::SetDefaultExt).Default("");
  p.Property("FileName", &TOpenDialog::GetFileName, &TOpenDialog::SetFileName).Default("");
  p.Property("Filter", &TOpenDialog::GetFilter, &TOpenDialog::SetFilter).Default("");
  p.Property("FilterIndex", &TOpenDialog::GetFilterIndex, &TOpenDialog::SetFilterIndex).Default(1);
  p.Property("InitialDir", &TOpenDialog::GetInitialDir, &TOpenDialog::SetInitialDir).Default("");
  p.Property("Options", &TOpenDialog::GetOptions, &TOpenDialog::SetOptions)
      .Default(TOpenOptions{ofHideReadOnly, ofEnableSizing});
  p.Property("Title", &TOpenDialog::GetTitle, &TOpenDialog::SetTitle).Default("");
}
HX_PUBLISH(TSaveDialog, p) {}

HX_PUBLISH(TColorDialog, p) {
  p.Property("Color", &TColorDialog::GetColor, &TColorDialog::SetColor).Default(clBlack);
  p.Property("CustomColors", &TColorDialog::GetCustomColors, &TColorDialog::SetCustomColors);
  p.Property("Options", &TColorDialog::GetOptions, &TColorDialog::SetOptions).Default(TColorDialogOptions{});
}

HX_PUBLISH(TFontDialog, p) {
  p.Property("Font", &TFontDialog::GetFont, &TFontDialog::SetFont);
  p.Property("MaxFontSize", &TFontDialog::GetMaxFontSize, &TFontDialog::SetMaxFontSize).Default(0);
  p.Property("MinFontSize", &TFontDialog::GetMinFontSize, &TFontDialog::SetMinFontSize).Default(0);
  p.Property("Options", &TFontDialog::GetOptions, &TFontDialog::SetOptions).Default(TFontDialogOptions{fdEffects});
  p.Event("OnApply", &TFontDialog::OnApply);
}

HWND TCommonDialog::OwnerWindow() { return GetActiveWindow(); }

// ---- TOpenDialog ----

namespace {

// Room for many chosen files (the system reports a too small buffer as a failure).
constexpr size_t kFileBufferSize = 32768;

const DWORD kOpenFlags[] = {
    OFN_READONLY,         OFN_OVERWRITEPROMPT,   OFN_HIDEREADONLY,      OFN_NOCHANGEDIR,      OFN_SHOWHELP,
    OFN_NOVALIDATE,       OFN_ALLOWMULTISELECT,  OFN_EXTENSIONDIFFERENT, OFN_PATHMUSTEXIST,   OFN_FILEMUSTEXIST,
    OFN_CREATEPROMPT,     OFN_SHAREAWARE,        OFN_NOREADONLYRETURN,  OFN_NOTESTFILECREATE, OFN_NONETWORKBUTTON,
    OFN_NOLONGNAMES,      0 /* old style */,     OFN_NODEREFERENCELINKS, OFN_ENABLEINCLUDENOTIFY, OFN_ENABLESIZING,
    OFN_DONTADDTORECENT,  OFN_FORCESHOWHIDDEN,
};

}  // namespace

TOpenDialog::TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFiles(std::make_unique<TStringList>()) {}

TOpenDialog::~TOpenDialog() = default;

std::unique_ptr<TOpenFileNameParams> TOpenDialog::BuildParams(HWND Owner) {
  auto params = std::make_unique<TOpenFileNameParams>();
  // '|' separates the parts; the system wants NULs and a double NUL at the end.
  params->Filter = Utf8ToWide(FFilter);
  std::replace(params->Filter.begin(), params->Filter.end(), L'|', L'\0');
  if (!params->Filter.empty()) params->Filter.append(2, L'\0');
  params->Title = Utf8ToWide(FTitle);
  params->InitialDir = Utf8ToWide(FInitialDir);
  params->DefaultExt = Utf8ToWide(FDefaultExt);
  if (!params->DefaultExt.empty() && params->DefaultExt[0] == L'.') params->DefaultExt.erase(0, 1);
  params->FileBuffer.assign(kFileBufferSize, L'\0');
  std::wstring name = Utf8ToWide(FFileName);
  std::copy_n(name.begin(), std::min(name.size(), kFileBufferSize - 1), params->FileBuffer.begin());

  OPENFILENAMEW& ofn = params->Ofn;
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = Owner;
  ofn.lpstrFilter = params->Filter.empty() ? nullptr : params->Filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(std::max(FFilterIndex, 0));
  ofn.lpstrFile = params->FileBuffer.data();
  ofn.nMaxFile = static_cast<DWORD>(params->FileBuffer.size());
  ofn.lpstrInitialDir = params->InitialDir.empty() ? nullptr : params->InitialDir.c_str();
  ofn.lpstrTitle = params->Title.empty() ? nullptr : params->Title.c_str();
  ofn.lpstrDefExt = params->DefaultExt.empty() ? nullptr : params->DefaultExt.c_str();
  ofn.Flags = OFN_EXPLORER;
  for (int i = 0; i < static_cast<int>(std::size(kOpenFlags)); ++i)
    if (FOptions.Contains(static_cast<TOpenOption>(i))) ofn.Flags |= kOpenFlags[i];
  return params;
}

void TOpenDialog::TakeResult(const TOpenFileNameParams& Params) {
  const wchar_t* buffer = Params.FileBuffer.data();
  size_t size = Params.FileBuffer.size();
  // One name, or (several chosen) the folder and then each name, NUL after each, NUL last.
  std::vector<std::wstring> parts;
  for (size_t i = 0; i < size && buffer[i];) {
    size_t end = i;
    while (end < size && buffer[end]) ++end;
    parts.emplace_back(buffer + i, end - i);
    i = end + 1;
  }
  FFiles->Clear();
  if (parts.size() == 1) {
    FFiles->Add(WideToUtf8(parts[0]));
  } else if (parts.size() > 1) {
    std::wstring folder = parts[0];
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    for (size_t i = 1; i < parts.size(); ++i) FFiles->Add(WideToUtf8(folder + parts[i]));
  }
  FFileName = FFiles->Count() > 0 ? FFiles->Get(0) : String();
  FFilterIndex = static_cast<int>(Params.Ofn.nFilterIndex);
  if (Params.Ofn.Flags & OFN_READONLY) FOptions.Include(ofReadOnly);
  else FOptions.Exclude(ofReadOnly);
}

bool TOpenDialog::Execute() {
  auto params = BuildParams(OwnerWindow());
  if (!Show(params->Ofn)) return false;
  TakeResult(*params);
  return true;
}

// ---- TColorDialog ----

TColorDialog::TColorDialog(TComponent* AOwner) : TCommonDialog(AOwner), FCustomColors(std::make_unique<TStringList>()) {}

TColorDialog::~TColorDialog() = default;

std::unique_ptr<TChooseColorParams> TColorDialog::BuildParams(HWND Owner) {
  auto params = std::make_unique<TChooseColorParams>();
  for (int i = 0; i < 16; ++i) {
    String value = FCustomColors->GetValue(String("Color") + static_cast<char>('A' + i));
    char* end = nullptr;
    unsigned long color = value.empty() ? 0xFFFFFF : std::strtoul(value.c_str(), &end, 16);
    params->Custom[i] = value.empty() || *end ? 0xFFFFFF : static_cast<COLORREF>(color & 0xFFFFFF);
  }
  CHOOSECOLORW& cc = params->Cc;
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = Owner;
  cc.rgbResult = ColorToRGB(FColor) & 0xFFFFFF;
  cc.lpCustColors = params->Custom;
  cc.Flags = CC_RGBINIT;
  static const DWORD flags[] = {CC_FULLOPEN, CC_PREVENTFULLOPEN, CC_SHOWHELP, CC_SOLIDCOLOR, CC_ANYCOLOR};
  for (int i = 0; i < 5; ++i)
    if (FOptions.Contains(static_cast<TColorDialogOption>(i))) cc.Flags |= flags[i];
  return params;
}

void TColorDialog::TakeResult(const TChooseColorParams& Params) {
  FColor = static_cast<TColor>(Params.Cc.rgbResult & 0xFFFFFF);
  FCustomColors->Clear();
  for (int i = 0; i < 16; ++i)
    FCustomColors->Add(String("Color") + static_cast<char>('A' + i) + "=" + IntToHex(Params.Custom[i] & 0xFFFFFF, 6));
}

bool TColorDialog::Execute() {
  auto params = BuildParams(OwnerWindow());
  if (!ChooseColorW(&params->Cc)) return false;
  TakeResult(*params);
  return true;
}

// ---- TFontDialog ----

namespace {
// The Apply button of the font dialog.
constexpr int kApplyButton = 0x402;
}

TFontDialog::TFontDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFont(std::make_unique<TFont>()) {}

TFontDialog::~TFontDialog() = default;

std::unique_ptr<TChooseFontParams> TFontDialog::BuildParams(HWND Owner) {
  auto params = std::make_unique<TChooseFontParams>();
  params->LogFont = FFont->GetLogFont();
  CHOOSEFONTW& cf = params->Cf;
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = Owner;
  cf.lpLogFont = &params->LogFont;
  cf.rgbColors = ColorToRGB(FFont->GetColor()) & 0xFFFFFF;
  cf.Flags = CF_INITTOLOGFONTSTRUCT | CF_SCREENFONTS;
  static const DWORD flags[] = {CF_ANSIONLY,    CF_TTONLY,         CF_EFFECTS,        CF_FIXEDPITCHONLY,
                                CF_FORCEFONTEXIST, CF_NOFACESEL,   CF_NOOEMFONTS,     CF_NOSIMULATIONS,
                                CF_NOSIZESEL,   CF_NOSTYLESEL,     CF_NOVECTORFONTS,  CF_SHOWHELP,
                                CF_WYSIWYG,     CF_LIMITSIZE,      CF_SCALABLEONLY,   CF_APPLY};
  for (int i = 0; i < static_cast<int>(std::size(flags)); ++i)
    if (FOptions.Contains(static_cast<TFontDialogOption>(i))) cf.Flags |= flags[i];
  if (OnApply) cf.Flags |= CF_APPLY;
  if (FOptions.Contains(fdLimitSize)) {
    cf.nSizeMin = FMinFontSize;
    cf.nSizeMax = FMaxFontSize;
  }
  // The hook sees the Apply button.
  cf.Flags |= CF_ENABLEHOOK;
  cf.lpfnHook = &TFontDialog::HookProc;
  cf.lCustData = reinterpret_cast<LPARAM>(this);
  return params;
}

void TFontDialog::TakeResult(const LOGFONTW& LogFont, COLORREF Color) {
  FFont->SetLogFont(LogFont);
  if (FOptions.Contains(fdEffects)) FFont->SetColor(static_cast<TColor>(Color & 0xFFFFFF));
}

UINT_PTR CALLBACK TFontDialog::HookProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_INITDIALOG) {
    auto* cf = reinterpret_cast<CHOOSEFONTW*>(LParam);
    SetPropW(Wnd, L"HoravoxFontDialog", reinterpret_cast<HANDLE>(cf->lCustData));
    return 0;
  }
  if (Msg == WM_COMMAND && LOWORD(WParam) == kApplyButton) {
    auto* self = static_cast<TFontDialog*>(GetPropW(Wnd, L"HoravoxFontDialog"));
    if (!self) return 0;
    GuardCallback([&] {
      LOGFONTW font{};
      SendMessageW(Wnd, WM_CHOOSEFONT_GETLOGFONT, 0, reinterpret_cast<LPARAM>(&font));
      self->FFont->SetLogFont(font);
      if (self->OnApply) self->OnApply(self, Wnd);
    });
    return 1;
  }
  if (Msg == WM_DESTROY) RemovePropW(Wnd, L"HoravoxFontDialog");
  return 0;
}

bool TFontDialog::Execute() {
  auto params = BuildParams(OwnerWindow());
  if (!ChooseFontW(&params->Cf)) return false;
  TakeResult(params->LogFont, params->Cf.rgbColors);
  return true;
}
