#include "assistant/balloon.h"

#include <algorithm>

#include "assistant/director.h"
#include "assistant/stage.h"
#include "classlib/windows/application.h"
#include "classlib/core/finally.h"
#include "classlib/core/messages.h"
#include "classlib/core/monitors.h"
#include "classlib/core/unicode.h"

HX_PUBLISH(TAssistantBalloon, p) {
  p.Field("ClientPanel", &TAssistantBalloon::ClientPanel);
  p.Field("Msg", &TAssistantBalloon::Msg);
  p.Field("Icon", &TAssistantBalloon::Icon);
  p.Field("DividerTop", &TAssistantBalloon::DividerTop);
  p.Field("DividerBottom", &TAssistantBalloon::DividerBottom);
  p.Field("TopicsPanel", &TAssistantBalloon::TopicsPanel);
  p.Field("Title", &TAssistantBalloon::Title);
  p.Field("CheckBox", &TAssistantBalloon::CheckBox);
  p.Field("InputBoxBorder", &TAssistantBalloon::InputBoxBorder);
  p.Field("InputBox", &TAssistantBalloon::InputBox);
  p.Handler("CheckBoxClick", &TAssistantBalloon::CheckBoxClick);
  p.Handler("InputBoxChange", &TAssistantBalloon::InputBoxChange);
  p.Handler("InputBoxKeyPress", &TAssistantBalloon::InputBoxKeyPress);
}

namespace {

constexpr UINT_PTR ZoomTimer = 1970, CloseTimer = 1999;
constexpr int Margin = 7;

// Captions of the tables (the message dialog's in the order of TMsgDlgBtn).
const char* const MessageCaptions[] = {"&Да",         "&Нет", "&OK",         "Отмена",      "&Прервать", "П&овторить",
                                       "&Игнорировать", "Все",  "Нет ко всем", "Да для всех", "По&мощь"};
const TModalResult MessageResults[] = {mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrAll, mrNoToAll,
                                       mrYesToAll, mrNone};
const char* const TipsCaptions[] = {"Закрыть", "&Следующий", "&Предыдущий"};
const char* const GuideCaptions[] = {"Закрыть", "&Опции", "&Советы", "&Поиск"};
const char* const PreviousPageCaption = "См. предыдущие...";
const char* const NextPageCaption = "См. дальше...";
const char* const InputCaptions[] = {"&OK", "Отмена"};

HRGN EmptyRegion() { return CreateRectRgn(0, 0, 0, 0); }

}  // namespace

TAssistantBalloon::TAssistantBalloon(TComponent* AOwner)
    : TForm(AOwner),
      FBalloon(std::make_unique<TBalloonOptions>()),
      FMsgDlg(std::make_unique<TMsgDlgOptions>()),
      FTipsDlg(std::make_unique<TTipsDlgOptions>()),
      FGuideDlg(std::make_unique<TGuideDlgOptions>()),
      FHintDlg(std::make_unique<THintDlgOptions>()) {
  for (TBalloonOptionsBase* o : std::initializer_list<TBalloonOptionsBase*>{
           FBalloon.get(), FMsgDlg.get(), FTipsDlg.get(), FGuideDlg.get(), FHintDlg.get()})
    o->OnChange = [this] { OptionsChanged(); };
  FMessageButtons.assign(11, nullptr);
  FTipsButtons.assign(3, nullptr);
  FGuideButtons.assign(4, nullptr);
  FInputButtons.assign(2, nullptr);
}

TAssistantBalloon::~TAssistantBalloon() {
  for (TBalloonOptionsBase* o : std::initializer_list<TBalloonOptionsBase*>{
           FBalloon.get(), FMsgDlg.get(), FTipsDlg.get(), FGuideDlg.get(), FHintDlg.get()})
    o->OnChange = nullptr;
  if (HandleAllocated()) {
    KillTimer(GetHandle(), ZoomTimer);
    KillTimer(GetHandle(), CloseTimer);
  }
  if (FShape) DeleteObject(FShape);
}

void TAssistantBalloon::AfterConstruction() {
  TForm::AfterConstruction();
  SetColor(FBalloon->GetColor());
  GetFont()->Assign(FBalloon->GetFont());
  SetMode(bmPlain);
}

void TAssistantBalloon::Notification(TComponent* AComponent, TOperation Operation) {
  TForm::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  auto forget = [AComponent](std::vector<TOffice97Button*>& list) {
    for (auto& b : list)
      if (b == AComponent) b = nullptr;
  };
  forget(FMessageButtons);
  forget(FTipsButtons);
  forget(FGuideButtons);
  forget(FInputButtons);
  forget(FTopicButtons);
  if (AComponent == FHintOk) FHintOk = nullptr;
  if (AComponent == FPrevPage) FPrevPage = nullptr;
  if (AComponent == FNextPage) FNextPage = nullptr;
  if (AComponent == FFocusOnShow) FFocusOnShow = nullptr;
}

void TAssistantBalloon::OptionsChanged() {
  if (FLayingOut || ComponentState().Contains(csDestroying)) return;
  SetColor(FBalloon->GetColor());
  GetFont()->Assign(FBalloon->GetFont());
  if (FMode == bmGuide) FreeButtons(FGuideButtons);  // rebuilt for the look and the buttons
  LayoutMode();
}

// ---- measures ----

TAssistantBalloon::TMeasures TAssistantBalloon::Measures() {
  const int h = TextHeight(FBalloon->GetFont(), "H", 0);
  return {std::max(20, h + 10), h, FBalloon->GetOffice2000Look() ? 13 : 26};
}

int TAssistantBalloon::TextWidth(TFont* Font, const String& Text) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->GetHandle());
  std::wstring w = Utf8ToWide(Text);
  SIZE s{};
  GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &s);
  SelectObject(dc, old);
  DeleteDC(dc);
  return s.cx;
}

int TAssistantBalloon::TextHeight(TFont* Font, const String& Text, int Width) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->GetHandle());
  std::wstring w = Utf8ToWide(Text);
  RECT r{0, 0, Width > 0 ? Width : 10000, 0};
  UINT flags = DT_CALCRECT | DT_NOPREFIX | (Width > 0 ? DT_WORDBREAK : DT_SINGLELINE);
  DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), &r, flags);
  SelectObject(dc, old);
  DeleteDC(dc);
  return r.bottom - r.top;
}

int TAssistantBalloon::CommandWidth(const std::vector<String>& Captions) {
  int widest = 0;
  for (const String& c : Captions)
    widest = std::max({widest, TextWidth(FBalloon->GetFont(), c), TextWidth(FBalloon->GetHoverFont(), c)});
  return std::max(58, widest + Measures().Extra);
}

void TAssistantBalloon::StyleButton(TOffice97Button* Button) {
  Button->SetOffice2000Look(FBalloon->GetOffice2000Look());
  Button->SetColor(FBalloon->GetColor());
  Button->SetFont(FBalloon->GetFont());
  Button->SetHoverFont(FBalloon->GetHoverFont());
}

TOffice97Button* TAssistantBalloon::MakeButton(TWinControl* Parent, const String& Caption, std::function<void()> Click) {
  auto* b = new TOffice97Button(this);
  b->SetVisible(false);
  b->SetParent(Parent);
  b->SetCaption(Caption);
  StyleButton(b);
  b->OnClick = [this, Click](TObject*) {
    if (OnControlClick) OnControlClick(this);
    Click();
  };
  return b;
}

void TAssistantBalloon::FreeButtons(std::vector<TOffice97Button*>& Buttons) {
  for (auto& b : Buttons) {
    delete b;
    b = nullptr;
  }
}

TOffice97Button* TAssistantBalloon::FindButton(const String& Caption) const {
  for (const auto* list : {&FMessageButtons, &FTipsButtons, &FGuideButtons, &FInputButtons})
    for (TOffice97Button* b : *list)
      if (b && b->GetCaption() == Caption) return b;
  if (FHintOk && FHintOk->GetCaption() == Caption) return FHintOk;
  return nullptr;
}

// ---- layouts ----

void TAssistantBalloon::HidePanelControls() {
  for (int i = 0; i < ClientPanel->ControlCount(); ++i) ClientPanel->Controls(i)->SetVisible(false);
}

void TAssistantBalloon::SetMode(int Mode) {
  if (Mode == FMode) return;
  FMode = Mode;
  HidePanelControls();
  LayoutMode();
}

void TAssistantBalloon::SetText(const String& Value) {
  FText = Value;
  LayoutMode();
}

void TAssistantBalloon::SetThoughtCloud(bool Value) {
  if (Value == FThought) return;
  FThought = Value;
  if (FShown) Place();
}

void TAssistantBalloon::SetFixedPosition(bool Fixed, TPoint At) {
  FFixed = Fixed;
  FFixedAt = At;
  if (FShown) Place();
}

int TAssistantBalloon::TextBlock(int TextWidthValue, TGraphic* IconPicture, const String& TitleText, const String& Text) {
  int iw = 0, ih = 0;
  if (IconPicture && !IconPicture->Empty()) {
    Icon->GetPicture()->Assign(IconPicture);
    iw = IconPicture->GetWidth();
    ih = IconPicture->GetHeight();
    Icon->SetBounds(Margin, Margin, iw, ih);
    Icon->Show();
  } else {
    Icon->Hide();
  }
  int textTop = iw ? Margin + ih + 10 : Margin;
  if (!TitleText.empty()) {
    TFont bold;
    bold.Assign(FBalloon->GetFont());
    bold.SetStyle(bold.GetStyle() + TFontStyles{fsBold});
    Title->GetFont()->Assign(&bold);
    const int x = iw ? Margin + iw + Margin : Margin;
    const int w = TextWidthValue - (iw ? iw + Margin : 0);
    const int h = TextHeight(&bold, TitleText, w);
    const int top = std::max(Margin, Margin + ih - h);  // its bottom on the icon's when that is taller
    Title->SetCaption(TitleText);
    Title->SetBounds(x, top, w, h);
    Title->Show();
    textTop = top + h + 14;
  } else {
    Title->Hide();
  }
  ClientPanel->SetWidth(TextWidthValue + 2 * Margin);
  if (Text.empty()) {
    Msg->Hide();
    return textTop;
  }
  Msg->GetFont()->Assign(FBalloon->GetFont());
  const int h = TextHeight(FBalloon->GetFont(), Text, TextWidthValue);
  Msg->SetCaption(Text);
  Msg->SetBounds(Margin, textTop, TextWidthValue, h);
  Msg->Show();
  return textTop + h;
}

void TAssistantBalloon::LayoutMode() {
  if (!ClientPanel || FMode < 0) return;
  if (OnBeforeLayout) OnBeforeLayout(this);
  FLayingOut = true;
  struct TDone {
    bool& Flag;
    ~TDone() { Flag = false; }
  } done{FLayingOut};
  FFocusOnShow = nullptr;
  // Controls of other modes stay hidden.
  auto showOnly = [](const std::vector<TOffice97Button*>& list, bool on) {
    for (TOffice97Button* b : list)
      if (b && !on) b->Hide();
  };
  showOnly(FMessageButtons, FMode == bmMessage || FMode == bmMessageNoCheck || FMode == bmMessageNoCheck2);
  showOnly(FTipsButtons, FMode == bmTips);
  showOnly(FGuideButtons, FMode == bmGuide);
  showOnly(FInputButtons, FMode == bmInput);
  if (FHintOk && FMode != bmHint) FHintOk->Hide();
  if (FMode != bmHint && FMode != bmGuide) TopicsPanel->Hide();
  if (FMode != bmGuide && FMode != bmInput) {
    InputBox->Hide();
    InputBoxBorder->Hide();
  }
  switch (FMode) {
    case bmPlain: LayoutPlain(); break;
    case bmMessage:
    case bmMessageNoCheck:
    case bmMessageNoCheck2: LayoutMessage(); break;
    case bmTips: LayoutTips(); break;
    case bmHint: LayoutHint(); break;
    case bmGuide: LayoutGuide(); break;
    case bmInput: LayoutInput(); break;
    case bmUserPanel: LayoutUserPanel(); break;
  }
  if (UseRightToLeftAlignment()) ClientPanel->FlipChildren();
  if (FShown && !FHeldBack) Place();
}

void TAssistantBalloon::LayoutPlain() {
  const int y = TextBlock(161, nullptr, "", FText);
  DividerTop->Hide();
  DividerBottom->Hide();
  CheckBox->Hide();
  ClientPanel->SetHeight(y + Margin);
}

void TAssistantBalloon::LayoutMessage() {
  const TMeasures m = Measures();
  std::vector<String> captions;
  for (int i = 0; i < 11; ++i)
    if (FMsgButtons.Contains(static_cast<TMsgDlgBtn>(i))) captions.push_back(MessageCaptions[i]);
  const int width = CommandWidth(captions);
  const int count = static_cast<int>(captions.size());
  const int row = count ? (width + Margin) * count - Margin : 0;
  const bool check = FMode == bmMessage && FMsgDlg->GetCheckBox()->GetVisible();
  TCheckBoxOptions* cb = FMsgDlg->GetCheckBox();
  const int checkWidth = check ? TextWidth(FBalloon->GetFont(), cb->GetCaption()) + 20 : 0;
  const int textWidth = std::max({161, row, checkWidth});
  TIcon* icon = FMsgDlg->GetCustomIcon();
  int y = TextBlock(textWidth, icon, FMsgDlg->GetTitle(), FText);
  const int panelWidth = textWidth + 2 * Margin;
  DividerTop->Hide();
  if (check) {
    CheckBox->SetCaption(cb->GetCaption());
    CheckBox->SetHint(cb->GetHint());
    CheckBox->SetAllowGrayed(cb->GetAllowGrayed());
    CheckBox->OnClick = nullptr;  // no write-back while it is set from the options
    CheckBox->SetState(cb->GetState());
    CheckBox->OnClick = [this](TObject* s) { CheckBoxClick(s); };
    CheckBox->SetEnabled(cb->GetEnabled());
    CheckBox->SetBounds(Margin, y + Margin, checkWidth, 17);
    CheckBox->Show();
    y = CheckBox->GetTop() + CheckBox->GetHeight();
  } else {
    CheckBox->Hide();
  }
  DividerBottom->SetBounds(Margin, y + Margin, panelWidth - 2 * Margin, 1);
  DividerBottom->Show();
  y = DividerBottom->GetTop() + 1 + Margin;
  // The row: the default button focused, the cancel-role button clicked by Escape.
  int def = FMsgDefault;
  if (def < 0 || !FMsgButtons.Contains(static_cast<TMsgDlgBtn>(def)))
    def = FMsgButtons.Contains(mbOK) ? mbOK : FMsgButtons.Contains(mbYes) ? mbYes : FMsgButtons.Contains(mbRetry) ? mbRetry : -1;
  const int cancel = FMsgButtons.Contains(mbCancel) ? mbCancel
                     : FMsgButtons.Contains(mbNo)   ? mbNo
                     : FMsgButtons.Contains(mbOK)   ? mbOK
                                                    : -1;
  int x = (panelWidth - row) / 2;
  for (int i = 0; i < 11; ++i) {
    TOffice97Button*& b = FMessageButtons[static_cast<std::size_t>(i)];
    if (!FMsgButtons.Contains(static_cast<TMsgDlgBtn>(i))) {
      delete b;
      b = nullptr;
      continue;
    }
    if (!b) b = MakeButton(ClientPanel, MessageCaptions[i], [this, i] { MessageButtonClick(i); });
    StyleButton(b);
    b->SetDefault(i == def);
    b->SetCancel(i == cancel);
    b->SetEnabled(i != mbHelp || FHelpContext != 0);
    b->SetBounds(x, y, width, m.ButtonHeight);
    b->Show();
    if (i == def) FFocusOnShow = b;
    x += width + Margin;
  }
  ClientPanel->SetHeight(y + m.ButtonHeight + Margin);
}

void TAssistantBalloon::MessageButtonClick(int Index) {
  if (Index == mbHelp) {
    GetApplication()->RequestHelpContext(FHelpContext);
    return;
  }
  SetModalResult(MessageResults[Index]);
  if (!FModal) CloseBalloon();
}

void TAssistantBalloon::LayoutTips() {
  const TMeasures m = Measures();
  TTipsButtons visible = FTipsDlg->GetVisibleButtons();
  std::vector<String> captions;
  for (int i = 0; i < 3; ++i)
    if (visible.Contains(static_cast<TTipsButton>(i))) captions.push_back(TipsCaptions[i]);
  const int width = CommandWidth(captions);
  const int count = static_cast<int>(captions.size());
  const int row = count ? (width + Margin) * count - Margin : 0;
  TBitmap tipsIcon;
  tipsIcon.LoadFromResourceName(nullptr, "BALLOONTIPS");
  tipsIcon.SetTransparent(true);
  const int index = FTipsDlg->GetTipIndex();
  String tip = index >= 0 && index < FTipsDlg->GetTips()->Count() ? FTipsDlg->GetTips()->Get(index) : String();
  // Spaces before the text make room for the icon on its first line.
  const int space = std::max(1, TextWidth(FBalloon->GetFont(), " "));
  tip = String(static_cast<std::size_t>((tipsIcon.GetWidth() + 3 + space - 1) / space), ' ') + tip;
  const int textWidth = std::max(466, row);
  Title->Hide();
  const int h = TextHeight(FBalloon->GetFont(), tip, textWidth);
  const int iconTop = Margin + std::max(0, (m.LineHeight - tipsIcon.GetHeight()) / 2);
  const int textTop = Margin + std::max(0, (tipsIcon.GetHeight() - m.LineHeight) / 2);
  Icon->GetPicture()->Assign(&tipsIcon);
  Icon->SetBounds(Margin, iconTop, tipsIcon.GetWidth(), tipsIcon.GetHeight());
  Icon->Show();
  Msg->GetFont()->Assign(FBalloon->GetFont());
  Msg->SetCaption(tip);
  Msg->SetBounds(Margin, textTop, textWidth, h);
  Msg->Show();
  ClientPanel->SetWidth(textWidth + 2 * Margin);
  int y = std::max(textTop + h, iconTop + tipsIcon.GetHeight()) + Margin;
  DividerTop->Hide();
  DividerBottom->Hide();
  CheckBox->Hide();
  const bool rtl = UseRightToLeftAlignment();
  const int panelWidth = textWidth + 2 * Margin;
  int x = rtl ? Margin : panelWidth - Margin - width;
  for (int i = 0; i < 3; ++i) {
    TOffice97Button*& b = FTipsButtons[static_cast<std::size_t>(i)];
    if (!visible.Contains(static_cast<TTipsButton>(i))) {
      delete b;
      b = nullptr;
      continue;
    }
    if (!b)
      b = MakeButton(ClientPanel, TipsCaptions[i], [this, i] {
        if (i == 0) {
          CloseBalloon();
          return;
        }
        FTipsDlg->SetTipIndex(FTipsDlg->GetTipIndex() + (i == 1 ? 1 : -1));
        if (FTipsDlg->OnTipsTipChange) FTipsDlg->OnTipsTipChange(this);
      });
    StyleButton(b);
    const int n = FTipsDlg->GetTips()->Count();
    if (i == 1) b->SetEnabled(index < n - 1);
    if (i == 2) b->SetEnabled(index >= 1);
    b->SetBounds(x, y, width, m.ButtonHeight);
    b->Show();
    x += rtl ? width + Margin : -(width + Margin);
  }
  ClientPanel->SetHeight(y + m.ButtonHeight + Margin);
  // The mirror of the whole panel would undo the row's own order.
  if (rtl) ClientPanel->FlipChildren();
}

TOffice97Button* TAssistantBalloon::TopicButton(int Index) {
  while (static_cast<int>(FTopicButtons.size()) <= Index) FTopicButtons.push_back(nullptr);
  TOffice97Button*& b = FTopicButtons[static_cast<std::size_t>(Index)];
  if (!b) {
    b = new TOffice97Button(this);
    b->SetVisible(false);
    b->SetParent(TopicsPanel);
  }
  return b;
}

int TAssistantBalloon::LayoutTopics(bool Guide, int Y, int Budget) {
  const TMeasures m = Measures();
  TTopicsList* topics = Guide ? FGuideDlg->GetTopics() : FHintDlg->GetTopics();
  const int mode = Guide ? bmGuide : bmHint;
  if (FTopicsMode != mode) {  // another list: back to its first page
    FTopicsMode = mode;
    FFirstTopic = 0;
    FPageStarts.clear();
    FTopicsHeight = 0;
  }
  if (!FPrevPage) {
    FPrevPage = MakeButton(TopicsPanel, PreviousPageCaption, [this] { PreviousPage(); });
    FPrevPage->SetControlType(bsUpButton);
    FNextPage = MakeButton(TopicsPanel, NextPageCaption, [this] { NextPage(); });
    FNextPage->SetControlType(bsDownButton);
  }
  for (TOffice97Button* b : {FPrevPage, FNextPage}) {
    StyleButton(b);
    b->SetShowGlyph(true);
  }
  const int count = topics->Count();
  if (count == 0) {
    TopicsPanel->Hide();
    FShownTopics = 0;
    return Y;
  }
  if (FFirstTopic >= count) FFirstTopic = 0;
  const int pw = ClientPanel->GetWidth() - 2 * Margin;
  TopicsPanel->SetBounds(Margin, Y, pw, std::max(1, FTopicsHeight));
  TopicsPanel->SetColor(FBalloon->GetColor());
  int t = 0;
  if (FFirstTopic > 0) {
    FPrevPage->SetWidth(pw);
    FPrevPage->AdjustHeight();
    FPrevPage->SetBounds(0, 0, pw, FPrevPage->GetHeight());
    FPrevPage->SetTabOrder(0);
    FPrevPage->Show();
    t += FPrevPage->GetHeight() + (Guide ? 8 : 7);
  } else {
    FPrevPage->Hide();
  }
  int i = FFirstTopic, shown = 0;
  for (; i < count; ++i) {
    TOffice97Button* b = TopicButton(i);
    TTopicOptions* topic = topics->Topic(i);
    b->SetOffice2000Look(FBalloon->GetOffice2000Look());
    b->SetColor(FBalloon->GetColor());
    b->SetControlType(Guide && !FGuideDlg->GetRequestResult() ? bsHintButton : bsRadioButton);
    b->SetWordWrap(true);
    b->SetCaption(topics->Get(i));
    TFontStyles styles, hover;
    if (topic->Flag & 2) styles.Include(fsUnderline);
    if (topic->Flag & 4) styles.Include(fsBold);
    if (topic->Flag & 8) styles.Include(fsItalic);
    hover = styles;
    if (topic->Flag & 16) hover.Include(fsUnderline);
    if (topic->Flag & 32) hover.Include(fsBold);
    if (topic->Flag & 64) hover.Include(fsItalic);
    b->GetFont()->Assign(FBalloon->GetFont());
    b->GetFont()->SetStyle(FBalloon->GetFont()->GetStyle() + styles);
    b->GetHoverFont()->Assign(FBalloon->GetFont());
    b->GetHoverFont()->SetStyle(FBalloon->GetFont()->GetStyle() + hover);
    b->SetTag(i);
    b->SetWidth(pw);
    if (!topic->IsHeading()) {
      b->SetCursor(crHandPoint);
      b->OnClick = [this, i](TObject*) {
        if (OnControlClick) OnControlClick(this);
        TopicClicked(i);
      };
      b->SetShowGlyph(true);
      b->SetEnabled(true);
      b->SetTabStop(true);
      b->AdjustHeight();
    } else {
      b->SetCursor(crDefault);
      b->OnClick = nullptr;
      b->SetShowGlyph(false);
      b->SetEnabled(false);
      b->SetInactiveColor(Guide ? FBalloon->GetFont()->GetColor() : clBlack);
      b->SetTabStop(false);
      b->AdjustHeight();
      b->SetHeight(MulDiv(b->GetHeight(), 120, 100));
    }
    const int h = b->GetHeight();
    if (shown > 0 && !(t + h < Budget - m.ButtonHeight)) break;
    b->SetBounds(0, t, pw, h);
    if (Guide) b->SetTabOrder(shown + 1);
    b->Show();
    t += h + 7;
    ++shown;
  }
  for (std::size_t k = 0; k < FTopicButtons.size(); ++k)
    if (FTopicButtons[k] && (static_cast<int>(k) < FFirstTopic || static_cast<int>(k) >= FFirstTopic + shown))
      FTopicButtons[k]->Hide();
  FShownTopics = shown;
  if (i < count) {
    FNextPage->SetWidth(pw);
    FNextPage->AdjustHeight();
    const int nh = FNextPage->GetHeight();
    if (FFirstTopic > 0) t = std::max(t, FTopicsHeight - (nh + 7));
    FNextPage->SetBounds(0, t, pw, nh);
    FNextPage->SetTabOrder(shown + 1);
    FNextPage->Show();
    t += nh + 7;
  } else {
    FNextPage->Hide();
    if (FFirstTopic > 0) t = std::max(t, FTopicsHeight);
  }
  FTopicsHeight = t;
  TopicsPanel->SetHeight(t);
  TopicsPanel->Show();
  return Y + t;
}

void TAssistantBalloon::NextPage() {
  TTopicsList* topics = FMode == bmGuide ? FGuideDlg->GetTopics() : FHintDlg->GetTopics();
  if (FFirstTopic + FShownTopics >= topics->Count()) return;
  FPageStarts.push_back(FFirstTopic);
  FFirstTopic += FShownTopics;
  LayoutMode();
  if (FFirstTopic + FShownTopics >= topics->Count() && FPrevPage && FPrevPage->CanFocus()) FPrevPage->SetFocus();
}

void TAssistantBalloon::PreviousPage() {
  if (FPageStarts.empty()) return;
  FFirstTopic = FPageStarts.back();
  FPageStarts.pop_back();
  LayoutMode();
  if (FFirstTopic == 0 && FNextPage && FNextPage->CanFocus()) FNextPage->SetFocus();
}

void TAssistantBalloon::TopicClicked(int Index) {
  const bool guide = FMode == bmGuide;
  TTopicsList* topics = guide ? FGuideDlg->GetTopics() : FHintDlg->GetTopics();
  if (Index < 0 || Index >= topics->Count()) return;
  TTopicOptions* topic = topics->Topic(Index);
  const int id = topic->Value >= 0 ? topic->Value : Index;
  if (FModal) {
    SetModalResult(id);
    return;
  }
  if (topic->OnClick) topic->OnClick(this, id);
  else if (guide && FGuideDlg->OnGuideTopicClick) FGuideDlg->OnGuideTopicClick(this, id);
  else if (!guide && FHintDlg->OnHintTopicClick) FHintDlg->OnHintTopicClick(this, id);
}

void TAssistantBalloon::LayoutHint() {
  const TMeasures m = Measures();
  const int okWidth = CommandWidth({InputCaptions[0]});
  if (!FHintOk) {
    FHintOk = MakeButton(ClientPanel, InputCaptions[0], [this] { CloseBalloon(); });
    FHintOk->SetCancel(true);
  }
  StyleButton(FHintOk);
  const int textWidth = std::max(146, okWidth);
  int y = TextBlock(textWidth, FHintDlg->GetIcon(), FHintDlg->GetTitle(), FHintDlg->GetDescription()) + Margin;
  const int panelWidth = textWidth + 2 * Margin;
  DividerTop->Hide();
  CheckBox->Hide();
  const int budget = GetSystemMetrics(SM_CYSCREEN) * 3 / 5 - y - (m.ButtonHeight + 28);
  y = LayoutTopics(false, y, budget);
  DividerBottom->SetBounds(Margin, y, panelWidth - 16, 1);
  DividerBottom->Show();
  y += 1 + Margin;
  FHintOk->SetBounds((panelWidth - okWidth) / 2, y, okWidth, m.ButtonHeight);
  FHintOk->Show();
  FFocusOnShow = FHintOk;
  y += m.ButtonHeight + Margin;
  ClientPanel->SetHeight(y);
}

void TAssistantBalloon::LayoutGuide() {
  const TMeasures m = Measures();
  const bool newer = FBalloon->GetOffice2000Look();
  TGuideButtons visible = FGuideDlg->GetVisibleButtons();
  const bool accept = FGuideDlg->GetAcceptRequest();
  // Which buttons exist, and which of them form the command row.
  bool exists[4] = {!newer && visible.Contains(gbClose), visible.Contains(gbOptions), !newer && visible.Contains(gbTips),
                    visible.Contains(gbSearch) && accept};
  bool inRow[4] = {exists[0], exists[1], exists[2], newer && exists[3]};
  std::vector<String> rowCaptions;
  int rowCount = 0;
  for (int i = 0; i < 4; ++i)
    if (inRow[i]) {
      rowCaptions.push_back(GuideCaptions[i]);
      ++rowCount;
    }
  const int width = CommandWidth(rowCaptions);
  for (int i = 0; i < 4; ++i) {
    TOffice97Button*& b = FGuideButtons[static_cast<std::size_t>(i)];
    if (!exists[i]) {
      delete b;
      b = nullptr;
      continue;
    }
    if (!b)
      b = MakeButton(ClientPanel, GuideCaptions[i], [this, i] {
        switch (i) {
          case 0: CloseBalloon(); break;
          case 1:
            CloseBalloon();
            if (FGuideDlg->OnGuideOptionsClick) FGuideDlg->OnGuideOptionsClick(this);
            break;
          case 2: ShowTips(); break;
          case 3: Search(); break;
        }
      });
    StyleButton(b);
  }
  // 1. The text block.
  const int textWidth = std::max(156, rowCount ? (width + Margin) * rowCount - Margin : 0);
  InputBox->OnChange = nullptr;
  InputBox->SetText(FGuideDlg->GetRequest());
  InputBox->OnChange = [this](TObject* s) { InputBoxChange(s); };
  InputBoxBorder->GetPen()->SetColor(newer ? static_cast<TColor>(12632256) : clBlack);
  int y = TextBlock(textWidth, FGuideDlg->GetIcon(), FGuideDlg->GetTitle(), FGuideDlg->GetDescription()) + Margin;
  const int panelWidth = textWidth + 2 * Margin;
  CheckBox->Hide();
  // 2. The page budget.
  const int requestHeight = 2 * m.LineHeight + 4;
  int budget = GetSystemMetrics(SM_CYSCREEN) * 3 / 5 - y;
  if (accept) {
    budget -= requestHeight + 18;
    if (!newer && exists[3]) budget -= m.ButtonHeight + 28;
  }
  if (rowCount) budget -= m.ButtonHeight + 14 + (newer ? 0 : 14);
  // 3, 4. The topics.
  y = LayoutTopics(true, y, budget);
  // 5. Older look: a divider above the request line.
  const bool above = FShownTopics > 0 || Icon->GetVisible() || Title->GetVisible() || Msg->GetVisible();
  if (!newer && accept && above) {
    DividerTop->SetBounds(Margin, y, panelWidth - 2 * Margin, 1);
    DividerTop->Show();
    y += 1 + Margin;
  } else {
    DividerTop->Hide();
  }
  // 6. The request line.
  if (accept) {
    InputBoxBorder->SetBounds(Margin, y, panelWidth - 2 * Margin, requestHeight);
    InputBox->SetBounds(Margin + 1, y + 2, panelWidth - 2 * Margin - 2, 2 * m.LineHeight);
    InputBoxBorder->Show();
    InputBox->Show();
    y += requestHeight + Margin;
  } else {
    InputBoxBorder->Hide();
    InputBox->Hide();
  }
  // 7. The buttons.
  TOffice97Button* options = FGuideButtons[1];
  TOffice97Button* search = FGuideButtons[3];
  if (newer) {
    DividerBottom->Hide();
    if (search) {
      search->SetBounds(rowCount == 2 ? panelWidth - width - Margin : (panelWidth - width) / 2, y, width, m.ButtonHeight);
      search->Show();
    }
    if (options) {
      options->SetBounds(rowCount == 2 ? Margin : (panelWidth - width) / 2, y, width, m.ButtonHeight);
      options->Show();
    }
    if (rowCount) y += m.ButtonHeight + Margin;
  } else {
    if (search) {
      TFont bold;
      bold.Assign(FBalloon->GetFont());
      bold.SetStyle(bold.GetStyle() + TFontStyles{fsBold});
      const int w = TextWidth(FBalloon->GetFont(), GuideCaptions[3]) + 2 * m.Extra;
      search->GetFont()->Assign(&bold);
      search->GetHoverFont()->Assign(&bold);
      search->SetBounds((panelWidth - w) / 2, y, w, m.ButtonHeight);
      search->Show();
      y += m.ButtonHeight + Margin;
    }
    if (rowCount) {
      DividerBottom->SetBounds(Margin, y, panelWidth - 16, 1);
      DividerBottom->Show();
      y += 1 + Margin;
      const int row = (width + Margin) * rowCount - Margin;
      int x = (panelWidth - row) / 2;
      for (int i : {2, 1, 0}) {  // Tips, Options, Close
        TOffice97Button* b = FGuideButtons[static_cast<std::size_t>(i)];
        if (!b) continue;
        b->SetBounds(x, y, width, m.ButtonHeight);
        b->Show();
        x += width + Margin;
      }
      y += m.ButtonHeight + Margin;
    } else {
      DividerBottom->Hide();
    }
  }
  ClientPanel->SetHeight(y);
  // 8. Button states.
  bool optionsOn = static_cast<bool>(FGuideDlg->OnGuideOptionsClick);
  bool searchOn = static_cast<bool>(FGuideDlg->OnGuideSearchClick);
  if (FGuideDlg->OnGuideGetBtnStates) FGuideDlg->OnGuideGetBtnStates(this, optionsOn, searchOn);
  if (options) options->SetEnabled(optionsOn);
  if (search) search->SetEnabled(searchOn);
  if (FGuideButtons[2]) FGuideButtons[2]->SetEnabled(FTipsDlg->GetTips()->Count() > 0);
  if (accept) {
    InputBox->SelectAll();
    FFocusOnShow = InputBox;
  }
}

void TAssistantBalloon::Search() {
  if (!FGuideDlg->OnGuideSearchClick) return;
  HoldBack(true);
  TFinally release([this] { HoldBack(false); });
  FFirstTopic = 0;
  FPageStarts.clear();
  {
    TUpdateScope update(FGuideDlg->GetTopics());
    FGuideDlg->OnGuideSearchClick(this);
  }
  LayoutMode();
}

void TAssistantBalloon::LayoutInput() {
  const TMeasures m = Measures();
  const bool newer = FBalloon->GetOffice2000Look();
  const int width = CommandWidth({InputCaptions[0], InputCaptions[1]});
  const int textWidth = std::max(266, 2 * width + Margin);
  InputBoxBorder->GetPen()->SetColor(newer ? static_cast<TColor>(12632256) : clBlack);
  int y = TextBlock(textWidth, FMsgDlg->GetCustomIcon(), FMsgDlg->GetTitle(), FText) + Margin;
  const int panelWidth = textWidth + 2 * Margin;
  DividerTop->Hide();
  DividerBottom->Hide();
  CheckBox->Hide();
  InputBoxBorder->SetBounds(Margin, y, panelWidth - 2 * Margin, m.LineHeight + 4);
  InputBox->SetBounds(Margin + 1, y + 2, panelWidth - 2 * Margin - 2, m.LineHeight);
  InputBoxBorder->Show();
  InputBox->Show();
  y += m.LineHeight + 4 + Margin;
  for (int i = 0; i < 2; ++i) {
    TOffice97Button*& b = FInputButtons[static_cast<std::size_t>(i)];
    if (!b) {
      b = MakeButton(ClientPanel, InputCaptions[i], [this, i] {
        SetModalResult(i == 0 ? mrOk : mrCancel);
        if (!FModal) CloseBalloon();
      });
      b->SetCancel(i == 1);
    }
    StyleButton(b);
    b->SetBounds(i == 0 ? (panelWidth - m.Extra) / 2 - width : (panelWidth + m.Extra) / 2, y, width, m.ButtonHeight);
    b->Show();
  }
  ClientPanel->SetHeight(y + m.ButtonHeight + Margin);
  InputBox->SelectAll();
  FFocusOnShow = InputBox;
}

TPanel* TAssistantBalloon::UserPanel() const {
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* panel = dynamic_cast<TPanel*>(Components(i)); panel && panel != ClientPanel && panel != TopicsPanel)
      return panel;
  return nullptr;
}

void TAssistantBalloon::LayoutUserPanel() {
  TPanel* panel = UserPanel();
  Title->Hide();
  Msg->Hide();
  Icon->Hide();
  DividerTop->Hide();
  DividerBottom->Hide();
  CheckBox->Hide();
  if (!panel) return;
  if (panel->GetParent() != ClientPanel) {
    panel->SetParent(ClientPanel);
    if (OnAdjustCustomLabel)
      for (int i = 0; i < panel->ControlCount(); ++i)
        if (auto* label = dynamic_cast<TLabel*>(panel->Controls(i))) OnAdjustCustomLabel(this, label);
  }
  panel->SetBounds(0, 0, panel->GetWidth(), panel->GetHeight());
  panel->Show();
  ClientPanel->SetWidth(panel->GetWidth());
  ClientPanel->SetHeight(panel->GetHeight());
}

// ---- input ----

void TAssistantBalloon::CheckBoxClick(TObject*) {
  if (OnControlClick) OnControlClick(this);
  TCheckBoxOptions* cb = FMsgDlg->GetCheckBox();
  FLayingOut = true;  // the write-back lays nothing out again
  cb->SetState(CheckBox->GetState());
  FLayingOut = false;
}

void TAssistantBalloon::InputBoxChange(TObject*) {
  if (FMode != bmGuide) return;
  FGuideDlg->SetRequestQuietly(InputBox->GetText());
  if (FGuideDlg->OnGuideRequestChange) FGuideDlg->OnGuideRequestChange(this);
}

void TAssistantBalloon::InputBoxKeyPress(TObject*, wchar_t& Key) {
  if (Key != L'\r') return;
  Key = 0;
  if (FMode == bmGuide) {
    Search();
  } else if (FMode == bmInput && FInputButtons[0]) {
    FInputButtons[0]->Click();
  }
}

void TAssistantBalloon::EscapePressed() {
  const bool message = FMode == bmMessage || FMode == bmMessageNoCheck || FMode == bmMessageNoCheck2;
  for (const auto* list : {&FMessageButtons, &FInputButtons})
    for (TOffice97Button* b : *list)
      if (b && b->GetVisible() && b->GetCancel()) {
        b->Click();
        return;
      }
  if (message) return;  // no cancel-role button: refused
  SetModalResult(mrCancel);
  CloseBalloon();
}

// ---- placing ----

TRect TAssistantBalloon::WorkArea() const {
  std::vector<TMonitorInfo> monitors = ScreenMonitors();
  if (FFixed || !FStage || monitors.size() < 2 || !FStage->HandleAllocated()) return VirtualScreenRect();
  RECT r{};
  GetWindowRect(FStage->GetHandle(), &r);
  int i = MonitorOfRect({r.left, r.top, r.right, r.bottom});
  return i >= 0 ? monitors[static_cast<std::size_t>(i)].Bounds : VirtualScreenRect();
}

HRGN TAssistantBalloon::CopyShape() const {
  HRGN copy = EmptyRegion();
  if (FShape) CombineRgn(copy, FShape, nullptr, RGN_COPY);
  return copy;
}

void TAssistantBalloon::Place() {
  if (!ClientPanel) return;
  const int T = FThought ? CloudDepth : TailDepth;
  const int W = ClientPanel->GetWidth() + 7, H = ClientPanel->GetHeight() + 7;
  const TRect A = WorkArea();
  const bool stageShown = FStage && FStage->HandleAllocated() && FStage->IsStageShowing() &&
                          IsWindowVisible(FStage->GetHandle()) && FStage->GetWidth() > 0;
  TRect S{};
  if (stageShown) {
    RECT r{};
    GetWindowRect(FStage->GetHandle(), &r);
    S = {r.left, r.top, r.right, r.bottom};
  }
  int side = 0;
  if (!FFixed && stageShown) {
    const int spaceLeft = S.Left - A.Left, spaceAbove = S.Top - A.Top, spaceRight = A.Right - S.Right,
              spaceBelow = A.Bottom - S.Bottom;
    const int roomRightAligned = S.Right - A.Left, roomLeftAligned = A.Right - S.Left,
              roomBottomAligned = S.Bottom - A.Top, roomTopAligned = A.Bottom - S.Top;
    const bool rtl = UseRightToLeftAlignment();
    const bool beside = ((FMode == bmTips || H + T > spaceAbove) && W + T <= std::max(spaceLeft, spaceRight)) ||
                        H + T > std::max(spaceAbove, spaceBelow);
    if (beside) {
      const bool bottom = (roomTopAligned < roomBottomAligned && roomTopAligned < H) || S.Top < 0;
      const bool right = !rtl ? !(spaceRight < spaceLeft && spaceRight < W + T)
                              : (spaceLeft < spaceRight && spaceLeft < W + T);
      side = right ? (bottom ? 4 : 3) : (bottom ? 7 : 8);
    } else {
      const bool below = spaceAbove < spaceBelow && spaceAbove < H + T;
      const bool leftAligned = !rtl ? !(roomLeftAligned < roomRightAligned && roomLeftAligned < W)
                                    : (roomRightAligned < roomLeftAligned && roomRightAligned < W);
      side = below ? (leftAligned ? 6 : 5) : (leftAligned ? 1 : 2);
    }
  }
  FSide = side;
  TRect bounds;
  switch (side) {
    case 1: bounds = Bounds(S.Left, S.Top - (H + T) + 5, W, H + T); break;
    case 2: bounds = Bounds(S.Right - W, S.Top - (H + T) + 5, W, H + T); break;
    case 3: bounds = Bounds(S.Right - 5, S.Top, W + T, H); break;
    case 4: bounds = Bounds(S.Right - 5, S.Bottom - H, W + T, H); break;
    case 5: bounds = Bounds(S.Right - W, S.Bottom - 5, W, H + T); break;
    case 6: bounds = Bounds(S.Left, S.Bottom - 5, W, H + T); break;
    case 7: bounds = Bounds(S.Left - (W + T) + 5, S.Bottom - H, W + T, H); break;
    case 8: bounds = Bounds(S.Left - (W + T) + 5, S.Top, W + T, H); break;
    default: {
      if (FFixed) {
        bounds = Bounds(FFixedAt.X, FFixedAt.Y, W, H);
      } else {
        std::vector<TMonitorInfo> monitors = ScreenMonitors();
        TRect work = monitors.empty() ? A : monitors[0].WorkArea;
        bounds = Bounds(work.Left + (work.Width() - W) / 2, work.Top + (work.Height() - H) / 2, W, H);
      }
    }
  }
  const int bx = (side == 3 || side == 4) ? T : 0, by = (side == 5 || side == 6) ? T : 0;
  ClientPanel->SetLeft(bx + 3);
  ClientPanel->SetTop(by + 3);
  const int Wp = bounds.Width(), Hp = bounds.Height();
  HRGN shape = CreateRoundRectRgn(bx, by, bx + W, by + H, 15, 15);
  // The tail position t along the edge.
  int t = 0;
  const bool horizontalEdge = side == 1 || side == 2 || side == 5 || side == 6;
  if (side != 0 && !FThought) {
    if (horizontalEdge) {
      t = S.Width() > Wp ? Wp * 3 / 4 : S.Width() * 2 / 3;
      if (S.Left <= A.Left) t -= A.Left - S.Left + 1;
      if (S.Right >= A.Right) t += A.Right - S.Right - 1;
      if (t < 15) t = 15;
      if (t > Wp - 25) t = Wp - 25;
    } else {
      t = 40;
      if ((side == 3 || side == 8) && S.Top > bounds.Top) t += S.Top - bounds.Top;
      else if ((side == 4 || side == 7) && bounds.Bottom > S.Bottom) t += bounds.Bottom - S.Bottom;
      if (A.Top >= S.Top) t += A.Top - S.Top + 1;
      if (A.Bottom <= S.Bottom) t += A.Bottom - S.Bottom - 1;
      if (t < 15) t = 15;
      if (t > Hp - 25) t = Hp - 25;
    }
    POINT p[3];
    const int y = std::max(15, (side == 3 || side == 8) ? t - 15 : Hp - t - 15);
    switch (side) {
      case 1: p[0] = {t, Hp - 18}, p[1] = {t + 10, Hp - 18}, p[2] = {t, Hp - 1}; break;
      case 2: p[0] = {Wp - t - 11, Hp - 18}, p[1] = {Wp - t - 1, Hp - 18}, p[2] = {Wp - t - 1, Hp - 1}; break;
      case 5: p[0] = {Wp - t - 11, 17}, p[1] = {Wp - t - 1, 17}, p[2] = {Wp - t - 1, 0}; break;
      case 6: p[0] = {t, 17}, p[1] = {t + 10, 17}, p[2] = {t, 0}; break;
      case 3:
      case 4: p[0] = {17, y}, p[1] = {17, y + 10}, p[2] = {0, y}; break;
      default: p[0] = {Wp - 18, y}, p[1] = {Wp - 18, y + 10}, p[2] = {Wp - 1, y}; break;
    }
    HRGN tail = CreatePolygonRgn(p, 3, WINDING);
    CombineRgn(shape, shape, tail, RGN_OR);
    DeleteObject(tail);
  } else if (side != 0) {
    // Three circles in the 60-pixel band, growing towards the body.
    if (horizontalEdge) {
      t = S.Width() / 2 + 5;
      if (S.Left <= A.Left) t -= A.Left - S.Left + 1;
      if (S.Right >= A.Right) t += A.Right - S.Right - 1;
      if (t < 15) t = 15;
      if (t > Wp) t = Wp - 15;
    } else {
      t = A.Top >= S.Top ? A.Top - S.Top + 31 : 30;
      if (A.Bottom <= S.Bottom) t += A.Bottom - S.Bottom - 1;
      if (t < 15) t = 15;
      if (t > Hp) t = Hp - 15;
    }
    const int c = (horizontalEdge ? ClientPanel->GetWidth() : ClientPanel->GetHeight()) / 2;
    for (int k = 1; k <= 3; ++k) {
      const int r = 2 * k + 4;
      const int across = (2 * k - 1) * CloudDepth / 6 - 2 * k;  // from the stage's edge
      const int along = t + (k - 1) * (c - t) / 3;
      int cx = 0, cy = 0;
      switch (side) {
        case 1: cx = along, cy = Hp - 1 - across; break;
        case 2: cx = Wp - 1 - along, cy = Hp - 1 - across; break;
        case 5: cx = Wp - 1 - along, cy = across; break;
        case 6: cx = along, cy = across; break;
        case 3: cx = across, cy = along; break;
        case 4: cx = across, cy = Hp - 1 - along; break;
        case 7: cx = Wp - 1 - across, cy = Hp - 1 - along; break;
        case 8: cx = Wp - 1 - across, cy = along; break;
      }
      HRGN circle = CreateEllipticRgn(cx - r, cy - r, cx + r + 1, cy + r + 1);
      CombineRgn(shape, shape, circle, RGN_OR);
      DeleteObject(circle);
    }
  }
  FTail = t;
  if (FShape) DeleteObject(FShape);
  FShape = shape;
  SetBounds(bounds.Left, bounds.Top, Wp, Hp);
  if (FShown && !FZooming && HandleAllocated()) {
    SetWindowRgn(GetHandle(), CopyShape(), TRUE);
    ApplyZOrder();
  }
}

void TAssistantBalloon::ApplyZOrder() {
  if (!HandleAllocated() || !FShown) return;
  HWND insertAfter = HWND_TOPMOST;
  if (FStage && FStage->HandleAllocated() && FStage->IsStageShowing() && !FStage->GetParentWindow()) {
    HWND before = GetWindow(FStage->GetHandle(), GW_HWNDPREV);
    if (before == GetHandle()) return;  // already just in front of the stage
    if (before) insertAfter = before;
  }
  SetWindowPos(GetHandle(), insertAfter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---- showing and hiding ----

void TAssistantBalloon::AttachTo(TAssistantStage* Stage) {
  FStage = Stage;
  if (FShown && !FHeldBack) Place();
}

void TAssistantBalloon::StartShow() {
  HandleNeeded();
  KillTimer(GetHandle(), CloseTimer);
  Place();
  FShown = true;
  FZooming = true;
  ClientPanel->Hide();
  SetColor(FBalloon->GetBorderColor());
  SetWindowRgn(GetHandle(), EmptyRegion(), FALSE);
  if (!FHeldBack) SetVisible(true);
  ApplyZOrder();
  SetTimer(GetHandle(), ZoomTimer, 0, nullptr);
}

void TAssistantBalloon::Zoom() {
  KillTimer(GetHandle(), ZoomTimer);  // once per show, also when the waits below pump it
  if (!FZooming) return;
  const TRect panel = ClientPanel->GetBoundsRect();
  const int cx = (panel.Left + panel.Right) / 2, cy = (panel.Top + panel.Bottom) / 2;
  for (int k = 1; k <= 4 && FZooming; ++k) {
    const int w = std::max(2, panel.Width() * k / 10), h = std::max(2, panel.Height() * k / 10);
    HRGN outer = CreateRectRgn(cx - w / 2, cy - h / 2, cx - w / 2 + w, cy - h / 2 + h);
    HRGN inner = CreateRectRgn(cx - w / 2 + 1, cy - h / 2 + 1, cx - w / 2 + w - 1, cy - h / 2 + h - 1);
    CombineRgn(outer, outer, inner, RGN_DIFF);
    DeleteObject(inner);
    SetWindowRgn(GetHandle(), outer, TRUE);
    TAssistantDirector::WaitPumping(GetCurrentThread(), static_cast<DWORD>(90 - 20 * k));
  }
  if (!FZooming) return;  // closed meanwhile
  FZooming = false;
  SetColor(FBalloon->GetColor());
  SetWindowRgn(GetHandle(), CopyShape(), TRUE);
  ClientPanel->Show();
  Update();
  if (FFocusOnShow && FFocusOnShow->CanFocus() && (FModal || !FNonActivating)) FFocusOnShow->SetFocus();
  if (FCloseTimeout >= 1) SetTimer(GetHandle(), CloseTimer, static_cast<UINT>(FCloseTimeout), nullptr);
  if (OnShown) OnShown(this);
}

void TAssistantBalloon::ShowBalloon() {
  if (FShown) CloseBalloon();
  SetModalResult(mrNone);
  StartShow();
}

void TAssistantBalloon::CloseBalloon() {
  if (!FShown) return;
  if (HandleAllocated()) {
    KillTimer(GetHandle(), ZoomTimer);
    KillTimer(GetHandle(), CloseTimer);
  }
  FShown = false;
  FZooming = false;
  FHeldBack = false;
  SetVisible(false);
  EndHide();
}

void TAssistantBalloon::EndHide() {
  FCloseTimeout = 0;
  FTail = 0;
  ClientPanel->Hide();
  if (OnHidden) OnHidden(this);
}

void TAssistantBalloon::HoldBack(bool On) {
  if (On) {
    if (!FShown || FHeldBack) return;
    FHeldBack = true;
    SetVisible(false);
    return;
  }
  if (!FHeldBack) return;
  FHeldBack = false;
  if (!FShown) return;
  Place();
  SetVisible(true);
  ApplyZOrder();
  if (!FZooming && HandleAllocated()) SetWindowRgn(GetHandle(), CopyShape(), TRUE);
}

TModalResult TAssistantBalloon::RunModal() {
  if (GetCapture()) ReleaseCapture();
  HWND activeWindow = GetActiveWindow();
  TWinControl* focused = Screen ? Screen->ActiveControl() : nullptr;
  HCURSOR cursor = ::GetCursor();
  FModal = true;
  TApplication* app = GetApplication();
  ShowBalloon();
  const std::vector<HWND> tasks = DisableTaskWindows(GetHandle());
  if (HandleAllocated()) SetForegroundWindow(GetHandle());
  TModalResult result = mrNone;
  for (;;) {
    MSG peek;
    if (PeekMessageW(&peek, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) || app->Terminated()) {
      result = mrCancel;  // the quit stays for the program's loop
      break;
    }
    if (GetModalResult() != mrNone) {
      result = GetModalResult();
      break;
    }
    if (!FShown) {
      result = mrCancel;
      break;
    }
    try {
      app->HandleMessage();
    } catch (...) {
      app->HandleException(this);
    }
  }
  EnableTaskWindows(tasks);
  CloseBalloon();
  FModal = false;
  ::SetCursor(cursor);
  if (GetForegroundWindow() == nullptr || GetActiveWindow() == GetHandle() || GetActiveWindow() == nullptr) {
    if (activeWindow && IsWindow(activeWindow)) SetActiveWindow(activeWindow);
    if (focused && focused->CanFocus()) focused->SetFocus();
  }
  return result;
}

void TAssistantBalloon::ShowText(const String& Text, int TimeoutMs) {
  FText = Text;
  EnterMode(bmPlain);
  ShowBalloon();
  SetCloseTimeout(TimeoutMs);
  if (TimeoutMs >= 1 && !FZooming && HandleAllocated()) SetTimer(GetHandle(), CloseTimer, static_cast<UINT>(TimeoutMs), nullptr);
}

TModalResult TAssistantBalloon::MessageDlg(const String& Text, TMsgDlgButtons Buttons, int Default, int HelpContext) {
  FText = Text;
  FMsgButtons = Buttons;
  FMsgDefault = Default;
  FHelpContext = HelpContext;
  EnterMode(bmMessage);
  return RunModal();
}

void TAssistantBalloon::ShowTips() {
  if (FShown) CloseBalloon();
  FThought = false;
  EnterMode(bmTips);
  ShowBalloon();
}

void TAssistantBalloon::EnterMode(int Mode) {
  FMode = -1;  // laid out afresh, also when it is the mode already
  SetMode(Mode);
}

void TAssistantBalloon::ShowHintDlg() {
  EnterMode(bmHint);
  ShowBalloon();
}

TModalResult TAssistantBalloon::ShowHintDlgModal() {
  EnterMode(bmHint);
  return RunModal();
}

void TAssistantBalloon::ShowGuide() {
  EnterMode(bmGuide);
  ShowBalloon();
}

TModalResult TAssistantBalloon::ShowGuideModal() {
  EnterMode(bmGuide);
  return RunModal();
}

bool TAssistantBalloon::InputQuery(const String& Prompt, String& Value) {
  FText = Prompt;
  InputBox->OnChange = nullptr;
  InputBox->SetText(Value);
  InputBox->OnChange = [this](TObject* s) { InputBoxChange(s); };
  EnterMode(bmInput);
  if (RunModal() != mrOk) return false;
  Value = InputBox->GetText();
  return true;
}

void TAssistantBalloon::ShowUserPanel() {
  EnterMode(bmUserPanel);
  ShowBalloon();
}

TModalResult TAssistantBalloon::ShowUserPanelModal() {
  EnterMode(bmUserPanel);
  return RunModal();
}

// ---- the window ----

void TAssistantBalloon::SetWindowVisibility() {
  if (!HandleAllocated()) return;
  if (Showing()) {
    DoShow();
    ShowWindow(GetHandle(), FModal || !FNonActivating ? SW_SHOW : SW_SHOWNOACTIVATE);
  } else {
    DoHide();
    ShowWindow(GetHandle(), SW_HIDE);
  }
}

void TAssistantBalloon::Paint() {
  TForm::Paint();
  if (!ClientPanel->GetVisible() || !FShape) return;
  HBRUSH brush = CreateSolidBrush(ColorToRGB(FBalloon->GetBorderColor()));
  FrameRgn(Canvas()->GetHandle(), FShape, brush, 1, 1);
  DeleteObject(brush);
}

void TAssistantBalloon::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_TIMER:
      if (Message.WParam == ZoomTimer) {
        Zoom();
        return;
      }
      if (Message.WParam == CloseTimer) {
        KillTimer(GetHandle(), CloseTimer);
        FHeldBack = false;
        CloseBalloon();
        return;
      }
      break;
    case CM_DIALOGKEY:
      if (Message.WParam == VK_ESCAPE) {
        EscapePressed();
        Message.Result = 1;
        return;
      }
      if (Message.WParam == VK_RETURN && InputBox->GetVisible() && InputBox->Focused()) {
        wchar_t key = L'\r';  // Enter in the input line accepts, in the request line searches
        InputBoxKeyPress(InputBox, key);
        Message.Result = 1;
        return;
      }
      break;
    case WM_KEYDOWN:
      if (Message.WParam == VK_ESCAPE) {
        EscapePressed();
        return;
      }
      break;
    case WM_MOUSEACTIVATE:
      if (FNonActivating && !FModal) {
        POINT at{};
        GetCursorPos(&at);
        HWND under = WindowFromPoint(at);
        if (!GetActiveControl() && (under == GetHandle() || (ClientPanel->HandleAllocated() && under == ClientPanel->GetHandle())))
          CloseBalloon();
        Message.Result = MA_NOACTIVATE;
        return;
      }
      break;
    case WM_ENABLE:
      if (!Message.WParam && FShown) {
        // A modal window elsewhere: out of the topmost band, enabled again, back in place.
        SetWindowPos(GetHandle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        EnableWindow(GetHandle(), TRUE);
        ApplyZOrder();
        Message.Result = 0;
        return;
      }
      break;
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(Message.WParam);
      RECT r{};
      GetClientRect(GetHandle(), &r);
      HBRUSH brush = CreateSolidBrush(ColorToRGB(GetColor()));
      FillRect(dc, &r, brush);
      DeleteObject(brush);
      Message.Result = 1;
      return;
    }
  }
  TForm::Dispatch(Message);
}
