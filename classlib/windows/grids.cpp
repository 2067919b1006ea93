#include "classlib/windows/grids.h"

#include <algorithm>

#include "classlib/core/beep.h"
#include "classlib/core/unicode.h"

HX_PUBLISH(TInplaceEdit, p) {}
HX_PUBLISH(TCustomGrid, p) {}

// ---- TInplaceEdit ----

TInplaceEdit::TInplaceEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
  FGrid = dynamic_cast<TCustomGrid*>(AOwner);
  SetParentColor(false);
  SetBorderStyle(bsNone);
  TControl::SetVisible(false);
  SetAutoSelect(false);
}

void TInplaceEdit::CreateParams(TCreateParams& Params) {
  TCustomMaskEdit::CreateParams(Params);
  // Multi-line so that EM_SETRECTNP holds; no ES_AUTOVSCROLL, so Enter adds no line.
  Params.Style = (Params.Style & ~static_cast<DWORD>(ES_AUTOVSCROLL | WS_VISIBLE)) | ES_MULTILINE | WS_CLIPSIBLINGS;
}

void TInplaceEdit::CreateWnd() {
  TCustomMaskEdit::CreateWnd();
  ApplyEditRect();
}

TRect TInplaceEdit::EditRect() { return {2, 2, GetWidth() - 2, GetHeight()}; }

void TInplaceEdit::ApplyEditRect() {
  if (!HandleAllocated()) return;
  TRect r = EditRect();
  RECT rc{r.Left, r.Top, r.Right, r.Bottom};
  SendMessageW(GetHandle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&rc));
  SendMessageW(GetHandle(), EM_SCROLLCARET, 0, 0);
}

void TInplaceEdit::UpdateContents() {
  if (!FGrid) return;
  SetMaxLength(FGrid->GetEditLimit());
  SetFont(FGrid->GetFont());
  SetColor(FGrid->GetColor());
  String text = FGrid->GetEditText(FGrid->GetCol(), FGrid->GetRow());
  FSettingText = true;
  if (GetText() != text) SetText(text);
  FSettingText = false;
  SetModified(false);
}

void TInplaceEdit::Move(const TRect& Loc) {
  if (Loc.Width() <= 0 || Loc.Height() <= 0) {
    HideEditor();
    return;
  }
  SetBounds(Loc.Left, Loc.Top, Loc.Width(), Loc.Height());
  ApplyEditRect();
  if (!FShown) {
    FShown = true;
    SetVisible(true);
  }
  Invalidate();
}

void TInplaceEdit::HideEditor() {
  if (!FShown) return;
  bool hadFocus = HandleAllocated() && GetFocus() == GetHandle();
  FShown = false;
  if (hadFocus && FGrid && FGrid->CanFocus()) FGrid->SetFocus();
  SetVisible(false);
}

void TInplaceEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB | DLGC_WANTALLKEYS;
      return;
    case WM_SIZE:
      TCustomMaskEdit::Dispatch(Message);
      ApplyEditRect();
      return;
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
      // Changes that do not come as typed keys ask the grid first too.
      if (FGrid && !FGrid->CanEditModify()) return;
      break;
  }
  TCustomMaskEdit::Dispatch(Message);
}

void TInplaceEdit::SendToGrid(WORD& Key, TShiftState Shift) {
  if (!FGrid) return;
  FGrid->KeyDown(Key, Shift);
  Key = 0;
}

void TInplaceEdit::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomMaskEdit::KeyDown(Key, Shift);
  if (!FGrid || Key == 0) return;
  // At the edges of the text, Left and Right move between cells when the editor always
  // shows (else they move the caret).
  auto atStart = [this] { return GetSelStart() == 0 && (GetSelLength() == 0 || GetSelLength() == static_cast<int>(Utf8ToUtf32(GetText()).size())); };
  auto atEnd = [this] {
    int n = static_cast<int>(Utf8ToUtf32(GetText()).size());
    return GetSelStart() + GetSelLength() >= n && (GetSelLength() == 0 || GetSelLength() == n);
  };
  bool always = FGrid->GetOptions().Contains(goAlwaysShowEditor);
  switch (Key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE:
      SendToGrid(Key, Shift);
      break;
    case VK_TAB:
      if (!Shift.Contains(ssAlt)) SendToGrid(Key, Shift);
      break;
    case VK_RETURN:
      break;  // typed Enter reaches KeyPress
    case VK_LEFT:
      if (always && atStart()) SendToGrid(Key, Shift);
      break;
    case VK_RIGHT:
      if (always && atEnd()) SendToGrid(Key, Shift);
      break;
    case VK_HOME:
    case VK_END:
      if (Shift.Contains(ssCtrl)) SendToGrid(Key, Shift);
      break;
    case VK_DELETE:
      if (Shift.Contains(ssCtrl)) SendToGrid(Key, Shift);
      else if (!FGrid->CanEditModify()) Key = 0;
      break;
    case VK_INSERT:
      if (Shift.Contains(ssCtrl) || Shift.Contains(ssShift)) break;  // copy, paste
      SendToGrid(Key, Shift);
      break;
    case VK_F2:
      SendToGrid(Key, Shift);
      break;
  }
}

void TInplaceEdit::KeyPress(wchar_t& Key) {
  if (FGrid) {
    FGrid->KeyPress(Key);
    if ((Key >= 32 || Key == 8) && !FGrid->CanEditModify()) Key = 0;
    if (Key >= 32 && !FGrid->CanEditAcceptKey(Key)) {
      Key = 0;
      Beeper().MessageBeep(0);
    }
  }
  // The grid's keys: never typed into the text.
  if (Key == L'\r' || Key == L'\n' || Key == L'\t' || Key == 27) Key = 0;
  if (Key) TCustomMaskEdit::KeyPress(Key);
}

void TInplaceEdit::Change() {
  TCustomMaskEdit::Change();
  if (FGrid && FShown && !FSettingText) FGrid->SetEditText(FGrid->GetCol(), FGrid->GetRow(), GetText());
}

void TInplaceEdit::DoExit() {
  // The grid decides what happens to the text (no mask to check here).
  TWinControl::DoExit();
}

// ---- TCustomGrid ----

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle(TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks, csClickEvents});
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  FColWidths.assign(5, FDefaultColWidth);
  FRowHeights.assign(5, FDefaultRowHeight);
  SetBounds(0, 0, FDefaultColWidth * 5, FDefaultRowHeight * 5);
}

TCustomGrid::~TCustomGrid() = default;

void TCustomGrid::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style |= WS_HSCROLL | WS_CLIPCHILDREN;
  if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TCustomGrid::ResizeCounts(int Cols, int Rows) {
  FColWidths.resize(static_cast<size_t>(Cols), FDefaultColWidth);
  FRowHeights.resize(static_cast<size_t>(Rows), FDefaultRowHeight);
  FCurrent.X = std::clamp(FCurrent.X, FFixedCols, std::max(FFixedCols, Cols - 1));
  FCurrent.Y = std::clamp(FCurrent.Y, FFixedRows, std::max(FFixedRows, Rows - 1));
  FTopLeft.X = std::clamp(FTopLeft.X, FFixedCols, std::max(FFixedCols, Cols - 1));
  FTopLeft.Y = std::clamp(FTopLeft.Y, FFixedRows, std::max(FFixedRows, Rows - 1));
  UpdateScrollRange();
  Invalidate();
  UpdateEdit();
}

void TCustomGrid::SetColCount(int Value) {
  if (Value < 1) Value = 1;
  if (Value <= FFixedCols) FFixedCols = Value - 1;
  ResizeCounts(Value, GetRowCount());
}

void TCustomGrid::SetRowCount(int Value) {
  if (Value < 1) Value = 1;
  if (Value <= FFixedRows) FFixedRows = Value - 1;
  ResizeCounts(GetColCount(), Value);
}

void TCustomGrid::SetFixedCols(int Value) {
  if (Value < 0 || Value >= GetColCount()) throw EInvalidGridOperation("Fixed column count must be less than column count");
  FFixedCols = Value;
  FTopLeft.X = std::max(FTopLeft.X, Value);
  FCurrent.X = std::max(FCurrent.X, Value);
  ResizeCounts(GetColCount(), GetRowCount());
}

void TCustomGrid::SetFixedRows(int Value) {
  if (Value < 0 || Value >= GetRowCount()) throw EInvalidGridOperation("Fixed row count must be less than row count");
  FFixedRows = Value;
  FTopLeft.Y = std::max(FTopLeft.Y, Value);
  FCurrent.Y = std::max(FCurrent.Y, Value);
  ResizeCounts(GetColCount(), GetRowCount());
}

void TCustomGrid::SetDefaultColWidth(int Value) {
  FDefaultColWidth = Value;
  std::fill(FColWidths.begin(), FColWidths.end(), Value);
  ColWidthsChanged();
}

void TCustomGrid::SetDefaultRowHeight(int Value) {
  FDefaultRowHeight = Value;
  std::fill(FRowHeights.begin(), FRowHeights.end(), Value);
  RowHeightsChanged();
}

int TCustomGrid::GetColWidths(int Index) const {
  return Index >= 0 && Index < GetColCount() ? FColWidths[static_cast<size_t>(Index)] : FDefaultColWidth;
}

void TCustomGrid::SetColWidths(int Index, int Value) {
  if (Index < 0 || Index >= GetColCount()) throw EInvalidGridOperation("Grid index out of range");
  Value = std::max(Value, 0);
  if (FColWidths[static_cast<size_t>(Index)] == Value) return;
  FColWidths[static_cast<size_t>(Index)] = Value;
  ColWidthsChanged();
}

int TCustomGrid::GetRowHeights(int Index) const {
  return Index >= 0 && Index < GetRowCount() ? FRowHeights[static_cast<size_t>(Index)] : FDefaultRowHeight;
}

void TCustomGrid::SetRowHeights(int Index, int Value) {
  if (Index < 0 || Index >= GetRowCount()) throw EInvalidGridOperation("Grid index out of range");
  Value = std::max(Value, 0);
  if (FRowHeights[static_cast<size_t>(Index)] == Value) return;
  FRowHeights[static_cast<size_t>(Index)] = Value;
  RowHeightsChanged();
}

void TCustomGrid::ColWidthsChanged() {
  UpdateScrollRange();
  Invalidate();
  UpdateEdit();
}

void TCustomGrid::RowHeightsChanged() {
  Invalidate();
  UpdateEdit();
}

void TCustomGrid::SetGridLineWidth(int Value) {
  FGridLineWidth = std::max(Value, 0);
  ColWidthsChanged();
}

void TCustomGrid::SetOptions(TGridOptions Value) {
  if (FOptions == Value) return;
  FOptions = Value;
  if (!FOptions.Contains(goEditing)) HideEditor();
  else if (FOptions.Contains(goAlwaysShowEditor)) ShowEditor();
  if (FOptions.Contains(goRowSelect)) HideEditor();
  ColWidthsChanged();
}

void TCustomGrid::SetFixedColor(TColor Value) {
  FFixedColor = Value;
  Invalidate();
}

void TCustomGrid::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  if (HandleAllocated()) RecreateWnd();
}

// ---- Geometry ----

int TCustomGrid::ColLineWidth() const {
  return FOptions.Contains(goVertLine) || FOptions.Contains(goFixedVertLine) ? FGridLineWidth : 0;
}

int TCustomGrid::RowLineWidth() const {
  return FOptions.Contains(goHorzLine) || FOptions.Contains(goFixedHorzLine) ? FGridLineWidth : 0;
}

int TCustomGrid::FixedWidth() const {
  int w = 0;
  for (int c = 0; c < FFixedCols; ++c) w += FColWidths[static_cast<size_t>(c)] + ColLineWidth();
  return w;
}

int TCustomGrid::FixedHeight() const {
  int h = 0;
  for (int r = 0; r < FFixedRows; ++r) h += FRowHeights[static_cast<size_t>(r)] + RowLineWidth();
  return h;
}

int TCustomGrid::ColLeft(int ACol) {
  if (ACol < FFixedCols) {
    int x = 0;
    for (int c = 0; c < ACol; ++c) x += FColWidths[static_cast<size_t>(c)] + ColLineWidth();
    return x;
  }
  int x = FixedWidth();
  for (int c = FTopLeft.X; c < ACol; ++c) x += FColWidths[static_cast<size_t>(c)] + ColLineWidth();
  return x;
}

int TCustomGrid::RowTop(int ARow) {
  if (ARow < FFixedRows) {
    int y = 0;
    for (int r = 0; r < ARow; ++r) y += FRowHeights[static_cast<size_t>(r)] + RowLineWidth();
    return y;
  }
  int y = FixedHeight();
  for (int r = FTopLeft.Y; r < ARow; ++r) y += FRowHeights[static_cast<size_t>(r)] + RowLineWidth();
  return y;
}

int TCustomGrid::LastShownCol() {
  int width = GetClientWidth(), x = FixedWidth(), c = FTopLeft.X;
  for (; c < GetColCount(); ++c) {
    x += FColWidths[static_cast<size_t>(c)] + ColLineWidth();
    if (x >= width) break;
  }
  return std::min(c, GetColCount() - 1);
}

int TCustomGrid::LastShownRow() {
  int height = GetClientHeight(), y = FixedHeight(), r = FTopLeft.Y;
  for (; r < GetRowCount(); ++r) {
    y += FRowHeights[static_cast<size_t>(r)] + RowLineWidth();
    if (y >= height) break;
  }
  return std::min(r, GetRowCount() - 1);
}

int TCustomGrid::VisibleColCount() {
  int width = GetClientWidth(), x = FixedWidth(), n = 0;
  for (int c = FTopLeft.X; c < GetColCount(); ++c) {
    x += FColWidths[static_cast<size_t>(c)] + ColLineWidth();
    if (x > width) break;
    ++n;
  }
  return std::max(n, 1);
}

int TCustomGrid::VisibleRowCount() {
  int height = GetClientHeight(), y = FixedHeight(), n = 0;
  for (int r = FTopLeft.Y; r < GetRowCount(); ++r) {
    y += FRowHeights[static_cast<size_t>(r)] + RowLineWidth();
    if (y > height) break;
    ++n;
  }
  return std::max(n, 1);
}

TRect TCustomGrid::CellRect(int ACol, int ARow) {
  if (ACol < 0 || ACol >= GetColCount() || ARow < 0 || ARow >= GetRowCount()) return {};
  if (ACol >= FFixedCols && (ACol < FTopLeft.X || ACol > LastShownCol())) return {};
  if (ARow >= FFixedRows && (ARow < FTopLeft.Y || ARow > LastShownRow())) return {};
  int x = ColLeft(ACol), y = RowTop(ARow);
  return {x, y, x + FColWidths[static_cast<size_t>(ACol)], y + FRowHeights[static_cast<size_t>(ARow)]};
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) {
  TGridCoord cell;
  if (X < 0 || Y < 0 || X >= GetClientWidth() || Y >= GetClientHeight()) return cell;
  auto find = [](int P, int Fixed, int First, int Count, const std::vector<int>& Sizes, int Line) {
    int at = 0;
    for (int i = 0; i < Fixed; ++i) {
      at += Sizes[static_cast<size_t>(i)] + Line;
      if (P < at) return i;
    }
    for (int i = First; i < Count; ++i) {
      at += Sizes[static_cast<size_t>(i)] + Line;
      if (P < at) return i;
    }
    return -1;
  };
  cell.X = find(X, FFixedCols, FTopLeft.X, GetColCount(), FColWidths, ColLineWidth());
  cell.Y = find(Y, FFixedRows, FTopLeft.Y, GetRowCount(), FRowHeights, RowLineWidth());
  if (cell.X < 0 || cell.Y < 0) return {};
  return cell;
}

void TCustomGrid::InvalidateCell(int ACol, int ARow) {
  if (!HandleAllocated()) return;
  TRect r = CellRect(ACol, ARow);
  if (r.Width() <= 0) return;
  RECT rc{r.Left, r.Top, r.Right + ColLineWidth(), r.Bottom + RowLineWidth()};
  InvalidateRect(GetHandle(), &rc, FALSE);
}

void TCustomGrid::InvalidateRow(int ARow) {
  if (!HandleAllocated() || ARow < 0 || ARow >= GetRowCount()) return;
  if (ARow >= FFixedRows && (ARow < FTopLeft.Y || ARow > LastShownRow())) return;
  int y = RowTop(ARow);
  RECT rc{0, y, GetClientWidth(), y + FRowHeights[static_cast<size_t>(ARow)] + RowLineWidth()};
  InvalidateRect(GetHandle(), &rc, FALSE);
}

void TCustomGrid::InvalidateCol(int ACol) {
  if (!HandleAllocated() || ACol < 0 || ACol >= GetColCount()) return;
  if (ACol >= FFixedCols && (ACol < FTopLeft.X || ACol > LastShownCol())) return;
  int x = ColLeft(ACol);
  RECT rc{x, 0, x + FColWidths[static_cast<size_t>(ACol)] + ColLineWidth(), GetClientHeight()};
  InvalidateRect(GetHandle(), &rc, FALSE);
}

// ---- Painting ----

void TCustomGrid::DrawCell(int /*ACol*/, int /*ARow*/, const TRect& ARect, TGridDrawState AState) {
  Canvas()->GetBrush()->SetColor(AState.Contains(gdFixed) ? FFixedColor : GetColor());
  Canvas()->FillRect(ARect);
}

void TCustomGrid::Paint() {
  TCanvas* canvas = Canvas();
  TRect clip = canvas->ClipRect();
  int width = GetClientWidth(), height = GetClientHeight();
  int colLine = ColLineWidth(), rowLine = RowLineWidth();
  bool focused = Focused() || (FInplaceEdit && FInplaceEdit->HandleAllocated() && GetFocus() == FInplaceEdit->GetHandle());
  int right = 0, bottom = 0;  // where the cells end

  std::vector<int> cols, rows;
  for (int c = 0; c < FFixedCols; ++c) cols.push_back(c);
  for (int c = FTopLeft.X; c <= LastShownCol() && c < GetColCount(); ++c) cols.push_back(c);
  for (int r = 0; r < FFixedRows; ++r) rows.push_back(r);
  for (int r = FTopLeft.Y; r <= LastShownRow() && r < GetRowCount(); ++r) rows.push_back(r);

  for (int r : rows) {
    int y = RowTop(r), h = FRowHeights[static_cast<size_t>(r)];
    if (y >= height) break;
    bottom = std::max(bottom, y + h + rowLine);
    for (int c : cols) {
      int x = ColLeft(c), w = FColWidths[static_cast<size_t>(c)];
      if (x >= width) break;
      right = std::max(right, x + w + colLine);
      TRect cell{x, y, x + w, y + h};
      TRect line{x, y, x + w + colLine, y + h + rowLine};
      if (line.Right <= clip.Left || line.Left >= clip.Right || line.Bottom <= clip.Top || line.Top >= clip.Bottom)
        continue;
      bool fixed = c < FFixedCols || r < FFixedRows;
      TGridDrawState state;
      if (fixed) state.Include(gdFixed);
      bool current = r == FCurrent.Y && (c == FCurrent.X || FOptions.Contains(goRowSelect));
      if (!fixed && current) {
        state.Include(gdSelected);
        if (focused && c == FCurrent.X) state.Include(gdFocused);
      }
      if (w > 0 && h > 0) DrawCell(c, r, cell, state);
      // The lines right of and under the cell.
      bool vert = fixed ? FOptions.Contains(goFixedVertLine) : FOptions.Contains(goVertLine);
      bool horz = fixed ? FOptions.Contains(goFixedHorzLine) : FOptions.Contains(goHorzLine);
      TColor lineColor = fixed ? clBlack : clSilver;
      if (colLine > 0) {
        canvas->GetBrush()->SetColor(vert ? lineColor : (fixed ? FFixedColor : GetColor()));
        canvas->FillRect({x + w, y, x + w + colLine, y + h + rowLine});
      }
      if (rowLine > 0) {
        canvas->GetBrush()->SetColor(horz ? lineColor : (fixed ? FFixedColor : GetColor()));
        canvas->FillRect({x, y + h, x + w + colLine, y + h + rowLine});
      }
      if (state.Contains(gdFocused) && !FOptions.Contains(goRowSelect) && !(FEditorMode && FInplaceEdit && FInplaceEdit->Shown()))
        canvas->DrawFocusRect(cell);
    }
  }
  // What is left of the client area beyond the cells.
  canvas->GetBrush()->SetColor(GetColor());
  if (right < width) canvas->FillRect({right, 0, width, height});
  if (bottom < height) canvas->FillRect({0, bottom, std::min(right, width), height});
  if (FOptions.Contains(goRowSelect) && focused && FCurrent.Y >= FTopLeft.Y) {
    TRect a = CellRect(FFixedCols < GetColCount() ? FTopLeft.X : 0, FCurrent.Y);
    TRect b = CellRect(LastShownCol(), FCurrent.Y);
    if (a.Width() > 0 && b.Width() > 0) canvas->DrawFocusRect({a.Left, a.Top, b.Right, b.Bottom});
  }
}

// ---- Moving ----

void TCustomGrid::FocusCell(int ACol, int ARow) {
  int cols = GetColCount(), rows = GetRowCount();
  if (cols <= FFixedCols || rows <= FFixedRows) return;
  ACol = std::clamp(ACol, FFixedCols, cols - 1);
  ARow = std::clamp(ARow, FFixedRows, rows - 1);
  if (ACol == FCurrent.X && ARow == FCurrent.Y) {
    ScrollIntoView();
    return;
  }
  if (!SelectCell(ACol, ARow)) return;
  bool rowSelect = FOptions.Contains(goRowSelect);
  if (rowSelect) InvalidateRow(FCurrent.Y);
  else InvalidateCell(FCurrent.X, FCurrent.Y);
  FCurrent = {ACol, ARow};
  ScrollIntoView();
  if (rowSelect) InvalidateRow(FCurrent.Y);
  else InvalidateCell(FCurrent.X, FCurrent.Y);
  InvalidateEditor();
  UpdateEdit();
}

void TCustomGrid::ScrollIntoView() {
  int left = FTopLeft.X, top = FTopLeft.Y;
  if (FCurrent.X < left) left = FCurrent.X;
  else if (FCurrent.X >= FFixedCols) {
    // Step the left column up until the current one shows whole (or is the first).
    int width = GetClientWidth() - FixedWidth();
    auto span = [&](int from) {
      int w = 0;
      for (int c = from; c <= FCurrent.X; ++c) w += FColWidths[static_cast<size_t>(c)] + ColLineWidth();
      return w;
    };
    while (left < FCurrent.X && span(left) > width) ++left;
  }
  if (FCurrent.Y < top) top = FCurrent.Y;
  else if (FCurrent.Y >= FFixedRows) {
    int height = GetClientHeight() - FixedHeight();
    auto span = [&](int from) {
      int h = 0;
      for (int r = from; r <= FCurrent.Y; ++r) h += FRowHeights[static_cast<size_t>(r)] + RowLineWidth();
      return h;
    };
    while (top < FCurrent.Y && span(top) > height) ++top;
  }
  MoveTopLeft(left, top);
}

void TCustomGrid::MoveTopLeft(int ALeft, int ATop) {
  ALeft = std::clamp(ALeft, FFixedCols, std::max(FFixedCols, GetColCount() - 1));
  ATop = std::clamp(ATop, FFixedRows, std::max(FFixedRows, GetRowCount() - 1));
  if (ALeft == FTopLeft.X && ATop == FTopLeft.Y) return;
  FTopLeft = {ALeft, ATop};
  Invalidate();
  UpdateScrollRange();
  UpdateEdit();
  TopLeftChanged();
}

void TCustomGrid::MoveColumn(int FromIndex, int ToIndex) {
  if (FromIndex == ToIndex || FromIndex < 0 || ToIndex < 0 || FromIndex >= GetColCount() || ToIndex >= GetColCount())
    return;
  int w = FColWidths[static_cast<size_t>(FromIndex)];
  FColWidths.erase(FColWidths.begin() + FromIndex);
  FColWidths.insert(FColWidths.begin() + ToIndex, w);
  if (FCurrent.X == FromIndex) FCurrent.X = ToIndex;
  else if (FromIndex < FCurrent.X && ToIndex >= FCurrent.X) --FCurrent.X;
  else if (FromIndex > FCurrent.X && ToIndex <= FCurrent.X) ++FCurrent.X;
  ColumnMoved(FromIndex, ToIndex);
  Invalidate();
  UpdateEdit();
}

void TCustomGrid::UpdateScrollRange() {
  if (!HandleAllocated()) return;
  int scrollable = GetColCount() - FFixedCols;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
  // Whole columns: one position per column that may be the left one.
  bool fits = FixedWidth() + [&] {
    int w = 0;
    for (int c = FFixedCols; c < GetColCount(); ++c) w += FColWidths[static_cast<size_t>(c)] + ColLineWidth();
    return w;
  }() <= GetClientWidth();
  if (fits && FTopLeft.X == FFixedCols) {
    si.nMin = 0;
    si.nMax = 0;
    si.nPage = 0;
    si.nPos = 0;
  } else {
    si.nMin = 0;
    si.nMax = std::max(scrollable - 1, 0);
    si.nPage = 1;
    si.nPos = FTopLeft.X - FFixedCols;
  }
  SetScrollInfo(GetHandle(), SB_HORZ, &si, TRUE);
}

void TCustomGrid::HScroll(int Code, int Pos) {
  int left = FTopLeft.X;
  switch (Code) {
    case SB_LINELEFT: --left; break;
    case SB_LINERIGHT: ++left; break;
    case SB_PAGELEFT: left -= VisibleColCount(); break;
    case SB_PAGERIGHT: left += VisibleColCount(); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: left = FFixedCols + Pos; break;
    case SB_LEFT: left = FFixedCols; break;
    case SB_RIGHT: left = GetColCount() - 1; break;
    default: return;
  }
  MoveTopLeft(left, FTopLeft.Y);
}

// ---- The editor ----

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

bool TCustomGrid::CanEditShow() {
  return FOptions.Contains(goEditing) && !FOptions.Contains(goRowSelect) && (FEditorMode || FOptions.Contains(goAlwaysShowEditor)) &&
         FCurrent.X >= FFixedCols && FCurrent.Y >= FFixedRows && FCurrent.X < GetColCount() && FCurrent.Y < GetRowCount() &&
         HandleAllocated();
}

void TCustomGrid::SetEditorMode(bool Value) {
  if (Value) {
    FEditorMode = true;
    ShowEditor();
    if (!FInplaceEdit || !FInplaceEdit->Shown()) FEditorMode = false;
  } else if (FEditorMode) {
    HideEditor();
  }
}

void TCustomGrid::ShowEditor() {
  bool wasMode = FEditorMode;
  FEditorMode = true;
  if (!CanEditShow()) {
    FEditorMode = wasMode && FOptions.Contains(goAlwaysShowEditor);
    if (!FEditorMode && FInplaceEdit) FInplaceEdit->HideEditor();
    return;
  }
  if (!FInplaceEdit) {
    FInplaceEdit = CreateEditor();
    FInplaceEdit->FGrid = this;
    FInplaceEdit->SetParent(this);
  }
  FInplaceEdit->UpdateContents();
  FInplaceEdit->Move(CellRect(FCurrent.X, FCurrent.Y));
  if (FInplaceEdit->Shown() && (Focused() || GetFocus() == FInplaceEdit->GetHandle())) {
    FInplaceEdit->SetFocus();
    FInplaceEdit->SelectAll();
  }
  InvalidateCell(FCurrent.X, FCurrent.Y);
}

void TCustomGrid::HideEditor() {
  FEditorMode = false;
  if (FInplaceEdit) FInplaceEdit->HideEditor();
  InvalidateCell(FCurrent.X, FCurrent.Y);
}

void TCustomGrid::ShowEditorChar(wchar_t Ch) {
  ShowEditor();
  if (FInplaceEdit && FInplaceEdit->Shown() && FInplaceEdit->HandleAllocated())
    PostMessageW(FInplaceEdit->GetHandle(), WM_CHAR, Ch, 0);
}

void TCustomGrid::UpdateEdit() {
  if (!FInplaceEdit || !FInplaceEdit->Shown()) {
    if (FOptions.Contains(goAlwaysShowEditor) && FOptions.Contains(goEditing) && HandleAllocated() && Focused()) ShowEditor();
    return;
  }
  if (!CanEditShow()) {
    HideEditor();
    return;
  }
  FInplaceEdit->Move(CellRect(FCurrent.X, FCurrent.Y));
}

void TCustomGrid::InvalidateEditor() {
  if (FInplaceEdit && FInplaceEdit->Shown()) FInplaceEdit->UpdateContents();
}

// ---- Input ----

void TCustomGrid::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  int col = FCurrent.X, row = FCurrent.Y;
  bool ctrl = Shift.Contains(ssCtrl), rowSelect = FOptions.Contains(goRowSelect);
  int page = VisibleRowCount();
  switch (Key) {
    case VK_UP: row = ctrl ? FTopLeft.Y : row - 1; break;
    case VK_DOWN: row = ctrl ? LastShownRow() : row + 1; break;
    case VK_PRIOR: row -= page; break;
    case VK_NEXT: row += page; break;
    case VK_LEFT:
      if (rowSelect) row -= 1;
      else col = ctrl ? FFixedCols : col - 1;
      break;
    case VK_RIGHT:
      if (rowSelect) row += 1;
      else col = ctrl ? GetColCount() - 1 : col + 1;
      break;
    case VK_HOME:
      if (ctrl || rowSelect) row = FFixedRows;
      else col = FFixedCols;
      break;
    case VK_END:
      if (ctrl || rowSelect) row = GetRowCount() - 1;
      else col = GetColCount() - 1;
      break;
    case VK_TAB:
      if (!FOptions.Contains(goTabs) || Shift.Contains(ssAlt)) return;
      if (Shift.Contains(ssShift)) {
        if (--col < FFixedCols) {
          col = GetColCount() - 1;
          if (--row < FFixedRows) row = GetRowCount() - 1;
        }
      } else if (++col >= GetColCount()) {
        col = FFixedCols;
        if (++row >= GetRowCount()) row = FFixedRows;
      }
      break;
    case VK_F2:
      SetEditorMode(true);
      Key = 0;
      return;
    default:
      return;
  }
  FocusCell(col, row);
  Key = 0;
}

void TCustomGrid::KeyPress(wchar_t& Key) {
  TCustomControl::KeyPress(Key);
  if (Key == 0 || !FOptions.Contains(goEditing)) return;
  if (Key == L'\r') {
    // Enter opens and closes the editor; with the editor always shown it selects its text.
    if (FInplaceEdit && FInplaceEdit->Shown()) {
      if (FOptions.Contains(goAlwaysShowEditor)) FInplaceEdit->SelectAll();
      else HideEditor();
    } else {
      SetEditorMode(true);
    }
    Key = 0;
  } else if (Key >= 32 && !(FInplaceEdit && FInplaceEdit->Shown())) {
    if (CanEditAcceptKey(Key) && CanEditModify()) {
      FEditorMode = true;
      ShowEditorChar(Key);
    }
    Key = 0;
  }
}

int TCustomGrid::SizingColumn(int X, int Y) {
  if (!FOptions.Contains(goColSizing)) return -1;
  if (FFixedRows > 0 && Y >= FixedHeight()) return -1;
  TGridCoord cell = MouseCoord(X, 0);
  std::vector<int> cols;
  for (int c = 0; c < FFixedCols; ++c) cols.push_back(c);
  for (int c = FTopLeft.X; c < GetColCount(); ++c) cols.push_back(c);
  (void)cell;
  for (int c : cols) {
    int right = ColLeft(c) + FColWidths[static_cast<size_t>(c)];
    if (right > GetClientWidth() + 3) break;
    if (X >= right - 2 && X <= right + ColLineWidth() + 1) return c;
  }
  return -1;
}

void TCustomGrid::DrawSizingLine(int X) {
  HDC dc = GetDC(GetHandle());
  PatBlt(dc, X, 0, 2, GetClientHeight(), DSTINVERT);
  ReleaseDC(GetHandle(), dc);
}

void TCustomGrid::DrawMoveLine(int Col) {
  TRect r = CellRect(Col, 0);
  if (r.Width() <= 0) return;
  int x = Col > FMoveFrom ? r.Right : r.Left - 1;
  HDC dc = GetDC(GetHandle());
  PatBlt(dc, x - 1, 0, 3, GetClientHeight(), DSTINVERT);
  ReleaseDC(GetHandle(), dc);
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (CanFocus() && !Focused() && !(FInplaceEdit && GetFocus() == FInplaceEdit->GetHandle())) SetFocus();
  if (Button == mbLeft && FGridState == gsNormal) {
    int sizing = SizingColumn(X, Y);
    TGridCoord cell = MouseCoord(X, Y);
    if (sizing >= 0) {
      FGridState = gsColSizing;
      FSizingCol = sizing;
      FSizingPos = X;
      DrawSizingLine(FSizingPos);
      SetMouseCapture(true);
    } else if (FOptions.Contains(goColMoving) && cell.Y >= 0 && cell.Y < FFixedRows && cell.X >= 0) {
      int origin = cell.X, dest = cell.X;
      if (BeginColumnDrag(origin, dest, {X, Y})) {
        FGridState = gsColMoving;
        FMoveFrom = origin;
        FMoveTo = origin;
        FMoveStarted = false;
        FDownPos = {X, Y};
        SetMouseCapture(true);
      }
    } else if (cell.X >= FFixedCols && cell.Y >= FFixedRows) {
      bool same = cell.X == FCurrent.X && cell.Y == FCurrent.Y;
      FocusCell(cell.X, cell.Y);
      if (same && FOptions.Contains(goEditing) && Shift.Contains(ssLeft) && !Shift.Contains(ssDouble)) SetEditorMode(true);
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
  if (FGridState == gsColSizing) {
    int left = ColLeft(FSizingCol);
    int x = std::max(X, left + 1);
    if (x != FSizingPos) {
      DrawSizingLine(FSizingPos);
      FSizingPos = x;
      DrawSizingLine(FSizingPos);
    }
  } else if (FGridState == gsColMoving) {
    if (!FMoveStarted && std::abs(X - FDownPos.X) < 4) {
      TCustomControl::MouseMove(Shift, X, Y);
      return;
    }
    TGridCoord cell = MouseCoord(X, 0);
    int dest = cell.X >= 0 ? cell.X : (X < 0 ? FFixedCols : LastShownCol());
    int origin = FMoveFrom;
    if (CheckColumnDrag(origin, dest, {X, Y}) && (dest != FMoveTo || !FMoveStarted)) {
      if (FMoveStarted && FMoveTo != FMoveFrom) DrawMoveLine(FMoveTo);
      FMoveStarted = true;
      FMoveTo = dest;
      if (FMoveTo != FMoveFrom) DrawMoveLine(FMoveTo);
    }
  } else if (HandleAllocated()) {
    ::SetCursor(LoadCursorW(nullptr, SizingColumn(X, Y) >= 0 ? IDC_SIZEWE : IDC_ARROW));
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FGridState == gsColSizing) {
    DrawSizingLine(FSizingPos);
    FGridState = gsNormal;
    SetMouseCapture(false);
    int width = FSizingPos - ColLeft(FSizingCol);
    if (width > 1) SetColWidths(FSizingCol, width);
    FSizingCol = -1;
  } else if (FGridState == gsColMoving) {
    if (FMoveStarted && FMoveTo != FMoveFrom) DrawMoveLine(FMoveTo);
    FGridState = gsNormal;
    SetMouseCapture(false);
    int origin = FMoveFrom, dest = FMoveTo;
    if (FMoveStarted && EndColumnDrag(origin, dest, {X, Y}) && origin != dest) MoveColumn(origin, dest);
    FMoveFrom = FMoveTo = -1;
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomGrid::DoEnter() {
  TCustomControl::DoEnter();
  if (FOptions.Contains(goAlwaysShowEditor)) ShowEditor();
  InvalidateCell(FCurrent.X, FCurrent.Y);
}

void TCustomGrid::Resize() {
  TCustomControl::Resize();
  UpdateScrollRange();
  UpdateEdit();
}

void TCustomGrid::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS;
      if (FOptions.Contains(goTabs)) Message.Result |= DLGC_WANTTAB;
      if (FOptions.Contains(goEditing)) Message.Result |= DLGC_WANTCHARS;
      return;
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(Message.LParam) == nullptr) {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(GetHandle(), SB_HORZ, &si);
        HScroll(LOWORD(Message.WParam), si.nTrackPos);
        Message.Result = 0;
        return;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TCustomControl::Dispatch(Message);
      InvalidateCell(FCurrent.X, FCurrent.Y);
      if (FOptions.Contains(goRowSelect)) InvalidateRow(FCurrent.Y);
      return;
    case WM_CANCELMODE:
    case CM_CANCELMODE:
      if (FGridState == gsColSizing) DrawSizingLine(FSizingPos);
      if (FGridState == gsColMoving && FMoveStarted && FMoveTo != FMoveFrom) DrawMoveLine(FMoveTo);
      FGridState = gsNormal;
      break;
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
  }
  TCustomControl::Dispatch(Message);
}
