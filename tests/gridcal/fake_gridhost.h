#pragma once
// A grid as the columns, the data link and the bookmark list see it: settings the test
// sets, text measured as a fixed width per character, and a log of every request.
#include <string>
#include <vector>

#include "gridcal/dbgridlink.h"

namespace horavox::test {

class TFakeGridHost : public TDgGridHost {
 public:
  TFakeGridHost() : Link(this), Bookmarks(this) {}
  ~TFakeGridHost() override { Link.SetDataSource(nullptr); }

  TColor Color = clWindow, FixedColor = clBtnFace;
  TFont* Font = nullptr;
  TFont* TitleFont = nullptr;
  bool ReadOnly = false, ShowsTitles = true, Loading = false;
  int DefaultColWidth = 64;
  TImeMode ImeMode = imDontCare;
  String ImeName;
  int CharWidth = 7, Overhang = 0, AveWidth = 7;
  bool CanFocus = true;
  std::function<void()> OnUpdateData;

  TGridDataLink Link;
  TBookmarkList Bookmarks;
  std::vector<std::string> Log;

  TColor GridColor() override { return Color; }
  TColor GridFixedColor() override { return FixedColor; }
  TFont* GridFont() override { return Font; }
  TFont* GridTitleFont() override { return TitleFont; }
  bool GridReadOnly() override { return ReadOnly; }
  int GridDefaultColWidth() override { return DefaultColWidth; }
  bool GridShowsTitles() override { return ShowsTitles; }
  TImeMode GridImeMode() override { return ImeMode; }
  String GridImeName() override { return ImeName; }
  bool GridLoading() override { return Loading; }
  TGridDataLink* GridDataLink() override { return &Link; }

  int TextWidth(TFont*, const String& Text) override { return CharWidth * static_cast<int>(Text.size()); }
  int AveCharWidth(TFont*) override { return AveWidth; }
  int FontOverhang(TFont*) override { return Overhang; }

  void BeginLayout() override { Log.push_back("begin layout"); }
  void EndLayout() override { Log.push_back("end layout"); }
  void ColumnsChanged() override { Log.push_back("columns"); }
  void ColumnChanged(TDgColumn*) override { Log.push_back("column"); }

  void LinkActive(bool Value) override {
    Log.push_back(Value ? "active" : "inactive");
    Bookmarks.LinkActive(Value);
  }
  void DataChanged() override { Log.push_back("data"); }
  void Scroll(int Distance) override { Log.push_back("scroll " + std::to_string(Distance)); }
  bool FocusField(TField* Field) override {
    Log.push_back("focus " + Field->GetFieldName());
    return CanFocus;
  }
  void EditingChanged() override { Log.push_back(Link.Editing() ? "editing" : "not editing"); }
  void DataLayoutChanged() override { Log.push_back("layout"); }
  void RecordChanged(TField* Field) override { Log.push_back("record " + (Field ? Field->GetFieldName() : "*")); }
  void UpdateData() override {
    Log.push_back(Link.InUpdateData() ? "update data" : "update data outside the link");
    if (OnUpdateData) OnUpdateData();
  }

  void InvalidateCurrentRow() override { Log.push_back("row"); }
  void InvalidateGrid() override { Log.push_back("grid"); }
  void MultiSelectChanged() override { Log.push_back("multiselect"); }
};

}  // namespace horavox::test
