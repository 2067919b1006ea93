#include "classlib/core/formatsettings.h"

const TFormatSettings& RussianFormatSettings() {
  static const TFormatSettings settings = [] {
    TFormatSettings s;
    s.DecimalSeparator = ',';
    s.ThousandSeparator = ' ';
    s.DateSeparator = '.';
    s.TimeSeparator = ':';
    s.ListSeparator = ';';
    s.FirstDayOfWeek = 0;
    s.CurrencyString = "₽";
    s.CurrencyFormat = 3;
    s.NegCurrFormat = 8;
    s.CurrencyDecimals = 2;
    s.ShortDateFormat = "dd.mm.yyyy";
    s.LongDateFormat = "d mmmm yyyy 'г.'";
    s.ShortTimeFormat = "h:mm";
    s.LongTimeFormat = "h:mm:ss";
    s.ShortMonthNames = {"янв", "фев", "мар", "апр", "май", "июн",
                         "июл", "авг", "сен", "окт", "ноя", "дек"};
    s.LongMonthNames = {"январь", "февраль", "март",    "апрель",  "май",    "июнь",
                        "июль",   "август",  "сентябрь", "октябрь", "ноябрь", "декабрь"};
    s.GenitiveMonthNames = {"января", "февраля", "марта",    "апреля",  "мая",    "июня",
                            "июля",   "августа", "сентября", "октября", "ноября", "декабря"};
    s.ShortDayNames = {"Вс", "Пн", "Вт", "Ср", "Чт", "Пт", "Сб"};
    s.LongDayNames = {"воскресенье", "понедельник", "вторник", "среда",
                      "четверг",     "пятница",     "суббота"};
    return s;
  }();
  return settings;
}

const TFormatSettings& DefaultFormatSettings() {
  static const TFormatSettings settings = [] {
    TFormatSettings s;
    s.CurrencyString = "$";
    s.ShortDateFormat = "MM/dd/yyyy";
    s.LongDateFormat = "dddd, MMMM d, yyyy";
    s.ShortTimeFormat = "HH:mm";
    s.LongTimeFormat = "HH:mm:ss";
    s.TimeAMString = "AM";
    s.TimePMString = "PM";
    s.ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    s.LongMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                        "July",    "August",   "September", "October", "November", "December"};
    s.ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    s.LongDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    return s;
  }();
  return settings;
}
