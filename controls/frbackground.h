#pragma once
// TFrBackground, a windowless control that paints a form's background from up to three
// layers, in this order: a tiled texture picture, a colour gradient in one of ten layouts
// and a picture placed in one of five ways, framed by one of the frame styles. Texture and
// gradient exclude each other. The layers are drawn off-screen and copied inside the
// frame. On an MDI form it aligns to the client area and paints the form's MDI client
// window instead, by hooking that window's procedure once loaded or once the form has made
// its window. Windows only (the gradient bands and picture places are in frgeometry.h).
#include <memory>

#include "classlib/windows/controls.h"
#include "classlib/windows/pictures.h"
#include "classlib/windows/subclass.h"
#include "controls/frgeometry.h"

class TFrCustomBackground : public TGraphicControl {
  HX_CLASS(TFrCustomBackground, TGraphicControl)
 public:
  // Half its owner form's width and height (100 × 100 without a form), opaque; the form
  // is made opaque too unless it is an MDI form (the background aligns to its client then).
  explicit TFrCustomBackground(TComponent* AOwner);
  ~TFrCustomBackground() override;  // the MDI client's procedure goes back

  // On an MDI form any value keeps alClient.
  void SetAlign(TAlign Value);
  // Painting the MDI client window (its procedure hooked).
  bool MDIMode() const { return FClientHook.Hooked(); }
  // Invalidates the MDI client window in MDI mode, else the control.
  void Repaint() override;

  // Setters store a changed value and repaint.
  // Inactive, the control shows its colour and frame only.
  bool GetActive() const { return FActive; }
  virtual void SetActive(bool Value);
  TColor GetFrameColor() const { return FFrameColor; }  // of an fsFlat frame
  virtual void SetFrameColor(TColor Value);
  TFrameStyle GetFrameStyle() const { return FFrameStyle; }
  virtual void SetFrameStyle(TFrameStyle Value);
  TColor GetGradientColorStart() const { return FGradientColorStart; }
  virtual void SetGradientColorStart(TColor Value);
  TColor GetGradientColorStop() const { return FGradientColorStop; }
  virtual void SetGradientColorStop(TColor Value);
  TFrGradientDirection GetGradientDirection() const { return FGradientDirection; }
  virtual void SetGradientDirection(TFrGradientDirection Value);
  // 1..255; another value is refused. A band lasts at least GradientSmoothCount pixels.
  int GetGradientSmoothFactor() const { return FGradientSmoothFactor; }
  virtual void SetGradientSmoothFactor(int Value);
  // Assigning copies the picture; a change repaints while it is shown.
  TPicture* GetImage() const { return FImage.get(); }
  virtual void SetImage(TPicture* Value);
  TImageStyle GetImageStyle() const { return FImageStyle; }
  virtual void SetImageStyle(TImageStyle Value);  // repaints while the image is shown
  TPicture* GetTexture() const { return FTexture.get(); }
  virtual void SetTexture(TPicture* Value);
  // Showing the texture hides the gradient and hiding it shows the gradient; showing the
  // gradient hides the texture, and hiding it while no image is shown shows the texture.
  bool GetShowGradient() const { return FShowGradient; }
  virtual void SetShowGradient(bool Value);
  bool GetShowImage() const { return FShowImage; }
  virtual void SetShowImage(bool Value);
  bool GetShowTexture() const { return FShowTexture; }
  virtual void SetShowTexture(bool Value);

  // The layers at the control's size, as they are copied inside the frame. An empty
  // texture or picture draws nothing.
  void PaintLayers(TBitmap* Target);

 protected:
  void Paint() override;
  void Loaded() override;
  virtual void DrawTexture(TCanvas* Canvas, int W, int H);
  virtual void DrawGradient(TCanvas* Canvas, int W, int H);
  virtual void DrawImage(TCanvas* Canvas, int W, int H);
  // The gradient's layouts: bands along one axis (End and Center), concentric rectangles
  // (the four box layouts) and diagonal bands.
  virtual void LinearGradient(TCanvas* Canvas, int W, int H);
  virtual void BoxGradient(TCanvas* Canvas, int W, int H);
  virtual void DiagonalGradient(TCanvas* Canvas, int W, int H);

 private:
  void PictureChanged(bool Shown);
  TCustomForm* MDIForm() const;  // the owner when it is an MDI form
  void HookClient();
  LRESULT ClientProc(UINT Msg, WPARAM WParam, LPARAM LParam);
  // The layers with the frame, at the control's size, from the canvas's (0, 0).
  void PaintOn(TCanvas* Canvas);

  TWindowHook FClientHook;
  int FFormListener = 0;  // our token in the MDI form's OnWindowCreated

  bool FActive = true;
  TColor FFrameColor = clBtnShadow;
  TFrameStyle FFrameStyle = TFrameStyle::fsNone;
  TColor FGradientColorStart = clBlue;
  TColor FGradientColorStop = clBlack;
  std::uint32_t FStartRGB = 0, FStopRGB = 0;  // the colours resolved
  TFrGradientDirection FGradientDirection = TFrGradientDirection::gdHorizontalEnd;
  int FGradientSmoothFactor = 1;
  std::unique_ptr<TPicture> FImage;
  TImageStyle FImageStyle = TImageStyle::isCenter;
  std::unique_ptr<TPicture> FTexture;
  bool FShowGradient = true;
  bool FShowImage = false;
  bool FShowTexture = false;
};

class TFrBackground : public TFrCustomBackground {
  HX_CLASS(TFrBackground, TFrCustomBackground)
 public:
  using TFrCustomBackground::TFrCustomBackground;
};
