#include "controls/kitcontainers.h"

#include <algorithm>

HX_PUBLISH(TKitBaseContainer, p) {}
HX_PUBLISH(TKitCustomImageList, p) {}

HX_PUBLISH(TKitChangeLink, p) {}

TKitChangeLink::~TKitChangeLink() {
  if (FSender) FSender->UnRegisterChanges(this);
}

void TKitChangeLink::Change() {
  if (OnChange) OnChange(FSender);
}

TKitBaseContainer::~TKitBaseContainer() {
  for (TKitChangeLink* link : FLinks) link->FSender = nullptr;
}

void TKitBaseContainer::RegisterChanges(TKitChangeLink* Link) {
  if (!Link || Link->FSender == this) return;
  if (Link->FSender) Link->FSender->UnRegisterChanges(Link);
  Link->FSender = this;
  FLinks.push_back(Link);
}

void TKitBaseContainer::UnRegisterChanges(TKitChangeLink* Link) {
  auto it = std::find(FLinks.begin(), FLinks.end(), Link);
  if (it == FLinks.end()) return;
  FLinks.erase(it);
  Link->FSender = nullptr;
}

void TKitBaseContainer::Change() {
  if (TKitChangeNotifier::Updating()) return;
  std::vector<TKitChangeLink*> links = FLinks;  // a link may go while it is told
  for (TKitChangeLink* link : links)
    if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end()) link->Change();
  inherited::Change();
}
