// TStrings and TStringList.
#include <gtest/gtest.h>

#include "classlib/core/codepage.h"
#include "classlib/core/streams.h"
#include "classlib/core/stringlist.h"
#include "test_paths.h"

namespace {

std::vector<std::string> Lines(const TStrings& s) {
  std::vector<std::string> v;
  for (int i = 0; i < s.Count(); ++i) v.push_back(s[i]);
  return v;
}

TEST(StringList, SortedListsKeepCaseInsensitiveOrderAndHandleDuplicates) {
  TStringList list;
  list.SetSorted(true);
  for (const char* s : {"бета", "Alpha", "альфа", "beta", "Ёлка", "Ель", "ЖУК", "alpha"}) list.Add(s);
  // dupIgnore: "alpha" and "beta" were already there in another case.
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"Alpha", "beta", "альфа", "бета", "Ель", "Ёлка", "ЖУК"}));
  EXPECT_EQ(list.IndexOf("ЁЛКА"), 5);
  EXPECT_EQ(list.Add("ALPHA"), 0);  // the index of the one there
  EXPECT_THROW(list.Insert(0, "x"), EListError);

  list.SetDuplicates(dupAccept);
  list.Add("ALPHA");
  EXPECT_EQ(list.Count(), 8);
  list.SetDuplicates(dupError);
  EXPECT_THROW(list.Add("Beta"), EListError);
  EXPECT_EQ(list.Count(), 8);

  list.SetCaseSensitive(true);  // re-sorts: lower case first among equals
  EXPECT_EQ(list[0], "Alpha");
  EXPECT_EQ(list[1], "ALPHA");
  int index;
  EXPECT_FALSE(list.Find("alpha", index));
  EXPECT_EQ(index, 0);
  EXPECT_TRUE(list.Find("ALPHA", index));
  EXPECT_EQ(index, 1);
}

TEST(StringList, CommaTextQuotesWhatNeedsItAndReadsItBack) {
  struct Case {
    std::vector<std::string> lines;
    std::string text;
  };
  const Case cases[] = {
      {{"a", "b c", "d,e", "say \"hi\"", "я"}, R"(a,"b c","d,e","say ""hi""",я)"},
      {{""}, R"("")"},
      {{"a", "", "b"}, "a,,b"},
      {{"a", ""}, "a,"},
      {{}, ""},
  };
  for (const Case& c : cases) {
    TStringList list;
    for (const auto& l : c.lines) list.Add(l);
    EXPECT_EQ(list.GetCommaText(), c.text);
    TStringList back;
    back.SetCommaText(c.text);
    EXPECT_EQ(Lines(back), c.lines) << c.text;
  }
  TStringList spaced;
  spaced.SetCommaText("  one two , \"three \"\" four\"five  ");  // blanks separate too
  EXPECT_EQ(Lines(spaced), (std::vector<std::string>{"one", "two", "three \" four", "five"}));
}

TEST(StringList, TextSplitsAtAnyLineBreakAndJoinsWithCrLf) {
  TStringList list;
  list.SetText("one\r\ntwo\nthree\rfour\r\n\r\nsix");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"one", "two", "three", "four", "", "six"}));
  EXPECT_EQ(list.GetText(), "one\r\ntwo\r\nthree\r\nfour\r\n\r\nsix\r\n");
  list.SetText("");
  EXPECT_EQ(list.Count(), 0);
  list.SetText("last\n");
  EXPECT_EQ(Lines(list), std::vector<std::string>{"last"});
}

TEST(StringList, NamesAndValues) {
  TStringList list;
  list.SetText("Path=C:\\Horavox\nTalk=1\nplain");
  EXPECT_EQ(list.Names(0), "Path");
  EXPECT_EQ(list.Names(2), "");
  EXPECT_EQ(list.GetValue("talk"), "1");
  list.SetValue("Volume", "80");
  list.SetValue("TALK", "0");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"Path=C:\\Horavox", "TALK=0", "plain", "Volume=80"}));
  list.SetValue("Path", "");
  EXPECT_EQ(list.IndexOfName("Path"), -1);
}

TEST(StringList, EditsKeepObjectsAndReportChangesOncePerUpdate) {
  TStringList list;
  int changes = 0, changing = 0;
  list.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &list);
    ++changes;
  };
  list.OnChanging = [&](TObject*) { ++changing; };
  TStringList marker;
  list.Add("a");
  list.AddObject("b", &marker);
  list.Add("c");
  EXPECT_EQ(changes, 3);
  list.BeginUpdate();
  list.Move(1, 2);
  list.Exchange(0, 1);
  list.Delete(2);
  list.EndUpdate();
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(changing, 4);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"c", "a"}));
  list.Insert(1, "b");
  list.PutObject(1, &marker);
  EXPECT_EQ(list.IndexOfObject(&marker), 1);
  EXPECT_THROW(list.Get(3), EListError);
  EXPECT_THROW(list.Delete(-1), EListError);

  TStringList copy;
  copy.Assign(&list);
  EXPECT_TRUE(copy.Equals(&list));
  EXPECT_EQ(copy.GetObject(1), &marker);
}

TEST(StringList, SavesUtf8WithCrLfAndLoadsUtf8Bom1251) {
  std::string file = horavox::test::TempDir() + "/строки.txt";
  TStringList list;
  list.Add("Хоравокс");
  list.Add("line 2");
  list.SaveToFile(file);
  TMemoryStream raw;
  raw.LoadFromFile(file);
  EXPECT_EQ(StreamToString(&raw), "Хоравокс\r\nline 2\r\n");

  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"\xEF\xBB\xBF" "Привет\nмир", {"Привет", "мир"}},        // UTF-8 with a byte order mark
      {Utf8ToCp1251("Привет\r\nмир"), {"Привет", "мир"}},       // not UTF-8: code page 1251
      {"plain\r\n", {"plain"}},
  };
  for (const Case& c : cases) {
    TStringStream s(c.bytes);
    TStringList loaded;
    loaded.Add("old");
    loaded.LoadFromStream(&s);
    EXPECT_EQ(Lines(loaded), c.lines);
  }
  EXPECT_THROW(list.LoadFromFile(horavox::test::TempDir() + "/missing.txt"), EFOpenError);
}

}  // namespace
