#include "gridcal/calculator.h"

#include <algorithm>
#include <memory>

#include "classlib/windows/application.h"
#include "classlib/core/clipbrd.h"
#include "classlib/core/finally.h"
#include "classlib/core/unicode.h"
#include "gridcal/gxutils.h"

HX_PUBLISH(TCalcButton, p) {}
HX_PUBLISH(TCalculatorPanel, p) {}
HX_PUBLISH(TGxCalculatorForm, p) {}

HX_PUBLISH(TGxCalculator, p) {
  p.Property("BeepOnError", &TGxCalculator::GetBeepOnError, &TGxCalculator::SetBeepOnError).Default(true);
  p.Property("Ctl3D", &TGxCalculator::GetCtl3D, &TGxCalculator::SetCtl3D).Default(true);
  p.Property("HelpContext", &TGxCalculator::GetHelpContext, &TGxCalculator::SetHelpContext).Default(0);
  p.Property("Precision", &TGxCalculator::GetPrecision, &TGxCalculator::SetPrecision).Default(15);
  p.Property("Title", &TGxCalculator::GetTitle, &TGxCalculator::SetTitle).Stored(&TGxCalculator::IsTitleStored);
  p.Property("Value", &TGxCalculator::GetValue, &TGxCalculator::SetValue).Default(0.0);
  p.Event("OnCalcKey", &TGxCalculator::OnCalcKey);
  p.Event("OnChange", &TGxCalculator::OnChange);
  p.Event("OnDisplayChange", &TGxCalculator::OnDisplayChange);
}

namespace {

constexpr int kKinds = 28;
constexpr int kOk = 27, kCancel = 28;

struct TKeyDef {
  const char* Caption;  // nullptr: the digit, or the separator for kind 12
  char Key;
  TColor Color;
  int Glyph;  // the CALCBTNS cell shown in the dialog layout, -1 none
};

// Kinds 1..28 (index kind - 1).
const TKeyDef kKeyDefs[kKinds] = {
    {nullptr, '0', clBtnText, -1}, {nullptr, '1', clBtnText, -1}, {nullptr, '2', clBtnText, -1},
    {nullptr, '3', clBtnText, -1}, {nullptr, '4', clBtnText, -1}, {nullptr, '5', clBtnText, -1},
    {nullptr, '6', clBtnText, -1}, {nullptr, '7', clBtnText, -1}, {nullptr, '8', clBtnText, -1},
    {nullptr, '9', clBtnText, -1}, {"±", '_', clBtnText, 2},      {nullptr, '.', clBtnText, -1},
    {"/", '/', clPurple, -1},      {"*", '*', clPurple, 3},       {"-", '-', clPurple, 4},
    {"+", '+', clPurple, 5},       {"sqrt", 'Q', clNavy, -1},     {"%", '%', clNavy, -1},
    {"1/x", 'R', clNavy, -1},      {"=", '=', clPurple, -1},      {"<-", 8, clMaroon, -1},
    {"C", 'C', clMaroon, -1},      {"MP", 0, clNavy, -1},         {"MS", 0, clNavy, -1},
    {"MR", 0, clNavy, -1},         {"MC", 0, clNavy, -1},         {"OK", 0, clBtnText, 1},
    {"Cancel", 0, clBtnText, 0},
};

struct TKeyPlace {
  int Left, Top, Width;  // Left -1: not in this layout; Width 0: the layout's own
};

// Kind 1..28 by layout (index kind - 1).
const TKeyPlace kPlaces[2][kKinds] = {
    {{47, 104, 0}, {47, 80, 0}, {85, 80, 0}, {123, 80, 0}, {47, 56, 0}, {85, 56, 0}, {123, 56, 0},
     {47, 32, 0}, {85, 32, 0}, {123, 32, 0}, {85, 104, 0}, {123, 104, 0}, {161, 32, 0}, {161, 56, 0},
     {161, 80, 0}, {161, 104, 0}, {199, 32, 0}, {199, 56, 0}, {199, 80, 0}, {199, 104, 0}, {145, 6, 44},
     {191, 6, 44}, {5, 104, 0}, {5, 80, 0}, {5, 56, 0}, {5, 32, 0}, {47, 6, 0}, {85, 6, 0}},
    {{6, 75, 0}, {6, 52, 0}, {29, 52, 0}, {52, 52, 0}, {6, 29, 0}, {29, 29, 0}, {52, 29, 0},
     {6, 6, 0}, {29, 6, 0}, {52, 6, 0}, {52, 75, 0}, {29, 75, 0}, {75, 6, 0}, {75, 29, 0},
     {75, 52, 0}, {75, 75, 0}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}, {52, 98, 44}, {29, 98, 0},
     {6, 98, 0}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}},
};

// The dialog's font: the system's message font, bold ("MS Sans Serif" 8 when unreadable).
void SetDialogFont(TFont* Font) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    Font->SetName(WideToUtf8(metrics.lfMessageFont.lfFaceName));
    Font->SetHeight(metrics.lfMessageFont.lfHeight);
  } else {
    Font->SetName("MS Sans Serif");
    Font->SetSize(8);
    Font->SetColor(clWindowText);
  }
  Font->SetStyle(TFontStyles{fsBold});
}

// Places and sizes every control inside Parent by M / D; a control aligned to the client
// area follows its parent.
void ScaleChildren(TWinControl* Parent, int M, int D) {
  for (int i = 0; i < Parent->ControlCount(); ++i) {
    TControl* c = Parent->Controls(i);
    if (c->GetAlign() != alClient)
      c->SetBounds(MulDiv(c->GetLeft(), M, D), MulDiv(c->GetTop(), M, D), MulDiv(c->GetWidth(), M, D),
                   MulDiv(c->GetHeight(), M, D));
    if (auto* w = dynamic_cast<TWinControl*>(c)) ScaleChildren(w, M, D);
  }
}

// The key glyphs, loaded once per panel; empty when the program carries none.
std::unique_ptr<TBitmap> LoadKeyGlyphs() {
  auto glyphs = std::make_unique<TBitmap>();
  try {
    glyphs->LoadFromResourceName(nullptr, "CALCBTNS");
  } catch (const EResNotFound&) {
    glyphs.reset();
  }
  return glyphs;
}

}  // namespace

// ---- TCalcButton ----

TCalcButton::TCalcButton(TComponent* AOwner, int Kind) : TGxSpeedButton(AOwner), FKind(Kind) {
  SetTag(Kind >= 1 && Kind <= 22 ? Kind - 1 : -1);
  if (Kind >= 1 && Kind <= kKinds) {
    FKey = kKeyDefs[Kind - 1].Key;
    FColor = kKeyDefs[Kind - 1].Color;
  }
  SetStyle(bsNew);
  SetParentFont(true);
}

// ---- TCalculatorPanel ----

TCalculatorPanel::TCalculatorPanel(TComponent* AOwner, TCalcPanelLayout Layout, const TFormatSettings& Settings)
    : TPanel(AOwner), FEngine(Settings), FLayout(Layout) {
  FEngine.Sender = this;
  FEngine.OnTextChange = [this](TObject*) {
    if (FDisplayControl) FDisplayControl->SetCaption(FEngine.Text());
  };
  SetColor(clBtnFace);
  SetBounds(0, 0, Layout == cpDialog ? 240 : 98, Layout == cpDialog ? 129 : 124);
  SetDialogFont(GetFont());
  SetBevelInner(bvNone);
  SetBevelOuter(bvNone);
  SetParentColor(true);
  std::unique_ptr<TBitmap> glyphs = Layout == cpDialog ? LoadKeyGlyphs() : nullptr;
  const int width = Layout == cpDialog ? 36 : 21, height = Layout == cpDialog ? 22 : 21;
  for (int kind = 1; kind <= kKinds; ++kind) {
    const TKeyPlace& place = kPlaces[Layout][kind - 1];
    if (place.Left < 0) continue;
    const TKeyDef& def = kKeyDefs[kind - 1];
    auto* button = new TCalcButton(this, kind);
    button->SetBounds(place.Left, place.Top, place.Width ? place.Width : width, height);
    if (def.Glyph >= 0 && glyphs) {
      TBitmap cell;
      BitmapCell(glyphs.get(), &cell, 6, 1, def.Glyph);
      button->SetGlyph(&cell);
    } else if (kind <= 10) {
      button->SetCaption(std::string(1, static_cast<char>('0' + kind - 1)));
    } else if (kind == 12) {
      button->SetCaption(std::string(1, Settings.DecimalSeparator));
    } else {
      button->SetCaption(def.Caption);
    }
    button->OnClick = [this](TObject* Sender) { ButtonClicked(Sender); };
    button->SetParent(this);
  }
  if (Layout == cpDialog) {
    FMemoryPanel = new TPanel(this);
    FMemoryPanel->SetBounds(6, 7, 34, 20);
    FMemoryPanel->SetBevelInner(bvLowered);
    FMemoryPanel->SetBevelOuter(bvNone);
    FMemoryPanel->SetParentColor(true);
    FMemoryPanel->SetParent(this);
    FMemoryLabel = new TLabel(this);
    FMemoryLabel->SetAutoSize(false);
    FMemoryLabel->SetBounds(3, 3, 26, 14);
    FMemoryLabel->SetAlignment(taCenter);
    FMemoryLabel->SetParentFont(false);
    FMemoryLabel->GetFont()->Assign(GetFont());
    FMemoryLabel->GetFont()->SetStyle(TFontStyles{});
    FMemoryLabel->SetCaption("");
    FMemoryLabel->SetParent(FMemoryPanel);
  }
}

void TCalculatorPanel::SetDisplayControl(TControl* Value) {
  FDisplayControl = Value;
  if (Value) Value->SetCaption(FEngine.Text());
}

TCalcButton* TCalculatorPanel::ButtonOfKind(int Kind) {
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* button = dynamic_cast<TCalcButton*>(Controls(i)); button && button->Kind() == Kind) return button;
  return nullptr;
}

TCalcButton* TCalculatorPanel::FindButton(char Key) {
  int index = FEngine.KeyIndex(Key);
  if (index < 0) return nullptr;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* button = dynamic_cast<TCalcButton*>(Controls(i)); button && button->GetTag() == index) return button;
  return nullptr;
}

void TCalculatorPanel::CalcKey(char Key) {
  if (TCalcButton* button = FindButton(Key)) button->ButtonClick();
  else FEngine.ProcessKey(Key);
}

void TCalculatorPanel::UpdateMemoryLabel() {
  if (FMemoryLabel) FMemoryLabel->SetCaption(FEngine.GetMemory() != 0 ? "M" : "");
}

void TCalculatorPanel::SetCtl3D(bool Value) {
  FCtl3D = Value;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* button = dynamic_cast<TCalcButton*>(Controls(i))) button->SetStyle(Value ? bsNew : bsWin31);
  if (FMemoryPanel) {
    FMemoryPanel->SetBevelInner(Value ? bvLowered : bvNone);
    FMemoryPanel->SetBorderStyle(Value ? bsNone : bsSingle);
  }
}

void TCalculatorPanel::ButtonClicked(TObject* Sender) {
  auto* button = dynamic_cast<TCalcButton*>(Sender);
  if (!button) return;
  int kind = button->Kind();
  if (kind <= 22) {
    FEngine.ProcessKey(button->Key());
    return;
  }
  switch (kind) {
    case 23: FEngine.MemoryAdd(); break;
    case 24: FEngine.MemoryStore(); break;
    case 25: FEngine.MemoryRecall(); break;
    case 26: FEngine.MemoryClear(); break;
    case kOk:
      if (FEngine.Status() == csError) {
        FEngine.Beep();
      } else {
        FEngine.SetDisplay(FEngine.DisplayValue());
        if (OnOkClick) OnOkClick(this);
      }
      return;
    case kCancel:
      if (OnCancelClick) OnCancelClick(this);
      return;
  }
  UpdateMemoryLabel();
}

// ---- TGxCalculatorForm ----

TGxCalculatorForm::TGxCalculatorForm(TComponent* AOwner, int HelpContext, const TFormatSettings& Settings)
    : TForm(AOwner, CreateNew) {
  SetBorderStyle(bsDialog);
  TBorderIcons icons{biSystemMenu};
  if (HelpContext != 0) icons.Include(biHelp);
  SetBorderIcons(icons);
  SetCaption("Calculator");
  SetClientSize(242, 159);
  SetKeyPreview(true);
  SetPosition(poScreenCenter);
  SetDialogFont(GetFont());

  FMenu = new TPopupMenu(this);
  FMenu->SetName("PopupMenu");
  FCopyItem = new TMenuItem(this);
  FCopyItem->SetCaption("&Copy");
  FCopyItem->SetShortCut(ShortCut(VK_INSERT, TShiftState{ssCtrl}));
  FCopyItem->OnClick = [this](TObject*) { FCalcPanel->Copy(); };
  FMenu->Items()->Add(FCopyItem);
  FPasteItem = new TMenuItem(this);
  FPasteItem->SetCaption("&Paste");
  FPasteItem->SetShortCut(ShortCut(VK_INSERT, TShiftState{ssShift}));
  FPasteItem->OnClick = [this](TObject*) { FCalcPanel->Paste(); };
  FMenu->Items()->Add(FPasteItem);
  FMenu->OnPopup = [this](TObject* Sender) { MenuPopup(Sender); };

  FMainPanel = new TPanel(this);
  FMainPanel->SetAlign(alClient);
  FMainPanel->SetBevelInner(bvNone);
  FMainPanel->SetBevelOuter(bvLowered);
  FMainPanel->SetPopupMenu(FMenu);
  FMainPanel->SetParent(this);

  FDisplayPanel = new TPanel(this);
  FDisplayPanel->SetBounds(6, 6, 230, 23);
  FDisplayPanel->SetBevelInner(bvNone);
  FDisplayPanel->SetBevelOuter(bvLowered);
  FDisplayPanel->SetParentColor(false);
  FDisplayPanel->SetColor(clWindow);
  FDisplayPanel->SetParent(FMainPanel);
  FDisplayInner = new TPanel(this);
  FDisplayInner->SetAlign(alClient);
  FDisplayInner->SetBevelInner(bvNone);
  FDisplayInner->SetBevelOuter(bvNone);
  FDisplayInner->SetBorderStyle(bsSingle);
  FDisplayInner->SetParent(FDisplayPanel);
  FDisplay = new TLabel(this);
  FDisplay->SetAutoSize(false);
  FDisplay->SetBounds(5, 2, 217, 15);
  FDisplay->SetAlignment(taRightJustify);
  FDisplay->SetCaption("0");
  FDisplay->SetParent(FDisplayInner);

  FCalcPanel = new TCalculatorPanel(this, cpDialog, Settings);
  FCalcPanel->SetAlign(alBottom);
  FCalcPanel->SetParent(FMainPanel);
  FCalcPanel->SetDisplayControl(FDisplay);
  FCalcPanel->OnOkClick = [this](TObject*) { SetModalResult(mrOk); };
  FCalcPanel->OnCancelClick = [this](TObject*) { SetModalResult(mrCancel); };
  if (auto* calculator = dynamic_cast<TGxCalculator*>(AOwner)) {
    FCalcPanel->Engine().OnCalcKey = [calculator](TObject* Sender, char& Key) {
      if (calculator->OnCalcKey) calculator->OnCalcKey(Sender, Key);
    };
    FCalcPanel->Engine().OnDisplayChange = [calculator](TObject* Sender) {
      if (calculator->OnDisplayChange) calculator->OnDisplayChange(Sender);
    };
  }
  OnKeyPress = [this](TObject* Sender, wchar_t& Key) { FormKeyPress(Sender, Key); };

  // Laid out at 96 pixels per inch: on another screen the keys grow with the system's font.
  const int dpi = Screen->PixelsPerInch();
  if (dpi != 96 && dpi > 0) {
    SetClientSize(MulDiv(242, dpi, 96), MulDiv(159, dpi, 96));
    ScaleChildren(this, dpi, 96);
    SetDialogFont(GetFont());
    SetLeft(Screen->Width() / 2 - GetWidth() / 2);
    SetTop(Screen->Height() / 2 - GetHeight() / 2);
  }
}

void TGxCalculatorForm::FormKeyPress(TObject*, wchar_t& Key) {
  if (Key > 0 && Key < 128) FCalcPanel->CalcKey(static_cast<char>(Key));
}

void TGxCalculatorForm::MenuPopup(TObject*) { FPasteItem->SetEnabled(Clipboard().HasText()); }

void TGxCalculatorForm::SetCtl3D(bool Value) {
  FCalcPanel->SetCtl3D(Value);
  FMainPanel->SetBevelOuter(Value ? bvLowered : bvNone);
  FDisplayPanel->SetBevelOuter(Value ? bvLowered : bvNone);
}

// ---- TGxCalculator ----

TGxCalculator::TGxCalculator(TComponent* AOwner) : TComponent(AOwner) {}

TGxCalculator::~TGxCalculator() = default;

void TGxCalculator::SetPrecision(int Value) { FPrecision = std::clamp(Value, 2, 17); }

bool TGxCalculator::ShowModalCalculator() {
  FForm = new TGxCalculatorForm(this, FHelpContext, FSettings);
  TFinally release([this] {
    if (!FForm) return;
    TGxCalculatorForm* form = FForm;
    FForm = nullptr;
    form->BeforeDestruction();
    delete form;
  });
  FForm->SetCtl3D(FCtl3D);
  FForm->SetCaption(FTitle);
  TCalculatorPanel* panel = FForm->CalcPanel();
  TCalcEngine& engine = panel->Engine();
  engine.SetMemory(Memory);
  panel->UpdateMemoryLabel();
  engine.SetPrecision(std::max(2, FPrecision));
  engine.SetBeepOnError(FBeepOnError);
  if (FValue != 0) {
    engine.SetDisplay(FValue);
    engine.SetStatus(csFirst);
    engine.SetPendingOperator('=');
  }
  bool ok = FForm->ShowModal() == mrOk;
  if (ok) {
    Memory = engine.GetMemory();
    double value = engine.DisplayValue();
    if (value != FValue) {
      FValue = value;
      if (OnChange) OnChange(this);
    }
  }
  return ok;
}
