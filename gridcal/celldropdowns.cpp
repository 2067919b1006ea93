#include "gridcal/celldropdowns.h"

#include "classlib/windows/dblookup.h"
#include "classlib/core/freenotifier.h"
#include "classlib/windows/mask.h"
#include "gridcal/dropdowncalc.h"
#include "gridcal/popupcalendar.h"
#include "gridcal/popuplist.h"

namespace {

// One of the drop-downs behind the editor's face: it opens with the part of the setup that
// is its own, reads back what was chosen, and passes on its requests to close.
class TCellDropDown : public TDgCellDropDown {
 public:
  TCellDropDown(TDgEditStyle Style, TCustomMaskEdit* Editor) : FStyle(Style) {
    switch (Style) {
      case esPickList: FControl = FPickList = new TPopupListbox(Editor); break;
      case esDataList:
        FControl = FDataList = new TPopupDataList(Editor);
        FSource = std::make_unique<TDataSource>(nullptr);
        break;
      case esCalendar: FControl = FCalendar = new TDgPopupCalendar(Editor); break;
      default: FControl = FCalculator = new TDgCalculator(Editor); break;
    }
    DropDown()->OnCloseUp = [this](TObject*, bool Accept) {
      if (OnCloseUp) OnCloseUp(Accept);
    };
    // The editor may free what it owns before it lets go of this.
    FNotifier.OnRemove = [this](TComponent*) { FControl = nullptr; };
    FNotifier.Watch(FControl);
  }
  ~TCellDropDown() override {
    if (!FControl) return;
    FNotifier.Unwatch(FControl);
    delete FControl;
  }

  TWinControl* Control() override { return FControl; }

  void Open(const TDgDropDownSetup& Setup, const TRect& Anchor) override {
    if (!FControl) return;
    switch (FStyle) {
      case esPickList:
        FPickList->SetWidth(Setup.Width);
        FPickList->SetColor(Setup.Color);
        if (Setup.Font) FPickList->GetFont()->Assign(Setup.Font);
        FPickList->SetDropDownRows(Setup.Rows);
        FPickList->SetPickList(Setup.Items, nullptr);
        FPickList->SetItemIndex(Setup.ItemIndex);
        break;
      case esDataList:
        FDataList->SetWidth(Setup.Width);
        FDataList->SetColor(Setup.Color);
        if (Setup.Font) FDataList->GetFont()->Assign(Setup.Font);
        FDataList->SetRowCount(Setup.Rows);
        FSource->SetDataSet(Setup.ListSource);
        FDataList->SetListField(Setup.ListField);
        FDataList->SetKeyField(Setup.KeyField);
        FDataList->SetListSource(FSource.get());
        FDataList->SetDropDownValue(Setup.KeyValue);
        break;
      case esCalendar: FCalendar->SetDropDownValue(TVariant::FromDate(Setup.Date)); break;
      default: FCalculator->SetDropDownValue(Setup.Number); break;
    }
    DropDown()->DropDown(Anchor);
  }

  // The editor has read the result and puts back its own text when it does not accept; the
  // calculator puts it back itself when what it shows is not valid.
  void Close() override {
    if (!FControl) return;
    DropDown()->CloseUp(true);
    if (FSource) FSource->SetDataSet(nullptr);
  }

  bool IsOpen() override { return FControl && DropDown()->DroppedDown(); }

  TDgDropDownResult Result() override {
    TDgDropDownResult result;
    if (!FControl) return result;
    TVariant value = DropDown()->DropDownValue();
    switch (FStyle) {
      case esPickList:
        result.ItemIndex = FPickList->GetItemIndex();
        result.HasValue = result.ItemIndex >= 0;
        break;
      case esDataList:
        result.KeyValue = value;
        result.HasValue = !value.IsNull();
        break;
      case esCalendar:
        result.Date = value.AsDateTime();
        result.HasValue = true;
        break;
      default:
        result.HasValue = !value.IsNull();  // the calculator is taken only when valid
        if (result.HasValue) result.Number = value.AsFloat();
        break;
    }
    return result;
  }

 private:
  TDropDown* DropDown() const {
    if (FPickList) return FPickList;
    if (FDataList) return FDataList;
    if (FCalendar) return FCalendar;
    return FCalculator;
  }

  TDgEditStyle FStyle;
  TWinControl* FControl = nullptr;
  TPopupListbox* FPickList = nullptr;
  TPopupDataList* FDataList = nullptr;
  TDgPopupCalendar* FCalendar = nullptr;
  TDgCalculator* FCalculator = nullptr;
  std::unique_ptr<TDataSource> FSource;
  TFreeNotifier FNotifier;
};

}  // namespace

std::unique_ptr<TDgCellDropDown> MakeDgCellDropDown(TDgEditStyle Style, TCustomMaskEdit* Editor) {
  if (!HasDropDown(Style) || Style > esCalculator) return nullptr;
  return std::make_unique<TCellDropDown>(Style, Editor);
}
