#include "classlib/windows/actions.h"

#include <algorithm>

#include "classlib/windows/imglist.h"

HX_PUBLISH(TAction, p) {
  p.Property("Caption", &TAction::GetCaption, &TAction::SetCaption).Default("");
  p.Property("Checked", &TAction::GetChecked, &TAction::SetChecked).Default(false);
  p.Property("Enabled", &TAction::GetEnabled, &TAction::SetEnabled).Default(true);
  p.Property("ImageIndex", &TAction::GetImageIndex, &TAction::SetImageIndex).Default(-1);
  p.Event("OnExecute", &TAction::OnExecute);
}

// ---- TActionLink ----

TActionLink::~TActionLink() {
  OnChange = nullptr;
  SetAction(nullptr);
}

void TActionLink::SetAction(TAction* Value) {
  if (FAction == Value) return;
  if (FAction) std::erase(FAction->FLinks, this);
  FAction = Value;
  if (FAction) FAction->FLinks.push_back(this);
  if (OnChange) OnChange();
}

// ---- TAction ----

TAction::TAction(TComponent* AOwner) : TComponent(AOwner) {}

TAction::~TAction() {
  // Links are told the action is gone; each takes itself out of the list.
  while (!FLinks.empty()) FLinks.back()->SetAction(nullptr);
}

void TAction::Change() {
  std::vector<TActionLink*> links = FLinks;  // a client may unlink while told
  for (TActionLink* link : links) {
    if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end() && link->OnChange) link->OnChange();
  }
}

void TAction::SetCaption(const String& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  Change();
}

void TAction::SetChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  Change();
}

void TAction::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  Change();
}

void TAction::SetImageIndex(int Value) {
  if (Value == FImageIndex) return;
  FImageIndex = Value;
  Change();
}

void TAction::SetImages(TCustomImageList* Value) {
  if (Value == FImages) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (FImages) FImages->FreeNotification(this);
  Change();
}

void TAction::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) {
    FImages = nullptr;
    Change();
  }
}

bool TAction::Execute() {
  if (!FEnabled || !OnExecute) return false;
  OnExecute(this);
  return true;
}
