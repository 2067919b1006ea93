#include "gridcal/popuplist.h"

#include <algorithm>

#include "classlib/core/clock.h"

HX_PUBLISH(TPopupListbox, p) {}

TPopupListbox::TPopupListbox(TComponent* AOwner) : TDropDownListBox<TCustomListBox>(AOwner) {
  SetIntegralHeight(true);
}

void TPopupListbox::SetPickList(const TStrings* PickList, const TStrings* PickValues) {
  GetItems()->Clear();
  if (PickList) GetItems()->AddStrings(const_cast<TStrings*>(PickList));
  FValues.Clear();
  FHasValues = PickValues != nullptr;
  if (PickValues) FValues.AddStrings(const_cast<TStrings*>(PickValues));
  SetItemIndex(-1);
}

int TPopupListbox::RowHeight() { return std::max(GetItemHeight(), MinItemHeight); }

void TPopupListbox::SetDropDownValue(const TVariant& Value) {
  SetItemIndex(PickListIndex(GetItems(), FHasValues ? &FValues : nullptr, Value.AsString(), Value.IsNull()));
}

void TPopupListbox::DropDown(const TRect& Anchor) {
  FSearch.Clear();
  HandleNeeded();
  int count = GetItems()->Count();
  int rows = std::clamp(count, 1, FRows);
  SendMessageW(GetHandle(), LB_SETITEMHEIGHT, 0, RowHeight());
  SetBounds(GetLeft(), GetTop(), GetWidth(), RowHeight() * rows + 4);
  // As wide as the widest line, and the scroll bar when not every line shows.
  TControlCanvas canvas(this);
  canvas.GetFont()->Assign(GetFont());
  int widest = 0;
  for (int i = 0; i < count; ++i) widest = std::max(widest, canvas.TextWidth(GetItems()->Get(i)));
  int needed = widest + 6 + (count > rows ? GetSystemMetrics(SM_CXVSCROLL) : 0);
  if (GetClientWidth() < needed) SetBounds(GetLeft(), GetTop(), GetWidth() + needed - GetClientWidth(), GetHeight());
  int index = GetItemIndex();
  if (index >= 0) SetTopIndex(std::max(0, index - rows + 1));
  TDropDownListBox<TCustomListBox>::DropDown(Anchor);
}

void TPopupListbox::CloseUp(bool Accept) {
  FSearch.Clear();
  TDropDownListBox<TCustomListBox>::CloseUp(Accept);
}

TVariant TPopupListbox::DropDownValue() {
  int index = GetItemIndex();
  if (index < 0) return TVariant::Null();
  return PickListValue(GetItems(), FHasValues ? &FValues : nullptr, index);
}

String TPopupListbox::DropDownText() { return DropDownValue().AsString(); }

void TPopupListbox::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_CHAR) {
    // The search is ours, not the system list's (which knows one letter only).
    if (FSearch.Key(static_cast<char32_t>(Message.WParam), Clock().TickCount())) {
      int index = FSearch.Find(*GetItems());
      if (index >= 0) SetItemIndex(index);
      Message.Result = 0;
      return;
    }
  }
  TDropDownListBox<TCustomListBox>::Dispatch(Message);
}
