#include "desktop/dskpopup.h"

#include <algorithm>
#include <climits>

#include "classlib/windows/application.h"
#include "classlib/core/unicode.h"

HX_PUBLISH(TDskPopUpForm, p) {}

HX_PUBLISH(TDskPopUp, p) {
  p.Property("BkColor", &TDskPopUp::BkColor, &TDskPopUp::BkColor).Default(clInfoBk);
  p.Property("Text", &TDskPopUp::Text, &TDskPopUp::Text).Default("");
  p.Property("PopUpIcon", &TDskPopUp::GetPopUpIcon);
  p.Property("TimeOut", &TDskPopUp::TimeOut, &TDskPopUp::TimeOut).Default(10);
  p.Property("Font", &TDskPopUp::GetFont);
  p.Property("DlgType", &TDskPopUp::GetDlgType, &TDskPopUp::SetDlgType).Default(mtInformation);
  p.Property("MestoScreen", &TDskPopUp::MestoScreen, &TDskPopUp::MestoScreen).Default(msTopRight);
  p.Property("MarginX", &TDskPopUp::MarginX, &TDskPopUp::MarginX).Default(10);
  p.Property("MarginY", &TDskPopUp::MarginY, &TDskPopUp::MarginY).Default(10);
  p.Property("CascadePopups", &TDskPopUp::CascadePopups, &TDskPopUp::CascadePopups).Default(true);
}

// ---- The notice window ----

TDskPopUpForm::TDskPopUpForm(TComponent* AOwner) : TCustomForm(AOwner, CreateNew) {
  SetBorderStyle(bsDialog);
  pnlBorder = new TPanel(this);
  pnlBorder->SetParent(this);
  pnlBorder->SetColor(clInfoBk);
  pnlBorder->SetAlign(alClient);
  pnlBorder->SetBevelWidth(2);
  pnlBorder->SetBevelOuter(bvLowered);
  imgIcon = new TImage(this);
  imgIcon->SetParent(pnlBorder);
  imgIcon->SetBounds(1, 1, imgIcon->GetWidth(), imgIcon->GetHeight());
  lblText = new TLabel(this);
  lblText->SetParent(pnlBorder);
  lblText->SetShowAccelChar(false);
  lblText->SetLayout(tlCenter);
  lblText->SetAlignment(taCenter);
  lblText->SetAutoSize(true);
  lblText->SetWordWrap(true);
  lblText->SetTransparent(true);
  lblText->SetBounds(9, 49, 3, 13);
  tmrExit = new TTimer(this);
  tmrExit->SetEnabled(false);
  tmrExit->SetInterval(10000);
  tmrExit->OnTimer = [this](TObject*) {
    tmrExit->SetEnabled(false);
    Close();
  };
}

void TDskPopUpForm::CreateParams(TCreateParams& Params) {
  TCustomForm::CreateParams(Params);
  Params.Style &= ~static_cast<DWORD>(WS_CAPTION);
  Params.Style |= WS_POPUP;
  Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
  Params.WndParent = GetDesktopWindow();
}

void TDskPopUpForm::SetWindowVisibility() {
  if (!Showing() || !HandleAllocated()) return TCustomForm::SetWindowVisibility();
  ShowWindow(GetHandle(), SW_SHOWNOACTIVATE);
  SetWindowPos(GetHandle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TDskPopUpForm::ShowNotice() {
  pnlBorder->SetAlign(alNone);
  // TimeOut is at least 1 s here, and the interval stays within its type.
  tmrExit->SetInterval(static_cast<std::uint32_t>(std::min<long long>(1000LL * TimeOut, INT_MAX)));
  tmrExit->SetEnabled(true);
  SetVisible(true);
}

void TDskPopUpForm::DoClose(TCloseAction& Action) {
  TCustomForm::DoClose(Action);
  Action = caFree;
  if (PopUp) PopUp->NoticeClosed(this);
  PopUp = nullptr;
}

// ---- TDskPopUp ----

TDskPopUp::TDskPopUp(TComponent* AOwner)
    : TComponent(AOwner), FFont(std::make_unique<TFont>()), FPopUpIcon(std::make_unique<TIcon>()) {
  SetDlgType(mtInformation);
}

TDskPopUp::~TDskPopUp() {
  // The open notices run their time without us.
  for (TDskPopUpForm* notice : FNotices) notice->PopUp = nullptr;
}

void TDskPopUp::SetDlgType(TMsgDlgType Value) {
  if (Value == FDlgType) return;
  FDlgType = Value;
  static const LPCWSTR kStock[] = {IDI_EXCLAMATION, IDI_HAND, IDI_ASTERISK, IDI_QUESTION};
  // The system's icons are shared: the picture never destroys them.
  if (Value == mtCustom) FPopUpIcon->Assign(nullptr);
  else FPopUpIcon->SetHandle(LoadIconW(nullptr, kStock[Value]), true);
}

void TDskPopUp::SetPopUpIcon(TIcon* Value) {
  FPopUpIcon->Assign(Value);
  FDlgType = mtCustom;
}

void TDskPopUp::NoticeClosed(TDskPopUpForm* Notice) {
  if (FCount > 0) --FCount;
  FNotices.erase(std::remove(FNotices.begin(), FNotices.end(), Notice), FNotices.end());
}

bool TDskPopUp::Show() {
  ++FCount;
  TComponent* owner = Owner() ? Owner() : static_cast<TComponent*>(Application);
  auto* notice = new TDskPopUpForm(owner);
  notice->PopUp = this;
  // The notice reads in the order of the window that holds the component.
  if (auto* control = dynamic_cast<TControl*>(owner)) notice->SetBiDiMode(control->GetBiDiMode());
  FNotices.push_back(notice);
  notice->pnlBorder->SetColor(BkColor);
  notice->pnlBorder->SetFont(FFont.get());
  notice->lblText->SetFont(FFont.get());
  notice->lblText->SetCaption(Text);
  notice->imgIcon->GetPicture()->Assign(FPopUpIcon.get());

  // Dialog units of the notice's font.
  TCanvas* canvas = notice->Canvas();
  notice->HandleNeeded();
  canvas->SetFont(FFont.get());
  HDC dc = canvas->GetHandle();
  SIZE letters{};
  const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  GetTextExtentPoint32W(dc, kLetters, 52, &letters);
  const int average = letters.cx / 52;
  const int marginX = MulDiv(8, average, 4), marginY = MulDiv(8, letters.cy, 8), iconGap = MulDiv(10, average, 4);

  notice->SetFormStyle(fsStayOnTop);
  RECT text{0, 0, Screen->Width() / 2, 0};
  std::wstring wide = Utf8ToWide(Text);
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &text,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | notice->DrawTextBiDiModeFlagsReadingOnly());
  const int textWidth = text.right, textHeight = text.bottom;
  int contentWidth = textWidth, contentHeight = textHeight;
  if (!FPopUpIcon->Empty()) {
    contentWidth += iconGap + 32;
    contentHeight = std::max(contentHeight, 32);
  }
  notice->SetClientSize(2 * marginX + contentWidth, 2 * marginY + contentHeight);

  const int w = notice->GetWidth(), h = notice->GetHeight(), sw = Screen->Width(), sh = Screen->Height();
  int left = FNextX, top = FNextY;
  if (FCount == 1) {
    const int col = MestoScreen % 3, row = MestoScreen / 3;
    left = col == 0 ? MarginX : col == 1 ? sw / 2 - w / 2 : sw - MarginX - w;
    top = row == 0 ? MarginY : row == 1 ? sh / 2 - h / 2 : sh - MarginY - h;
  }
  notice->SetBounds(left, top, w, h);
  FNextX = left + (CascadePopups ? 10 : 0);
  FNextY = top + (CascadePopups ? 10 : 0);

  if (!FPopUpIcon->Empty())
    notice->imgIcon->SetBounds(marginX, marginY, FPopUpIcon->GetWidth(), FPopUpIcon->GetHeight());
  notice->lblText->SetWordWrap(true);
  notice->lblText->SetBounds(contentWidth - textWidth + marginX, marginY, textWidth, textHeight);
  notice->TimeOut = std::max(TimeOut, 1);
  notice->ShowNotice();
  return true;
}
