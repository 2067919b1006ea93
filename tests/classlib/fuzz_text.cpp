// Fuzzes the routines that read text or follow a format given as text: they may raise
// EConvertError, but never crash, hang or read out of bounds. Also checks two properties
// other code relies on: case mapping keeps byte lengths, and text that fits code page 1251
// survives a round trip through it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "classlib/core/codepage.h"
#include "classlib/core/datetime.h"
#include "classlib/core/format.h"
#include "classlib/core/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const TFormatSettings& fs = data[0] & 1 ? RussianFormatSettings() : DefaultFormatSettings();
  try {
    switch (data[0] >> 1 & 7) {
      case 0: {
        TDateTime v;
        TryStrToTime(text, v, fs);
        TryStrToDate(text, v, fs);
        TryStrToDateTime(text, v, fs);
        break;
      }
      case 1: {
        double d;
        std::int64_t i;
        if (TryStrToFloat(text, d, fs)) FloatToStrF(d, ffNumber, 15, 2, fs);
        TryStrToInt64(text, i);
        break;
      }
      case 2:
        FormatDateTime(text, 46366.1234567, fs);
        FormatDateTime(text, -1.75, fs);
        break;
      case 3:
        if (text.size() <= 256) Format(fs, text, 42, "text", 2.5, -7LL, 'c', static_cast<const void*>(data));
        break;
      case 4: {
        if (AnsiUpperCase(text).size() != text.size() || AnsiLowerCase(text).size() != text.size()) std::abort();
        StringReplace(text, text.substr(0, text.size() / 3), "ё", rfReplaceAll | rfIgnoreCase);
        AnsiCompareStr(text, AnsiUpperCase(text));
        break;
      }
      default:
        if (FitsCp1251(text) && Cp1251ToUtf8(Utf8ToCp1251(text)) != text) std::abort();
        if (Utf8ToCp866(Cp866ToUtf8(text)) != text) std::abort();
        Cp866ToCp1251(Cp1251ToCp866(text));
        break;
    }
  } catch (const EConvertError&) {
  }
  return 0;
}
