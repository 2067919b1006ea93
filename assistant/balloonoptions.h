#pragma once
// The speech balloon's option objects: the balloon's look (TBalloonOptions), the message
// dialog's (TMsgDlgOptions with its TCheckBoxOptions), the tips browser's, the guide's and
// the hint's. Each is a TPersistent streamed by path ("Balloon.Color") and copied by
// Assign (values only: the events belong to the owner); each tells OnChange of every change,
// so the balloon lays itself out again.
// TTopicsList is a string list of TTopicOptions (a value, a flag and a click handler per
// line) whose topics stream as the binary property "Options": 4-byte value and 1-byte flag
// per topic. Windows only (fonts and icons).
#include <cstdint>
#include <functional>
#include <memory>

#include "classlib/windows/graphics.h"
#include "classlib/windows/pictures.h"
#include "classlib/windows/stdctrls.h"
#include "classlib/core/stringlist.h"

class TBalloonOptionsBase : public TPersistent {
  HX_CLASS(TBalloonOptionsBase, TPersistent)
 public:
  // Every change of a value.
  std::function<void()> OnChange;

 protected:
  void Changed() {
    if (OnChange) OnChange();
  }
  template <class T>
  void Store(T& Field, const T& Value) {
    if (Field == Value) return;
    Field = Value;
    Changed();
  }
};

class TBalloonOptions : public TBalloonOptionsBase {
  HX_CLASS(TBalloonOptions, TBalloonOptionsBase)
 public:
  TBalloonOptions();
  ~TBalloonOptions() override;
  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value) { Store(FColor, Value); }
  TColor GetBorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor Value) { Store(FBorderColor, Value); }
  TFont* GetFont() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TFont* GetHoverFont() const { return FHoverFont.get(); }
  void SetHoverFont(TFont* Value) { FHoverFont->Assign(Value); }
  bool GetOffice2000Look() const { return FOffice2000Look; }
  void SetOffice2000Look(bool Value) { Store(FOffice2000Look, Value); }
  bool IsFontStored() const;
  bool IsHoverFontStored() const;
  void Assign(TPersistent* Source) override;

 private:
  TColor FColor = static_cast<TColor>(12648447);
  TColor FBorderColor = clBlack;
  std::unique_ptr<TFont> FFont, FHoverFont;
  bool FOffice2000Look = true;
};

class TCheckBoxOptions : public TBalloonOptionsBase {
  HX_CLASS(TCheckBoxOptions, TBalloonOptionsBase)
 public:
  String GetCaption() const { return FCaption; }
  void SetCaption(const String& Value) { Store(FCaption, Value); }
  String GetHint() const { return FHint; }
  void SetHint(const String& Value) { Store(FHint, Value); }
  bool GetAllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value) { Store(FAllowGrayed, Value); }
  TCheckBoxState GetState() const { return FState; }
  void SetState(TCheckBoxState Value) { Store(FState, Value); }
  bool GetChecked() const { return FState == cbChecked; }
  void SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value) { Store(FEnabled, Value); }
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool Value) { Store(FVisible, Value); }
  void Assign(TPersistent* Source) override;

 private:
  String FCaption, FHint;
  bool FAllowGrayed = false;
  TCheckBoxState FState = cbUnchecked;
  bool FEnabled = true;
  bool FVisible = false;
};

class TMsgDlgOptions : public TBalloonOptionsBase {
  HX_CLASS(TMsgDlgOptions, TBalloonOptionsBase)
 public:
  TMsgDlgOptions();
  ~TMsgDlgOptions() override;
  TIcon* GetCustomIcon() const { return FCustomIcon.get(); }
  void SetCustomIcon(TIcon* Value) { FCustomIcon->Assign(Value); }
  String GetTitle() const { return FTitle; }
  void SetTitle(const String& Value) { Store(FTitle, Value); }
  TCheckBoxOptions* GetCheckBox() const { return FCheckBox.get(); }
  void SetCheckBox(TCheckBoxOptions* Value) { FCheckBox->Assign(Value); }
  void Assign(TPersistent* Source) override;

 private:
  std::unique_ptr<TIcon> FCustomIcon;
  String FTitle;
  std::unique_ptr<TCheckBoxOptions> FCheckBox;
};

HX_ENUM(TTipsButton, tbClose, tbNext, tbBack);
using TTipsButtons = TSet<TTipsButton>;

class TTipsDlgOptions : public TBalloonOptionsBase {
  HX_CLASS(TTipsDlgOptions, TBalloonOptionsBase)
 public:
  TTipsDlgOptions();
  ~TTipsDlgOptions() override;
  TTipsButtons GetVisibleButtons() const { return FVisibleButtons; }
  void SetVisibleButtons(TTipsButtons Value) { Store(FVisibleButtons, Value); }
  TStringList* GetTips() const { return FTips.get(); }
  void SetTips(TStringList* Value) { FTips->Assign(Value); }
  int GetTipIndex() const { return FTipIndex; }
  void SetTipIndex(int Value) { Store(FTipIndex, Value); }
  void Assign(TPersistent* Source) override;
  TNotifyEvent OnTipsTipChange;

 private:
  TTipsButtons FVisibleButtons{tbClose, tbNext, tbBack};
  std::unique_ptr<TStringList> FTips;
  int FTipIndex = -1;
};

using TTopicClickEvent = std::function<void(TObject* Sender, int TopicId)>;

// One topic line: its value (-1: none, the line's place identifies it), its flag (bit 0 a
// heading that cannot be clicked; bits 1..3 underline, bold, italic of its font; bits 4..6
// the same added to its hover font) and its own click handler.
class TTopicOptions : public TObject {
  HX_CLASS(TTopicOptions, TObject)
 public:
  std::int32_t Value = -1;
  std::uint8_t Flag = 0;
  TTopicClickEvent OnClick;
  bool IsHeading() const { return (Flag & 1) != 0; }
};

class TTopicsList : public TStringList {
  HX_CLASS(TTopicsList, TStringList)
 public:
  TTopicsList() = default;
  ~TTopicsList() override;
  // The topic of a line (every line has one).
  TTopicOptions* Topic(int Index) const { return static_cast<TTopicOptions*>(GetObject(Index)); }
  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, const String& S) override { InsertObject(Index, S, nullptr); }
  void InsertObject(int Index, const String& S, TObject* AObject) override;
  int AddObject(const String& S, TObject* AObject) override;
  // Copies the strings and makes fresh topics copied from the source's.
  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler* Filer) override;

 private:
  TObject* NewTopic(TObject* Given);
  void ReadOptions(TStream* Stream);
  void WriteOptions(TStream* Stream);
};

HX_ENUM(TGuideButton, gbClose, gbOptions, gbTips, gbSearch, gbBackPage, gbNextPage);
using TGuideButtons = TSet<TGuideButton>;
// Sender, then whether the options and the search buttons are enabled.
using TGuideGetBtnStatesEvent = std::function<void(TObject* Sender, bool& OptionsButton, bool& SearchButton)>;

class TGuideDlgOptions : public TBalloonOptionsBase {
  HX_CLASS(TGuideDlgOptions, TBalloonOptionsBase)
 public:
  TGuideDlgOptions();
  ~TGuideDlgOptions() override;
  TGuideButtons GetVisibleButtons() const { return FVisibleButtons; }
  void SetVisibleButtons(TGuideButtons Value) { Store(FVisibleButtons, Value); }
  TIcon* GetIcon() const { return FIcon.get(); }
  void SetIcon(TIcon* Value) { FIcon->Assign(Value); }
  bool GetAcceptRequest() const { return FAcceptRequest; }
  void SetAcceptRequest(bool Value) { Store(FAcceptRequest, Value); }
  bool GetRequestResult() const { return FRequestResult; }
  void SetRequestResult(bool Value) { Store(FRequestResult, Value); }
  TTopicsList* GetTopics() const { return FTopics.get(); }
  void SetTopics(TTopicsList* Value) { FTopics->Assign(Value); }
  String GetTitle() const { return FTitle; }
  void SetTitle(const String& Value) { Store(FTitle, Value); }
  String GetRequest() const { return FRequest; }
  void SetRequest(const String& Value) { Store(FRequest, Value); }
  String GetDescription() const { return FDescription; }
  void SetDescription(const String& Value) { Store(FDescription, Value); }
  void Assign(TPersistent* Source) override;
  // The request line's text, without telling OnChange (the balloon copies its edits here).
  void SetRequestQuietly(const String& Value) { FRequest = Value; }

  TNotifyEvent OnGuideRequestChange;
  TTopicClickEvent OnGuideTopicClick;
  TNotifyEvent OnGuideOptionsClick;
  TNotifyEvent OnGuideSearchClick;
  TGuideGetBtnStatesEvent OnGuideGetBtnStates;

 private:
  TGuideButtons FVisibleButtons{gbClose, gbOptions, gbTips, gbSearch};
  std::unique_ptr<TIcon> FIcon;
  bool FAcceptRequest = true;
  bool FRequestResult = false;
  std::unique_ptr<TTopicsList> FTopics;
  String FTitle, FRequest, FDescription;
};

class THintDlgOptions : public TBalloonOptionsBase {
  HX_CLASS(THintDlgOptions, TBalloonOptionsBase)
 public:
  THintDlgOptions();
  ~THintDlgOptions() override;
  TIcon* GetIcon() const { return FIcon.get(); }
  void SetIcon(TIcon* Value) { FIcon->Assign(Value); }
  TTopicsList* GetTopics() const { return FTopics.get(); }
  void SetTopics(TTopicsList* Value) { FTopics->Assign(Value); }
  String GetTitle() const { return FTitle; }
  void SetTitle(const String& Value) { Store(FTitle, Value); }
  String GetDescription() const { return FDescription; }
  void SetDescription(const String& Value) { Store(FDescription, Value); }
  void Assign(TPersistent* Source) override;
  TTopicClickEvent OnHintTopicClick;

 private:
  std::unique_ptr<TIcon> FIcon;
  std::unique_ptr<TTopicsList> FTopics;
  String FTitle, FDescription;
};
