#include "gridcal/dbgrid.h"

#include <algorithm>
#include <functional>
#include <map>

#include "classlib/windows/application.h"
#include "classlib/core/beep.h"
#include "classlib/core/callbackguard.h"
#include "classlib/data/db.h"
#include "classlib/windows/dialogs.h"
#include "classlib/core/finally.h"
#include "classlib/core/format.h"
#include "classlib/windows/forms.h"
#include "classlib/windows/imglist.h"
#include "classlib/windows/menus.h"
#include "classlib/core/stringlist.h"
#include "classlib/core/text.h"
#include "classlib/core/unicode.h"
#include "gridcal/celldropdowns.h"
#include "gridcal/picklist.h"

TDgDBGridOptions DgDefaultGridOptionsFor(unsigned Language) {
  TDgDBGridOptions options = DgDefaultGridOptions;
  if (PRIMARYLANGID(Language) == LANG_KOREAN) options.Include(dgAlwaysShowEditor);
  return options;
}

TDgDBGridOptions DgSystemGridOptions() {
  static const TDgDBGridOptions options = DgDefaultGridOptionsFor(GetUserDefaultLangID());
  return options;
}

HX_PUBLISH(TDgDBGridInplaceEdit, p) {}

HX_PUBLISH(TDgCustomDBGrid, p) {}

HX_PUBLISH(TDgDBGrid, p) {
  p.Property("Align", &TDgDBGrid::GetAlign, &TDgDBGrid::SetAlign).Default(alNone);
  p.Property("AllowDelete", &TDgDBGrid::GetAllowDelete, &TDgDBGrid::SetAllowDelete).Default(true);
  p.Property("AllowInsert", &TDgDBGrid::GetAllowInsert, &TDgDBGrid::SetAllowInsert).Default(true);
  p.Property("BorderStyle", &TDgDBGrid::GetBorderStyle, &TDgDBGrid::SetBorderStyle).Default(bsSingle);
  p.Property("Color", &TDgDBGrid::GetColor, &TDgDBGrid::SetColor).Default(clWindow);
  p.Property("Columns", &TDgDBGrid::GetColumns, &TDgDBGrid::SetColumns)
      .Stored(&TDgDBGrid::IsColumnsStored);
  p.Property("DataSource", &TDgDBGrid::GetDataSource, &TDgDBGrid::SetDataSource);
  p.Property("DefaultDrawing", &TDgDBGrid::GetDefaultDrawing, &TDgDBGrid::SetDefaultDrawing).Default(true);
  p.Property("Enabled", &TDgDBGrid::GetEnabled, &TDgDBGrid::SetEnabled).Default(true);
  p.Property("FixedColor", &TDgDBGrid::GetFixedColor, &TDgDBGrid::SetFixedColor).Default(clBtnFace);
  p.Property("FixedCols", &TDgDBGrid::GetDataFixedCols, &TDgDBGrid::SetDataFixedCols).Default(0);
  p.Property("Font", &TDgDBGrid::GetFont, &TDgDBGrid::SetFont).Stored(&TDgDBGrid::IsFontStored);
  p.Property("HighlightColor", &TDgDBGrid::GetHighlightColor, &TDgDBGrid::SetHighlightColor).Default(clHighlight);
  p.Property("HighlightTextColor", &TDgDBGrid::GetHighlightTextColor, &TDgDBGrid::SetHighlightTextColor)
      .Default(clHighlightText);
  p.Property("Options", &TDgDBGrid::GetOptions, &TDgDBGrid::SetOptions).Default(DgSystemGridOptions());
  p.Property("ParentColor", &TDgDBGrid::GetParentColor, &TDgDBGrid::SetParentColor).Default(false);
  p.Property("ParentFont", &TDgDBGrid::GetParentFont, &TDgDBGrid::SetParentFont).Default(true);
  p.Property("ParentShowHint", &TDgDBGrid::GetParentShowHint, &TDgDBGrid::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &TDgDBGrid::GetPopupMenu, &TDgDBGrid::SetPopupMenu);
  p.Property("ReadOnly", &TDgDBGrid::GetReadOnly, &TDgDBGrid::SetReadOnly).Default(false);
  p.Property("RowsHeight", &TDgDBGrid::GetRowsHeight, &TDgDBGrid::SetRowsHeight).Default(0);
  p.Property("ShowHint", &TDgDBGrid::GetShowHint, &TDgDBGrid::SetShowHint).Default(false);
  p.Property("TabOrder", &TDgDBGrid::GetTabOrder, &TDgDBGrid::SetTabOrder);
  p.Property("TabStop", &TDgDBGrid::GetTabStop, &TDgDBGrid::SetTabStop).Default(true);
  p.Property("TitleFont", &TDgDBGrid::GetTitleFont, &TDgDBGrid::SetTitleFont);
  p.Property("TitleHeight", &TDgDBGrid::GetTitleHeight, &TDgDBGrid::SetTitleHeight).Default(0);
  p.Property("Visible", &TDgDBGrid::GetVisible, &TDgDBGrid::SetVisible).Default(true);
  p.Event("AfterCloseUp", &TDgDBGrid::AfterCloseUp);
  p.Event("BeforeDropDown", &TDgDBGrid::BeforeDropDown);
  p.Event("OnCalcFieldEdited", &TDgDBGrid::OnCalcFieldEdited);
  p.Event("OnCellClick", &TDgDBGrid::OnCellClick);
  p.Event("OnColEnter", &TDgDBGrid::OnColEnter);
  p.Event("OnColExit", &TDgDBGrid::OnColExit);
  p.Event("OnColumnMoved", &TDgDBGrid::OnColumnMoved);
  p.Event("OnColumnResized", &TDgDBGrid::OnColumnResized);
  p.Event("OnDblClick", &TDgDBGrid::OnDblClick);
  p.Event("OnDrawCellAttr", &TDgDBGrid::OnDrawCellAttr);
  p.Event("OnDrawColumnCell", &TDgDBGrid::OnDrawColumnCell);
  p.Event("OnDrawTitleAttr", &TDgDBGrid::OnDrawTitleAttr);
  p.Event("OnEditButtonClick", &TDgDBGrid::OnEditButtonClick);
  p.Event("OnEnter", &TDgDBGrid::OnEnter);
  p.Event("OnExit", &TDgDBGrid::OnExit);
  p.Event("OnKeyDown", &TDgDBGrid::OnKeyDown);
  p.Event("OnKeyPress", &TDgDBGrid::OnKeyPress);
  p.Event("OnKeyUp", &TDgDBGrid::OnKeyUp);
  p.Event("OnMouseDown", &TDgDBGrid::OnMouseDown);
  p.Event("OnMouseMove", &TDgDBGrid::OnMouseMove);
  p.Event("OnMouseUp", &TDgDBGrid::OnMouseUp);
  p.Event("OnMultiSelectChanged", &TDgDBGrid::OnMultiSelectChanged);
  p.Event("OnSpecialKeyDown", &TDgDBGrid::OnSpecialKeyDown);
  p.Event("OnTitleClick", &TDgDBGrid::OnTitleClick);
}

namespace {

constexpr UINT WM_DGLAYOUT = WM_APP + 0x2D1;      // a layout that waited for its lock
constexpr UINT WM_DGPAINTERROR = WM_APP + 0x2D2;  // a cell that failed to paint
constexpr int kIndicatorWidth = 11;
const char* const kDeleteOne = "Удалить запись ?";
const char* const kDeleteMany = "Удалить выбранные записи ?";

// The images of the indicator column and the sort markers, in their lists.
enum { imArrow, imEdit, imInsert, imMultiDot, imMultiArrow };
enum { imSortDown, imSortUp };

SIZE TextSize(TFont* Font, const String& Text) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->GetHandle());
  std::wstring w = Utf8ToWide(Text);
  SIZE s{};
  GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &s);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return s;
}

TEXTMETRICW Metrics(TFont* Font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->GetHandle());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return tm;
}

// Whether a field holds numbers (the calculator writes those as values).
bool IsNumberField(TField* Field) {
  switch (Field->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftFloat:
      return true;
    default:
      return false;
  }
}

// Numbers, dates and Booleans keep their reading order in a right-to-left grid.
bool ReadsRightToLeft(TField* Field) {
  if (!Field) return true;
  switch (Field->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftFloat:
    case ftDate:
    case ftDateTime:
    case ftBoolean:
      return false;
    default:
      return true;
  }
}

bool IsDateField(TField* Field) {
  return Field->DataType() == ftDate || Field->DataType() == ftDateTime;
}

String FirstLine(const String& Text) {
  size_t end = Text.find_first_of("\r\n");
  return end == String::npos ? Text : Text.substr(0, end);
}

}  // namespace

// ---- TDgDBGridInplaceEdit ----

TDgDBGridInplaceEdit::TDgDBGridInplaceEdit(TComponent* AOwner) : TInplaceEdit(AOwner) {}

TDgDBGridInplaceEdit::~TDgDBGridInplaceEdit() {
  for (auto& d : FDropDowns)
    if (d) d->OnCloseUp = nullptr;
}

TDgCustomDBGrid* TDgDBGridInplaceEdit::DBGrid() const { return static_cast<TDgCustomDBGrid*>(Grid()); }

int TDgDBGridInplaceEdit::ButtonWidth() const { return std::max(GetSystemMetrics(SM_CXVSCROLL) - 4, 4); }

TRect TDgDBGridInplaceEdit::ButtonRect() {
  if (FEditStyle == esSimple) return {};
  if (UseRightToLeftAlignment()) return {0, 0, ButtonWidth(), GetHeight()};
  return {GetWidth() - ButtonWidth(), 0, GetWidth(), GetHeight()};
}

TRect TDgDBGridInplaceEdit::EditRect() {
  TRect r = TInplaceEdit::EditRect();
  if (FEditStyle == esSimple) return r;
  if (UseRightToLeftAlignment()) r.Left += ButtonWidth();
  else r.Right -= ButtonWidth();
  return r;
}


void TDgDBGridInplaceEdit::SetEditStyle(TDgEditStyle Value) {
  if (Value == FEditStyle) return;
  if (FDropDownOpen) CloseUp(false);
  FEditStyle = Value;
  FDropDown = nullptr;
  ApplyEditRect();
  Invalidate();
}

void TDgDBGridInplaceEdit::UpdateContents() {
  TDgCustomDBGrid* grid = DBGrid();
  TDgColumn* column = grid ? grid->SelectedColumn() : nullptr;
  TDgEditStyle style = esSimple;
  if (column) {
    bool readOnly = column->GetReadOnly();
    switch (column->GetButtonStyle()) {
      case cbsCombo:
        if (column->HasPickList() && column->GetPickList()->Count() > 0 && !readOnly) style = esPickList;
        break;
      case cbsLookup: {
        TField* field = column->Field();
        TDataSet* dataSet = grid->DataLink()->DataSet();
        TField* linkField = dataSet ? dataSet->FindField(column->GetLookupLinkField()) : nullptr;
        if (field && grid->LookupComplete(column) && linkField && linkField->CanModify() && !readOnly &&
            !grid->GetReadOnly() && !grid->DataLink()->GetReadOnly() && grid->DataLink()->Active())
          style = esDataList;
        break;
      }
      case cbsCalendar:
        if (!readOnly) style = esCalendar;
        break;
      case cbsEllipsis: style = esEllipsis; break;
      case cbsCalculator:
        if (!readOnly) style = esCalculator;
        break;
      default: break;
    }
    SetReadOnly(readOnly);
  }
  SetEditStyle(style);
  TInplaceEdit::UpdateContents();
  if (column) {
    SetFont(column->GetFont());
    SetColor(column->GetColor());
    FImeMode = column->GetImeMode();
    FImeName = column->GetImeName();
    if (HandleAllocated() && GetFocus() == GetHandle()) ApplyIme();
  }
}

void TDgDBGridInplaceEdit::ApplyIme() {
  HWND h = GetHandle();
  if (FImeMode == imDisable) {
    if (!FImeDisabled) FSavedContext = ImmAssociateContext(h, nullptr);
    FImeDisabled = true;
  } else {
    if (FImeDisabled) ImmAssociateContext(h, FSavedContext);
    FImeDisabled = false;
    if (HIMC context = FImeMode != imDontCare ? ImmGetContext(h) : nullptr) {
      if (FImeMode == imClose) {
        ImmSetOpenStatus(context, FALSE);
      } else {
        ImmSetOpenStatus(context, TRUE);
        static const DWORD modes[] = {
            IME_CMODE_ALPHANUMERIC,                                          // imSAlpha
            IME_CMODE_ALPHANUMERIC | IME_CMODE_FULLSHAPE,                    // imAlpha
            IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE,                          // imHira
            IME_CMODE_NATIVE | IME_CMODE_KATAKANA,                           // imSKata
            IME_CMODE_NATIVE | IME_CMODE_KATAKANA | IME_CMODE_FULLSHAPE,     // imKata
            IME_CMODE_NATIVE,                                                // imChinese
            IME_CMODE_HANGUL,                                                // imSHanguel
            IME_CMODE_HANGUL | IME_CMODE_FULLSHAPE,                          // imHanguel
        };
        if (FImeMode >= imSAlpha) {
          DWORD conversion = 0, sentence = 0;
          ImmGetConversionStatus(context, &conversion, &sentence);
          ImmSetConversionStatus(context, modes[FImeMode - imSAlpha], sentence);
        }
      }
      ImmReleaseContext(h, context);
    }
  }
  if (FImeName.empty()) return;
  // The installed input method of that name becomes the keyboard layout.
  int count = GetKeyboardLayoutList(0, nullptr);
  std::vector<HKL> layouts(static_cast<size_t>(std::max(count, 0)));
  if (count > 0) GetKeyboardLayoutList(count, layouts.data());
  std::wstring wanted = Utf8ToWide(FImeName);
  for (HKL layout : layouts) {
    wchar_t name[256]{};
    if (ImmIsIME(layout) && ImmGetDescriptionW(layout, name, 255) > 0 && wanted == name) {
      HKL previous = ActivateKeyboardLayout(layout, 0);
      if (!FSavedLayout) FSavedLayout = previous;
      break;
    }
  }
}

void TDgDBGridInplaceEdit::ResetIme() {
  if (!HandleAllocated()) return;
  if (FImeDisabled) ImmAssociateContext(GetHandle(), FSavedContext);
  FImeDisabled = false;
  if (FSavedLayout) ActivateKeyboardLayout(FSavedLayout, 0);
  FSavedLayout = nullptr;
}

void TDgDBGridInplaceEdit::DropDown() {
  TDgCustomDBGrid* grid = DBGrid();
  TDgColumn* column = grid ? grid->SelectedColumn() : nullptr;
  if (FDropDownOpen || !HasDropDown(FEditStyle) || !column) return;
  auto& slot = FDropDowns[FEditStyle];
  if (!slot && DropDownFactory) {
    slot = DropDownFactory(FEditStyle, this);
    if (slot) slot->OnCloseUp = [this](bool Accept) { CloseUp(Accept); };
  }
  if (!slot) return;
  FDropDown = slot.get();
  if (grid->BeforeDropDown) grid->BeforeDropDown(grid, column);

  TField* field = column->Field();
  TDgDropDownSetup setup;
  setup.Width = column->GetDropDownWidth() ? column->GetDropDownWidth() : column->GetWidth();
  setup.Rows = column->GetDropDownRows();
  switch (FEditStyle) {
    case esPickList: {
      setup.Color = GetColor();
      setup.Font = GetFont();
      TStrings* items = column->GetPickList();
      setup.Items = items;
      if (field && !field->IsNull()) {
        String text = field->GetText();
        TStrings* values = column->HasPickValues() ? column->GetPickValues() : nullptr;
        setup.ItemIndex = values && values->Count() == items->Count() ? values->IndexOf(text) : items->IndexOf(text);
      }
      break;
    }
    case esDataList: {
      setup.Color = column->GetColor();
      setup.Font = column->GetFont();
      setup.ListSource = column->GetLookupDataSet();
      setup.ListField = column->GetLookupDropDownFields();
      setup.KeyField = column->GetLookupKeyField();
      TDataSet* dataSet = grid->DataLink()->DataSet();
      if (TField* linkField = dataSet ? dataSet->FindField(column->GetLookupLinkField()) : nullptr) {
        setup.KeyValue = linkField->GetValue();
        if (!setup.KeyValue.IsNull() && setup.ListSource)
          setup.ListSource->Locate(setup.KeyField, setup.KeyValue, TLocateOptions{});
      }
      break;
    }
    case esCalendar: {
      // A text that is no date opens on today and stays as it is.
      setup.Date = Date();
      TDateTime d = 0;
      if (field && IsDateField(field) && !field->IsNull()) setup.Date = field->GetAsDateTime();
      else if (TryStrToDate(GetText(), d)) setup.Date = d;
      break;
    }
    case esCalculator: {
      double v = 0;
      if (TryStrToFloat(GetText(), v)) setup.Number = v;
      HideCaret(GetHandle());
      break;
    }
    default: break;
  }
  FOpeningText = GetText();
  TPoint origin = ClientToScreen({0, 0});
  TRect anchor{origin.X, origin.Y, origin.X + GetWidth(), origin.Y + GetHeight()};
  FDropDownOpen = true;
  FDropDown->Open(setup, anchor);
  Invalidate();
}

void TDgDBGridInplaceEdit::CloseUp(bool Accept) {
  if (!FDropDownOpen || !FDropDown) return;
  TDgCustomDBGrid* grid = DBGrid();
  TDgColumn* column = grid ? grid->SelectedColumn() : nullptr;
  StopTracking();
  if (GetCapture()) ReleaseCapture();
  TDgDropDownResult result = FDropDown->Result();
  TDgEditStyle style = FEditStyle;
  FDropDown->Close();
  FDropDownOpen = false;
  if (style == esCalculator) ShowCaret(GetHandle());
  Invalidate();
  // Not accepted: the text from the opening comes back (the calculator typed into it).
  if (!Accept && GetText() != FOpeningText) SetText(FOpeningText);
  if (Accept && result.HasValue && column && grid) {
    TField* field = column->Field();
    TDataSet* dataSet = grid->DataLink()->DataSet();
    try {
      if (style == esDataList) {
        TField* linkField = dataSet ? dataSet->FindField(column->GetLookupLinkField()) : nullptr;
        if (linkField && linkField->CanModify() && grid->DataLink()->Edit()) linkField->SetValue(result.KeyValue);
      } else if (field && grid->CanEditModifyCell() && grid->DataLink()->Edit()) {
        switch (style) {
          case esPickList: {
            TStrings* items = column->GetPickList();
            TStrings* values = column->HasPickValues() ? column->GetPickValues() : nullptr;
            if (result.ItemIndex >= 0 && result.ItemIndex < items->Count())
              field->SetText(values && values->Count() == items->Count() ? values->Get(result.ItemIndex)
                                                                          : items->Get(result.ItemIndex));
            break;
          }
          case esCalendar:
            if (IsDateField(field)) field->SetAsDateTime(result.Date);
            else field->SetText(DateToStr(result.Date));
            break;
          case esCalculator:
            if (IsNumberField(field)) field->SetAsFloat(result.Number);
            else field->SetText(FloatToStr(result.Number));
            break;
          default: break;
        }
      }
    } catch (...) {
      // The field refused the value: it stays as it was, the editor shows it again.
      SetText(FOpeningText);
      if (grid->AfterCloseUp) grid->AfterCloseUp(grid, column, Accept);
      throw;
    }
    SetText(grid->GetEditText(grid->GetCol(), grid->GetRow()));
    SelectAll();
  }
  if (grid && grid->AfterCloseUp) grid->AfterCloseUp(grid, column, Accept);
}

void TDgDBGridInplaceEdit::StopTracking() {
  if (!FTracking) return;
  FTracking = false;
  if (FPressed) {
    FPressed = false;
    Invalidate();
  }
  if (GetCapture() == GetHandle()) ReleaseCapture();
}

bool TDgDBGridInplaceEdit::HandleKey(UINT Msg, WORD& Key, TShiftState Shift) {
  TDgCustomDBGrid* grid = DBGrid();
  if (!grid) return false;
  bool down = Msg == WM_KEYDOWN || Msg == WM_SYSKEYDOWN;
  bool alt = Shift.Contains(ssAlt);
  bool open = DropDownVisible();
  if (down) {
    // Alt+Up or Alt+Down: open, or close accepting.
    if ((Key == VK_UP || Key == VK_DOWN) && alt && HasDropDown(FEditStyle)) {
      if (open) CloseUp(true);
      else DropDown();
      return true;
    }
    if ((Key == VK_RETURN || Key == VK_ESCAPE) && open && !alt) {
      CloseUp(Key == VK_RETURN);
      FSwallowChar = true;  // its character follows: not for the grid
      return true;
    }
    if (Key == VK_RETURN && Shift.Contains(ssCtrl) && FEditStyle == esEllipsis) {
      FSwallowChar = true;
      if (grid->OnEditButtonClick) grid->OnEditButtonClick(grid, grid->SelectedColumn());
      return true;
    }
    bool plain = Key == VK_SPACE || (Key >= 48 && Key <= 90) || (Key >= 96 && Key <= 105);
    if (!plain && grid->OnSpecialKeyDown) {
      grid->OnSpecialKeyDown(grid, grid->SelectedColumn(), Key, GetText());
      if (Key == 0) return true;
    }
    if (Key == VK_RETURN && grid->GetOptions().Contains(dgEnterToTab) && !open) {
      WORD tab = VK_TAB;
      grid->KeyDown(tab, Shift - TShiftState{ssCtrl});
      FSwallowChar = true;
      return true;
    }
  } else if (Msg == WM_CHAR) {
    if (FSwallowChar && (Key == L'\r' || Key == 27 || Key == L'\n')) {
      FSwallowChar = false;
      return true;
    }
    FSwallowChar = false;
    if (Key >= 32 && !open && (FEditStyle == esPickList || FEditStyle == esDataList) && grid->SelectedColumn() &&
        grid->SelectedColumn()->GetAutoDropDown()) {
      DropDown();
      open = DropDownVisible();
    }
  }
  if (open && FDropDown && FDropDown->Control()) {
    // The drop-down has no focus of its own: it hears the keys the editor does not take.
    if (Msg != WM_SYSKEYDOWN) SendMessageW(FDropDown->Control()->GetHandle(), Msg, Key, 0);
    return true;
  }
  return false;
}

void TDgDBGridInplaceEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR: {
      auto key = static_cast<WORD>(Message.WParam);
      TShiftState shift = KeyboardShiftState();
      if (Message.LParam & (1 << 29)) shift.Include(ssAlt);
      if (HandleKey(Message.Msg, key, shift)) {
        Message.Result = 0;
        return;
      }
      Message.WParam = key;
      break;
    }
    case WM_SETFOCUS:
      TInplaceEdit::Dispatch(Message);
      ApplyIme();
      return;
    case WM_KILLFOCUS:
      // Focus gone (another control, another program): the drop-down closes unaccepted.
      CloseUp(false);
      ResetIme();
      break;
    case CM_CANCELMODE: {
      // A press on the drop-down or on one of its buttons (the calendar's days, the
      // calculator's keys) is no press elsewhere.
      auto* sender = reinterpret_cast<TControl*>(Message.LParam);
      TControl* inside = sender;
      while (inside && !(FDropDown && inside == FDropDown->Control())) inside = inside->GetParent();
      if (sender != this && !inside) CloseUp(false);
      return;
    }
    case WM_SETCURSOR: {
      POINT p{};
      GetCursorPos(&p);
      ::ScreenToClient(GetHandle(), &p);
      if (FEditStyle != esSimple && ButtonRect().Contains({p.x, p.y})) {
        ::SetCursor(LoadCursorW(nullptr, IDC_HAND));
        Message.Result = 1;
        return;
      }
      break;
    }
    case WM_LBUTTONDBLCLK: {
      if (FEditStyle != esSimple && ButtonRect().Contains({MessageX(Message.LParam), MessageY(Message.LParam)})) return;
      break;
    }
    case WM_PAINT:
    case WM_NCPAINT: {
      TInplaceEdit::Dispatch(Message);
      if (FEditStyle != esSimple && HandleAllocated()) {
        HDC dc = GetDC(GetHandle());
        PaintButton(dc);
        ReleaseDC(GetHandle(), dc);
      }
      return;
    }
  }
  TInplaceEdit::Dispatch(Message);
}

void TDgDBGridInplaceEdit::PaintButton(HDC DC) {
  TRect b = ButtonRect();
  RECT r{b.Left, b.Top, b.Right, b.Bottom};
  if (FEditStyle == esEllipsis) {
    FillRect(DC, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (!FPressed) DrawEdge(DC, &r, EDGE_RAISED, BF_RECT);
    else FrameRect(DC, &r, GetSysColorBrush(COLOR_BTNSHADOW));
    int side = std::max(ButtonWidth() / 8, 1);
    int x = b.Left + (b.Width() - side * 5) / 2 + (FPressed ? 1 : 0);
    int y = b.Top + (b.Height() - side) / 2 + (FPressed ? 1 : 0);
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    for (int i = 0; i < 3; ++i) {
      RECT dot{x + i * side * 2, y, x + i * side * 2 + side, y + side};
      FillRect(DC, &dot, black);
    }
  } else {
    UINT state = DFCS_SCROLLCOMBOBOX;
    bool available = FDropDowns[FEditStyle] || DropDownFactory;
    if (!available) state |= DFCS_INACTIVE;
    if (FPressed || DropDownVisible()) state |= DFCS_PUSHED | DFCS_FLAT;
    DrawFrameControl(DC, &r, DFC_SCROLL, state);
  }
}

void TDgDBGridInplaceEdit::KeyDown(WORD& Key, TShiftState Shift) { TInplaceEdit::KeyDown(Key, Shift); }

void TDgDBGridInplaceEdit::KeyPress(wchar_t& Key) {
  // A typed Enter becomes Tab with dgEnterToTab (already handed to the grid).
  if (Key == L'\r' && DBGrid() && DBGrid()->GetOptions().Contains(dgEnterToTab)) {
    Key = 0;
    return;
  }
  TInplaceEdit::KeyPress(Key);
}

void TDgDBGridInplaceEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && FEditStyle != esSimple && ButtonRect().Contains({X, Y})) {
    if (DropDownVisible()) {
      CloseUp(false);
    } else {
      SetMouseCapture(true);
      FTracking = true;
      FPressed = true;
      Invalidate();
      DropDown();
    }
  }
  TInplaceEdit::MouseDown(Button, Shift, X, Y);
}

void TDgDBGridInplaceEdit::MouseMove(TShiftState Shift, int X, int Y) {
  if (FTracking) {
    bool pressed = ButtonRect().Contains({X, Y});
    if (pressed != FPressed) {
      FPressed = pressed;
      Invalidate();
    }
    if (DropDownVisible() && FDropDown->Control()) {
      // Dragged into the open drop-down: it takes over, so one press picks an item.
      TWinControl* list = FDropDown->Control();
      TPoint screen = ClientToScreen({X, Y});
      TPoint local = list->ScreenToClient(screen);
      if (list->ClientRect().Contains(local)) {
        StopTracking();
        SendMessageW(list->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(local.X, local.Y));
      }
    }
  }
  TInplaceEdit::MouseMove(Shift, X, Y);
}

void TDgDBGridInplaceEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  bool wasPressed = FPressed;
  StopTracking();
  if (Button == mbLeft && FEditStyle == esEllipsis && wasPressed && ButtonRect().Contains({X, Y})) {
    if (TDgCustomDBGrid* grid = DBGrid(); grid && grid->OnEditButtonClick) grid->OnEditButtonClick(grid, grid->SelectedColumn());
  }
  TInplaceEdit::MouseUp(Button, Shift, X, Y);
}

void TDgDBGridInplaceEdit::DoExit() {
  CloseUp(false);
  TInplaceEdit::DoExit();
  if (TDgCustomDBGrid* grid = DBGrid()) {
    HWND focus = GetFocus();
    if (focus != grid->GetHandle() && focus != GetHandle()) grid->DoExit();
  }
}

// ---- TDgCustomDBGrid ----

TDgCustomDBGrid::TDgCustomDBGrid(TComponent* AOwner)
    : TCustomGrid(AOwner),
      FDataLink(std::make_unique<TGridDataLink>(this)),
      FColumns(std::make_unique<TDgDBGridColumns>(this, this)),
      FBookmarks(std::make_unique<TBookmarkList>(this)),
      FTitleFont(new TFont) {
  FTitleFont->Assign(GetFont());
  FTitleFont->OnChange = [this](TObject*) {
    if (GetParentFont()) SetParentFont(false);
    LayoutChanged();
  };
  SetColCount(2);
  SetRowCount(2);
  SetColor(clWindow);
  SetOptions(FOptions);
  LoadImages();
  DropDownFactory = MakeDgCellDropDown;
}

TDgCustomDBGrid::~TDgCustomDBGrid() {
  FDataLink->SetDataSource(nullptr);
  FColumns.reset();
  delete FTitleFont;
}

void TDgCustomDBGrid::LoadImages() {
  auto load = [](const wchar_t* Name) -> std::unique_ptr<TBitmap> {
    HBITMAP h = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), Name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!h) return nullptr;
    auto b = std::make_unique<TBitmap>();
    b->SetHandle(h);
    return b;
  };
  FIndicators = std::make_unique<TImageList>(nullptr);
  FIndicators->SetWidth(7);
  FIndicators->SetHeight(9);
  for (const wchar_t* name : {L"DGGARROW", L"DGEDIT", L"DGINSERT", L"DGMULTIDOT", L"DGMULTIARROW"}) {
    auto b = load(name);
    if (!b) {
      FIndicators->Clear();
      break;
    }
    FIndicators->AddMasked(b.get(), clWhite);
  }
  FSortImages = std::make_unique<TImageList>(nullptr);
  FSortImages->SetWidth(8);
  FSortImages->SetHeight(5);
  for (const wchar_t* name : {L"DGSMDOWN", L"DGSMUP"}) {
    auto b = load(name);
    if (!b) {
      FSortImages->Clear();
      break;
    }
    FSortImages->AddMasked(b.get(), clSilver);
  }
}

void TDgCustomDBGrid::CreateParams(TCreateParams& Params) {
  TCustomGrid::CreateParams(Params);
  Params.Style |= WS_VSCROLL;
  // Right to left the window is mirrored: the indicator and the first column at the right,
  // the scroll bar at the left. The editor lays out its own mirror.
  if (UseRightToLeftAlignment()) Params.ExStyle |= WS_EX_LAYOUTRTL | WS_EX_NOINHERITLAYOUT;
}

void TDgCustomDBGrid::CreateWnd() {
  TCustomGrid::CreateWnd();
  FLastScrollMin = FLastScrollMax = FLastScrollPage = FLastScrollPos = -1;
  LayoutChanged();
}

void TDgCustomDBGrid::Loaded() {
  TCustomGrid::Loaded();
  LayoutChanged();
}

void TDgCustomDBGrid::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomGrid::Notification(AComponent, Operation);
  if (Operation == opRemove && FDataLink && AComponent == FDataLink->GetDataSource()) SetDataSource(nullptr);
  if (Operation == opRemove && AComponent == FNestedPopup) FNestedPopup = nullptr;
}

void TDgCustomDBGrid::SetDataSource(TDataSource* Value) {
  if (Value == FDataLink->GetDataSource()) return;
  FBookmarks->Clear();
  FDataLink->SetDataSource(Value);
  if (Value) Value->FreeNotification(this);
  LayoutChanged();
}

void TDgCustomDBGrid::SetColumns(TDgDBGridColumns* Value) { FColumns->Assign(Value); }

void TDgCustomDBGrid::SetOptions(TDgDBGridOptions Value) {
  if (Value.Contains(dgDragOutRows)) Value.Include(dgRowSelect);
  if (Value.Contains(dgRowSelect)) Value = Value - TDgDBGridOptions{dgEditing, dgAlwaysShowEditor, dgEnterToTab};
  if (FOptions.Contains(dgMultiSelect) && !Value.Contains(dgMultiSelect)) FBookmarks->Clear();
  const TDgDBGridOptions relayout{dgEditing,  dgAlwaysShowEditor, dgTitles,    dgIndicator,
                                  dgColLines, dgRowLines,         dgRowSelect, dgAlwaysShowSelection};
  TDgDBGridOptions changed = (FOptions - Value) + (Value - FOptions);
  FOptions = Value;
  TGridOptions grid;
  if (Value.Contains(dgColLines)) grid = grid + TGridOptions{goFixedVertLine, goVertLine};
  if (Value.Contains(dgRowLines)) grid = grid + TGridOptions{goFixedHorzLine, goHorzLine};
  if (Value.Contains(dgColumnResize)) grid = grid + TGridOptions{goColSizing, goColMoving};
  if (Value.Contains(dgTabs)) grid.Include(goTabs);
  if (Value.Contains(dgEditing)) grid.Include(goEditing);
  if (Value.Contains(dgAlwaysShowEditor)) grid.Include(goAlwaysShowEditor);
  if (Value.Contains(dgRowSelect)) grid.Include(goRowSelect);
  TCustomGrid::SetOptions(grid);
  if (!Value.Contains(dgEditing)) {
    FAllowInsert = false;
    FAllowDelete = false;
  }
  if (!(changed * relayout == TDgDBGridOptions{})) LayoutChanged();
}

void TDgCustomDBGrid::SetReadOnly(bool Value) {
  FReadOnly = Value;
  LayoutChanged();
}

void TDgCustomDBGrid::SetDataFixedCols(int Value) {
  FUserFixedCols = std::max(Value, 0);
  LayoutChanged();
}

void TDgCustomDBGrid::SetRowsHeight(int Value) {
  FRowsHeight = std::max(Value, 0);
  LayoutChanged();
}

void TDgCustomDBGrid::SetTitleHeight(int Value) {
  FTitleHeight = std::max(Value, 0);
  if (FOptions.Contains(dgTitles)) LayoutChanged();
}

void TDgCustomDBGrid::SetTitleFont(TFont* Value) { FTitleFont->Assign(Value); }

int TDgCustomDBGrid::TextWidth(TFont* Font, const String& Text) { return TextSize(Font, Text).cx; }
int TDgCustomDBGrid::AveCharWidth(TFont* Font) { return Metrics(Font).tmAveCharWidth; }
int TDgCustomDBGrid::FontOverhang(TFont* Font) { return Metrics(Font).tmOverhang; }

// ---- Layout ----

void TDgCustomDBGrid::BeginLayout() { ++FLayoutLock; }

void TDgCustomDBGrid::EndLayout() {
  if (FLayoutLock > 0 && --FLayoutLock == 0 && FLayoutPending) {
    FLayoutPending = false;
    InternalLayout();
  }
}

void TDgCustomDBGrid::LayoutChanged() {
  if (FInLayout) return;
  if (FLayoutLock > 0) {
    if (!FLayoutPending && HandleAllocated()) PostMessageW(GetHandle(), WM_DGLAYOUT, 0, 0);
    FLayoutPending = true;
    return;
  }
  InternalLayout();
}

void TDgCustomDBGrid::InternalLayout() {
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying) || !FColumns) return;
  FInLayout = true;
  FPaintFailureReported = false;
  {
    TFinally done([this] { FInLayout = false; });
    TDataSet* dataSet = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    // The columns the grid makes itself follow the fields.
    if (FColumns->GetState() == csDefault) {
      // Object columns keep whether they were expanded.
      std::map<String, bool> expanded;
      for (int i = 0; i < FColumns->Count(); ++i)
        expanded[AnsiUpperCase(FColumns->Items(i)->GetFieldName())] = FColumns->Items(i)->GetExpanded();
      FColumns->BeginUpdate();
      FColumns->Clear();
      std::function<void(TField*)> add = [&](TField* Field) {
        if (!Field->GetVisible()) return;
        TDgColumn* column = FColumns->AddDefault();
        column->SetFieldName(Field->FullName());
        auto it = expanded.find(AnsiUpperCase(Field->FullName()));
        if (it != expanded.end()) column->SetExpanded(it->second);
        if (Field->DataType() == ftADT || Field->DataType() == ftArray)
          for (int i = 0; i < static_cast<TObjectField*>(Field)->FieldCount(); ++i)
            add(static_cast<TObjectField*>(Field)->Fields()->Fields(i));
      };
      if (dataSet)
        for (int i = 0; i < dataSet->FieldCount(); ++i) add(dataSet->Fields()->Fields(i));
      FColumns->EndUpdate();
    }
    FDataLink->ClearMapping();
    if (dataSet)
      for (int i = 0; i < FColumns->Count(); ++i) FDataLink->AddMapping(FColumns->Items(i)->GetFieldName());

    FIndicatorOffset = FOptions.Contains(dgIndicator) ? 1 : 0;
    int count = FColumns->Count();
    int levels = 1;
    bool expandable = false;
    for (int i = 0; i < count; ++i) {
      TDgColumn* column = FColumns->Items(i);
      if (column->Showing()) levels = std::max(levels, column->Depth() + 1);
      expandable = expandable || column->Expandable();
    }
    FTitleOffset = FOptions.Contains(dgTitles) ? levels : 0;
    SetColCount(std::max(count + FIndicatorOffset, FIndicatorOffset + 1));
    // Data rows: the font's "Wg" + 3 and a line; titles the title fonts' + 4.
    int lineWidth = FOptions.Contains(dgRowLines) ? GetGridLineWidth() : 0;
    int rowHeight = TextSize(GetFont(), "Wg").cy + 3 + lineWidth;
    if (FRowsHeight > rowHeight) rowHeight = FRowsHeight;
    SetDefaultRowHeight(rowHeight - lineWidth);
    if (FIndicatorOffset) SetColWidths(0, kIndicatorWidth);
    FTabStops.assign(static_cast<size_t>(count), false);
    FSortMarkers.resize(static_cast<size_t>(count), smNone);
    int titleHeight = TextSize(FTitleFont, "Wg").cy + 4;
    for (int i = 0; i < count; ++i) {
      TDgColumn* column = FColumns->Items(i);
      titleHeight = std::max(titleHeight, static_cast<int>(TextSize(column->GetTitle()->GetFont(), "Wg").cy) + 4);
      int w = column->GetWidth();
      SetColWidths(i + FIndicatorOffset, column->Showing() ? std::max(w, 0) : 0);
      TField* field = column->Field();
      bool stop = column->Showing() && !column->GetReadOnly() && dataSet && field && !field->GetReadOnly();
      if (stop && field->Lookup()) {
        TField* key = dataSet->FindField(field->GetKeyFields());
        stop = key && !key->GetReadOnly();
      }
      FTabStops[static_cast<size_t>(i)] = stop;
    }
    if (count == 0) SetColWidths(FIndicatorOffset, GetDefaultColWidth());
    if (FTitleHeight > titleHeight) titleHeight = FTitleHeight;
    int fixed = std::min(FIndicatorOffset + FUserFixedCols, GetColCount() - 1);
    SetFixedCols(fixed);
    if (GetRowCount() < FTitleOffset + 1) SetRowCount(FTitleOffset + 1);
    SetFixedRows(FTitleOffset);
    if (FTitleOffset) {
      // Every title row holds the title fonts; one with an expand arrow an arrow's height.
      int rowTitle = titleHeight;
      if (expandable) rowTitle = std::max(rowTitle, GetSystemMetrics(SM_CYHSCROLL));
      for (int r = 1; r < FTitleOffset; ++r) SetRowHeights(r, rowTitle - lineWidth);
      SetRowHeights(0, std::max(titleHeight, rowTitle) - lineWidth);
    }
    if (GetCol() < GetFixedCols()) SetCol(GetFixedCols());
    UpdateRowCount();
    UpdateActive();
    UpdateScrollBar();
  }
  Invalidate();
  if (GetEditorMode() || GetOptions().Contains(dgAlwaysShowEditor)) {
    HideEditor();
    if (FOptions.Contains(dgAlwaysShowEditor) && (Focused())) ShowEditor();
  }
}

void TDgCustomDBGrid::UpdateRowCount() {
  int lineWidth = RowLineWidth();
  int rowStep = GetDefaultRowHeight() + lineWidth;
  int fit = std::max(1, (GetClientHeight() - FixedHeight()) / std::max(rowStep, 1));
  int records = 0;
  if (FDataLink->Active()) {
    if (FDataLink->GetBufferCount() != fit) FDataLink->SetBufferCount(fit);
    records = FDataLink->RecordCount();
  }
  int rows = FTitleOffset + std::max(records, 1);
  if (rows != GetRowCount()) SetRowCount(rows);
  SetTopRow(FTitleOffset);
}

bool TDgCustomDBGrid::HasRecords() {
  if (!FDataLink->Active()) return false;
  TDataSet* dataSet = FDataLink->DataSet();
  return !dataSet->IsEmpty() || dataSet->State() == dsInsert;
}

void TDgCustomDBGrid::UpdateActive() {
  if (!FDataLink->Active()) return;
  int row = FTitleOffset + FDataLink->GetActiveRecord();
  if (row != GetRow() && row < GetRowCount()) {
    FSelecting = true;
    TCustomGrid::SetRow(row);
    FSelecting = false;
  }
}

void TDgCustomDBGrid::UpdateScrollBar() {
  if (!HandleAllocated()) return;
  int min = 0, max = 0, page = 0, pos = 0;
  if (FDataLink->Active()) {
    TDataSet* dataSet = FDataLink->DataSet();
    if (dataSet->IsSequenced()) {
      min = 1;
      page = std::max(VisibleRowCount(), 1);
      max = dataSet->RecordCount() + page - 1;
      pos = dataSet->State() == dsInsert ? FLastScrollPos : dataSet->GetRecNo();
      if (pos < 0) pos = 1;
    } else {
      min = 0;
      max = 4;
      page = 0;
      pos = dataSet->Bof() ? 0 : dataSet->Eof() ? 4 : 2;
    }
  }
  if (min == FLastScrollMin && max == FLastScrollMax && page == FLastScrollPage && pos == FLastScrollPos) return;
  FLastScrollMin = min;
  FLastScrollMax = max;
  FLastScrollPage = page;
  FLastScrollPos = pos;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  si.nMin = min;
  si.nMax = max;
  si.nPage = static_cast<UINT>(page);
  si.nPos = pos;
  // Redrawn with the next paint, not now: a synchronous redraw per record costs more than
  // the move.
  SetScrollInfo(GetHandle(), SB_VERT, &si, FALSE);
  RedrawWindow(GetHandle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOERASE | RDW_NOCHILDREN);
}

// ---- The data link's requests ----

void TDgCustomDBGrid::LinkActive(bool Value) {
  FBookmarks->LinkActive(Value);
  if (!Value) HideEditor();
  LayoutChanged();
}

void TDgCustomDBGrid::DataChanged() {
  if (!HandleAllocated() || FInLayout) return;
  UpdateRowCount();
  UpdateScrollBar();
  UpdateActive();
  InvalidateEditor();
  Invalidate();
}

void TDgCustomDBGrid::Scroll(int Distance) {
  if (!HandleAllocated()) return;
  UpdateRowCount();
  UpdateScrollBar();
  UpdateActive();
  if (Distance != 0) {
    InvalidateEditor();
    Invalidate();
  } else {
    InvalidateRow(GetRow());
  }
}

void TDgCustomDBGrid::EditingChanged() {
  if (FIndicatorOffset) InvalidateCell(0, GetRow());
}

void TDgCustomDBGrid::RecordChanged(TField* Field) {
  if (!HandleAllocated()) return;
  InvalidateRow(GetRow());
  TInplaceEdit* editor = InplaceEditor();
  TField* selected = SelectedField();
  if (editor && editor->Shown() && (!Field || Field == selected) && selected &&
      GetEditText(GetCol(), GetRow()) != FEditText)
    InvalidateEditor();
  if (!editor || !editor->Shown()) FEditText = "";
}

bool TDgCustomDBGrid::FocusField(TField* Field) {
  for (int i = 0; i < FColumns->Count(); ++i)
    if (FColumns->Items(i)->Field() == Field) {
      SetSelectedIndex(i);
      if (CanFocus()) {
        SetFocus();
        ShowEditor();
        return true;
      }
      return false;
    }
  return false;
}

void TDgCustomDBGrid::UpdateData() {
  TDgColumn* column = SelectedColumn();
  TField* field = column ? column->Field() : nullptr;
  if (!field) return;
  String text = FEditText;
  if (column->GetButtonStyle() == cbsCombo && PickMapping(column)) {
    // A text that is not in the pick list stores nothing: the field keeps its value and the
    // editor its text.
    if (!text.empty() && column->GetPickList()->IndexOf(text) < 0) {
      Beeper().MessageBeep(0);
      throw EAbort();
    }
    text = PickValueOf(column, text);
  }
  if (field->Calculated()) {
    if (OnCalcFieldEdited) OnCalcFieldEdited(this, field, text);
    return;
  }
  field->SetText(text);
}

void TDgCustomDBGrid::ColumnChanged(TDgColumn* Column) {
  if (FInLayout || !Column) return;
  int raw = DataToRawColumn(Column->GetIndex());
  if (raw < GetColCount()) {
    int w = Column->Showing() ? std::max(Column->GetWidth(), 0) : 0;
    if (GetColWidths(raw) != w) {
      FInLayout = true;
      SetColWidths(raw, w);
      FInLayout = false;
    }
    InvalidateCol(raw);
  }
}

// ---- Cells and columns ----

TDgColumn* TDgCustomDBGrid::SelectedColumn() const {
  int i = RawToDataColumn(GetCol());
  return i >= 0 && i < FColumns->Count() ? FColumns->Items(i) : nullptr;
}

TField* TDgCustomDBGrid::SelectedField() {
  TDgColumn* column = SelectedColumn();
  return column ? column->Field() : nullptr;
}

void TDgCustomDBGrid::SetSelectedField(TField* Value) {
  for (int i = 0; i < FColumns->Count(); ++i)
    if (FColumns->Items(i)->Field() == Value) {
      SetSelectedIndex(i);
      return;
    }
}

void TDgCustomDBGrid::SetSelectedIndex(int Value) { MoveCol(DataToRawColumn(Value), 0); }

bool TDgCustomDBGrid::TabStops(int DataCol) const {
  return DataCol >= 0 && DataCol < static_cast<int>(FTabStops.size()) && FTabStops[static_cast<size_t>(DataCol)];
}

TDgSortMarker TDgCustomDBGrid::GetSortMarker(int DataCol) const {
  return DataCol >= 0 && DataCol < static_cast<int>(FSortMarkers.size()) ? FSortMarkers[static_cast<size_t>(DataCol)]
                                                                          : smNone;
}

void TDgCustomDBGrid::SetSortMarker(int DataCol, TDgSortMarker Value) {
  if (DataCol < 0) return;
  if (DataCol >= static_cast<int>(FSortMarkers.size())) FSortMarkers.resize(static_cast<size_t>(DataCol) + 1, smNone);
  FSortMarkers[static_cast<size_t>(DataCol)] = Value;
  InvalidateCell(DataToRawColumn(DataCol), 0);
}

// The pick list's rules are those of its drop-down (picklist.h).
bool TDgCustomDBGrid::PickMapping(TDgColumn* Column) const {
  return Column->HasPickList() && Column->HasPickValues() &&
         PickValuesApply(Column->GetPickList(), Column->GetPickValues());
}

String TDgCustomDBGrid::PickTextOf(TDgColumn* Column, const String& Stored) {
  int i = PickListIndex(Column->GetPickList(), Column->GetPickValues(), Stored, false);
  return i < 0 ? String() : Column->GetPickList()->Get(i);
}

String TDgCustomDBGrid::PickValueOf(TDgColumn* Column, const String& Text) {
  return PickListValue(Column->GetPickList(), Column->GetPickValues(), Column->GetPickList()->IndexOf(Text));
}

bool TDgCustomDBGrid::LookupComplete(TDgColumn* Column) {
  TDataSet* lookup = Column->GetLookupDataSet();
  return lookup && lookup->GetActive() && !Column->GetLookupKeyField().empty() &&
         !Column->GetLookupLinkField().empty() && !Column->GetLookupDropDownFields().empty();
}

String TDgCustomDBGrid::LookupText(TDgColumn* Column) {
  TDataSet* dataSet = FDataLink->DataSet();
  TField* linkField = dataSet ? dataSet->FindField(Column->GetLookupLinkField()) : nullptr;
  if (!linkField) return "";
  TVariant key = linkField->GetValue();
  if (key.IsNull()) return "";
  String first = Column->FirstLookupDropDownField();
  if (Column->GetLookupKeyField() == first) {
    TField* field = Column->Field();
    return field ? field->DisplayText() : "";
  }
  TVariant value = Column->GetLookupDataSet()->Lookup(Column->GetLookupKeyField(), key, first);
  return value.IsNull() ? String() : value.AsString();
}

String TDgCustomDBGrid::CellText(TDgColumn* Column) {
  TField* field = Column->Field();
  if (!field) return "";
  if (Column->GetButtonStyle() == cbsLookup && LookupComplete(Column)) return LookupText(Column);
  if (field->DataType() == ftMemo) return FirstLine(field->GetAsString());
  if (Column->GetButtonStyle() == cbsCombo && PickMapping(Column)) return PickTextOf(Column, field->GetText());
  return field->DisplayText();
}

// ---- Painting ----

bool TDgCustomDBGrid::RowMultiSelected(int ARow) {
  if (!FOptions.Contains(dgMultiSelect) || !FDataLink->Active() || FBookmarks->Count() == 0) return false;
  TDataSet* dataSet = FDataLink->DataSet();
  if (dataSet->IsEmpty()) return false;
  int record = ARow - FTitleOffset;
  if (record < 0 || record >= FDataLink->RecordCount()) return false;
  TActiveRecordScope row(FDataLink.get(), record);
  return FBookmarks->GetCurrentRowSelected();
}

void TDgCustomDBGrid::Paint() {
  TCustomGrid::Paint();
}

void TDgCustomDBGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  TCanvas* canvas = Canvas();
  try {
    if (ComponentState().Contains(csLoading)) {
      canvas->GetBrush()->SetColor(GetColor());
      canvas->FillRect(ARect);
      return;
    }
    if (ACol < FIndicatorOffset && ARow >= FTitleOffset) DrawIndicator(ARect, ARow);
    else if (ARow < FTitleOffset) DrawTitle(RawToDataColumn(ACol), ARow, ARect, AState);
    else DrawDataCell(RawToDataColumn(ACol), ARow, ARect, AState);
  } catch (const std::exception& e) {
    // Painting never raises: the cell stays empty and the fault is told once per layout.
    canvas->GetBrush()->SetColor(AState.Contains(gdFixed) ? GetFixedColor() : GetColor());
    canvas->FillRect(ARect);
    ReportPaintFailure(e);
  } catch (...) {
    canvas->GetBrush()->SetColor(GetColor());
    canvas->FillRect(ARect);
  }
}

void TDgCustomDBGrid::ReportPaintFailure(const std::exception& Error) {
  if (FPaintFailureReported) return;
  FPaintFailureReported = true;
  if (HandleAllocated()) PostMessageW(GetHandle(), WM_DGPAINTERROR, 0, 0);
  FPaintError = Error.what();
}

void TDgCustomDBGrid::DrawIndicator(const TRect& ARect, int ARow) {
  TCanvas* canvas = Canvas();
  canvas->GetBrush()->SetColor(GetFixedColor());
  canvas->FillRect(ARect);
  bool bothLines = FOptions.Contains(dgRowLines) && FOptions.Contains(dgColLines);
  int frame = bothLines ? 1 : 2;
  if (bothLines) {
    RECT r{ARect.Left, ARect.Top, ARect.Right, ARect.Bottom};
    DrawEdge(canvas->GetHandle(), &r, BDR_RAISEDINNER, BF_BOTTOMRIGHT | BF_TOPLEFT);
  }
  if (!FDataLink->Active() || !HasRecords()) return;
  int record = ARow - FTitleOffset;
  bool current = record == FDataLink->GetActiveRecord();
  bool multi = RowMultiSelected(ARow);
  int image = -1;
  if (current) {
    TDataSetState state = FDataLink->DataSet()->State();
    image = state == dsEdit ? imEdit : state == dsInsert ? imInsert : imArrow;
    if (multi && image == imArrow) image = imMultiArrow;
  } else if (multi) {
    image = imMultiDot;
  }
  if (image < 0) return;
  // A mirrored window draws one pixel further right.
  int x = ARect.Right - 7 - frame - (UseRightToLeftAlignment() ? 1 : 0), y = ARect.Top + (ARect.Height() - 9) / 2;
  if (FIndicators->Count() > image) {
    FIndicators->Draw(canvas, x, y, image);
    return;
  }
  // Without the bitmaps: plain shapes in black.
  canvas->GetBrush()->SetColor(clBlack);
  canvas->GetPen()->SetColor(clBlack);
  switch (image) {
    case imArrow:
    case imMultiArrow: canvas->Polygon({{x + 2, y}, {x + 6, y + 4}, {x + 2, y + 8}}); break;
    case imEdit: canvas->FillRect({x + 3, y, x + 4, y + 9}); break;
    case imInsert: canvas->FillRect({x, y + 4, x + 7, y + 5}); canvas->FillRect({x + 3, y + 1, x + 4, y + 8}); break;
    case imMultiDot: canvas->FillRect({x + 2, y + 3, x + 5, y + 6}); break;
  }
}

void TDgCustomDBGrid::WriteText(const TRect& ARect, int DX, int DY, const String& Text, TAlignment Alignment,
                                bool Wrap, bool RightToLeft) {
  TCanvas* canvas = Canvas();
  canvas->FillRect(ARect);
  if (Text.empty()) return;
  HDC dc = canvas->GetHandle();
  std::wstring w = Utf8ToWide(Text);
  RECT r{ARect.Left + DX, ARect.Top + DY, ARect.Right - 1, ARect.Bottom - 1};
  if (Alignment == taRightJustify) r.right -= DX - 1;
  UINT format = DT_NOPREFIX | DT_EXPANDTABS | (Wrap ? DT_WORDBREAK : DT_SINGLELINE);
  format |= Alignment == taRightJustify ? DT_RIGHT : Alignment == taCenter ? DT_CENTER : DT_LEFT;
  if (RightToLeft) format |= DT_RTLREADING;
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), &r, format);
  SetBkMode(dc, OPAQUE);
}

TDgColumn* TDgCustomDBGrid::TitleColumnAt(int DataCol, int ARow) {
  if (DataCol < 0 || DataCol >= FColumns->Count()) return nullptr;
  TDgColumn* column = FColumns->Items(DataCol);
  // The parents from the top: row r of a column at depth d shows its parent at level r
  // while r < d, and the column itself below.
  std::vector<TDgColumn*> chain{column};
  for (TDgColumn* p = column->ParentColumn(); p && chain.size() < 64; p = p->ParentColumn()) chain.push_back(p);
  const int depth = static_cast<int>(chain.size()) - 1;
  return ARow < depth ? chain[static_cast<size_t>(depth - ARow)] : column;
}

TRect TDgCustomDBGrid::TitleSpan(int DataCol, int ARow, const TRect& Cell) {
  TDgColumn* title = TitleColumnAt(DataCol, ARow);
  const int line = FOptions.Contains(dgColLines) ? GetGridLineWidth() : 0;
  const int rowLine = FOptions.Contains(dgRowLines) ? GetGridLineWidth() : 0;
  TRect span = Cell;
  if (title == FColumns->Items(DataCol)) {
    // The column's own title reaches down through the title rows below it.
    for (int r = ARow + 1; r < FTitleOffset; ++r) span.Bottom += GetRowHeights(r) + rowLine;
    for (int r = ARow - 1; r >= 0 && TitleColumnAt(DataCol, r) == title; --r) span.Top -= GetRowHeights(r) + rowLine;
    return span;
  }
  // A parent's title reaches across the neighbouring columns under it.
  for (int c = DataCol - 1; c >= 0 && TitleColumnAt(c, ARow) == title; --c)
    span.Left -= GetColWidths(DataToRawColumn(c)) + line;
  for (int c = DataCol + 1; c < FColumns->Count() && TitleColumnAt(c, ARow) == title; ++c)
    span.Right += GetColWidths(DataToRawColumn(c)) + line;
  return span;
}

TRect TDgCustomDBGrid::ExpandArrowRect(const TRect& Span) {
  const int w = GetSystemMetrics(SM_CXHSCROLL), h = std::min(Span.Height(), GetSystemMetrics(SM_CYHSCROLL));
  const int top = Span.Top + (Span.Height() - h) / 2;
  return {Span.Right - w, top, Span.Right, top + h};
}

void TDgCustomDBGrid::DrawTitle(int DataCol, int ARow, const TRect& ARect, TGridDrawState /*AState*/) {
  TCanvas* canvas = Canvas();
  bool bothLines = FOptions.Contains(dgRowLines) && FOptions.Contains(dgColLines);
  int frame = bothLines ? 1 : 2;
  if (DataCol < 0 || DataCol >= FColumns->Count()) {
    canvas->GetBrush()->SetColor(GetFixedColor());
    canvas->FillRect(ARect);
  } else {
    TDgColumn* column = TitleColumnAt(DataCol, ARow);
    TDgColumnTitle* title = column->GetTitle();
    TFont font;
    font.Assign(title->GetFont());
    TColor color = title->GetColor();
    if (OnDrawTitleAttr) OnDrawTitleAttr(this, column, &font, color);
    canvas->SetFont(&font);
    canvas->GetBrush()->SetColor(color);
    canvas->FillRect(ARect);
    // A title spanning several cells is drawn whole in each, clipped to the cell.
    const TRect span = TitleSpan(DataCol, ARow, ARect);
    HDC dc = canvas->GetHandle();
    HRGN saved = CreateRectRgn(0, 0, 0, 0);
    const bool hadClip = GetClipRgn(dc, saved) == 1;
    IntersectClipRect(dc, ARect.Left, ARect.Top, ARect.Right, ARect.Bottom);
    bool pressed = column == FColumns->Items(DataCol) && FPressedCol == DataToRawColumn(DataCol);
    int d = frame + (pressed ? 1 : 0);
    // An object column's arrow: right to expand it, left to collapse it.
    const bool arrow = column->Expandable() && span.Width() > GetSystemMetrics(SM_CXHSCROLL);
    TRect textRect = span;
    if (arrow) textRect.Right -= GetSystemMetrics(SM_CXHSCROLL);
    WriteText(textRect, d, d, title->GetCaption(), title->GetAlignment(), true, UseRightToLeftReading());
    if (arrow) {
      const TRect arrowRect = ExpandArrowRect(span);
      RECT a{arrowRect.Left, arrowRect.Top, arrowRect.Right, arrowRect.Bottom};
      DrawFrameControl(dc, &a, DFC_SCROLL, (column->GetExpanded() ? DFCS_SCROLLLEFT : DFCS_SCROLLRIGHT) | DFCS_FLAT);
    }
    TDgSortMarker marker = column == FColumns->Items(DataCol) ? GetSortMarker(DataCol) : smNone;
    if (!pressed && column->GetCanClick() && marker != smNone) {
      int x = span.Right - 8 - frame - 1, y = span.Top + (span.Height() - 5) / 2;
      if (FSortImages->Count() == 2) {
        FSortImages->Draw(canvas, x, y, marker == smDown ? imSortDown : imSortUp);
      } else {
        canvas->GetBrush()->SetColor(clBlack);
        canvas->GetPen()->SetColor(clBlack);
        if (marker == smDown) canvas->Polygon({{x, y}, {x + 7, y}, {x + 3, y + 4}});
        else canvas->Polygon({{x + 3, y}, {x + 7, y + 4}, {x, y + 4}});
      }
    }
    RECT r{span.Left, span.Top, span.Right, span.Bottom};
    if (pressed) DrawEdge(dc, &r, BDR_SUNKENINNER, BF_RECT);
    else if (bothLines) DrawEdge(dc, &r, BDR_RAISEDINNER, BF_BOTTOMRIGHT | BF_TOPLEFT);
    SelectClipRgn(dc, hadClip ? saved : nullptr);
    DeleteObject(saved);
    return;
  }
  if (bothLines) {
    RECT r{ARect.Left, ARect.Top, ARect.Right, ARect.Bottom};
    DrawEdge(canvas->GetHandle(), &r, BDR_RAISEDINNER, BF_BOTTOMRIGHT | BF_TOPLEFT);
  }
}

void TDgCustomDBGrid::DrawCheckBox(const TRect& ARect, bool Checked) {
  int side = ARect.Height() - 4;
  if (side > ARect.Width() - 2) side = ARect.Width() - 4;
  if (side <= 0) return;
  int x = ARect.Left + (ARect.Width() - side) / 2, y = ARect.Top + (ARect.Height() - side) / 2;
  RECT r{x, y, x + side, y + side};
  DrawFrameControl(Canvas()->GetHandle(), &r, DFC_BUTTON, DFCS_BUTTONCHECK | (Checked ? DFCS_CHECKED : 0));
}

void TDgCustomDBGrid::DrawDataCell(int DataCol, int ARow, const TRect& ARect, TGridDrawState AState) {
  TCanvas* canvas = Canvas();
  if (DataCol < 0 || DataCol >= FColumns->Count()) {
    canvas->GetBrush()->SetColor(GetColor());
    canvas->FillRect(ARect);
    return;
  }
  TDgColumn* column = FColumns->Items(DataCol);
  TFont font;
  font.Assign(column->GetFont());
  TColor color = column->GetColor();
  String text;
  bool multi = false;
  int record = ARow - FTitleOffset;
  if (HasRecords() && record < FDataLink->RecordCount()) {
    {
      TActiveRecordScope row(FDataLink.get(), record);
      text = CellText(column);
    }
    multi = RowMultiSelected(ARow);
  }
  bool focused = Focused() || (InplaceEditor() && InplaceEditor()->HandleAllocated() &&
                               GetFocus() == InplaceEditor()->GetHandle());
  bool highlight = multi || (AState.Contains(gdSelected) && (FOptions.Contains(dgAlwaysShowSelection) || focused) &&
                             (FUpdateLock == 0 || FOptions.Contains(dgRowSelect)));
  if (highlight) {
    color = FHighlightColor;
    font.SetColor(FHighlightTextColor);
  }
  if (!GetEnabled()) font.SetColor(clGrayText);
  if (OnDrawCellAttr) OnDrawCellAttr(this, column, &font, color, AState);
  canvas->SetFont(&font);
  canvas->GetBrush()->SetColor(color);
  if (FDefaultDrawing) {
    if (column->GetButtonStyle() == cbsCheck) {
      canvas->FillRect(ARect);
      bool checked = (multi && column->GetFieldName() == "Selected") ||
                     (record < FDataLink->RecordCount() && HasRecords() && text == column->GetValueChecked());
      DrawCheckBox(ARect, checked);
    } else {
      WriteText(ARect, 2, 2, text, column->GetAlignment(), column->GetWrapText(),
                UseRightToLeftReading() && ReadsRightToLeft(column->Field()));
    }
  } else {
    canvas->FillRect(ARect);
  }
  if (OnDrawColumnCell) OnDrawColumnCell(this, ARect, DataCol, column, AState);
}

// ---- The editor ----

TInplaceEdit* TDgCustomDBGrid::CreateEditor() {
  auto* editor = new TDgDBGridInplaceEdit(this);
  editor->DropDownFactory = DropDownFactory;
  return editor;
}

bool TDgCustomDBGrid::CanEditShow() {
  if (FLayoutLock > 0 || !FDataLink->Active() || !HasRecords()) return false;
  TDgColumn* column = SelectedColumn();
  if (!column || column->GetButtonStyle() == cbsCheck || !column->Showing()) return false;
  if (dynamic_cast<TDataSetField*>(column->Field())) return false;  // its pop-up instead
  return TCustomGrid::CanEditShow();
}

bool TDgCustomDBGrid::ShowNestedDataSet() {
  TDgColumn* column = SelectedColumn();
  auto* field = column ? dynamic_cast<TDataSetField*>(column->Field()) : nullptr;
  if (!field || !FDataLink->Active() || !HasRecords()) return false;
  TDataSet* nested = field->GetNestedDataSet();
  if (!nested) return true;
  if (FNestedPopup) {
    TCustomForm* old = FNestedPopup;
    FNestedPopup = nullptr;
    old->BeforeDestruction();
    delete old;
  }
  // A tool window under the cell with a grid on the nested records.
  auto* popup = new TForm(this, CreateNew);
  FNestedPopup = popup;
  popup->SetBorderStyle(bsSizeToolWin);
  popup->SetCaption(field->DisplayName());
  auto* source = new TDataSource(popup);
  source->SetDataSet(nested);
  auto* grid = new TDgDBGrid(popup);
  grid->SetParent(popup);
  grid->SetAlign(alClient);
  grid->SetReadOnly(FReadOnly);
  grid->SetDataSource(source);
  TRect cell = CellRect(GetCol(), GetRow());
  TPoint at = ClientToScreen({cell.Left, cell.Bottom});
  popup->SetBounds(at.X, at.Y, 320, 160);
  popup->Show();
  return true;
}

bool TDgCustomDBGrid::CanEditModifyCell() {
  if (FReadOnly || !FDataLink->Active() || FDataLink->GetReadOnly()) return false;
  TDgColumn* column = SelectedColumn();
  if (!column || column->GetReadOnly()) return false;
  TField* field = column->Field();
  if (!field) return false;
  if (field->Calculated()) return FDataLink->DataSet()->CanModify();
  return field->CanModify();
}

bool TDgCustomDBGrid::CanEditModify() {
  if (!CanEditModifyCell()) return false;
  // The record goes into edit state before the first change to its text.
  FDataLink->Edit();
  return FDataLink->Editing();
}

int TDgCustomDBGrid::GetEditLimit() {
  TField* field = SelectedField();
  if (field && field->DataType() == ftString) return field->GetSize();
  return 0;
}

String TDgCustomDBGrid::GetEditText(int ACol, int /*ARow*/) {
  TDgColumn* column = RawToDataColumn(ACol) >= 0 && RawToDataColumn(ACol) < FColumns->Count()
                          ? FColumns->Items(RawToDataColumn(ACol))
                          : nullptr;
  TField* field = column ? column->Field() : nullptr;
  String text;
  if (field && FDataLink->Active() && HasRecords()) {
    if (column->GetButtonStyle() == cbsCombo && PickMapping(column)) text = PickTextOf(column, field->GetText());
    else if (column->GetButtonStyle() == cbsLookup && LookupComplete(column)) text = LookupText(column);
    else text = field->GetText();
  }
  FEditText = text;
  return text;
}

void TDgCustomDBGrid::SetEditText(int /*ACol*/, int /*ARow*/, const String& Value) {
  FEditText = Value;
  if (FDataLink->Active() && FDataLink->Editing()) FDataLink->Modified();
}

void TDgCustomDBGrid::UpdateEditorData() {
  if (FDataLink->Active() && FDataLink->IsModified()) FDataLink->UpdateRecord();
}

// ---- Moving ----

bool TDgCustomDBGrid::SelectCell(int /*ACol*/, int /*ARow*/) { return true; }

void TDgCustomDBGrid::TopLeftChanged() {
  TCustomGrid::TopLeftChanged();
}

void TDgCustomDBGrid::MoveBy(int Distance) {
  if (!FDataLink->Active() || Distance == 0) return;
  FDataLink->MoveBy(Distance);
}

void TDgCustomDBGrid::ClearSelection() {
  if (FOptions.Contains(dgMultiSelect)) FBookmarks->Clear();
}

void TDgCustomDBGrid::DoSelection(bool Select, int Direction) {
  TDataSet* dataSet = FDataLink->DataSet();
  if (FOptions.Contains(dgMultiSelect) && Select && !dataSet->IsEmpty()) {
    FBookmarks->SetCurrentRowSelected(true);
    MoveBy(Direction);
    if (!dataSet->IsEmpty()) FBookmarks->SetCurrentRowSelected(true);
  } else {
    ClearSelection();
    MoveBy(Direction);
  }
}

void TDgCustomDBGrid::NextRow(bool Select) {
  TDataSet* dataSet = FDataLink->DataSet();
  if (dataSet->State() == dsInsert && !dataSet->Modified() && !FDataLink->IsModified()) {
    if (dataSet->Eof()) return;
    dataSet->Cancel();
  } else {
    DoSelection(Select, 1);
  }
  if (dataSet->Eof() && dataSet->State() != dsInsert && dataSet->CanModify() && !FReadOnly &&
      FOptions.Contains(dgEditing) && FAllowInsert)
    dataSet->Append();
}

void TDgCustomDBGrid::PriorRow(bool Select) {
  TDataSet* dataSet = FDataLink->DataSet();
  if (dataSet->State() == dsInsert && !dataSet->Modified() && dataSet->Eof() && !FDataLink->IsModified()) {
    dataSet->Cancel();
  } else {
    DoSelection(Select, -1);
  }
}

void TDgCustomDBGrid::Tab(bool GoForward) {
  int first = GetFixedCols(), last = GetColCount() - 1;
  if (first > last) return;
  int col = GetCol(), original = col;
  // At most one round through the columns (and one row further): no tab stop, no move.
  for (int steps = 0; steps <= last - first + 1; ++steps) {
    if (GoForward) {
      if (++col > last) {
        NextRow(false);
        col = first;
      }
    } else if (--col < first) {
      PriorRow(false);
      col = last;
    }
    if (col == original) return;
    if (TabStops(RawToDataColumn(col))) {
      MoveCol(col, 0);
      return;
    }
  }
}

void TDgCustomDBGrid::MoveCol(int RawCol, int Direction) {
  UpdateEditorData();
  int first = GetFixedCols(), last = GetColCount() - 1;
  if (first > last) return;
  RawCol = std::clamp(RawCol, first, last);
  if (Direction != 0) {
    while (GetColWidths(RawCol) <= 0) {
      int next = RawCol + Direction;
      if (next < first || next > last) break;
      RawCol = next;
    }
  }
  if (RawCol == GetCol()) return;
  if (!FInColExit) {
    FInColExit = true;
    TFinally done([this] { FInColExit = false; });
    if (OnColExit) OnColExit(this);
  }
  if (!FOptions.Contains(dgAlwaysShowEditor)) HideEditor();
  TCustomGrid::SetCol(RawCol);
  if (OnColEnter) OnColEnter(this);
}

void TDgCustomDBGrid::ColWidthsChanged() {
  TCustomGrid::ColWidthsChanged();
  if (FInLayout || !FColumns) return;
  FInLayout = true;
  TFinally done([this] { FInLayout = false; });
  for (int i = 0; i < FColumns->Count() && DataToRawColumn(i) < GetColCount(); ++i) {
    TDgColumn* column = FColumns->Items(i);
    int w = GetColWidths(DataToRawColumn(i));
    if (column->Showing() && w != column->GetWidth()) column->SetWidth(w);
  }
}

void TDgCustomDBGrid::ColumnMoved(int FromIndex, int ToIndex) {
  int from = RawToDataColumn(FromIndex), to = RawToDataColumn(ToIndex);
  if (from < 0 || to < 0 || from >= FColumns->Count() || to >= FColumns->Count()) return;
  FTitleMoved = true;
  TDgColumn* moved = FColumns->Items(from);
  // The sort markers stay with their columns (the moved one's only when it can be clicked);
  // an object column takes its children's columns along.
  std::map<TDgColumn*, TDgSortMarker> markers;
  for (int i = 0; i < FColumns->Count(); ++i) markers[FColumns->Items(i)] = GetSortMarker(i);
  if (!moved->GetCanClick()) markers[moved] = smNone;
  int landed;
  {
    TGridLayoutScope layout(this);
    moved->SetIndex(to);
    FSortMarkers.assign(static_cast<size_t>(FColumns->Count()), smNone);
    for (int i = 0; i < FColumns->Count(); ++i) FSortMarkers[static_cast<size_t>(i)] = markers[FColumns->Items(i)];
    landed = moved->GetIndex();  // (the layout may make the grid's columns anew)
  }
  if (landed != from && OnColumnMoved) OnColumnMoved(this, from, landed);
}

bool TDgCustomDBGrid::BeginColumnDrag(int& Origin, int& Destination, TPoint MousePt) {
  if (!TCustomGrid::BeginColumnDrag(Origin, Destination, MousePt) || RawToDataColumn(Origin) >= FColumns->Count())
    return false;
  // An expanded object column's title, over its children's, moves the object column.
  int row = MouseCoord(MousePt.X, MousePt.Y).Y;
  if (TDgColumn* title = TitleColumnAt(RawToDataColumn(Origin), row)) Origin = DataToRawColumn(title->GetIndex());
  return true;
}

bool TDgCustomDBGrid::CheckColumnDrag(int& Origin, int& Destination, TPoint MousePt) {
  return TCustomGrid::CheckColumnDrag(Origin, Destination, MousePt) &&
         RawToDataColumn(Destination) < FColumns->Count();
}

// ---- Records ----

void TDgCustomDBGrid::ToggleCheckBox() {
  TDgColumn* column = SelectedColumn();
  if (!column || column->GetButtonStyle() != cbsCheck || !FDataLink->Active()) return;
  if (FOptions.Contains(dgMultiSelect) && column->GetFieldName() == "Selected") {
    FBookmarks->SetCurrentRowSelected(!FBookmarks->GetCurrentRowSelected());
    return;
  }
  TField* field = column->Field();
  TDataSource* source = GetDataSource();
  TDataSet* dataSet = FDataLink->DataSet();
  if (!field || column->GetReadOnly() || !FOptions.Contains(dgEditing) || FReadOnly) return;
  bool editing = dataSet->State() == dsEdit || dataSet->State() == dsInsert;
  if (!editing && !(source && source->GetAutoEdit())) return;
  if (!FDataLink->Edit()) return;
  field->SetText(field->GetText() == column->GetValueChecked() ? column->GetValueUnChecked() : column->GetValueChecked());
  InvalidateCell(GetCol(), GetRow());
}

void TDgCustomDBGrid::DeleteRecords() {
  TDataSet* dataSet = FDataLink->DataSet();
  if (FReadOnly || !dataSet || dataSet->IsEmpty() || !dataSet->CanModify() || !FAllowDelete) return;
  int selected = FOptions.Contains(dgMultiSelect) ? FBookmarks->Count() : 0;
  if (FOptions.Contains(dgConfirmDelete) &&
      !TSeam<TConfirmation>::Get().Confirm(selected > 1 ? kDeleteMany : kDeleteOne))
    return;
  if (selected > 0) FBookmarks->Delete();
  else dataSet->Delete();
}

// ---- Input ----

bool TDgCustomDBGrid::AcquireFocus() {
  if (!CanFocus()) return false;
  if (!Focused() && !(InplaceEditor() && GetFocus() == InplaceEditor()->GetHandle())) SetFocus();
  return true;
}

void TDgCustomDBGrid::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);  // OnKeyDown
  if (Key == 0) return;
  WORD key = Key;
  // Mirrored, the column on the left is the next one.
  if (UseRightToLeftAlignment() && (key == VK_LEFT || key == VK_RIGHT)) key = key == VK_LEFT ? VK_RIGHT : VK_LEFT;
  Key = 0;
  if (!FDataLink->Active()) return;
  TDataSet* dataSet = FDataLink->DataSet();
  bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift);
  bool canInsert = dataSet->CanModify() && !FReadOnly && FOptions.Contains(dgEditing) && FAllowInsert;
  if (!HasRecords()) {
    // An empty dataset takes Insert or Down to add its first record; nothing else.
    if (!ctrl && (key == VK_INSERT || key == VK_DOWN) && canInsert) dataSet->Append();
    return;
  }
  bool rowSelect = FOptions.Contains(dgRowSelect);
  TDgColumn* column = SelectedColumn();
  if (key == VK_SPACE && !ctrl && column && column->GetButtonStyle() == cbsCheck) {
    ToggleCheckBox();
    return;
  }
  int page = VisibleRowCount();
  if (!ctrl) {
    switch (key) {
      case VK_UP: PriorRow(shift); break;
      case VK_DOWN: NextRow(shift); break;
      case VK_PRIOR: ClearSelection(); MoveBy(-page); break;
      case VK_NEXT: ClearSelection(); MoveBy(page); break;
      case VK_LEFT:
        if (rowSelect) PriorRow(false);
        else MoveCol(GetCol() - 1, -1);
        break;
      case VK_RIGHT:
        if (rowSelect) NextRow(false);
        else MoveCol(GetCol() + 1, 1);
        break;
      case VK_HOME:
        if (GetColCount() - GetFixedCols() == 1 || rowSelect) {
          ClearSelection();
          dataSet->First();
        } else {
          MoveCol(GetFixedCols(), 1);
        }
        break;
      case VK_END:
        if (GetColCount() - GetFixedCols() == 1 || rowSelect) {
          ClearSelection();
          dataSet->Last();
        } else {
          MoveCol(GetColCount() - 1, -1);
        }
        break;
      case VK_TAB:
        if (!Shift.Contains(ssAlt)) Tab(!shift);
        break;
      case VK_RETURN:
        if (FOptions.Contains(dgEnterToTab)) Tab(!shift);
        else Key = key;  // for the key press
        break;
      case VK_ESCAPE:
        FDataLink->Reset();
        ClearSelection();
        if (!FOptions.Contains(dgAlwaysShowEditor)) HideEditor();
        else InvalidateEditor();
        break;
      case VK_INSERT:
        if (canInsert) {
          ClearSelection();
          dataSet->Insert();
        }
        break;
      case VK_F2:
        if (!ShowNestedDataSet()) SetEditorMode(true);
        break;
      default: Key = key; break;
    }
  } else {
    switch (key) {
      case VK_UP:
      case VK_PRIOR: ClearSelection(); MoveBy(-FDataLink->GetActiveRecord()); break;
      case VK_DOWN:
      case VK_NEXT: ClearSelection(); MoveBy(FDataLink->RecordCount() - 1 - FDataLink->GetActiveRecord()); break;
      case VK_HOME: ClearSelection(); dataSet->First(); break;
      case VK_END: ClearSelection(); dataSet->Last(); break;
      case VK_LEFT: MoveCol(GetFixedCols(), 1); break;
      case VK_RIGHT: MoveCol(GetColCount() - 1, -1); break;
      case VK_DELETE: DeleteRecords(); break;
      default: Key = key; break;
    }
  }
}

void TDgCustomDBGrid::KeyPress(wchar_t& Key) {
  if (Key == L'\r' && FOptions.Contains(dgEnterToTab)) Key = L'\t';
  if (Key == L'\t') {
    // Tab was handled as a key.
    TCustomControl::KeyPress(Key);
    Key = 0;
    return;
  }
  if (Key == L'\r' && !FOptions.Contains(dgAlwaysShowEditor)) {
    TCustomControl::KeyPress(Key);
    if (Key == 0) return;
    if (!HasRecords()) {
      Key = 0;
      return;
    }
    // Enter writes the editor's text into the record and posts it.
    if (InplaceEditor() && InplaceEditor()->Shown()) {
      UpdateEditorData();
      TDataSet* dataSet = FDataLink->DataSet();
      if (dataSet->State() == dsEdit || dataSet->State() == dsInsert) dataSet->Post();
      HideEditor();
    } else if (!ShowNestedDataSet() && FOptions.Contains(dgEditing)) {
      SetEditorMode(true);
    }
    Key = 0;
    return;
  }
  if (Key >= 32 && !HasRecords()) {
    Key = 0;
    return;
  }
  TCustomGrid::KeyPress(Key);
}

void TDgCustomDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (!AcquireFocus()) return;
  if (Shift.Contains(ssDouble)) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  TGridCoord cell = MouseCoord(X, Y);
  // The top-left fixed cell is the handle a grid of the dock kind is docked by.
  if (Button == mbLeft && GetDragKind() == dkDock && cell.X >= 0 && cell.X < FIndicatorOffset && cell.Y >= 0 &&
      cell.Y < FTitleOffset && !ComponentState().Contains(csDesigning)) {
    BeginDrag(false);
    return;
  }
  if (Button == mbLeft && SizingColumn(X, Y) >= 0) {
    TCustomGrid::MouseDown(Button, Shift, X, Y);
    return;
  }
  if (cell.X < 0 || cell.Y < 0) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  if (cell.Y < FTitleOffset && Button == mbLeft && cell.X >= FIndicatorOffset) {
    // An object column's arrow expands or collapses it.
    int dataCol = RawToDataColumn(cell.X);
    if (TDgColumn* title = TitleColumnAt(dataCol, cell.Y); title && title->Expandable()) {
      TRect span = TitleSpan(dataCol, cell.Y, CellRect(cell.X, cell.Y));
      if (span.Width() > GetSystemMetrics(SM_CXHSCROLL) && ExpandArrowRect(span).Contains({X, Y})) {
        UpdateEditorData();
        title->SetExpanded(!title->GetExpanded());
        return;
      }
    }
  }
  if (cell.Y < FTitleOffset) {
    UpdateEditorData();
    FTitleMoved = false;
    if (Button == mbLeft && cell.X >= FIndicatorOffset) {
      int dataCol = RawToDataColumn(cell.X);
      if (dataCol < FColumns->Count() && FColumns->Items(dataCol)->GetCanClick()) {
        FPressedCol = cell.X;
        InvalidateCell(cell.X, cell.Y);
      }
    }
    if (Button == mbLeft) TCustomGrid::MouseDown(Button, Shift, X, Y);
    else TCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  if (!HasRecords()) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  UpdateEditorData();
  int record = cell.Y - FTitleOffset;
  if (record >= FDataLink->RecordCount()) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  bool same = record == FDataLink->GetActiveRecord() && cell.X == GetCol();
  if (!same && !FOptions.Contains(dgAlwaysShowEditor)) HideEditor();
  MoveBy(record - FDataLink->GetActiveRecord());
  TDgColumn* column = cell.X >= FIndicatorOffset && RawToDataColumn(cell.X) < FColumns->Count()
                          ? FColumns->Items(RawToDataColumn(cell.X))
                          : nullptr;
  if (FOptions.Contains(dgMultiSelect) && Button == mbLeft && !(column && column->GetFieldName() == "Selected")) {
    if (Shift.Contains(ssCtrl)) {
      FBookmarks->SetCurrentRowSelected(!FBookmarks->GetCurrentRowSelected());
    } else {
      FBookmarks->Clear();
      FBookmarks->SetCurrentRowSelected(true);
    }
  }
  if (cell.X >= GetFixedCols()) MoveCol(cell.X, 0);
  if (Button == mbLeft && column && column->GetButtonStyle() == cbsCheck && cell.X >= GetFixedCols()) {
    ToggleCheckBox();
    SetMouseCapture(false);
  } else if (Button == mbLeft && cell.X >= GetFixedCols() && (same || FOptions.Contains(dgAlwaysShowEditor))) {
    if (!ShowNestedDataSet()) SetEditorMode(true);
  }
  // Rows dragged out to other controls: the drag starts once the pointer has moved.
  if (Button == mbLeft && FOptions.Contains(dgDragOutRows) && GetDragKind() == dkDrag) BeginDrag(false, 5);
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TDgCustomDBGrid::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomGrid::MouseMove(Shift, X, Y);
  // A title dragged away to move its column is no longer pressed.
  if (FPressedCol >= 0 && GridState() == gsColMoving && MouseCoord(X, Y).X != FPressedCol) {
    InvalidateCell(FPressedCol, 0);
    FPressedCol = -1;
  }
}

void TDgCustomDBGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGridState state = GridState();
  int sizingCol = -1;
  if (state == gsColSizing) {
    TCustomGrid::MouseUp(Button, Shift, X, Y);
    // The column that was sized: the one whose right line is nearest the release.
    for (int c = GetFixedCols(); c < GetColCount(); ++c) {
      TRect r = CellRect(c, 0);
      if (r.Width() > 0 && std::abs(r.Right - X) <= 2) sizingCol = c;
    }
    int dataCol = RawToDataColumn(sizingCol);
    if (OnColumnResized && dataCol >= 0 && dataCol < FColumns->Count()) OnColumnResized(this, FColumns->Items(dataCol));
    return;
  }
  if (state == gsColMoving) TCustomGrid::MouseUp(Button, Shift, X, Y);
  else TCustomControl::MouseUp(Button, Shift, X, Y);
  TGridCoord cell = MouseCoord(X, Y);
  if (FPressedCol >= 0) {
    int pressed = FPressedCol;
    FPressedCol = -1;
    InvalidateCell(pressed, 0);
    if (!FTitleMoved && cell.X == pressed && cell.Y >= 0 && cell.Y < FTitleOffset) {
      int dataCol = RawToDataColumn(pressed);
      if (GetSortMarker(dataCol) == smNone)
        for (auto& m : FSortMarkers) m = smNone;
      if (OnTitleClick) OnTitleClick(this, FColumns->Items(dataCol));
    }
    FTitleMoved = false;
    return;
  }
  if (FTitleMoved) {
    FTitleMoved = false;
    return;
  }
  if (Button == mbLeft && cell.Y >= FTitleOffset && cell.X >= FIndicatorOffset && HasRecords()) {
    TDgColumn* column = RawToDataColumn(cell.X) < FColumns->Count() ? FColumns->Items(RawToDataColumn(cell.X)) : nullptr;
    if (column && column->GetLongTextAsHint()) {
      if (TApplication* app = ExistingApplication()) app->CancelHint();
      if (TField* field = column->Field()) SetHint(field->GetText());
    }
    if (OnCellClick && column) OnCellClick(this, column);
  }
}

void TDgCustomDBGrid::VScroll(int Code) {
  if (!AcquireFocus() || !FDataLink->Active() || !HasRecords()) return;
  TDataSet* dataSet = FDataLink->DataSet();
  int page = VisibleRowCount();
  switch (Code) {
    case SB_LINEUP: MoveBy(-FDataLink->GetActiveRecord() - 1); break;
    case SB_LINEDOWN: MoveBy(FDataLink->RecordCount() - FDataLink->GetActiveRecord()); break;
    case SB_PAGEUP: MoveBy(-page); break;
    case SB_PAGEDOWN: MoveBy(page); break;
    case SB_TOP: dataSet->First(); break;
    case SB_BOTTOM: dataSet->Last(); break;
    case SB_THUMBPOSITION: {
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_TRACKPOS | SIF_POS;
      GetScrollInfo(GetHandle(), SB_VERT, &si);
      int pos = si.nTrackPos;
      if (dataSet->IsSequenced()) {
        if (pos <= 1) dataSet->First();
        else if (pos >= dataSet->RecordCount()) dataSet->Last();
        else {
          // The editor's text goes into its record before the dataset moves.
          dataSet->CheckBrowseMode();
          dataSet->SetRecNo(pos);
        }
      } else {
        switch (pos) {
          case 0: dataSet->First(); break;
          case 1: MoveBy(-page); break;
          case 3: MoveBy(page); break;
          case 4: dataSet->Last(); break;
        }
      }
      break;
    }
    default: return;
  }
  FLastScrollPos = -1;
  UpdateScrollBar();
}

void TDgCustomDBGrid::DoExit() {
  HWND focus = GetFocus();
  if (InplaceEditor() && InplaceEditor()->HandleAllocated() && focus == InplaceEditor()->GetHandle()) return;
  if (FDataLink->Active() && FOptions.Contains(dgEditing)) {
    TDataSet* dataSet = FDataLink->DataSet();
    if (FOptions.Contains(dgCancelOnExit) && dataSet->State() == dsInsert && !dataSet->Modified() &&
        !FDataLink->IsModified()) {
      dataSet->Cancel();
    } else {
      // Leaving the grid: what was typed goes into its record, which is posted.
      UpdateEditorData();
      if (dataSet->State() == dsEdit || dataSet->State() == dsInsert) dataSet->CheckBrowseMode();
    }
  }
  TCustomGrid::DoExit();
}

void TDgCustomDBGrid::Resize() {
  TCustomGrid::Resize();
  if (FInLayout) return;
  UpdateRowCount();
  UpdateActive();
  UpdateScrollBar();
  Invalidate();
}

void TDgCustomDBGrid::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_BIDIMODECHANGED:
      TCustomGrid::Dispatch(Message);
      if (HandleAllocated()) RecreateWnd();
      return;
    case WM_VSCROLL:
      if (reinterpret_cast<HWND>(Message.LParam) == nullptr) {
        VScroll(LOWORD(Message.WParam));
        Message.Result = 0;
        return;
      }
      break;
    case WM_MOUSEWHEEL: {
      // One record per notch.
      if (FDataLink->Active() && HasRecords()) {
        int notches = GET_WHEEL_DELTA_WPARAM(Message.WParam) / WHEEL_DELTA;
        if (notches != 0) {
          ClearSelection();
          MoveBy(-notches);
        }
      }
      Message.Result = 0;
      return;
    }
    case WM_DGLAYOUT:
      if (FLayoutPending && FLayoutLock == 0) {
        FLayoutPending = false;
        InternalLayout();
      }
      return;
    case WM_DGPAINTERROR:
      HandleCallbackException(std::make_exception_ptr(Exception(FPaintError)));
      return;
    case WM_RBUTTONUP: {
      TCustomGrid::Dispatch(Message);
      TGridCoord cell = MouseCoord(MessageX(Message.LParam), MessageY(Message.LParam));
      if (cell.Y >= FTitleOffset && cell.X >= FIndicatorOffset && RawToDataColumn(cell.X) < FColumns->Count()) {
        if (auto* menu = FColumns->Items(RawToDataColumn(cell.X))->GetPopupMenu()) {
          if (auto* hook = dynamic_cast<TPopupMenuHook*>(static_cast<TComponent*>(menu)))
            hook->PopupFor(this, ClientToScreen({MessageX(Message.LParam), MessageY(Message.LParam)}));
        }
      }
      return;
    }
  }
  TCustomGrid::Dispatch(Message);
}
