#include "controls/frbackground.h"

#include <algorithm>

#include "classlib/windows/forms.h"
#include "controls/frdraw.h"
#include "controls/kitbase.h"

HX_PUBLISH(TFrCustomBackground, p) {}

HX_PUBLISH(TFrBackground, p) {
  using B = TFrBackground;
  p.Property("Active", &B::GetActive, &B::SetActive).Default(true);
  p.Property("Align", &B::GetAlign, &B::SetAlign).Default(alNone);
  p.Property("FrameColor", &B::GetFrameColor, &B::SetFrameColor).Default(clBtnShadow);
  p.Property("FrameStyle", &B::GetFrameStyle, &B::SetFrameStyle).Default(TFrameStyle::fsNone);
  p.Property("GradientColorStart", &B::GetGradientColorStart, &B::SetGradientColorStart).Default(clBlue);
  p.Property("GradientColorStop", &B::GetGradientColorStop, &B::SetGradientColorStop).Default(clBlack);
  p.Property("GradientDirection", &B::GetGradientDirection, &B::SetGradientDirection)
      .Default(TFrGradientDirection::gdHorizontalEnd);
  p.Property("GradientSmoothFactor", &B::GetGradientSmoothFactor, &B::SetGradientSmoothFactor).Default(1);
  p.Property("Image", &B::GetImage, &B::SetImage);
  p.Property("ImageStyle", &B::GetImageStyle, &B::SetImageStyle).Default(TImageStyle::isCenter);
  p.Property("ShowGradient", &B::GetShowGradient, &B::SetShowGradient).Default(true);
  p.Property("ShowImage", &B::GetShowImage, &B::SetShowImage).Default(false);
  p.Property("ShowTexture", &B::GetShowTexture, &B::SetShowTexture).Default(false);
  p.Property("Texture", &B::GetTexture, &B::SetTexture);
  p.Property("Visible", &B::GetVisible, &B::SetVisible).Default(true);
  p.Event("OnClick", &B::OnClick);
  p.Event("OnDblClick", &B::OnDblClick);
  p.Event("OnMouseDown", &B::OnMouseDown);
  p.Event("OnMouseMove", &B::OnMouseMove);
  p.Event("OnMouseUp", &B::OnMouseUp);
}

namespace {

constexpr int kDefaultSize = 100;
// The gradient is drawn as a strip this wide (or high) and copied across.
constexpr int kStripSize = 8;

// Fills with a solid colour (0x00BBGGRR).
void Fill(TCanvas* Canvas, const TRect& R, std::uint32_t Color) {
  Canvas->GetBrush()->SetColor(static_cast<TColor>(Color));
  Canvas->FillRect(R);
}

// The part (0, 0, W0, H0) already drawn is copied across, then down, doubling each time,
// until W × H is covered.
void DoubleAcrossAndDown(TCanvas* Canvas, int W0, int H0, int W, int H) {
  if (W0 <= 0 || H0 <= 0) return;
  for (int w = W0; w < W; w *= 2) {
    const int n = std::min(w, W - w);
    Canvas->CopyRect(Rect(w, 0, w + n, H0), Canvas, Rect(0, 0, n, H0));
  }
  for (int h = H0; h < H; h *= 2) {
    const int n = std::min(h, H - h);
    Canvas->CopyRect(Rect(0, h, W, h + n), Canvas, Rect(0, 0, W, n));
  }
}

}  // namespace

TFrCustomBackground::TFrCustomBackground(TComponent* AOwner)
    : TGraphicControl(AOwner), FImage(std::make_unique<TPicture>(this)), FTexture(std::make_unique<TPicture>(this)) {
  SetControlStyle(GetControlStyle() + TControlStyle{csOpaque});
  if (auto* form = dynamic_cast<TCustomForm*>(AOwner)) {
    SetBounds(0, 0, std::max(form->GetWidth() / 2, 1), std::max(form->GetHeight() / 2, 1));
    if (form->GetFormStyle() == fsMDIForm) {
      TControl::SetAlign(alClient);
      FFormListener = form->OnWindowCreated.Add([this](TObject*) { HookClient(); });
    } else {
      form->SetControlStyle(form->GetControlStyle() + TControlStyle{csOpaque});
    }
  } else {
    SetBounds(0, 0, kDefaultSize, kDefaultSize);
  }
  FStartRGB = ColorToRGB(FGradientColorStart);
  FStopRGB = ColorToRGB(FGradientColorStop);
  FImage->OnChange = [this](TObject*) { PictureChanged(FShowImage); };
  FTexture->OnChange = [this](TObject*) { PictureChanged(FShowTexture); };
}

TFrCustomBackground::~TFrCustomBackground() {
  FImage->OnChange = nullptr;
  FTexture->OnChange = nullptr;
  FClientHook.Unhook();
  // A form being destroyed has let go of its listeners already.
  auto* form = dynamic_cast<TCustomForm*>(Owner());
  if (FFormListener && form && !form->ComponentState().Contains(csDestroying))
    form->OnWindowCreated.Remove(FFormListener);
}

TCustomForm* TFrCustomBackground::MDIForm() const {
  auto* form = dynamic_cast<TCustomForm*>(Owner());
  return form && form->GetFormStyle() == fsMDIForm ? form : nullptr;
}

void TFrCustomBackground::SetAlign(TAlign Value) { TControl::SetAlign(MDIForm() ? alClient : Value); }

void TFrCustomBackground::Loaded() {
  TGraphicControl::Loaded();
  if (MDIForm()) {
    TControl::SetAlign(alClient);
    if (!ComponentState().Contains(csDesigning)) HookClient();
  }
}

void TFrCustomBackground::HookClient() {
  TCustomForm* form = MDIForm();
  const TComponentState state = ComponentState();
  if (!form || FClientHook.Hooked() || state.Contains(csLoading) || state.Contains(csDesigning)) return;
  form->HandleNeeded();
  if (HWND client = form->ClientHandle())
    FClientHook.Hook(client, [this](UINT Msg, WPARAM WParam, LPARAM LParam) { return ClientProc(Msg, WParam, LParam); });
}

LRESULT TFrCustomBackground::ClientProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
  HWND client = FClientHook.Window();
  if (GetVisible()) {
    switch (Msg) {
      case WM_ERASEBKGND: {
        TCanvas canvas;
        canvas.SetHandle(reinterpret_cast<HDC>(WParam));
        PaintOn(&canvas);
        canvas.SetHandle(nullptr);
        return 1;
      }
      case WM_PAINT:
      case WM_WINDOWPOSCHANGING: InvalidateRect(client, nullptr, TRUE); break;
      default: break;
    }
  }
  return FClientHook.CallPrevious(Msg, WParam, LParam);
}

void TFrCustomBackground::PaintOn(TCanvas* Canvas) {
  const int w = std::max(GetWidth(), 1), h = std::max(GetHeight(), 1);
  const int f = FrameStyleInset(FFrameStyle);
  if (FActive) {
    TBitmap layers;
    PaintLayers(&layers);
    Canvas->CopyRect(Rect(f, f, w, h), layers.Canvas(), Rect(0, 0, w - f, h - f));
  } else {
    Fill(Canvas, Rect(0, 0, w, h), ColorToRGB(GetColor()));
  }
  const TRect all = Rect(0, 0, w, h);
  if (FFrameStyle == TFrameStyle::fsFlat) DrawBorderSides(Canvas, all, FFrameColor, AllSides, FFrameColor);
  else DrawFrameStyleBorder(Canvas, all, FFrameStyle);
}

void TFrCustomBackground::Repaint() {
  if (FClientHook.Hooked()) InvalidateRect(FClientHook.Window(), nullptr, TRUE);
  else TGraphicControl::Repaint();
}

void TFrCustomBackground::PictureChanged(bool Shown) {
  if (Shown) Repaint();
}

void TFrCustomBackground::SetActive(bool Value) {
  if (KitStore(FActive, Value)) Repaint();
}
void TFrCustomBackground::SetFrameColor(TColor Value) {
  if (KitStore(FFrameColor, Value)) Repaint();
}
void TFrCustomBackground::SetFrameStyle(TFrameStyle Value) {
  if (KitStore(FFrameStyle, Value)) Repaint();
}
void TFrCustomBackground::SetGradientColorStart(TColor Value) {
  if (!KitStore(FGradientColorStart, Value)) return;
  FStartRGB = ColorToRGB(Value);
  Repaint();
}
void TFrCustomBackground::SetGradientColorStop(TColor Value) {
  if (!KitStore(FGradientColorStop, Value)) return;
  FStopRGB = ColorToRGB(Value);
  Repaint();
}
void TFrCustomBackground::SetGradientDirection(TFrGradientDirection Value) {
  if (KitStore(FGradientDirection, Value)) Repaint();
}
void TFrCustomBackground::SetGradientSmoothFactor(int Value) {
  if (Value >= 1 && Value <= 255 && KitStore(FGradientSmoothFactor, Value)) Repaint();
}
void TFrCustomBackground::SetImage(TPicture* Value) { FImage->Assign(Value); }
void TFrCustomBackground::SetTexture(TPicture* Value) { FTexture->Assign(Value); }
void TFrCustomBackground::SetImageStyle(TImageStyle Value) {
  if (KitStore(FImageStyle, Value) && FShowImage) Repaint();
}

void TFrCustomBackground::SetShowGradient(bool Value) {
  if (!KitStore(FShowGradient, Value)) return;
  if (Value) FShowTexture = false;
  else if (!FShowImage) FShowTexture = true;
  Repaint();
}
void TFrCustomBackground::SetShowImage(bool Value) {
  if (KitStore(FShowImage, Value)) Repaint();
}
void TFrCustomBackground::SetShowTexture(bool Value) {
  if (!KitStore(FShowTexture, Value)) return;
  FShowGradient = !Value;
  Repaint();
}

// ---- Painting ----

void TFrCustomBackground::Paint() {
  if (GetWidth() < 5 || GetHeight() < 5)
    SetBounds(GetLeft(), GetTop(), std::max(GetWidth(), 5), std::max(GetHeight(), 5));
  PaintOn(Canvas());
}

void TFrCustomBackground::PaintLayers(TBitmap* Target) {
  const int w = std::max(GetWidth(), 1), h = std::max(GetHeight(), 1);
  Target->SetSize(w, h);
  TCanvas* canvas = Target->Canvas();
  if (FShowTexture) DrawTexture(canvas, w, h);
  if (FShowGradient) DrawGradient(canvas, w, h);
  if (FShowImage) DrawImage(canvas, w, h);
}

void TFrCustomBackground::DrawTexture(TCanvas* Canvas, int W, int H) {
  TGraphic* texture = FTexture->GetGraphic();
  if (!texture || texture->Empty()) return;
  if (auto* bitmap = dynamic_cast<TBitmap*>(texture)) {
    TileBitmap(Canvas, bitmap, Rect(0, 0, W, H));
    return;
  }
  Canvas->Draw(0, 0, texture);
  DoubleAcrossAndDown(Canvas, std::min(texture->GetWidth(), W), std::min(texture->GetHeight(), H), W, H);
}

void TFrCustomBackground::DrawImage(TCanvas* Canvas, int W, int H) {
  TGraphic* image = FImage->GetGraphic();
  if (!image || image->Empty()) return;
  const int pw = image->GetWidth(), ph = image->GetHeight();
  switch (FImageStyle) {
    case TImageStyle::isCenter:
    case TImageStyle::isClip: {
      const TRect r = BackgroundImageRect(FImageStyle, W, H, pw, ph);
      Canvas->Draw(r.Left, r.Top, image);
      break;
    }
    case TImageStyle::isFill:
    case TImageStyle::isStretch: Canvas->StretchDraw(BackgroundImageRect(FImageStyle, W, H, pw, ph), image); break;
    case TImageStyle::isTiled:
      Canvas->Draw(0, 0, image);
      DoubleAcrossAndDown(Canvas, std::min(pw, W), std::min(ph, H), W, H);
      break;
  }
}

void TFrCustomBackground::DrawGradient(TCanvas* Canvas, int W, int H) {
  switch (FGradientDirection) {
    case TFrGradientDirection::gdDiagonalUp:
    case TFrGradientDirection::gdDiagonalDown: DiagonalGradient(Canvas, W, H); break;
    case TFrGradientDirection::gdHorizontalEnd:
    case TFrGradientDirection::gdHorizontalCenter:
    case TFrGradientDirection::gdVerticalEnd:
    case TFrGradientDirection::gdVerticalCenter: LinearGradient(Canvas, W, H); break;
    default: BoxGradient(Canvas, W, H); break;
  }
}

void TFrCustomBackground::LinearGradient(TCanvas* Canvas, int W, int H) {
  using enum TFrGradientDirection;
  const bool across = FGradientDirection == gdVerticalEnd || FGradientDirection == gdVerticalCenter;
  const bool center = FGradientDirection == gdHorizontalCenter || FGradientDirection == gdVerticalCenter;
  const int length = across ? W : H;
  // The Center layouts run to the middle and back: the first half mirrored.
  const int run = center ? (length + 1) / 2 : length;
  const int strip = std::min(kStripSize, across ? H : W);
  for (const TGradientBand& band : GradientBands(FStartRGB, FStopRGB, run, FGradientSmoothFactor)) {
    auto fill = [&](int From, int To) {
      Fill(Canvas, across ? Rect(From, 0, To, strip) : Rect(0, From, strip, To), band.Color);
    };
    fill(band.Start, band.End);
    if (center) fill(length - band.End, length - band.Start);
  }
  if (across) DoubleAcrossAndDown(Canvas, W, strip, W, H);
  else DoubleAcrossAndDown(Canvas, strip, H, W, H);
}

void TFrCustomBackground::BoxGradient(TCanvas* Canvas, int W, int H) {
  using enum TFrGradientDirection;
  // The top-left quadrant's rings run from its outer edges to the middle, inset by a
  // quarter of the width (horizontal box), of the height (vertical box), of both (big
  // square box) or by nothing (square box).
  const int qw = (W + 1) / 2, qh = (H + 1) / 2;
  const int ox = FGradientDirection == gdHorizontalBox || FGradientDirection == gdBigSquareBox ? W / 4 : 0;
  const int oy = FGradientDirection == gdVerticalBox || FGradientDirection == gdBigSquareBox ? H / 4 : 0;
  const int spanX = qw - ox, spanY = qh - oy;
  const int rings = std::max(std::max(spanX, spanY), 1);
  TBitmap quadrant;
  quadrant.SetSize(qw, qh);
  TCanvas* q = quadrant.Canvas();
  Fill(q, Rect(0, 0, qw, qh), FStartRGB);
  for (const TGradientBand& band : GradientBands(FStartRGB, FStopRGB, rings, FGradientSmoothFactor))
    Fill(q, Rect(ox + band.Start * spanX / rings, oy + band.Start * spanY / rings, qw, qh), band.Color);
  // The quadrant into the other three, mirrored across the middle.
  HDC source = q->GetHandle(), target = Canvas->GetHandle();
  SetStretchBltMode(target, COLORONCOLOR);
  StretchBlt(target, 0, 0, qw, qh, source, 0, 0, qw, qh, SRCCOPY);
  StretchBlt(target, W - qw, 0, qw, qh, source, qw - 1, 0, -qw, qh, SRCCOPY);
  StretchBlt(target, 0, H - qh, qw, qh, source, 0, qh - 1, qw, -qh, SRCCOPY);
  StretchBlt(target, W - qw, H - qh, qw, qh, source, qw - 1, qh - 1, -qw, -qh, SRCCOPY);
}

void TFrCustomBackground::DiagonalGradient(TCanvas* Canvas, int W, int H) {
  // Bands across the diagonal x + y, from the top-left corner; gdDiagonalDown mirrored
  // (from the top-right corner).
  const bool mirrored = FGradientDirection == TFrGradientDirection::gdDiagonalDown;
  auto x = [&](int X) { return mirrored ? W - 1 - X : X; };
  TPen saved;
  saved.Assign(Canvas->GetPen());
  Canvas->GetPen()->SetWidth(1);
  Canvas->GetPen()->SetStyle(psSolid);
  for (const TGradientBand& band : GradientBands(FStartRGB, FStopRGB, W + H - 1, FGradientSmoothFactor)) {
    Canvas->GetPen()->SetColor(static_cast<TColor>(band.Color));
    Canvas->GetBrush()->SetColor(static_cast<TColor>(band.Color));
    const int a = band.Start, b = band.End;
    Canvas->Polygon({TPoint{x(a), 0}, TPoint{x(b), 0}, TPoint{x(0), b}, TPoint{x(0), a}});
  }
  Canvas->GetPen()->Assign(&saved);
}
