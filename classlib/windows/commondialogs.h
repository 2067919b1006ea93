#pragma once
// The system's common dialogs as components: opening and saving files, choosing a colour
// and a font. Execute shows the dialog modally and returns whether the user confirmed it;
// the structure it hands the system is built by a public step, so it can be checked
// without showing anything. Windows only.
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/component.h"
#include "classlib/windows/graphics.h"
#include "classlib/core/stringlist.h"
#include "classlib/core/winapi.h"

#include <commdlg.h>

class TCommonDialog : public TComponent {
  HX_CLASS(TCommonDialog, TComponent)
 public:
  using TComponent::TComponent;
  virtual bool Execute() = 0;

 protected:
  // The window the dialog belongs to: the active one of this thread.
  static HWND OwnerWindow();
};

HX_ENUM(TOpenOption, ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
        ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt, ofShareAware,
        ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames, ofOldStyleDialog,
        ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing, ofDontAddToRecent, ofForceShowHidden);
using TOpenOptions = TSet<TOpenOption>;

// What an open or save dialog hands the system: the structure and the buffers it points to.
struct TOpenFileNameParams {
  OPENFILENAMEW Ofn{};
  std::wstring Filter;  // "Name\0*.ext\0...\0\0"
  std::wstring Title;
  std::wstring InitialDir;
  std::wstring DefaultExt;
  std::vector<wchar_t> FileBuffer;  // in: the file name; out: the chosen name(s)
};

class TOpenDialog : public TCommonDialog {
  HX_CLASS(TOpenDialog, TCommonDialog)
 public:
  explicit TOpenDialog(TComponent* AOwner);
  ~TOpenDialog() override;

  // "Description|*.a;*.b|Description|*.*"
  String GetFilter() const { return FFilter; }
  void SetFilter(const String& Value) { FFilter = Value; }
  // 1-based, as the system counts.
  int GetFilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(int Value) { FFilterIndex = Value; }
  String GetFileName() const { return FFileName; }
  void SetFileName(const String& Value) { FFileName = Value; }
  // Every chosen file (one unless ofAllowMultiSelect), with its folder.
  TStrings* Files() const { return FFiles.get(); }
  String GetInitialDir() const { return FInitialDir; }
  void SetInitialDir(const String& Value) { FInitialDir = Value; }
  String GetTitle() const { return FTitle; }
  void SetTitle(const String& Value) { FTitle = Value; }
  // Added to a name typed without one (no dot).
  String GetDefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const String& Value) { FDefaultExt = Value; }
  TOpenOptions GetOptions() const { return FOptions; }
  void SetOptions(TOpenOptions Value) { FOptions = Value; }

  bool Execute() override;
  // The structure Execute shows, and what it takes back from it once confirmed.
  std::unique_ptr<TOpenFileNameParams> BuildParams(HWND Owner);
  void TakeResult(const TOpenFileNameParams& Params);

 protected:
  virtual bool Show(OPENFILENAMEW& Ofn) { return GetOpenFileNameW(&Ofn); }

 private:
  String FFilter;
  int FFilterIndex = 1;
  String FFileName;
  std::unique_ptr<TStringList> FFiles;
  String FInitialDir;
  String FTitle;
  String FDefaultExt;
  TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
};

class TSaveDialog : public TOpenDialog {
  HX_CLASS(TSaveDialog, TOpenDialog)
 public:
  using TOpenDialog::TOpenDialog;

 protected:
  bool Show(OPENFILENAMEW& Ofn) override { return GetSaveFileNameW(&Ofn); }
};

HX_ENUM(TColorDialogOption, cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor);
using TColorDialogOptions = TSet<TColorDialogOption>;

struct TChooseColorParams {
  CHOOSECOLORW Cc{};
  COLORREF Custom[16] = {};
};

// The colour dialog. CustomColors holds lines "ColorA=RRGGBB" to "ColorP=..." (hex, blue
// first as the system stores a colour); missing ones are white.
class TColorDialog : public TCommonDialog {
  HX_CLASS(TColorDialog, TCommonDialog)
 public:
  explicit TColorDialog(TComponent* AOwner);
  ~TColorDialog() override;

  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value) { FColor = Value; }
  TStrings* GetCustomColors() const { return FCustomColors.get(); }
  void SetCustomColors(TStrings* Value) { FCustomColors->Assign(Value); }
  TColorDialogOptions GetOptions() const { return FOptions; }
  void SetOptions(TColorDialogOptions Value) { FOptions = Value; }

  bool Execute() override;
  std::unique_ptr<TChooseColorParams> BuildParams(HWND Owner);
  void TakeResult(const TChooseColorParams& Params);

 private:
  TColor FColor = clBlack;
  std::unique_ptr<TStringList> FCustomColors;
  TColorDialogOptions FOptions;
};

HX_ENUM(TFontDialogOption, fdAnsiOnly, fdTrueTypeOnly, fdEffects, fdFixedPitchOnly, fdForceFontExist, fdNoFaceSel,
        fdNoOEMFonts, fdNoSimulations, fdNoSizeSel, fdNoStyleSel, fdNoVectorFonts, fdShowHelp, fdWysiwyg, fdLimitSize,
        fdScalableOnly, fdApplyButton);
using TFontDialogOptions = TSet<TFontDialogOption>;

struct TChooseFontParams {
  CHOOSEFONTW Cf{};
  LOGFONTW LogFont{};
};

using TFDApplyEvent = std::function<void(TObject* Sender, HWND Wnd)>;

// The font dialog. With OnApply (or fdApplyButton) it has an Apply button: Font takes the
// dialog's choice and OnApply fires, the dialog staying open.
class TFontDialog : public TCommonDialog {
  HX_CLASS(TFontDialog, TCommonDialog)
 public:
  explicit TFontDialog(TComponent* AOwner);
  ~TFontDialog() override;

  TFont* GetFont() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TFontDialogOptions GetOptions() const { return FOptions; }
  void SetOptions(TFontDialogOptions Value) { FOptions = Value; }
  // Point sizes offered with fdLimitSize (0: no limit).
  int GetMinFontSize() const { return FMinFontSize; }
  void SetMinFontSize(int Value) { FMinFontSize = Value; }
  int GetMaxFontSize() const { return FMaxFontSize; }
  void SetMaxFontSize(int Value) { FMaxFontSize = Value; }

  TFDApplyEvent OnApply;

  bool Execute() override;
  std::unique_ptr<TChooseFontParams> BuildParams(HWND Owner);
  // Font takes the chosen font and colour.
  void TakeResult(const LOGFONTW& LogFont, COLORREF Color);

 private:
  static UINT_PTR CALLBACK HookProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

  std::unique_ptr<TFont> FFont;
  TFontDialogOptions FOptions{fdEffects};
  int FMinFontSize = 0;
  int FMaxFontSize = 0;
};
