#include "controls/kitstarter.h"

#include <algorithm>

HX_PUBLISH(TKitDateTime, p) {
  p.Property("Day", &TKitDateTime::GetDay, &TKitDateTime::SetDay).Default(1);
  p.Property("Month", &TKitDateTime::GetMonth, &TKitDateTime::SetMonth).Default(1);
  p.Property("Hour", &TKitDateTime::GetHour, &TKitDateTime::SetHour).Default(0);
  p.Property("Minute", &TKitDateTime::GetMinute, &TKitDateTime::SetMinute).Default(0);
  p.Property("Second", &TKitDateTime::GetSecond, &TKitDateTime::SetSecond).Default(0);
  p.Property("Year", &TKitDateTime::GetYear, &TKitDateTime::SetYear).Default(1990);
}

TDateTime TKitDateTime::Value() const {
  int year = std::clamp(FYear, 1, 9999);
  int month = std::clamp<int>(FMonth, 1, 12);
  int day = std::clamp<int>(FDay, 1, DaysInMonth(year, month));
  return EncodeDate(year, month, day) +
         EncodeTime(std::min<int>(FHour, 23), std::min<int>(FMinute, 59), std::min<int>(FSecond, 59), 0);
}

void TKitDateTime::SetValue(TDateTime Value) {
  int year, month, day, hour, minute, second, msec;
  DecodeDate(Value, year, month, day);
  DecodeTime(Value, hour, minute, second, msec);
  if (year == FYear && month == FMonth && day == FDay && hour == FHour && minute == FMinute && second == FSecond)
    return;
  FYear = year;
  FMonth = static_cast<std::uint8_t>(month);
  FDay = static_cast<std::uint8_t>(day);
  FHour = static_cast<std::uint8_t>(hour);
  FMinute = static_cast<std::uint8_t>(minute);
  FSecond = static_cast<std::uint8_t>(second);
  Change();
}

void TKitDateTime::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TKitDateTime*>(Source)) {
    SetValue(other->Value());
    return;
  }
  TKitObject::Assign(Source);
}
