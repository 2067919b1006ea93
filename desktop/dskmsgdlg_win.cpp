#include "desktop/dskmsgdlg.h"

#include "classlib/windows/application.h"
#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"

HX_PUBLISH(TDskBaseDlgButtonClass, p) {
  p.Property("NumGlyphs", &TDskBaseDlgButtonClass::NumGlyphs, &TDskBaseDlgButtonClass::NumGlyphs).Default(1);
  p.Property("Glyph", &TDskBaseDlgButtonClass::GetGlyph, &TDskBaseDlgButtonClass::SetGlyph);
  p.Property("Caption", &TDskBaseDlgButtonClass::Caption, &TDskBaseDlgButtonClass::Caption);
  p.Property("Visible", &TDskBaseDlgButtonClass::Visible, &TDskBaseDlgButtonClass::Visible).Default(true);
  p.Property("Enabled", &TDskBaseDlgButtonClass::Enabled, &TDskBaseDlgButtonClass::Enabled).Default(true);
}

HX_PUBLISH(TDskMsgDlgButtonClass, p) {
  p.Property("ModalResult", &TDskMsgDlgButtonClass::ModalResult, &TDskMsgDlgButtonClass::ModalResult).Default(0);
  p.Property("Default", &TDskMsgDlgButtonClass::GetDefault, &TDskMsgDlgButtonClass::SetDefault).Default(false);
}

HX_PUBLISH(TDskDlgHelpButtonClass, p) {
  p.Property("HelpContext", &TDskDlgHelpButtonClass::HelpContext, &TDskDlgHelpButtonClass::HelpContext).Default(0);
}

HX_PUBLISH(TDskDlgEditClass, p) {
  p.Property("PasswordChar", &TDskDlgEditClass::PasswordChar, &TDskDlgEditClass::PasswordChar).Default('\0');
  p.Property("MaxLength", &TDskDlgEditClass::MaxLength, &TDskDlgEditClass::MaxLength).Default(0);
  p.Property("Text", &TDskDlgEditClass::Text, &TDskDlgEditClass::Text).Default("");
  p.Property("Caption", &TDskDlgEditClass::Caption, &TDskDlgEditClass::Caption).Default("Label");
  p.Property("Color", &TDskDlgEditClass::Color, &TDskDlgEditClass::Color).Default(clWindow);
  p.Property("CharCase", &TDskDlgEditClass::CharCase, &TDskDlgEditClass::CharCase).Default(ecNormal);
  p.Property("FontColor", &TDskDlgEditClass::FontColor, &TDskDlgEditClass::FontColor).Default(clWindowText);
}

HX_PUBLISH(TDskMsgDlg, p) {
  p.Property("Message", &TDskMsgDlg::Message, &TDskMsgDlg::Message).Default("");
  p.Property("Caption", &TDskMsgDlg::Caption, &TDskMsgDlg::Caption).Default("My Caption");
  p.Property("Font", &TDskMsgDlg::GetFont, &TDskMsgDlg::SetFont);
  p.Property("MsgType", &TDskMsgDlg::MsgType, &TDskMsgDlg::MsgType).Default(mtInformation);
  p.Property("CustomIcon", &TDskMsgDlg::GetCustomIcon, &TDskMsgDlg::SetCustomIcon);
  p.Property("Sound", &TDskMsgDlg::Sound, &TDskMsgDlg::Sound).Default(bNone);
  p.Property("Buttonwidth", &TDskMsgDlg::Buttonwidth, &TDskMsgDlg::Buttonwidth).Default(80);
  p.Property("FormWidth", &TDskMsgDlg::GetFormWidth, &TDskMsgDlg::SetFormWidth).Default(320);
  p.Property("MsgButton1", &TDskMsgDlg::GetMsgButton1, &TDskMsgDlg::SetMsgButton1);
  p.Property("MsgButton2", &TDskMsgDlg::GetMsgButton2, &TDskMsgDlg::SetMsgButton2);
  p.Property("MsgButton3", &TDskMsgDlg::GetMsgButton3, &TDskMsgDlg::SetMsgButton3);
  p.Property("HelpButton", &TDskMsgDlg::GetHelpButton, &TDskMsgDlg::SetHelpButton);
  p.Property("Editbox", &TDskMsgDlg::GetEditbox, &TDskMsgDlg::SetEditbox);
  p.Event("OnBtn1Click", &TDskMsgDlg::OnBtn1Click);
  p.Event("OnBtn2Click", &TDskMsgDlg::OnBtn2Click);
  p.Event("OnBtn3Click", &TDskMsgDlg::OnBtn3Click);
  p.Event("OnHelpClick", &TDskMsgDlg::OnHelpClick);
  p.Event("OnmrNone", &TDskMsgDlg::OnmrNone);
  p.Event("OnmrOk", &TDskMsgDlg::OnmrOk);
  p.Event("OnmrCancel", &TDskMsgDlg::OnmrCancel);
  p.Event("OnmrAbort", &TDskMsgDlg::OnmrAbort);
  p.Event("OnmrRetry", &TDskMsgDlg::OnmrRetry);
  p.Event("OnmrIgnore", &TDskMsgDlg::OnmrIgnore);
  p.Event("OnmrYes", &TDskMsgDlg::OnmrYes);
  p.Event("OnmrNo", &TDskMsgDlg::OnmrNo);
  p.Event("OnmrAll", &TDskMsgDlg::OnmrAll);
  p.Event("OnmrNoToAll", &TDskMsgDlg::OnmrNoToAll);
  p.Event("OnmrYesToAll", &TDskMsgDlg::OnmrYesToAll);
  p.Event("BeforePopup", &TDskMsgDlg::BeforePopup);
}

HX_PUBLISH(TDskMsgDlgs, p) {}

HX_PUBLISH(TDskMsgDlgHolder, p) {
  p.Property("Messages", &TDskMsgDlgHolder::GetMessages, &TDskMsgDlgHolder::SetMessages);
  p.Event("BeforePopup", &TDskMsgDlgHolder::BeforePopup);
}

HX_PUBLISH(TDskMsgDlgForm, p) {}

// ---- The buttons and the edit box ----

TDskBaseDlgButtonClass::TDskBaseDlgButtonClass() : FGlyph(std::make_unique<TBitmap>()) {}
TDskBaseDlgButtonClass::~TDskBaseDlgButtonClass() = default;

void TDskBaseDlgButtonClass::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TDskBaseDlgButtonClass*>(Source);
  if (!s) return TPersistent::Assign(Source);
  NumGlyphs = s->NumGlyphs;
  FGlyph->Assign(s->FGlyph.get());
  Caption = s->Caption;
  Visible = s->Visible;
  Enabled = s->Enabled;
}

void TDskBaseDlgButtonClass::ApplyTo(TBitBtn* Button) {
  Button->SetCaption(Caption);
  Button->SetVisible(Visible);
  Button->SetEnabled(Enabled);
  if (!FGlyph->Empty()) Button->SetGlyph(FGlyph.get());
  Button->SetNumGlyphs(NumGlyphs);
}

void TDskMsgDlgButtonClass::SetDefault(bool Value) {
  if (Value && FItem)
    for (int i = 0; i < 3; ++i) FItem->MsgButton(i)->FDefault = false;
  FDefault = Value;
}

void TDskMsgDlgButtonClass::Assign(TPersistent* Source) {
  TDskBaseDlgButtonClass::Assign(Source);
  if (auto* s = dynamic_cast<TDskMsgDlgButtonClass*>(Source)) {
    ModalResult = s->ModalResult;
    SetDefault(s->FDefault);
  }
}

void TDskMsgDlgButtonClass::ApplyTo(TBitBtn* Button) {
  TDskBaseDlgButtonClass::ApplyTo(Button);
  Button->SetModalResult(ModalResult);
  Button->SetDefault(FDefault);
}

void TDskDlgHelpButtonClass::Assign(TPersistent* Source) {
  TDskBaseDlgButtonClass::Assign(Source);
  if (auto* s = dynamic_cast<TDskDlgHelpButtonClass*>(Source)) HelpContext = s->HelpContext;
}

void TDskDlgEditClass::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TDskDlgEditClass*>(Source);
  if (!s) return TPersistent::Assign(Source);
  PasswordChar = s->PasswordChar;
  MaxLength = s->MaxLength;
  Text = s->Text;
  Caption = s->Caption;
  Color = s->Color;
  CharCase = s->CharCase;
  FontColor = s->FontColor;
}

// ---- TDskMsgDlg ----

TDskMsgDlg::TDskMsgDlg(TCollection* Collection)
    : TCollectionItem(Collection),
      FFont(std::make_unique<TFont>()),
      FCustomIcon(std::make_unique<TIcon>()),
      FHelpButton(std::make_unique<TDskDlgHelpButtonClass>()),
      FEditbox(std::make_unique<TDskDlgEditClass>()) {
  static const char* const captions[] = {"&Ok", "&Cancel", "&Custom.."};
  for (int i = 0; i < 3; ++i) {
    FButtons[i] = std::make_unique<TDskMsgDlgButtonClass>(this);
    FButtons[i]->Caption = captions[i];
  }
  FHelpButton->Caption = "&Help";
}

TDskMsgDlg::~TDskMsgDlg() = default;

void TDskMsgDlg::SetFormWidth(int Value) {
  if (Value >= 320) FFormWidth = Value;
}

String TDskMsgDlg::GetDisplayName() { return Message.empty() ? "No message defined" : Message; }

void TDskMsgDlg::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TDskMsgDlg*>(Source);
  if (!s) return TCollectionItem::Assign(Source);
  Message = s->Message;
  Caption = s->Caption;
  FFont->Assign(s->FFont.get());
  MsgType = s->MsgType;
  FCustomIcon->Assign(s->FCustomIcon.get());
  Sound = s->Sound;
  Buttonwidth = s->Buttonwidth;
  FFormWidth = s->FFormWidth;
  for (int i = 0; i < 3; ++i) FButtons[i]->Assign(s->FButtons[i].get());
  FHelpButton->Assign(s->FHelpButton.get());
  FEditbox->Assign(s->FEditbox.get());
}

String TDskMsgDlg::Execute() {
  String message = Message, text = FEditbox->Text;
  if (BeforePopup) BeforePopup(this, message, text);
  auto* messages = dynamic_cast<TDskMsgDlgs*>(Collection());
  if (messages && messages->Holder() && messages->Holder()->BeforePopup)
    messages->Holder()->BeforePopup(this, message, text);
  TModalResult result;
  {
    std::unique_ptr<TDskMsgDlgForm> form(new TDskMsgDlgForm(Application, this, message, text));
    result = form->ShowModal();
    FResultText = form->Edit()->GetText();
  }
  FireResult(result);
  return FResultText;
}

void TDskMsgDlg::FireResult(TModalResult Result) {
  TNotifyEvent* events[] = {&OnmrNone, &OnmrOk,     &OnmrCancel, &OnmrAbort,   &OnmrRetry,   &OnmrIgnore,
                            &OnmrYes,  &OnmrNo,     &OnmrAll,    &OnmrNoToAll, &OnmrYesToAll};
  TNotifyEvent& event = Result >= mrNone && Result <= mrYesToAll ? *events[Result] : OnmrNone;
  if (event) event(this);
}

// ---- The collection and the holder ----

TDskMsgDlgs::TDskMsgDlgs(TDskMsgDlgHolder* Holder) : TCollection(Holder, ClassOf<TDskMsgDlg>()), FHolder(Holder) {}

TDskMsgDlgHolder::TDskMsgDlgHolder(TComponent* AOwner)
    : TDskSystemsComponent(AOwner), FMessages(new TDskMsgDlgs(this)) {}

TDskMsgDlgHolder::~TDskMsgDlgHolder() { delete FMessages; }

// ---- The layout ----

int DskMsgDlgClientHeight(int L, int TextHeight) { return TextHeight >= 3 * L ? 2 * L + TextHeight + 30 : 6 * L; }

int DskMsgDlgButtonTop(int L, int Index) { return 4 + Index * (L + 2); }

int DskMsgDlgEditTop(int ClientHeight, int EditHeight, int TextRectTop) {
  return ClientHeight - 8 - EditHeight - TextRectTop;
}

// ---- The dialog's window ----

TDskMsgDlgForm::TDskMsgDlgForm(TComponent* AOwner, TDskMsgDlg* Item, const String& Message, const String& EditText)
    : TForm(AOwner, CreateNew), FItem(Item), FMessage(Message) {
  SetBorderStyle(bsDialog);
  SetCaption(Item->Caption);
  SetPosition(poScreenCenter);
  SetClientSize(Item->GetFormWidth(), 200);
  for (int i = 0; i < 4; ++i) {
    FButtons[i] = new TBitBtn(this);
    FButtons[i]->SetParent(this);
    if (i < 3) Item->MsgButton(i)->ApplyTo(FButtons[i]);
    else Item->GetHelpButton()->TDskBaseDlgButtonClass::ApplyTo(FButtons[i]);
  }
  FButtons[0]->OnClick = [Item](TObject*) { if (Item->OnBtn1Click) Item->OnBtn1Click(Item); };
  FButtons[1]->OnClick = [Item](TObject*) { if (Item->OnBtn2Click) Item->OnBtn2Click(Item); };
  FButtons[2]->OnClick = [Item](TObject*) { if (Item->OnBtn3Click) Item->OnBtn3Click(Item); };
  FButtons[3]->OnClick = [Item](TObject*) {
    Application->RequestHelpContext(Item->GetHelpButton()->HelpContext);
    if (Item->OnHelpClick) Item->OnHelpClick(Item);
  };

  FImage = new TImage(this);
  FImage->SetParent(this);
  FImage->SetBounds(15, 10, 32, 32);
  FImage->SetTransparent(true);
  if (Item->MsgType == mtCustom) {
    if (!Item->GetCustomIcon()->Empty()) FImage->GetPicture()->SetIcon(Item->GetCustomIcon());
  } else {
    static const char* const names[] = {"DSKDLGEXWARNING", "DSKDLGEXERROR", "DSKDLGEXINFORMATION",
                                        "DSKDLGEXCONFIRMATION"};
    TBitmap bitmap;
    bitmap.LoadFromResourceName(nullptr, names[Item->MsgType]);
    FImage->GetPicture()->SetBitmap(&bitmap);
  }

  TDskDlgEditClass* e = Item->GetEditbox();
  FEdit = new TEdit(this);
  FEdit->SetParent(this);
  FEdit->SetPasswordChar(e->PasswordChar);
  FEdit->SetMaxLength(e->MaxLength);
  FEdit->SetCharCase(e->CharCase);
  FEdit->SetText(EditText);
  FEdit->SetColor(e->Color);
  FEdit->SetParentFont(false);
  FEdit->GetFont()->SetColor(e->FontColor);
  SetActiveControl(FEdit);

  FLabel = new TLabel(this);
  FLabel->SetParent(this);
  FLabel->SetCaption(e->Caption);

  FBevel = new TBevel(this);
  FBevel->SetParent(this);
  FBevel->SetShape(bsFrame);

  Layout();
  OnPaint = [this](TObject* Sender) { PaintMessage(Sender); };
  OnShow = [Item](TObject*) { DskPlayBeep(Item->Sound); };
  // The item's font may change while the dialog is open: the layout follows.
  Item->GetFont()->OnChange = [this](TObject*) {
    Layout();
    Invalidate();
  };
}

TDskMsgDlgForm::~TDskMsgDlgForm() { FItem->GetFont()->OnChange = nullptr; }

bool TDskMsgDlgForm::HasIcon() const { return !(FItem->MsgType == mtCustom && FItem->GetCustomIcon()->Empty()); }

TRect TDskMsgDlgForm::MessageRect() {
  TRect r = ClientRect();
  r = Rect(r.Left + 10, r.Top + 10, r.Right - 10, r.Bottom - 10);
  r.Left = HasIcon() ? r.Left + 47 : 14;
  r.Right -= FItem->Buttonwidth + 18;
  return r;
}

void TDskMsgDlgForm::Layout() {
  TBitmap measure;
  measure.SetSize(1, 1);
  TCanvas* c = measure.Canvas();
  c->SetFont(FItem->GetFont());
  FLineHeight = c->TextHeight("W") + 10;
  TRect r = MessageRect();
  RECT rc{r.Left, r.Top, r.Right, r.Bottom};
  std::wstring text = Utf8ToWide(FMessage);
  DrawTextW(c->GetHandle(), text.c_str(), static_cast<int>(text.size()), &rc, DT_CALCRECT | DT_WORDBREAK);
  int clientHeight = DskMsgDlgClientHeight(FLineHeight, rc.bottom - rc.top);
  SetClientSize(GetClientWidth(), clientHeight);
  FTextRect = Rect(r.Left - 5, r.Top - 5, GetClientWidth() - FItem->Buttonwidth - 5, rc.bottom + 5);
  PlaceControls();
}

void TDskMsgDlgForm::PlaceControls() {
  int W = FItem->Buttonwidth, L = FLineHeight;
  int cw = GetClientWidth(), ch = GetClientHeight();
  for (int i = 0; i < 4; ++i) FButtons[i]->SetBounds(cw - W - 5, DskMsgDlgButtonTop(L, i), W, L);
  int editTop = DskMsgDlgEditTop(ch, FEdit->GetHeight(), FTextRect.Top);
  FEdit->SetBounds(10, editTop, cw - W - 25, FEdit->GetHeight());
  int textHeightW = L - 10;
  FLabel->SetBounds(10, editTop - textHeightW - 4, FEdit->GetWidth(), textHeightW + 2);
  FBevel->SetBounds(5, 5, cw - W - 15, ch - 4 - FTextRect.Top);
}

void TDskMsgDlgForm::PaintMessage(TObject*) {
  TCanvas* c = Canvas();
  c->SetFont(FItem->GetFont());
  c->GetBrush()->SetStyle(bsClear);
  TRect r = MessageRect();
  RECT rc{r.Left, r.Top, r.Right, r.Bottom};
  std::wstring text = Utf8ToWide(FMessage);
  HDC dc = c->GetHandle();
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, DT_WORDBREAK);
}
