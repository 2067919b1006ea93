// The settings window's rules without a window: the minutes' word, the controls the
// countdown's end action leaves usable, the hotkey combinations the edit accepts and
// stored indices out of range.
#include <gtest/gtest.h>

#include "app/settingsrules.h"

namespace {

TEST(SettingsRules, TheAutoOffWordFollowsTheNumber) {
  const struct {
    int Minutes;
    const char* Word;
  } cases[] = {{1, "минуту"},  {2, "минуты"},  {4, "минуты"},  {5, "минут"},   {11, "минут"},
               {12, "минут"},  {19, "минут"},  {20, "минут"},  {21, "минуту"}, {22, "минуты"},
               {24, "минуты"}, {25, "минут"},  {30, "минут"},  {31, "минуту"}, {44, "минуты"},
               {60, "минут"}};
  for (const auto& c : cases) EXPECT_EQ(AutoOffWord(c.Minutes), c.Word) << c.Minutes;
}

TEST(SettingsRules, OnlyASignalAsksForAReminderAndOnlyAProgramHasItsFields) {
  const struct {
    int Action;
    bool Program, Reminder;
  } cases[] = {{0, false, true}, {1, false, false}, {2, true, false}};
  for (const auto& c : cases) {
    TEndActionControls controls = EndActionControls(c.Action);
    EXPECT_EQ(controls.ProgramEnabled, c.Program) << c.Action;
    EXPECT_EQ(controls.ReminderEnabled, c.Reminder) << c.Action;
  }
}

TEST(SettingsRules, AHotKeyWithoutModifierOrWithShiftAloneGetsCtrlAltAndOneWithoutKeyTheDefault) {
  constexpr std::uint16_t kShift = 0x2000, kCtrl = 0x4000, kAlt = 0x8000, kA = 'A';
  const struct {
    std::uint16_t Typed, Accepted;
  } cases[] = {{kA, kCtrl | kAlt | kA},          {kShift | kA, kCtrl | kAlt | kA},
               {kCtrl | kAlt | kA, 49217},       {kCtrl | kA, kCtrl | kA},
               {kShift | kCtrl | kA, kShift | kCtrl | kA}, {kAlt | 'T', kAlt | 'T'},
               {0, 49217}, {kCtrl | kAlt, 49217}};
  for (const auto& c : cases) EXPECT_EQ(AcceptedHotKey(c.Typed), c.Accepted) << std::hex << c.Typed;
}

TEST(SettingsRules, AnIndexOutOfRangeReadsAsTheDefault) {
  EXPECT_EQ(IndexOrDefault(2, 3, 0), 2);
  EXPECT_EQ(IndexOrDefault(3, 3, 0), 0);
  EXPECT_EQ(IndexOrDefault(-1, 40, 11), 11);
  EXPECT_EQ(IndexOrDefault(0, 40, 11), 0);
}

}  // namespace
