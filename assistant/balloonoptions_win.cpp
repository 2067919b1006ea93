#include "assistant/balloonoptions.h"

#include "classlib/core/filer.h"
#include "classlib/core/streams.h"

HX_PUBLISH(TBalloonOptionsBase, p) {}

HX_PUBLISH(TBalloonOptions, p) {
  p.Property("Color", &TBalloonOptions::GetColor, &TBalloonOptions::SetColor).Default(static_cast<TColor>(12648447));
  p.Property("BorderColor", &TBalloonOptions::GetBorderColor, &TBalloonOptions::SetBorderColor).Default(clBlack);
  p.Property("Font", &TBalloonOptions::GetFont, &TBalloonOptions::SetFont).Stored(&TBalloonOptions::IsFontStored);
  p.Property("HoverFont", &TBalloonOptions::GetHoverFont, &TBalloonOptions::SetHoverFont)
      .Stored(&TBalloonOptions::IsHoverFontStored);
  p.Property("Office2000Look", &TBalloonOptions::GetOffice2000Look, &TBalloonOptions::SetOffice2000Look)
      .Default(true);
}

HX_PUBLISH(TCheckBoxOptions, p) {
  p.Property("Caption", &TCheckBoxOptions::GetCaption, &TCheckBoxOptions::SetCaption);
  p.Property("Hint", &TCheckBoxOptions::GetHint, &TCheckBoxOptions::SetHint);
  p.Property("AllowGrayed", &TCheckBoxOptions::GetAllowGrayed, &TCheckBoxOptions::SetAllowGrayed).Default(false);
  p.Property("State", &TCheckBoxOptions::GetState, &TCheckBoxOptions::SetState).Default(cbUnchecked);
  p.Property("Checked", &TCheckBoxOptions::GetChecked, &TCheckBoxOptions::SetChecked).Stored(false);
  p.Property("Enabled", &TCheckBoxOptions::GetEnabled, &TCheckBoxOptions::SetEnabled).Default(true);
  p.Property("Visible", &TCheckBoxOptions::GetVisible, &TCheckBoxOptions::SetVisible).Default(false);
}

HX_PUBLISH(TMsgDlgOptions, p) {
  p.Property("CustomIcon", &TMsgDlgOptions::GetCustomIcon, &TMsgDlgOptions::SetCustomIcon);
  p.Property("Title", &TMsgDlgOptions::GetTitle, &TMsgDlgOptions::SetTitle);
  p.Property("CheckBox", &TMsgDlgOptions::GetCheckBox, &TMsgDlgOptions::SetCheckBox);
}

HX_PUBLISH(TTipsDlgOptions, p) {
  p.Property("VisibleButtons", &TTipsDlgOptions::GetVisibleButtons, &TTipsDlgOptions::SetVisibleButtons)
      .Default(TTipsButtons{tbClose, tbNext, tbBack});
  p.Property("Tips", &TTipsDlgOptions::GetTips, &TTipsDlgOptions::SetTips);
  p.Property("TipIndex", &TTipsDlgOptions::GetTipIndex, &TTipsDlgOptions::SetTipIndex).Default(-1);
  p.Event("OnTipsTipChange", &TTipsDlgOptions::OnTipsTipChange);
}

HX_PUBLISH(TTopicOptions, p) {}
HX_PUBLISH(TTopicsList, p) {}

HX_PUBLISH(TGuideDlgOptions, p) {
  p.Property("VisibleButtons", &TGuideDlgOptions::GetVisibleButtons, &TGuideDlgOptions::SetVisibleButtons)
      .Default(TGuideButtons{gbClose, gbOptions, gbTips, gbSearch});
  p.Property("Icon", &TGuideDlgOptions::GetIcon, &TGuideDlgOptions::SetIcon);
  p.Property("AcceptRequest", &TGuideDlgOptions::GetAcceptRequest, &TGuideDlgOptions::SetAcceptRequest).Default(true);
  p.Property("RequestResult", &TGuideDlgOptions::GetRequestResult, &TGuideDlgOptions::SetRequestResult)
      .Default(false);
  p.Property("Topics", &TGuideDlgOptions::GetTopics, &TGuideDlgOptions::SetTopics);
  p.Property("Title", &TGuideDlgOptions::GetTitle, &TGuideDlgOptions::SetTitle);
  p.Property("Request", &TGuideDlgOptions::GetRequest, &TGuideDlgOptions::SetRequest);
  p.Property("Description", &TGuideDlgOptions::GetDescription, &TGuideDlgOptions::SetDescription);
  p.Event("OnGuideRequestChange", &TGuideDlgOptions::OnGuideRequestChange);
  p.Event("OnGuideTopicClick", &TGuideDlgOptions::OnGuideTopicClick);
  p.Event("OnGuideOptionsClick", &TGuideDlgOptions::OnGuideOptionsClick);
  p.Event("OnGuideSearchClick", &TGuideDlgOptions::OnGuideSearchClick);
  p.Event("OnGuideGetBtnStates", &TGuideDlgOptions::OnGuideGetBtnStates);
}

HX_PUBLISH(THintDlgOptions, p) {
  p.Property("Icon", &THintDlgOptions::GetIcon, &THintDlgOptions::SetIcon);
  p.Property("Topics", &THintDlgOptions::GetTopics, &THintDlgOptions::SetTopics);
  p.Property("Title", &THintDlgOptions::GetTitle, &THintDlgOptions::SetTitle);
  p.Property("Description", &THintDlgOptions::GetDescription, &THintDlgOptions::SetDescription);
  p.Event("OnHintTopicClick", &THintDlgOptions::OnHintTopicClick);
}

namespace {

bool SameFont(TFont* a, TFont* b) {
  return a->GetName() == b->GetName() && a->GetHeight() == b->GetHeight() && a->GetColor() == b->GetColor() &&
         a->GetStyle() == b->GetStyle() && a->GetCharset() == b->GetCharset() && a->GetPitch() == b->GetPitch();
}

}  // namespace

// ---- TBalloonOptions ----

TBalloonOptions::TBalloonOptions() : FFont(std::make_unique<TFont>()), FHoverFont(std::make_unique<TFont>()) {
  FFont->OnChange = [this](TObject*) { Changed(); };
  FHoverFont->OnChange = [this](TObject*) { Changed(); };
}

TBalloonOptions::~TBalloonOptions() {
  FFont->OnChange = nullptr;
  FHoverFont->OnChange = nullptr;
}

bool TBalloonOptions::IsFontStored() const {
  TFont plain;
  return !SameFont(FFont.get(), &plain);
}

bool TBalloonOptions::IsHoverFontStored() const {
  TFont plain;
  return !SameFont(FHoverFont.get(), &plain);
}

void TBalloonOptions::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TBalloonOptions*>(Source);
  if (!s) return TBalloonOptionsBase::Assign(Source);
  FColor = s->FColor;
  FBorderColor = s->FBorderColor;
  FOffice2000Look = s->FOffice2000Look;
  FFont->Assign(s->FFont.get());
  FHoverFont->Assign(s->FHoverFont.get());
  Changed();
}

// ---- TCheckBoxOptions ----

void TCheckBoxOptions::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TCheckBoxOptions*>(Source);
  if (!s) return TBalloonOptionsBase::Assign(Source);
  FCaption = s->FCaption;
  FHint = s->FHint;
  FAllowGrayed = s->FAllowGrayed;
  FState = s->FState;
  FEnabled = s->FEnabled;
  FVisible = s->FVisible;
  Changed();
}

// ---- TMsgDlgOptions ----

TMsgDlgOptions::TMsgDlgOptions()
    : FCustomIcon(std::make_unique<TIcon>()), FCheckBox(std::make_unique<TCheckBoxOptions>()) {
  FCustomIcon->OnChange = [this](TObject*) { Changed(); };
  FCheckBox->OnChange = [this] { Changed(); };
}

TMsgDlgOptions::~TMsgDlgOptions() { FCustomIcon->OnChange = nullptr; }

void TMsgDlgOptions::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TMsgDlgOptions*>(Source);
  if (!s) return TBalloonOptionsBase::Assign(Source);
  FTitle = s->FTitle;
  FCustomIcon->Assign(s->FCustomIcon.get());
  FCheckBox->Assign(s->FCheckBox.get());
  Changed();
}

// ---- TTipsDlgOptions ----

TTipsDlgOptions::TTipsDlgOptions() : FTips(std::make_unique<TStringList>()) {
  FTips->OnChange = [this](TObject*) { Changed(); };
}

TTipsDlgOptions::~TTipsDlgOptions() { FTips->OnChange = nullptr; }

void TTipsDlgOptions::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TTipsDlgOptions*>(Source);
  if (!s) return TBalloonOptionsBase::Assign(Source);
  FVisibleButtons = s->FVisibleButtons;
  FTipIndex = s->FTipIndex;
  FTips->Assign(s->FTips.get());
  Changed();
}

// ---- TTopicsList ----

TTopicsList::~TTopicsList() { Clear(); }

TObject* TTopicsList::NewTopic(TObject* Given) {
  auto* topic = new TTopicOptions;
  if (auto* from = dynamic_cast<TTopicOptions*>(Given)) {
    topic->Value = from->Value;
    topic->Flag = from->Flag;
    topic->OnClick = from->OnClick;
  }
  return topic;
}

void TTopicsList::Clear() {
  std::vector<TObject*> topics;
  for (int i = 0; i < Count(); ++i) topics.push_back(GetObject(i));
  TStringList::Clear();
  for (TObject* t : topics) delete t;
}

void TTopicsList::Delete(int Index) {
  TObject* topic = GetObject(Index);
  TStringList::Delete(Index);
  delete topic;
}

void TTopicsList::InsertObject(int Index, const String& S, TObject* AObject) {
  // Every line owns a topic of its own (a given one is copied).
  TStringList::InsertObject(Index, S, NewTopic(AObject));
}

int TTopicsList::AddObject(const String& S, TObject* AObject) {
  TObject* topic = NewTopic(AObject);
  int n = Count();
  int at = TStringList::AddObject(S, topic);
  if (Count() == n) delete topic;  // a sorted list ignored a duplicate
  return at;
}

void TTopicsList::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TStrings*>(Source);
  if (!s) return TStringList::Assign(Source);
  BeginUpdate();
  Clear();
  for (int i = 0; i < s->Count(); ++i) AddObject(s->Get(i), s->GetObject(i));
  EndUpdate();
}

void TTopicsList::DefineProperties(TFiler* Filer) {
  TStringList::DefineProperties(Filer);
  bool hasData = false;
  for (int i = 0; i < Count() && !hasData; ++i) hasData = Topic(i)->Value != -1 || Topic(i)->Flag != 0;
  Filer->DefineBinaryProperty(
      "Options", [this](TStream* s) { ReadOptions(s); }, [this](TStream* s) { WriteOptions(s); }, hasData);
}

void TTopicsList::ReadOptions(TStream* Stream) {
  // 5 bytes per topic for as many topics as there are lines; missing ones stay (-1, 0),
  // extra ones are ignored.
  for (int i = 0; i < Count(); ++i) {
    std::uint8_t b[5];
    if (Stream->Read(b, 5) != 5) break;
    Topic(i)->Value = static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                                                static_cast<std::uint32_t>(b[2]) << 16 |
                                                static_cast<std::uint32_t>(b[3]) << 24);
    Topic(i)->Flag = b[4];
  }
}

void TTopicsList::WriteOptions(TStream* Stream) {
  for (int i = 0; i < Count(); ++i) {
    const auto v = static_cast<std::uint32_t>(Topic(i)->Value);
    std::uint8_t b[5] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                         static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24), Topic(i)->Flag};
    Stream->WriteBuffer(b, 5);
  }
}

// ---- TGuideDlgOptions ----

TGuideDlgOptions::TGuideDlgOptions() : FIcon(std::make_unique<TIcon>()), FTopics(std::make_unique<TTopicsList>()) {
  FIcon->OnChange = [this](TObject*) { Changed(); };
  FTopics->OnChange = [this](TObject*) { Changed(); };
}

TGuideDlgOptions::~TGuideDlgOptions() {
  FIcon->OnChange = nullptr;
  FTopics->OnChange = nullptr;
}

void TGuideDlgOptions::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TGuideDlgOptions*>(Source);
  if (!s) return TBalloonOptionsBase::Assign(Source);
  FVisibleButtons = s->FVisibleButtons;
  FAcceptRequest = s->FAcceptRequest;
  FRequestResult = s->FRequestResult;
  FTitle = s->FTitle;
  FRequest = s->FRequest;
  FDescription = s->FDescription;
  FIcon->Assign(s->FIcon.get());
  FTopics->Assign(s->FTopics.get());
  Changed();
}

// ---- THintDlgOptions ----

THintDlgOptions::THintDlgOptions() : FIcon(std::make_unique<TIcon>()), FTopics(std::make_unique<TTopicsList>()) {
  FIcon->OnChange = [this](TObject*) { Changed(); };
  FTopics->OnChange = [this](TObject*) { Changed(); };
}

THintDlgOptions::~THintDlgOptions() {
  FIcon->OnChange = nullptr;
  FTopics->OnChange = nullptr;
}

void THintDlgOptions::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<THintDlgOptions*>(Source);
  if (!s) return TBalloonOptionsBase::Assign(Source);
  FTitle = s->FTitle;
  FDescription = s->FDescription;
  FIcon->Assign(s->FIcon.get());
  FTopics->Assign(s->FTopics.get());
  Changed();
}
