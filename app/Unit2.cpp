#include "app/Unit2.h"

#include <algorithm>

#include "app/Unit5.h"
#include "app/microplace.h"
#include "app/storedata.h"
#include "classlib/windows/application.h"
#include "classlib/core/files.h"
#include "classlib/core/formatsettings.h"
#include "classlib/windows/stdctrls.h"
#include "classlib/core/timers.h"
#include "classlib/core/unicode.h"
#include "controls/frmeter.h"
#include "controls/kitclock.h"
#include "desktop/dskled.h"
#include "desktop/propstorage.h"
#include "gridcal/gxclock.h"

TForm2* Form2 = nullptr;

HX_PUBLISH(TForm2, p) {
  p.Field("Label1", &TForm2::Label1);
  p.Field("Label2", &TForm2::Label2);
  p.Field("KitClock1", &TForm2::KitClock1);
  p.Field("GxClock1", &TForm2::GxClock1);
  p.Field("Gauge1", &TForm2::Gauge1);
  p.Field("Timer1", &TForm2::Timer1);
  p.Field("PropStorage1", &TForm2::PropStorage1);
  p.Field("RegPropStorageMan1", &TForm2::RegPropStorageMan1);
  p.Handler("FormCreate", &TForm2::FormCreate);
  p.Handler("Timer1Timer", &TForm2::Timer1Timer);
  p.Handler("FormMouseDown", &TForm2::FormMouseDown);
  p.Handler("KitClock1DblClick", &TForm2::KitClock1DblClick);
  p.Handler("FormDropFiles", &TForm2::FormDropFiles);
}

namespace {

// The micro clock part on the window, for as long as the window is there.
class TFormMicroClock : public TMicroClock {
 public:
  explicit TFormMicroClock(std::shared_ptr<TForm2*> Form) : FForm(std::move(Form)) {}
  int Left() override { return Form() ? Form()->GetLeft() : TMicroClock::Left(); }
  int Top() override { return Form() ? Form()->GetTop() : TMicroClock::Top(); }
  void SetPlace(int L, int T) override {
    TMicroClock::SetPlace(L, T);
    if (Form()) Form()->SetBounds(L, T, Form()->GetWidth(), Form()->GetHeight());
  }
  void Show() override {
    if (!Form()) return;
    Form()->Timer1Timer(nullptr);  // its face and place now, not a second later
    Form()->Show();
  }
  void Hide() override {
    if (Form()) Form()->Hide();
  }
  bool Visible() override { return Form() && Form()->GetVisible(); }
  void SetStayOnTop(bool Value) override {
    if (Form()) Form()->SetFormStyle(Value ? fsStayOnTop : fsNormal);
  }
  void SetKind(int Kind) override {
    if (Form()) Form()->SetKind(Kind);
  }
  void SetShowSeconds(bool Value) override {
    if (Form()) Form()->ShowSeconds = Value;
  }
  void SetShowDate(bool Value) override {
    if (Form()) Form()->ShowDate = Value;
  }
  void SetPlacement(int Value) override {
    if (Form()) Form()->Placement = Value;
  }
  void SetColors(int Back, int Time, int Date) override {
    if (Form()) Form()->SetColors(Back, Time, Date);
  }
  void SetDialSize(int Size) override {
    if (Form()) Form()->SetDialSize(Size);
  }
  void SetTextFont(const String& Name, int Size) override {
    if (Form()) Form()->SetTextFont(Name, Size);
  }
  bool TextFont(String& Name, int& Size) override {
    if (!Form()) return false;
    TFont* font = Form()->Label1->GetFont();
    // The face the system draws it with: a name it lacks ("Tahoma" under Wine) is shown in
    // another, which the font dialog lists.
    Name = font->GetName();
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font->GetHandle());
    wchar_t face[LF_FACESIZE] = {};
    if (GetTextFaceW(dc, LF_FACESIZE, face) > 0 && face[0]) Name = WideToUtf8(face);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    Size = font->GetSize();
    return true;
  }
  void PlaceMeterUnderFace() override {
    if (Form()) Form()->PlaceMeterUnderFace();
  }
  void SetMeterMax(int Value) override {
    if (Form()) Form()->Gauge1->SetMax(Value);
  }
  int MeterMax() override { return Form() ? Form()->Gauge1->GetMax() : TMicroClock::MeterMax(); }
  void SetMeterValue(int Value) override {
    if (Form()) Form()->Gauge1->SetValue(Value);
  }
  int MeterValue() override { return Form() ? Form()->Gauge1->GetValue() : TMicroClock::MeterValue(); }
  void SetMeterVisible(bool Value) override {
    if (Form()) Form()->SetMeterVisible(Value);
  }
  bool MeterVisible() override { return Form() ? Form()->Gauge1->GetVisible() : TMicroClock::MeterVisible(); }
  void Relayout() override {
    if (Form()) Form()->Relayout();
  }

 private:
  TForm2* Form() const { return *FForm; }
  std::shared_ptr<TForm2*> FForm;
};

constexpr int kDefaultColors[3] = {0, 10, 11};  // black, lime, yellow

TColor ListColor(int Index, int Which) {
  if (Index < 0 || Index >= kDskColorCount) Index = kDefaultColors[Which];
  return kDskColors[Index].Color;
}

}  // namespace

TForm2::TForm2(TComponent* AOwner) : TForm(AOwner), FSelf(std::make_shared<TForm2*>(this)) {}

TForm2::~TForm2() { *FSelf = nullptr; }

void TForm2::FormCreate(TObject*) {
  SetAcceptFiles(true);
  PropStorage1->LoadProperties();
  FSavedFormat = KitClock1->GetCustomDateTimeFormat();
  Timer1->SetEnabled(GetVisible());
}

void TForm2::DoShow() {
  Timer1->SetEnabled(true);
  TForm::DoShow();
}

void TForm2::DoHide() {
  Timer1->SetEnabled(false);
  TForm::DoHide();
}

void TForm2::AttachTo(TClockParts& Parts, TDskStoreData* Store) {
  // Where the window was left; a place on no monitor comes into a work area at the tick.
  if (Store)
    SetBounds(Store->StoreReadInteger("Form2State1", 0), Store->StoreReadInteger("Form2State2", 0), GetWidth(),
              GetHeight());
  FParts = &Parts;
  Parts.MicroClock = std::make_unique<TFormMicroClock>(FSelf);
  ApplyMicroClockOptions(*Parts.Options, *Parts.MicroClock);
}

void TForm2::SetKind(int Kind) {
  if (Kind < 0 || Kind > 2) return;
  FKind = Kind;
  Label1->SetVisible(Kind == 0);
  Label2->SetVisible(Kind == 0 && ShowDate);
  KitClock1->SetVisible(Kind == 1);
  GxClock1->SetVisible(Kind == 2);
  Relayout();
}

void TForm2::SetColors(int Back, int Time, int Date) {
  TColor back = ListColor(Back, 0);
  SetColor(back);
  Label1->SetColor(back);
  Label2->SetColor(back);
  Label1->GetFont()->SetColor(ListColor(Time, 1));
  Label2->GetFont()->SetColor(ListColor(Date, 2));
}

void TForm2::SetDialSize(int Size) {
  Size = std::clamp(Size, 50, 200);
  GxClock1->SetBounds(GxClock1->GetLeft(), GxClock1->GetTop(), Size, Size);
  Relayout();
}

void TForm2::SetTextFont(const String& Name, int Size) {
  for (TLabel* label : {Label1, Label2}) {
    label->GetFont()->SetName(Name);
    label->GetFont()->SetSize(Size);
  }
  PropStorage1->SaveProperties();
}

void TForm2::Timer1Timer(TObject*) {
  TDateTime now = Now();
  const TFormatSettings& russian = RussianFormatSettings();
  if (FKind == 0) {
    Label1->SetVisible(true);
    String time = FormatDateTime(ShowSeconds ? "hh:mm:ss" : "hh:mm", now, russian);
    if (Label1->GetCaption() != time) Label1->SetCaption(time);
    if (ShowDate) {
      Label2->SetVisible(true);
      String date = FormatDateTime("dddddd, dddd", now, russian);
      if (Label2->GetCaption() != date) Label2->SetCaption(date);
      int left = Label1->GetLeft() + Label1->GetWidth() + 5;
      if (Label2->GetLeft() != left) Label2->SetLeft(left);
    } else {
      Label2->SetVisible(false);
      Label2->SetCaption("");
    }
  } else if (FKind == 1) {
    Label1->SetVisible(false);
    Label2->SetVisible(false);
    KitClock1->SetVisible(true);
  }
  // The work area of the monitor it is on, as it is now.
  TRect window = GetBoundsRect();
  TRect area = NearestWorkArea(ScreenMonitors(), window, Screen->WorkAreaRect());
  TPoint place = MicroClockPlace(Placement, area, window);
  if (place.X != window.Left || place.Y != window.Top) SetBounds(place.X, place.Y, GetWidth(), GetHeight());
}

void TForm2::PlaceMeterUnderFace() {
  int width, top;
  if (KitClock1->GetVisible()) {
    width = 155;
    top = KitClock1->GetTop() + KitClock1->GetHeight();
  } else if (GxClock1->GetVisible()) {
    width = GxClock1->GetWidth();
    top = GxClock1->GetTop() + GxClock1->GetHeight();
  } else {
    width = Label1->GetWidth() + Label2->GetWidth();
    top = Label1->GetTop() + Label1->GetHeight();
  }
  if (Gauge1->GetLeft() != 0 || Gauge1->GetTop() != top || Gauge1->GetWidth() != width)
    Gauge1->SetBounds(0, top, width, Gauge1->GetHeight());
}

void TForm2::SetMeterVisible(bool Value) {
  if (Value) PlaceMeterUnderFace();
  Gauge1->SetVisible(Value);
  Relayout();
}

void TForm2::Relayout() { AdjustSize(); }

void TForm2::FormMouseDown(TObject*, TMouseButton Button, TShiftState, int, int) {
  // The borderless window follows the mouse as if it were dragged by a caption.
  if (Button == mbRight) return;
  ReleaseCapture();
  SendMessageW(GetHandle(), WM_SYSCOMMAND, 0xF012, 0);
}

void TForm2::KitClock1DblClick(TObject*) {
  if (KitClock1->GetCustomDateTimeFormat() != FSavedFormat) KitClock1->SetCustomDateTimeFormat(FSavedFormat);
  else KitClock1->SetCustomDateTimeFormat("dd.mm.yyyy");
}

void TForm2::FormDropFiles(TObject*, const std::vector<String>& Files, TPoint) {
  // The whole name, however long; a folder or a name that is gone is not played.
  if (Files.empty() || !FileExists(Files.front())) return;
  if (Form5) Form5->PlayDroppedFile(Files.front());
}
