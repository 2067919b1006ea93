// What a cell's drop-down or pick list writes into the field, on the in-memory dataset: a
// date field takes the calendar's date as a date (whatever the text format would make of
// its year), number fields take numbers, text fields the drop-down's text; a refused value
// leaves the field; a typed pick-list text outside the list beeps and leaves the field.
#include "gridcal/dropdownvalue.h"

#include <gtest/gtest.h>

#include "classlib/beep.h"
#include "classlib/db.h"
#include "memdataset.h"

using horavox::test::TMemDataSet;

namespace {

class DropDownValue : public ::testing::Test {
 protected:
  void SetUp() override {
    ds = new TMemDataSet(&owner);
    ds->AddFieldDef("DAY", ftDate);
    ds->AddFieldDef("NOTE", ftString, 20);
    ds->AddFieldDef("COUNT", ftSmallint);
    ds->AddFieldDef("PRICE", ftFloat);
    ds->Open();
    ds->AppendRecord({TVariant::FromDate(EncodeDate(2001, 2, 3)), "old", 5, 1.5});
    ds->Edit();
  }
  TField* Field(const char* Name) { return ds->FieldByName(Name); }

  TComponent owner{nullptr};
  TMemDataSet* ds;
};

TEST_F(DropDownValue, EachFieldTakesTheValueItKeeps) {
  TDateTime y1960 = EncodeDate(1960, 5, 17);
  // A two-digit-year text of 1960 would come back as 2060: the date goes as a date.
  WriteDropDownValue(Field("DAY"), TVariant::FromDate(y1960), "17.05.60");
  EXPECT_EQ(Field("DAY")->GetAsDateTime(), y1960);
  WriteDropDownValue(Field("NOTE"), TVariant::FromDate(y1960), "17.05.1960");
  EXPECT_EQ(Field("NOTE")->GetAsString(), "17.05.1960");
  WriteDropDownValue(Field("PRICE"), 3.25, "3,25");  // the calculator's text has a comma
  EXPECT_DOUBLE_EQ(Field("PRICE")->GetAsFloat(), 3.25);
  WriteDropDownValue(Field("COUNT"), 7.0, "7");
  EXPECT_EQ(Field("COUNT")->GetAsInteger(), 7);
  WriteDropDownValue(Field("COUNT"), "12", "12");  // a pick list's line
  EXPECT_EQ(Field("COUNT")->GetAsInteger(), 12);
  WriteDropDownValue(Field("NOTE"), TVariant::Null(), "");  // nothing chosen
  EXPECT_EQ(Field("NOTE")->GetAsString(), "17.05.1960");
}

TEST_F(DropDownValue, AValueTheFieldRefusesRaisesAndLeavesIt) {
  EXPECT_THROW(WriteDropDownValue(Field("COUNT"), 1e6, "1000000"), EDatabaseError);
  EXPECT_EQ(Field("COUNT")->GetAsInteger(), 5);
  EXPECT_THROW(WriteDropDownValue(Field("DAY"), "no date", "no date"), EDatabaseError);
  EXPECT_EQ(Field("DAY")->GetAsDateTime(), EncodeDate(2001, 2, 3));
}

TEST_F(DropDownValue, ATypedPickTextOutsideTheListBeepsAndLeavesTheField) {
  TCountingBeeper beeper;
  TBeeperScope scope(beeper);
  TStringList texts, codes;
  for (const char* t : {"Да", "Нет"}) texts.Add(t);
  for (const char* c : {"Y", "N"}) codes.Add(c);
  EXPECT_TRUE(WritePickText(Field("NOTE"), &texts, &codes, "Нет"));
  EXPECT_EQ(Field("NOTE")->GetAsString(), "N");
  EXPECT_FALSE(WritePickText(Field("NOTE"), &texts, &codes, "Нетт"));
  EXPECT_EQ(Field("NOTE")->GetAsString(), "N");
  EXPECT_EQ(beeper.Count(), 1);
  EXPECT_TRUE(WritePickText(Field("NOTE"), &texts, nullptr, "Нетт"));  // without values: free text
  EXPECT_EQ(Field("NOTE")->GetAsString(), "Нетт");
  EXPECT_EQ(beeper.Count(), 1);
}

}  // namespace
