#pragma once
// Common controls of the system's control library: the track bar, the page control with
// its tab sheets, and the hotkey edit. Windows only.
#include <vector>

#include "classlib/windows/controls.h"
#include "classlib/windows/menus.h"

HX_ENUM(TTrackBarOrientation, trHorizontal, trVertical);
HX_ENUM(TTickMark, tmBottomRight, tmTopLeft, tmBoth);
HX_ENUM(TTickStyle, tsNone, tsAuto, tsManual);

// Registers the system's common control classes once (InitCommonControlsEx).
void InitCommonControlClasses(DWORD Classes);

// A track bar. Position stays within Min..Max; OnChange fires whenever it changes, moved by
// the user or set in code (not while the form is read).
class TTrackBar : public TWinControl {
  HX_CLASS(TTrackBar, TWinControl)
 public:
  explicit TTrackBar(TComponent* AOwner);

  int GetMin() const { return FMin; }
  void SetMin(int Value);  // ignored above Max
  int GetMax() const { return FMax; }
  void SetMax(int Value);  // ignored below Min
  int GetPosition() const { return FPosition; }
  void SetPosition(int Value);  // clamped to Min..Max
  // A tick every Frequency positions (TickStyle tsAuto).
  int GetFrequency() const { return FFrequency; }
  void SetFrequency(int Value);
  int GetLineSize() const { return FLineSize; }
  void SetLineSize(int Value);
  int GetPageSize() const { return FPageSize; }
  void SetPageSize(int Value);
  TTrackBarOrientation GetOrientation() const { return FOrientation; }
  void SetOrientation(TTrackBarOrientation Value);
  TTickMark GetTickMarks() const { return FTickMarks; }
  void SetTickMarks(TTickMark Value);
  TTickStyle GetTickStyle() const { return FTickStyle; }
  void SetTickStyle(TTickStyle Value);
  // A tick at Value (TickStyle tsManual).
  void SetTick(int Value);

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  virtual void Changed();

 private:
  void PositionFromWindow();

  int FMin = 0;
  int FMax = 10;
  int FPosition = 0;
  int FFrequency = 1;
  int FLineSize = 1;
  int FPageSize = 2;
  TTrackBarOrientation FOrientation = trHorizontal;
  TTickMark FTickMarks = tmBottomRight;
  TTickStyle FTickStyle = tsAuto;
  std::vector<int> FTicks;
};

class TPageControl;

// A page of a page control: a container shown while it is the active page. Its bounds are
// the page control's, so they are not stored.
class TTabSheet : public TWinControl {
  HX_CLASS(TTabSheet, TWinControl)
 public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;

  TPageControl* GetPageControl() const { return FPageControl; }
  void SetPageControl(TPageControl* Value);
  // The place among the pages.
  int GetPageIndex() const;
  void SetPageIndex(int Value);
  // A page without its tab can still be made active in code.
  bool GetTabVisible() const { return FTabVisible; }
  void SetTabVisible(bool Value);
  // The index of its tab among the visible ones; -1 when its tab is hidden.
  int TabIndex() const;

  void SetParent(TWinControl* AParent) override;

 protected:
  bool IsSizeStored() const override { return false; }
  bool IsPositionStored() const override { return false; }
  void Dispatch(TMessage& Message) override;

 private:
  friend class TPageControl;
  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
};

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

// Pages behind tabs, over the system's tab control. The user's choice of a tab asks
// OnChanging (which may refuse) and then tells OnChange; ActivePage set in code tells
// neither.
class TPageControl : public TWinControl {
  HX_CLASS(TPageControl, TWinControl)
 public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;

  int PageCount() const { return static_cast<int>(FPages.size()); }
  TTabSheet* Pages(int Index) const;  // EListError out of range
  TTabSheet* GetActivePage() const { return FActivePage; }
  void SetActivePage(TTabSheet* Value);
  int GetActivePageIndex() const;
  void SetActivePageIndex(int Value);
  // The page after (or before) Current among those with a visible tab, wrapping round.
  TTabSheet* FindNextPage(TTabSheet* Current, bool GoForward);
  void SelectNextPage(bool GoForward);

  TNotifyEvent OnChange;
  TTabChangingEvent OnChanging;

  void GetChildren(TGetChildProc Proc, TComponent* Root) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Dispatch(TMessage& Message) override;
  void Loaded() override;
  virtual void Change();
  virtual bool CanChange();

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  void MovePage(TTabSheet* Page, int Index);
  // The tabs of the window made again from the pages.
  void UpdateTabs();
  void ShowActivePage();
  TRect DisplayRect();

  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
};

HX_ENUM(THKModifier, hkShift, hkCtrl, hkAlt, hkExt);
using THKModifiers = TSet<THKModifier>;
HX_ENUM(THKInvalidKey, hcNone, hcShift, hcCtrl, hcAlt, hcShiftCtrl, hcShiftAlt, hcCtrlAlt, hcShiftCtrlAlt);
using THKInvalidKeys = TSet<THKInvalidKey>;

// An edit that takes a key combination as the user presses it. A combination whose
// modifiers are among InvalidKeys gets Modifiers in their place. OnChange fires for what
// the user pressed, not for HotKey set in code.
class THotKey : public TWinControl {
  HX_CLASS(THotKey, TWinControl)
 public:
  explicit THotKey(TComponent* AOwner);

  TShortCut GetHotKey();
  void SetHotKey(TShortCut Value);
  THKInvalidKeys GetInvalidKeys() const { return FInvalidKeys; }
  void SetInvalidKeys(THKInvalidKeys Value);
  THKModifiers GetModifiers() const { return FModifiers; }
  void SetModifiers(THKModifiers Value);

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;

 private:
  void SetRules();

  TShortCut FHotKey = scAlt | 'A';
  THKInvalidKeys FInvalidKeys{hcNone, hcShift};
  THKModifiers FModifiers{hkAlt};
};
