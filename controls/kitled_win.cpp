#include "controls/kitled.h"

#include <memory>

#include "classlib/core/codepage.h"
#include "controls/kitgeometry.h"

HX_PUBLISH(TKitLED, p) {
  p.Property("ActiveColor", &TKitLED::GetActiveColor, &TKitLED::SetActiveColor).Default(clLime);
  p.Property("InActiveColor", &TKitLED::GetInActiveColor, &TKitLED::SetInActiveColor).Default(clGreen);
  p.Property("DisabledDigits", &TKitLED::GetDisabledDigits, &TKitLED::SetDisabledDigits).Default(true);
  // The defaults are the values a new object starts with, so every other value is stored.
  p.Property("Horzsize", &TKitLED::GetHorzsize, &TKitLED::SetHorzsize).Default(9);
  p.Property("Vertsize", &TKitLED::GetVertsize, &TKitLED::SetVertsize).Default(7);
  p.Property("Thickness", &TKitLED::GetThickness, &TKitLED::SetThickness).Default(2);
}

std::uint16_t KitCharToSegments(unsigned char Ch) {
  if (Ch >= 'a' && Ch <= 'z') Ch = static_cast<unsigned char>(Ch - 'a' + 'A');
  switch (Ch) {
    case '(': return 0x1400;
    case ')': return 0x0A00;
    case '*': return 0x1F80;
    case '+': return 0x0188;
    case '-': return 0x0008;
    case '.': return 0x8000;
    case '0': return 0x1277;
    case '1': case 'I': return 0x0180;
    case '2': return 0x005D;
    case '3': return 0x006D;
    case '4': return 0x002E;
    case '5': case 'S': return 0x006B;
    case '6': case 'G': return 0x007B;
    case '7': return 0x0025;
    case '8': return 0x007F;
    case '9': return 0x006F;
    case ':': return 0xA000;
    case 'A': return 0x003F;
    case 'B': return 0x01ED;
    case 'C': case '[': return 0x0053;
    case 'D': return 0x01E5;
    case 'E': return 0x005B;
    case 'F': return 0x001B;
    case 'H': return 0x003E;
    case 'J': return 0x0074;
    case 'K': return 0x141A;
    case 'L': return 0x0052;
    case 'M': return 0x0636;
    case 'N': return 0x1236;
    case 'O': return 0x0077;
    case 'P': return 0x001F;
    case 'Q': return 0x1077;
    case 'R': return 0x101F;
    case 'T': return 0x0181;
    case 'U': return 0x0076;
    case 'V': return 0x0C12;
    case 'W': return 0x1836;
    case 'X': return 0x1E00;
    case 'Y': return 0x0700;
    case 'Z': return 0x0C41;
    case '\\': return 0x1200;
    case ']': return 0x0065;
    case '_': return 0x0040;
    default: return 0;
  }
}

namespace {
using TPolygon = std::array<TPoint, 6>;
TPolygon Bar(int x, int y, int b, int a) {
  return {{{x, y + a}, {x + a, y}, {x + a + b, y}, {x + b + 2 * a, y + a}, {x + a + b, y + 2 * a}, {x + a, y + 2 * a}}};
}
TPolygon Upright(int x, int y, int a, int b) {
  return {{{x + b, y}, {x + 2 * b, y + b}, {x + 2 * b, y + b + a}, {x + b, y + 2 * b + a}, {x, y + b + a}, {x, y + b}}};
}
int Sign(int v) { return (v > 0) - (v < 0); }
TPolygon Diagonal(int x, int y, int b, int a, int T) {
  if (a == 0 || b == 0) return {};
  int sb = KitRound(Sign(b) * T / 2.0), sa = KitRound(Sign(a) * T / 2.0);
  return {{{x, y}, {x + sb, y}, {x + b, y + a - sa}, {x + b, y + a}, {x + b - sb, y + a}, {x, y + sa}}};
}
TPolygon Dot(int x, int y, int T) {
  return {{{x + T, y - 1}, {x + T, y + T - 1}, {x, y + T - 1}, {x, y - 1}, {x, y - 1}, {x, y - 1}}};
}
}  // namespace

TKitSegmentPolygons KitCalcSegments(int T, int H, int V) {
  int h = T / 2, cx = (4 * T + H) / 2, e = KitRound(1.5 * T);
  return {Bar(2 * T, T, H, h),
          Upright(T, 2 * T, V, h),
          Upright(3 * T + H, 2 * T, V, h),
          Bar(2 * T, 3 * T + V, H, h),
          Upright(T, 4 * T + V, V, h),
          Upright(3 * T + H, 4 * T + V, V, h),
          Bar(2 * T, 5 * T + 2 * V, H, h),
          Upright(cx, 2 * T, V, h),
          Upright(cx, 4 * T + V, V, h),
          Diagonal(cx - h, 2 * T + V, T - H / 2, T - V, T),
          Diagonal(cx + e, 2 * T + V, H / 2 - T, T - V, T),
          Diagonal(cx - h, 5 * T + V, T - H / 2, V - T, T),
          Diagonal(cx + e, 5 * T + V, H / 2 - T, V - T, T),
          Dot(cx - 1, 3 * T + V, T),
          Dot(cx - 1, T, T),
          Dot(cx - 1, 5 * T + 2 * V, T)};
}

TBitmap* KitCheckerBitmap(TColor First, TColor Second) {
  static std::unique_ptr<TBitmap> bitmap;
  static TColor first = clNone, second = clNone;
  if (bitmap && first == First && second == Second) return bitmap.get();
  if (!bitmap) bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) bitmap->Canvas()->SetPixels(x, y, (x % 2 != y % 2) ? First : Second);
  first = First;
  second = Second;
  return bitmap.get();
}

TKitLED::TKitLED() : FUnlit(new TBitmap) { FSegments = KitCalcSegments(FThickness, FHorzsize, FVertsize); }

TKitLED::~TKitLED() { delete FUnlit; }

void TKitLED::Rebuild() {
  FSegments = KitCalcSegments(FThickness, FHorzsize, FVertsize);
  FUnlit->SetSize(0, 0);  // built again when next drawn
  Changed();
}

void TKitLED::SetActiveColor(TColor Value) {
  if (KitStore(FActiveColor, Value)) Rebuild();
}
void TKitLED::SetInActiveColor(TColor Value) {
  if (KitStore(FInActiveColor, Value)) Rebuild();
}
void TKitLED::SetBackColor(TColor Value) {
  // Set by the owner while it paints: the unlit glyph is rebuilt, nobody is told.
  if (KitStore(FBackColor, Value)) FUnlit->SetSize(0, 0);
}
void TKitLED::SetDisabledDigits(bool Value) {
  if (KitStore(FDisabledDigits, Value)) Rebuild();
}
void TKitLED::SetHorzsize(int Value) {
  if (Value >= 0 && Value <= 255 && KitStore(FHorzsize, Value)) Rebuild();
}
void TKitLED::SetVertsize(int Value) {
  if (Value >= 0 && Value <= 255 && KitStore(FVertsize, Value)) Rebuild();
}
void TKitLED::SetThickness(int Value) {
  if (Value >= 0 && Value <= 255 && KitStore(FThickness, Value)) Rebuild();
}

void TKitLED::Assign(TPersistent* Source) {
  auto* led = dynamic_cast<TKitLED*>(Source);
  if (!led) {
    TKitObject::Assign(Source);
    return;
  }
  FHorzsize = led->FHorzsize;
  FVertsize = led->FVertsize;
  FThickness = led->FThickness;
  FDisabledDigits = led->FDisabledDigits;
  FActiveColor = led->FActiveColor;
  FInActiveColor = led->FInActiveColor;
  Rebuild();
}

void TKitLED::StartBlinking() {
  FBlinking = true;
  FBlinkDark = false;
}

void TKitLED::StopBlinking() {
  FBlinking = false;
  FBlinkDark = false;
  Changed();
}

void TKitLED::BuildUnlitGlyph() {
  FUnlit->SetSize(CellWidth(), CellHeight());
  TCanvas* c = FUnlit->Canvas();
  c->GetBrush()->SetStyle(bsSolid);
  c->GetBrush()->SetColor(FBackColor);
  c->FillRect(Rect(0, 0, CellWidth(), CellHeight()));
  c->GetBrush()->SetBitmap(KitCheckerBitmap(FBackColor, FInActiveColor));
  c->GetPen()->SetStyle(psClear);
  for (const auto& polygon : FSegments) c->Polygon(polygon);
  c->GetBrush()->SetBitmap(nullptr);
}

void TKitLED::DrawLEDText(TCanvas* Canvas, const TRect& Rect, const String& Text, bool Draw, bool Active) {
  FLineCount = 1;
  FLongestLine = 1;
  FText = Text;
  const int width = CellWidth(), height = CellHeight();
  const bool full = FVertsize > 3 && FHorzsize > 3;
  const bool lit = !(FDisabledDigits && !Active);
  Draw = Draw && width > 0 && height > 0;  // a cell of no size draws nothing
  if (Draw) {
    Canvas->GetPen()->SetColor(FActiveColor);
    Canvas->GetPen()->SetStyle(psSolid);
    Canvas->GetBrush()->SetStyle(bsSolid);
    Canvas->GetBrush()->SetColor(FActiveColor);
    if (FUnlit->Empty()) BuildUnlitGlyph();
  }
  int column = 0, y = Rect.Top;
  for (unsigned char ch : Utf8ToCp1251(Text)) {
    if (ch == 13) {
      ++FLineCount;
      y = Rect.Top + (FLineCount - 1) * height;
      column = 0;
      continue;
    }
    if (ch <= 12 || (ch >= 14 && ch <= 18) || ch >= 243) continue;
    int x = Rect.Left + column * width;
    if (Draw) {
      Canvas->CopyRect(Bounds(x, y, width, height), FUnlit->Canvas(), ::Rect(0, 0, width, height));
      std::uint16_t mask = (FBlinking && FBlinkDark) ? 0 : KitCharToSegments(ch);
      if (lit && mask) {
        for (int s = 0; s < (full ? 16 : 7); ++s) {
          if (!(mask & (1u << s))) continue;
          std::array<TPoint, 6> moved = FSegments[s];
          for (TPoint& p : moved) p = {p.X + x, p.Y + y};
          if (s >= 9 && s <= 12 && FSegments[s][0] == FSegments[s][1] && FSegments[s][0] == TPoint{}) continue;
          Canvas->Polygon(moved);
        }
      }
    }
    ++column;
    if (column > FLongestLine) FLongestLine = column;
  }
  if (Draw && FBlinking) FBlinkDark = !FBlinkDark;
}
