#include "app/Unit5.h"

#include <algorithm>
#include <limits>

#include "classlib/windows/application.h"
#include "gridcal/slider.h"

TForm5* Form5 = nullptr;

HX_PUBLISH(TForm5, p) {
  p.Field("Label1", &TForm5::Label1);
  p.Field("Label2", &TForm5::Label2);
  p.Field("KitScrollBar1", &TForm5::KitScrollBar1);
  p.Field("ButtonPause", &TForm5::ButtonPause);
  p.Field("ButtonResume", &TForm5::ButtonResume);
  p.Field("ButtonStop", &TForm5::ButtonStop);
  p.Field("ButtonOpen", &TForm5::ButtonOpen);
  p.Field("MediaPlayer1", &TForm5::MediaPlayer1);
  p.Field("Timer1", &TForm5::Timer1);
  p.Field("OpenDialog1", &TForm5::OpenDialog1);
  p.Handler("FormCreate", &TForm5::FormCreate);
  p.Handler("FormClose", &TForm5::FormClose);
  p.Handler("FormKeyDown", &TForm5::FormKeyDown);
  p.Handler("ButtonPauseClick", &TForm5::ButtonPauseClick);
  p.Handler("ButtonResumeClick", &TForm5::ButtonResumeClick);
  p.Handler("ButtonStopClick", &TForm5::ButtonStopClick);
  p.Handler("ButtonOpenClick", &TForm5::ButtonOpenClick);
  p.Handler("KitScrollBar1MouseDown", &TForm5::KitScrollBar1MouseDown);
  p.Handler("KitScrollBar1MouseUp", &TForm5::KitScrollBar1MouseUp);
}

namespace {

// The window's controls as the player's logic sees them.
class TFormPlayerView : public TPlayerView {
 public:
  explicit TFormPlayerView(TForm5& Form) : F(Form) {}

  void ShowButtons(const TPlayerButtons& B) override {
    auto show = [](TBitBtn* Button, const TPlayerButton& State) {
      Button->SetVisible(State.Visible);
      Button->SetEnabled(State.Enabled);
    };
    show(F.ButtonPause, B.Pause);
    show(F.ButtonResume, B.Resume);
    show(F.ButtonStop, B.Stop);
    show(F.ButtonOpen, B.Open);
  }
  void SetSliderMax(std::int64_t Value) override { F.KitScrollBar1->SetMaxValue(ToSlider(Value)); }
  void SetSliderValue(std::int64_t Value) override { F.KitScrollBar1->SetValue(ToSlider(Value)); }
  std::int64_t SliderValue() override { return F.KitScrollBar1->GetValue(); }
  void SetSliderEnabled(bool Value) override { F.KitScrollBar1->SetEnabled(Value); }
  void ShowFileName(const String& Name) override { F.Label2->SetCaption(Name); }
  bool ChooseFile(String& Name) override {
    if (!F.OpenDialog1->Execute()) return false;
    Name = F.OpenDialog1->GetFileName();
    return true;
  }
  void SetStayOnTop(bool Value) override { F.SetFormStyle(Value ? fsStayOnTop : fsNormal); }
  void ShowWindow() override { F.Show(); }
  void RestoreTopMosts() override { Application->RestoreTopMosts(); }
  void ShowError(const String& Message) override {
    Application->MessageBox(Message, Application->GetTitle(), MB_OK | MB_ICONWARNING);
  }
  void SetPlayerOpen(bool Value) override {
    if (F.OnPlayerOpen) F.OnPlayerOpen(Value);
  }

 private:
  // The slider counts in int; a track longer than 24 days stops at its end.
  static int ToSlider(std::int64_t Value) {
    return static_cast<int>(std::clamp<std::int64_t>(Value, 0, std::numeric_limits<int>::max()));
  }
  TForm5& F;
};

}  // namespace

TForm5::TForm5(TComponent* AOwner) : TForm(AOwner) {}

TForm5::~TForm5() = default;

void TForm5::FormCreate(TObject*) {
  FView = std::make_unique<TFormPlayerView>(*this);
  FPlayer = std::make_unique<TMiniPlayer>(MediaPlayer1, Timer1, *FView);
}

void TForm5::FormClose(TObject*, TCloseAction&) { FPlayer->WindowClosed(); }

void TForm5::FormKeyDown(TObject*, WORD& Key, TShiftState Shift) {
  if (Key != VK_ESCAPE || !Shift.Empty()) return;
  Key = 0;
  Close();
}

void TForm5::ButtonPauseClick(TObject*) { FPlayer->Pause(); }

void TForm5::ButtonResumeClick(TObject*) { FPlayer->Resume(); }

void TForm5::ButtonStopClick(TObject*) { FPlayer->Stop(); }

void TForm5::ButtonOpenClick(TObject*) { FPlayer->OpenFromDialog(); }

void TForm5::KitScrollBar1MouseDown(TObject*, TMouseButton, TShiftState, int, int) { FPlayer->SliderPressed(); }

void TForm5::KitScrollBar1MouseUp(TObject*, TMouseButton, TShiftState, int, int) { FPlayer->SliderReleased(); }

void TForm5::PlayDroppedFile(const String& FileName) { FPlayer->PlayDroppedFile(FileName); }
