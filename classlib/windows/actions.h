#pragma once
// Actions: one command shared by several controls. A TAction holds what its clients show
// (Caption, Enabled, Checked, an image of an image list) and what they do (OnExecute); a
// client keeps a TActionLink, whose OnChange fires whenever the action changes, so the
// client copies what it shows (a speed button its Down from Checked and its Glyph from the
// image). The link lets go of an action that is freed (Action() becomes nullptr and
// OnChange fires once more). Windows only (the images).
#include <vector>

#include "classlib/core/component.h"

class TCustomImageList;
class TAction;

class TActionLink {
 public:
  TActionLink() = default;
  ~TActionLink();
  TActionLink(const TActionLink&) = delete;
  TActionLink& operator=(const TActionLink&) = delete;

  TAction* Action() const { return FAction; }
  // Links to Value (nullptr: none) and fires OnChange.
  void SetAction(TAction* Value);
  // The action changed (or went).
  std::function<void()> OnChange;

 private:
  friend class TAction;
  TAction* FAction = nullptr;
};

class TAction : public TComponent {
  HX_CLASS(TAction, TComponent)
 public:
  explicit TAction(TComponent* AOwner);
  ~TAction() override;

  String GetCaption() const { return FCaption; }
  void SetCaption(const String& Value);
  bool GetChecked() const { return FChecked; }
  void SetChecked(bool Value);
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  int GetImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  // The list ImageIndex picks from (not owned: a freed list is let go).
  TCustomImageList* GetImages() const { return FImages; }
  void SetImages(TCustomImageList* Value);

  // Fires OnExecute when enabled; true when it ran.
  virtual bool Execute();
  TNotifyEvent OnExecute;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Tells every link.
  void Change();

 private:
  friend class TActionLink;
  String FCaption;
  bool FChecked = false;
  bool FEnabled = true;
  int FImageIndex = -1;
  TCustomImageList* FImages = nullptr;
  std::vector<TActionLink*> FLinks;
};
