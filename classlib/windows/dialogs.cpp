#include "classlib/windows/dialogs.h"

#include <algorithm>

#include "classlib/windows/application.h"
#include "classlib/windows/stdctrls.h"
#include "classlib/core/unicode.h"

namespace {

constexpr int kMargin = 8;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonSpacing = 6;

// A message dialog: the icon of its kind, the text beside it, the buttons below.
class TMessageForm : public TForm {
 public:
  explicit TMessageForm(TComponent* AOwner) : TForm(AOwner, CreateNew) {}
  HICON Icon = nullptr;

 protected:
  void Paint() override {
    if (Icon) DrawIconEx(Canvas()->GetHandle(), kMargin * 2, kMargin * 2, Icon, 32, 32, 0, nullptr, DI_NORMAL);
    TForm::Paint();
  }
};

TPoint MeasureText(TFont* Font, const String& Text, int MaxWidth) {
  std::wstring text = Utf8ToWide(Text.empty() ? String(" ") : Text);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->GetHandle());
  RECT r{0, 0, MaxWidth, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return {r.right, r.bottom};
}

}  // namespace

std::unique_ptr<TForm> CreateMessageDialog(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons) {
  static const char* const captions[] = {"Предупреждение", "Ошибка", "Информация", "Подтверждение", ""};
  static const LPCWSTR icons[] = {IDI_WARNING, IDI_ERROR, IDI_INFORMATION, IDI_QUESTION, nullptr};
  static const char* const names[] = {"Yes",   "No",  "OK",      "Cancel",   "Abort", "Retry",
                                      "Ignore", "All", "NoToAll", "YesToAll", "Help"};
  static const char* const buttonCaptions[] = {"&Да",        "&Нет", "ОК",           "Отмена",      "&Прервать", "&Повторить",
                                               "П&ропустить", "&Все", "Н&ет для всех", "Да для в&сех", "&Справка"};
  static const TModalResult results[] = {mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrAll, mrNoToAll,
                                         mrYesToAll, mrNone};

  auto form = std::make_unique<TMessageForm>(GetApplication());
  form->SetBorderStyle(bsDialog);
  form->SetPosition(poScreenCenter);
  form->SetCaption(DlgType == mtCustom ? GetApplication()->GetTitle() : String(captions[DlgType]));
  if (icons[DlgType]) form->Icon = LoadIconW(nullptr, icons[DlgType]);

  const int textLeft = form->Icon ? kMargin * 2 + 32 + kMargin * 2 : kMargin * 2;
  TPoint text = MeasureText(form->GetFont(), Msg, GetScreen()->Width() / 2);
  auto* label = new TLabel(form.get());
  label->SetName("Message");
  label->SetParent(form.get());
  label->SetWordWrap(true);
  label->SetAutoSize(false);
  label->SetShowAccelChar(false);
  label->SetCaption(Msg);
  label->SetBounds(textLeft, kMargin * 2, text.X, text.Y);

  std::vector<TMsgDlgBtn> kinds;
  for (int b = mbYes; b <= mbHelp; ++b)
    if (Buttons.Contains(static_cast<TMsgDlgBtn>(b))) kinds.push_back(static_cast<TMsgDlgBtn>(b));
  if (kinds.empty()) kinds.push_back(mbOK);
  TMsgDlgBtn defaultButton = Buttons.Contains(mbOK) ? mbOK : Buttons.Contains(mbYes) ? mbYes : kinds.front();
  TMsgDlgBtn cancelButton = Buttons.Contains(mbCancel) ? mbCancel : Buttons.Contains(mbNo) ? mbNo : mbOK;

  const int buttonsWidth = static_cast<int>(kinds.size()) * (kButtonWidth + kButtonSpacing) - kButtonSpacing;
  const int clientWidth = std::max(textLeft + text.X + kMargin * 2, buttonsWidth + kMargin * 4);
  const int buttonsTop = kMargin * 2 + std::max(text.Y, form->Icon ? 32 : 0) + kMargin * 2;
  form->SetClientSize(clientWidth, buttonsTop + kButtonHeight + kMargin * 2);
  int x = (clientWidth - buttonsWidth) / 2;
  for (TMsgDlgBtn kind : kinds) {
    auto* button = new TButton(form.get());
    button->SetName(names[kind]);
    button->SetParent(form.get());
    button->SetCaption(buttonCaptions[kind]);
    button->SetModalResult(results[kind]);
    button->SetBounds(x, buttonsTop, kButtonWidth, kButtonHeight);
    if (kind == defaultButton) {
      button->SetDefault(true);
      form->SetActiveControl(button);
    }
    if (kind == cancelButton) button->SetCancel(true);
    x += kButtonWidth + kButtonSpacing;
  }
  return form;
}

TModalResult MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int) {
  std::unique_ptr<TForm> dialog = CreateMessageDialog(Msg, DlgType, Buttons);
  return dialog->ShowModal();
}

void ShowMessage(const String& Msg) { MessageDlg(Msg, mtCustom, {mbOK}); }

bool InputQuery(const String& Caption, const String& Prompt, String& Value) {
  auto form = std::make_unique<TForm>(GetApplication(), CreateNew);
  form->SetBorderStyle(bsDialog);
  form->SetPosition(poScreenCenter);
  form->SetCaption(Caption);
  const int clientWidth = 280;

  auto* label = new TLabel(form.get());
  label->SetName("Prompt");
  label->SetParent(form.get());
  label->SetCaption(Prompt);
  label->SetBounds(kMargin, kMargin, clientWidth - 2 * kMargin, label->GetHeight());

  auto* edit = new TEdit(form.get());
  edit->SetName("Value");
  edit->SetParent(form.get());
  edit->SetMaxLength(255);
  edit->SetText(Value);
  edit->SetBounds(kMargin, label->GetTop() + label->GetHeight() + 4, clientWidth - 2 * kMargin, edit->GetHeight());

  const int buttonsTop = edit->GetTop() + edit->GetHeight() + kMargin * 2;
  int x = clientWidth - kMargin - 2 * kButtonWidth - kButtonSpacing;
  for (auto [name, caption, result] : {std::tuple{"OK", "ОК", mrOk}, std::tuple{"Cancel", "Отмена", mrCancel}}) {
    auto* button = new TButton(form.get());
    button->SetName(name);
    button->SetParent(form.get());
    button->SetCaption(caption);
    button->SetModalResult(result);
    button->SetBounds(x, buttonsTop, kButtonWidth, kButtonHeight);
    button->SetDefault(result == mrOk);
    button->SetCancel(result == mrCancel);
    x += kButtonWidth + kButtonSpacing;
  }
  form->SetClientSize(clientWidth, buttonsTop + kButtonHeight + kMargin);
  form->SetActiveControl(edit);
  form->OnShow = [edit](TObject*) { edit->SelectAll(); };
  if (form->ShowModal() != mrOk) return false;
  Value = edit->GetText();
  return true;
}

String InputBox(const String& Caption, const String& Prompt, const String& Default) {
  String value = Default;
  return InputQuery(Caption, Prompt, value) ? value : Default;
}

namespace {
class TDialogConfirmation : public TConfirmation {
 public:
  bool Confirm(const String& Msg) override { return MessageDlg(Msg, mtConfirmation, mbOKCancel) == mrOk; }
};
}  // namespace

TConfirmation& TConfirmation::System() {
  static TDialogConfirmation confirmation;
  return confirmation;
}
