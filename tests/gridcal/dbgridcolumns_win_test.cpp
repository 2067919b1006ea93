// The data grid's columns: their defaults, assigned values, writing through to the fields,
// the collection's states and streaming, on the in-memory dataset with a fake grid.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "classlib/data/db.h"
#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"
#include "classlib/windows/graphics.h"
#include "classlib/windows/menus.h"
#include "classlib/core/streams.h"
#include "classlib/core/stringlist.h"
#include "fake_gridhost.h"
#include "gridcal/dbgridcolumns.h"
#include "memdataset.h"
#include "read_form.h"

using horavox::test::TFakeGridHost;
using horavox::test::TMemDataSet;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

// A grid component with the columns as the real grid streams them.
class TDgTestGrid : public TComponent, public TFakeGridHost {
  HX_CLASS(TDgTestGrid, TComponent)
 public:
  explicit TDgTestGrid(TComponent* AOwner) : TComponent(AOwner) {
    Font = &GridFontObject;
    TitleFont = &TitleFontObject;
    FColumns = std::make_unique<TDgDBGridColumns>(this, this);
  }
  TDgDBGridColumns* GetColumns() const { return FColumns.get(); }
  void SetColumns(TDgDBGridColumns* Value) { FColumns->Assign(Value); }
  bool IsColumnsStored() const { return FColumns->GetState() == csCustomized; }
  bool GridLoading() override { return ComponentState().Contains(csLoading) || Loading; }

  TFont GridFontObject, TitleFontObject;

 private:
  std::unique_ptr<TDgDBGridColumns> FColumns;
};

HX_PUBLISH(TDgTestGrid, p) {
  p.Property("Columns", &TDgTestGrid::GetColumns, &TDgTestGrid::SetColumns).Stored(&TDgTestGrid::IsColumnsStored);
}

namespace {

// A reminder-like table (DATA, SOBITIE, and a number) and a grid on it.
class Columns : public ::testing::Test {
 protected:
  void SetUp() override {
    ds = new TMemDataSet(&owner);
    ds->AddFieldDef("DATA", ftDate);
    ds->AddFieldDef("SOBITIE", ftString, 20);
    ds->AddFieldDef("NUM", ftInteger);
    source = new TDataSource(&owner);
    source->SetDataSet(ds);
    grid = new TDgTestGrid(&owner);
    grid->GridFontObject.SetName("Arial");
    grid->TitleFontObject.SetName("Tahoma");
    grid->Link.SetDataSource(source);
    ds->Open();
    ds->AppendRecord({TVariant::Null(), "a", 1});
  }
  TDgDBGridColumns* Cols() { return grid->GetColumns(); }
  TField* F(const char* Name) { return ds->FieldByName(Name); }

  TComponent owner{nullptr};
  TMemDataSet* ds;
  TDataSource* source;
  TDgTestGrid* grid;
};

TEST(ColumnsWithoutAGrid, FollowTheirOwnDefaults) {
  TDgDBGridColumns columns(nullptr, nullptr);
  TDgColumn* c = columns.Add();
  c->SetFieldName("SOBITIE");
  EXPECT_TRUE(c->IsStored());
  EXPECT_EQ(c->Field(), nullptr);
  EXPECT_EQ(c->GetColor(), clWindow);
  EXPECT_EQ(c->GetWidth(), 64);
  EXPECT_EQ(c->GetAlignment(), taLeftJustify);
  EXPECT_FALSE(c->GetReadOnly());
  EXPECT_EQ(c->GetDropDownRows(), 10);
  EXPECT_EQ(c->GetButtonStyle(), cbsNone);
  EXPECT_TRUE(c->GetVisible());
  EXPECT_TRUE(c->GetExpanded());  // it would show its children, were it an object column
  EXPECT_FALSE(c->Expandable());
  EXPECT_EQ(c->GetTitle()->GetAlignment(), taCenter);
  EXPECT_EQ(c->GetTitle()->GetColor(), clBtnFace);
  EXPECT_EQ(c->GetTitle()->GetCaption(), "SOBITIE");
  // The title's font follows the column's.
  c->GetFont()->SetName("Courier New");
  EXPECT_EQ(c->GetTitle()->GetFont()->GetName(), "Courier New");
  EXPECT_TRUE(c->IsFontStored());
  EXPECT_FALSE(c->GetTitle()->IsFontStored());
  c->SetLookupDropDownFields("NAME;CODE");
  EXPECT_EQ(c->FirstLookupDropDownField(), "NAME");
  c->SetVisible(false);
  EXPECT_EQ(c->GetWidth(), -1);
  EXPECT_EQ(c->GetStreamedWidth(), 64);
}

TEST_F(Columns, FollowTheGridAndTheFieldUntilAssigned) {
  grid->Color = clInfoBk;
  grid->DefaultColWidth = 50;
  TDgColumn* none = Cols()->Add();
  EXPECT_EQ(none->GetWidth(), 50);  // no field
  EXPECT_EQ(none->GetColor(), clInfoBk);
  EXPECT_EQ(none->GetTitle()->GetColor(), clBtnFace);

  TDgColumn* c = Cols()->Add();
  c->SetFieldName("NUM");
  ASSERT_EQ(c->Field(), F("NUM"));
  EXPECT_EQ(c->GetAlignment(), taRightJustify);
  c->SetButtonStyle(cbsCombo);  // a pick list is left-aligned...
  EXPECT_EQ(c->GetAlignment(), taLeftJustify);
  c->SetAlignment(taCenter);  // ...until it is given one
  EXPECT_EQ(c->GetAlignment(), taCenter);
  EXPECT_TRUE(c->IsAlignmentStored());

  EXPECT_FALSE(c->GetReadOnly());
  F("NUM")->SetReadOnly(true);
  EXPECT_TRUE(c->GetReadOnly());
  F("NUM")->SetReadOnly(false);
  grid->ReadOnly = true;
  EXPECT_TRUE(c->GetReadOnly());
  c->SetReadOnly(false);
  EXPECT_FALSE(c->GetReadOnly());

  // The grid's fonts are followed, not assigned.
  grid->GridFontObject.SetName("Verdana");
  EXPECT_EQ(c->GetFont()->GetName(), "Verdana");
  EXPECT_EQ(c->GetTitle()->GetFont()->GetName(), "Tahoma");
  EXPECT_FALSE(c->IsFontStored());
  EXPECT_FALSE(c->GetTitle()->IsFontStored());

  // A caption set back to the field's name is not kept.
  c->GetTitle()->SetCaption("Число");
  EXPECT_TRUE(c->GetTitle()->IsCaptionStored());
  c->GetTitle()->SetCaption("NUM");
  EXPECT_FALSE(c->GetTitle()->IsCaptionStored());
  F("NUM")->SetDisplayLabel("Номер");
  EXPECT_EQ(c->GetTitle()->GetCaption(), "NUM");
  c->RestoreDefaults();
  EXPECT_EQ(c->GetTitle()->GetCaption(), "Номер");
  EXPECT_TRUE(c->AssignedValues().Empty());
  EXPECT_EQ(c->GetButtonStyle(), cbsNone);
  EXPECT_TRUE(c->GetReadOnly());  // the grid's again
}

TEST_F(Columns, TheWidthComesFromTheFieldInTheColumnFont) {
  grid->CharWidth = 7;
  grid->Overhang = 1;
  TDgColumn* c = Cols()->Add();
  c->SetFieldName("SOBITIE");  // 20 characters
  EXPECT_EQ(c->GetWidth(), (7 - 1) * 20 + 1 + 4);
  F("SOBITIE")->SetDisplayWidth(2);
  EXPECT_EQ(c->GetWidth(), 7 * 7 + 4);  // the title "SOBITIE" is wider
  grid->ShowsTitles = false;
  EXPECT_EQ(c->GetWidth(), 6 * 2 + 5);
  c->SetWidth(80);
  EXPECT_EQ(c->GetWidth(), 80);
  EXPECT_TRUE(c->IsWidthStored());
}

TEST_F(Columns, GridMadeColumnsWriteThroughToTheirFields) {
  grid->AveWidth = 8;
  grid->Overhang = 1;
  TDgColumn* c = Cols()->AddDefault();
  c->SetFieldName("SOBITIE");
  EXPECT_FALSE(c->IsStored());
  EXPECT_EQ(Cols()->GetState(), csDefault);
  c->SetWidth(100);
  EXPECT_EQ(F("SOBITIE")->GetDisplayWidth(), (100 + 4 - 1 - 3) / 8);
  c->SetAlignment(taRightJustify);
  EXPECT_EQ(F("SOBITIE")->GetAlignment(), taRightJustify);
  c->SetReadOnly(true);
  EXPECT_TRUE(F("SOBITIE")->GetReadOnly());
  c->GetTitle()->SetCaption("Напоминание");
  EXPECT_EQ(F("SOBITIE")->GetDisplayLabel(), "Напоминание");
  EXPECT_TRUE(c->AssignedValues().Empty());
  // Without a character width the field's width stays.
  grid->AveWidth = 0;
  c->SetWidth(300);
  EXPECT_EQ(F("SOBITIE")->GetDisplayWidth(), 12);
  // Moving such a column moves its field to the landing column's place.
  TDgColumn* first = Cols()->AddDefault();
  first->SetFieldName("DATA");
  first->SetIndex(0);
  EXPECT_EQ(ds->Fields()->Fields(0), F("SOBITIE"));
  EXPECT_EQ(F("DATA")->GetIndex(), 1);
  EXPECT_EQ(Cols()->Items(0), first);
  // A persistent column keeps its values.
  TDgColumn* own = Cols()->Add();
  own->SetFieldName("NUM");
  own->SetWidth(33);
  EXPECT_EQ(own->GetWidth(), 33);
  EXPECT_EQ(F("NUM")->GetDisplayWidth(), 10);
}

TEST_F(Columns, TheStateSwitchesBetweenDefaultAndCustomized) {
  Cols()->AddDefault()->SetFieldName("NUM");
  EXPECT_EQ(Cols()->GetState(), csDefault);
  grid->Log.clear();
  Cols()->SetState(csCustomized);
  ASSERT_EQ(Cols()->Count(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(Cols()->Items(i)->IsStored());
    EXPECT_EQ(Cols()->Items(i)->Field(), ds->Fields()->Fields(i));
  }
  EXPECT_EQ(grid->Log.front(), "begin layout");
  EXPECT_EQ(grid->Log.back(), "end layout");
  EXPECT_EQ(Cols()->GetState(), csCustomized);
  Cols()->SetState(csDefault);
  EXPECT_EQ(Cols()->Count(), 0);
  // Changes reach the grid unless it is loading.
  TDgColumn* c = Cols()->Add();
  grid->Log.clear();
  c->SetColor(clRed);
  c->SetColor(clRed);
  EXPECT_THAT(grid->Log, ElementsAre("column"));
  grid->Loading = true;
  c->SetColor(clBlue);
  EXPECT_THAT(grid->Log, ElementsAre("column"));
}

TEST_F(Columns, TheRemindersColumnsStreamThroughTheTextForm) {
  const std::string text =
      "object DgDBGrid1: TDgTestGrid\n"
      "  Columns = <\n"
      "    item\n"
      "      FieldName = 'DATA'\n"
      "      Title.Caption = 'Дата'\n"
      "    end\n"
      "    item\n"
      "      FieldName = 'SOBITIE'\n"
      "      Width = 300\n"
      "      Title.Caption = 'Напоминание'\n"
      "    end>\n"
      "end\n";
  auto root = horavox::test::ReadFromText(text);
  auto* read = dynamic_cast<TDgTestGrid*>(root.get());
  ASSERT_NE(read, nullptr);
  TDgDBGridColumns* columns = read->GetColumns();
  ASSERT_EQ(columns->Count(), 2);
  EXPECT_EQ(columns->GetState(), csCustomized);
  EXPECT_EQ(columns->Items(0)->GetFieldName(), "DATA");
  EXPECT_EQ(columns->Items(0)->GetTitle()->GetCaption(), "Дата");
  EXPECT_EQ(columns->Items(1)->GetTitle()->GetCaption(), "Напоминание");
  EXPECT_EQ(columns->Items(1)->GetWidth(), 300);
  EXPECT_FALSE(columns->Items(0)->IsWidthStored());

  auto write = [](TComponent* Root) {
    TMemoryStream binary;
    TWriter writer(&binary);
    writer.WriteRootComponent(Root);
    binary.SetPosition(0);
    TStringStream written;
    ObjectBinaryToText(&binary, &written);
    return written.DataString();
  };
  std::string again = write(read);
  auto reread = horavox::test::ReadFromText(again);
  TDgDBGridColumns* copy = dynamic_cast<TDgTestGrid*>(reread.get())->GetColumns();
  ASSERT_EQ(copy->Count(), 2);
  EXPECT_EQ(copy->Items(1)->GetFieldName(), "SOBITIE");
  EXPECT_EQ(copy->Items(1)->GetTitle()->GetCaption(), "Напоминание");
  EXPECT_EQ(copy->Items(1)->GetWidth(), 300);
  EXPECT_THAT(again, Not(HasSubstr("Color")));
  // Columns the grid makes for itself are not written.
  columns->Clear();
  columns->AddDefault()->SetFieldName("DATA");
  EXPECT_THAT(write(read), Not(HasSubstr("Columns")));
}

TEST_F(Columns, LetGoOfWhatIsFreedOrClosed) {
  TDgColumn* c = Cols()->Add();
  c->SetFieldName("SOBITIE");
  try {
    c->SetLookupDataSet(ds);
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message, "Lookup Dataset cannot be equal to Source DataSet");
  }
  EXPECT_EQ(c->GetLookupDataSet(), nullptr);
  auto* lookup = new TMemDataSet(&owner);
  auto* menu = new TPopupMenu(&owner);
  c->SetLookupDataSet(lookup);
  c->SetPopupMenu(menu);
  delete lookup;
  delete menu;
  EXPECT_EQ(c->GetLookupDataSet(), nullptr);
  EXPECT_EQ(c->GetPopupMenu(), nullptr);
  // Closing frees the dataset's own fields; the column finds its field again after opening.
  ASSERT_EQ(c->Field(), F("SOBITIE"));
  ds->Close();
  EXPECT_EQ(c->Field(), nullptr);
  EXPECT_EQ(c->GetTitle()->GetCaption(), "SOBITIE");
  ds->Open();
  EXPECT_EQ(c->Field(), F("SOBITIE"));
  // Pick lists are made when asked for and freed by nullptr.
  EXPECT_FALSE(c->HasPickList());
  c->GetPickList()->Add("one");
  EXPECT_TRUE(c->IsPickListStored());
  c->SetPickList(nullptr);
  EXPECT_FALSE(c->HasPickList());
}

}  // namespace
