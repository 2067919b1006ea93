// What the data grid, the speed button and the slider publish is set by a form's text:
// each member read, written back and read again.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/windows/application.h"
#include "classlib/data/db.h"
#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"
#include "classlib/windows/forms.h"
#include "classlib/windows/menus.h"
#include "gridcal/dbgrid.h"
#include "gridcal/slider.h"
#include "gridcal/speedbutton.h"

namespace {

class TPublishedForm : public TForm {
  HX_CLASS(TPublishedForm, TForm)
 public:
  using TForm::TForm;
  TDgDBGrid* DgDBGrid1 = nullptr;
  TGxSpeedButton* GxSpeedButton1 = nullptr;
  TGxSlider* GxSlider1 = nullptr;
  TPopupMenu* PopupMenu1 = nullptr;
  std::vector<std::string> Log;

  void MouseDown(TObject*, TMouseButton, TShiftState, int, int) { Log.push_back("mouse down"); }
  void MouseMove(TObject*, TShiftState, int, int) { Log.push_back("mouse move"); }
  void MouseUp(TObject*, TMouseButton, TShiftState, int, int) { Log.push_back("mouse up"); }
  void KeyUp(TObject*, WORD&, TShiftState) { Log.push_back("key up"); }
  void ColumnDropDown(TObject*, TDgColumn*) { Log.push_back("before drop-down"); }
  void ColumnCloseUp(TObject*, TDgColumn*, bool) { Log.push_back("after close-up"); }
  void CalcFieldEdited(TObject*, TField*, const String&) { Log.push_back("calc field edited"); }
  void SpecialKeyDown(TObject*, TDgColumn*, WORD&, const String&) { Log.push_back("special key"); }
  void StartDrag(TObject*, TDragObject*&) { Log.push_back("start drag"); }
  void DragOver(TObject*, TObject*, int, int, TDragState, bool&) { Log.push_back("drag over"); }
  void DragDrop(TObject*, TObject*, int, int) { Log.push_back("drag drop"); }
  void EndDrag(TObject*, TObject*, int, int) { Log.push_back("end drag"); }
};

}  // namespace

HX_PUBLISH(TPublishedForm, p) {
  p.Field("DgDBGrid1", &TPublishedForm::DgDBGrid1);
  p.Field("GxSpeedButton1", &TPublishedForm::GxSpeedButton1);
  p.Field("GxSlider1", &TPublishedForm::GxSlider1);
  p.Field("PopupMenu1", &TPublishedForm::PopupMenu1);
  p.Handler("MouseDown", &TPublishedForm::MouseDown);
  p.Handler("MouseMove", &TPublishedForm::MouseMove);
  p.Handler("MouseUp", &TPublishedForm::MouseUp);
  p.Handler("KeyUp", &TPublishedForm::KeyUp);
  p.Handler("ColumnDropDown", &TPublishedForm::ColumnDropDown);
  p.Handler("ColumnCloseUp", &TPublishedForm::ColumnCloseUp);
  p.Handler("CalcFieldEdited", &TPublishedForm::CalcFieldEdited);
  p.Handler("SpecialKeyDown", &TPublishedForm::SpecialKeyDown);
  p.Handler("StartDrag", &TPublishedForm::StartDrag);
  p.Handler("DragOver", &TPublishedForm::DragOver);
  p.Handler("DragDrop", &TPublishedForm::DragDrop);
  p.Handler("EndDrag", &TPublishedForm::EndDrag);
}

namespace {

// The drag members, set alike on the speed button and the slider.
const std::string kDragMembers = R"(    Cursor = crHandPoint
    DragCursor = crMultiDrag
    DragKind = dkDock
    DragMode = dmAutomatic
    OnDragDrop = DragDrop
    OnDragOver = DragOver
    OnEndDrag = EndDrag
    OnStartDrag = StartDrag
)";

const std::string kForm = R"(object PublishedForm: TPublishedForm
  Left = 0
  Top = 0
  Width = 300
  Height = 200
  object DgDBGrid1: TDgDBGrid
    Left = 0
    Top = 0
    Width = 200
    Height = 100
    ParentShowHint = False
    PopupMenu = PopupMenu1
    AfterCloseUp = ColumnCloseUp
    BeforeDropDown = ColumnDropDown
    OnCalcFieldEdited = CalcFieldEdited
    OnKeyUp = KeyUp
    OnMouseDown = MouseDown
    OnMouseMove = MouseMove
    OnMouseUp = MouseUp
    OnSpecialKeyDown = SpecialKeyDown
  end
  object GxSpeedButton1: TGxSpeedButton
    Left = 210
    Top = 0
    Width = 25
    Height = 25
)" + kDragMembers + R"(  end
  object GxSlider1: TGxSlider
    Left = 0
    Top = 110
    Width = 150
    Height = 40
)" + kDragMembers + R"(  end
  object PopupMenu1: TPopupMenu
  end
end
)";

std::unique_ptr<TPublishedForm> ReadForm(TStream* Binary) {
  std::unique_ptr<TPublishedForm> form(new TPublishedForm(Application, CreateNew));
  TReader(Binary).ReadRootComponent(form.get());
  return form;
}

// Calls every event the form's text assigned, in the order of the log.
void CheckEveryMember(TPublishedForm& Form, const std::string& What) {
  TDgDBGrid* grid = Form.DgDBGrid1;
  ASSERT_NE(grid, nullptr) << What;
  EXPECT_EQ(grid->GetPopupMenu(), Form.PopupMenu1) << What;
  EXPECT_FALSE(grid->GetParentShowHint()) << What;
  Form.Log.clear();
  WORD key = VK_F5;
  grid->OnMouseDown(grid, mbLeft, {}, 1, 1);
  grid->OnMouseMove(grid, {}, 1, 1);
  grid->OnMouseUp(grid, mbLeft, {}, 1, 1);
  grid->OnKeyUp(grid, key, {});
  grid->BeforeDropDown(grid, nullptr);
  grid->AfterCloseUp(grid, nullptr, true);
  grid->OnCalcFieldEdited(grid, nullptr, "");
  grid->OnSpecialKeyDown(grid, nullptr, key, "");
  EXPECT_EQ(Form.Log, (std::vector<std::string>{"mouse down", "mouse move", "mouse up", "key up", "before drop-down",
                                                "after close-up", "calc field edited", "special key"}))
      << What;
  for (TControl* control : {static_cast<TControl*>(Form.GxSpeedButton1), static_cast<TControl*>(Form.GxSlider1)}) {
    ASSERT_NE(control, nullptr) << What;
    EXPECT_EQ(control->GetCursor(), crHandPoint) << What;
    EXPECT_EQ(control->GetDragCursor(), crMultiDrag) << What;
    EXPECT_EQ(control->GetDragKind(), dkDock) << What;
    EXPECT_EQ(control->GetDragMode(), dmAutomatic) << What;
    Form.Log.clear();
    TDragObject* drag = nullptr;
    bool accept = false;
    control->OnStartDrag(control, drag);
    control->OnDragOver(control, control, 1, 1, dsDragMove, accept);
    control->OnDragDrop(control, control, 1, 1);
    control->OnEndDrag(control, control, 1, 1);
    EXPECT_EQ(Form.Log, (std::vector<std::string>{"start drag", "drag over", "drag drop", "end drag"}))
        << What << " " << control->GetName();
  }
}

TEST(PublishedMembers, AFormsTextSetsEachAndTheyTravelBack) {
  TStringStream text(kForm), binary;
  ObjectTextToBinary(&text, &binary);
  binary.SetPosition(0);
  auto form = ReadForm(&binary);
  CheckEveryMember(*form, "read");

  TMemoryStream written;
  TWriter(&written).WriteRootComponent(form.get());
  written.SetPosition(0);
  auto again = ReadForm(&written);
  CheckEveryMember(*again, "written back");
}

}  // namespace
