#pragma once
// TAssistantBalloon: the speech balloon (or thought cloud) that points at the character's
// stage. Its modes: a plain message, a message dialog with buttons and a check box, the
// tips browser, a hint and a guide with pages of topics, an input box and a user panel.
// It places itself on the side of the stage where it fits on the stage's monitor, opens
// with a short zoom, may close itself after a time-out and may run modally. Its form is
// the resource TASSISTANTBALLOON (resources/AssistantBalloon.form); its flat buttons and
// tips icon come from assistant/balloonglyphs.rc. Main thread only. Windows only.
#include <functional>
#include <memory>
#include <vector>

#include "assistant/balloonoptions.h"
#include "assistant/flatbutton.h"
#include "classlib/windows/dialogs.h"
#include "classlib/windows/extctrls.h"
#include "classlib/windows/forms.h"

class TAssistantStage;

using TCustomLabelEvent = std::function<void(TObject* Sender, TLabel* Label)>;

class TAssistantBalloon : public TForm {
  HX_CLASS(TAssistantBalloon, TForm)
 public:
  enum TMode {
    bmPlain = 0,
    bmMessage = 1,
    bmTips = 2,
    bmHint = 3,
    bmGuide = 4,
    bmMessageNoCheck = 5,
    bmMessageNoCheck2 = 6,
    bmInput = 7,
    bmUserPanel = 8
  };
  static constexpr int TailDepth = 17, CloudDepth = 60;

  // Make it with NewForm<TAssistantBalloon>(Owner): the form resource is read then.
  explicit TAssistantBalloon(TComponent* AOwner);
  ~TAssistantBalloon() override;
  void AfterConstruction() override;

  // The form's controls (filled by the form resource).
  TPanel* ClientPanel = nullptr;
  TLabel* Msg = nullptr;
  TImage* Icon = nullptr;
  TShape* DividerTop = nullptr;
  TShape* DividerBottom = nullptr;
  TPanel* TopicsPanel = nullptr;
  TLabel* Title = nullptr;
  TCheckBox* CheckBox = nullptr;
  TShape* InputBoxBorder = nullptr;
  TMemo* InputBox = nullptr;
  void CheckBoxClick(TObject* Sender);
  void InputBoxChange(TObject* Sender);
  void InputBoxKeyPress(TObject* Sender, wchar_t& Key);

  TBalloonOptions* BalloonOptions() const { return FBalloon.get(); }
  TMsgDlgOptions* MsgDlgOptions() const { return FMsgDlg.get(); }
  TTipsDlgOptions* TipsDlgOptions() const { return FTipsDlg.get(); }
  TGuideDlgOptions* GuideDlgOptions() const { return FGuideDlg.get(); }
  THintDlgOptions* HintDlgOptions() const { return FHintDlg.get(); }

  // The stage the balloon points at (nullptr: none); a shown balloon is placed again.
  void AttachTo(TAssistantStage* Stage);
  TAssistantStage* Stage() const { return FStage; }
  // On: a shown balloon hides and remembers it; off: it shows again (its panel shown).
  void HoldBack(bool On);
  bool HeldBack() const { return FHeldBack; }

  int GetMode() const { return FMode; }
  // A new mode hides every control of the client panel and lays the mode out.
  void SetMode(int Mode);
  // Lays the current mode out (then places a shown balloon again).
  void LayoutMode();
  // Computes side, bounds and shape, and applies them.
  void Place();

  // Opening and closing. Texts are the message's; TimeoutMs 0 keeps the balloon open.
  void ShowText(const String& Text, int TimeoutMs = 0);
  // A message dialog: the buttons of the set in one row; Default names the focused one
  // (by default OK, else Yes, else Retry). Runs modally; the button's modal result.
  TModalResult MessageDlg(const String& Text, TMsgDlgButtons Buttons, int Default = -1, int HelpContext = 0);
  void ShowTips();
  void ShowHintDlg();
  TModalResult ShowHintDlgModal();
  void ShowGuide();
  TModalResult ShowGuideModal();
  // An input box: true with the text typed when OK (or Enter) ends it.
  bool InputQuery(const String& Prompt, String& Value);
  // The form's first panel other than its own moves into the balloon.
  void ShowUserPanel();
  TModalResult ShowUserPanelModal();
  // Shows the current mode as it is laid out, not modally.
  void ShowBalloon();
  // Runs the current mode modally: its result, mrCancel when closed otherwise or when the
  // program quits (the quit stays for the program's loop).
  TModalResult RunModal();
  void CloseBalloon();

  bool IsShown() const { return FShown; }
  bool IsModal() const { return FModal; }
  int GetCloseTimeout() const { return FCloseTimeout; }
  void SetCloseTimeout(int Ms) { FCloseTimeout = Ms < 0 ? 0 : Ms; }
  bool GetThoughtCloud() const { return FThought; }
  void SetThoughtCloud(bool Value);
  // A fixed place (no side, no tail): the body's top-left corner in screen pixels.
  void SetFixedPosition(bool Fixed, TPoint At = {});
  bool GetNonActivating() const { return FNonActivating; }
  void SetNonActivating(bool Value) { FNonActivating = Value; }
  int GetHelpContext() const { return FHelpContext; }
  void SetHelpContext(int Value) { FHelpContext = Value; }
  String GetText() const { return FText; }
  void SetText(const String& Value);

  // What Place computed: the side (0 none, 1..8), the tail position, the work area.
  int Side() const { return FSide; }
  int TailPosition() const { return FTail; }
  TRect WorkArea() const;
  // The final shape in window coordinates (a copy the caller owns).
  HRGN CopyShape() const;
  // The buttons of the current mode (message, tips, guide, hint, input tables by caption).
  TOffice97Button* FindButton(const String& Caption) const;
  const std::vector<TOffice97Button*>& TopicButtons() const { return FTopicButtons; }
  TOffice97Button* PreviousPageButton() const { return FPrevPage; }
  TOffice97Button* NextPageButton() const { return FNextPage; }
  int FirstShownTopic() const { return FFirstTopic; }
  int ShownTopicCount() const { return FShownTopics; }

  TNotifyEvent OnShown;
  TNotifyEvent OnHidden;
  TCustomLabelEvent OnAdjustCustomLabel;
  // Each click of a control of the balloon (for the owner's bookkeeping), before it acts.
  TNotifyEvent OnControlClick;
  // Before every layout (the owner sets the option objects' events it offers).
  TNotifyEvent OnBeforeLayout;

 protected:
  void Dispatch(TMessage& Message) override;
  void Paint() override;
  void SetWindowVisibility() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  struct TMeasures {
    int ButtonHeight, LineHeight, Extra;
  };
  TMeasures Measures();
  int TextWidth(TFont* Font, const String& Text);
  int TextHeight(TFont* Font, const String& Text, int Width);
  int CommandWidth(const std::vector<String>& Captions);
  TOffice97Button* MakeButton(TWinControl* Parent, const String& Caption, std::function<void()> Click);
  void StyleButton(TOffice97Button* Button);
  void FreeButtons(std::vector<TOffice97Button*>& Buttons);
  int TextBlock(int TextWidthValue, TGraphic* IconPicture, const String& TitleText, const String& Text);
  void HidePanelControls();
  void EnterMode(int Mode);
  void LayoutPlain();
  void LayoutMessage();
  void LayoutTips();
  void LayoutHint();
  void LayoutGuide();
  void LayoutInput();
  void LayoutUserPanel();
  int LayoutTopics(bool Guide, int Y, int Budget);
  TOffice97Button* TopicButton(int Index);
  void TopicClicked(int Index);
  void NextPage();
  void PreviousPage();
  void MessageButtonClick(int Index);
  void Search();
  void EscapePressed();
  void ApplyZOrder();
  void StartShow();
  void Zoom();
  void EndHide();
  void OptionsChanged();
  TPanel* UserPanel() const;

  std::unique_ptr<TBalloonOptions> FBalloon;
  std::unique_ptr<TMsgDlgOptions> FMsgDlg;
  std::unique_ptr<TTipsDlgOptions> FTipsDlg;
  std::unique_ptr<TGuideDlgOptions> FGuideDlg;
  std::unique_ptr<THintDlgOptions> FHintDlg;
  TAssistantStage* FStage = nullptr;
  int FMode = -1;
  int FSide = 0;
  bool FHeldBack = false;
  bool FShown = false;
  bool FZooming = false;
  bool FNonActivating = true;
  bool FModal = false;
  int FCloseTimeout = 0;
  bool FThought = false;
  bool FFixed = false;
  TPoint FFixedAt;
  int FHelpContext = 0;
  String FText;
  TMsgDlgButtons FMsgButtons{mbOK};
  int FMsgDefault = -1;
  int FTail = 0;
  HRGN FShape = nullptr;
  bool FLayingOut = false;
  TWinControl* FFocusOnShow = nullptr;
  std::vector<TOffice97Button*> FMessageButtons;  // by table place, nullptr when not in use
  std::vector<TOffice97Button*> FTipsButtons;     // Close, Next, Back
  std::vector<TOffice97Button*> FGuideButtons;    // Close, Options, Tips, Search
  TOffice97Button* FHintOk = nullptr;
  std::vector<TOffice97Button*> FInputButtons;    // OK, Cancel
  TOffice97Button* FPrevPage = nullptr;
  TOffice97Button* FNextPage = nullptr;
  std::vector<TOffice97Button*> FTopicButtons;
  int FFirstTopic = 0;
  int FShownTopics = 0;
  std::vector<int> FPageStarts;  // the first topics of the pages before this one
  int FTopicsHeight = 0;
  int FTopicsMode = -1;  // whose topics the topic buttons show
};
