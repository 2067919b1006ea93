#include "desktop/dsksystems.h"

#include "classlib/core/collection.h"

namespace {
const char kAboutText[] = "Horavox desktop services";
}

HX_PUBLISH(TDskSystemsComponent, p) {
  p.Property("About", &TDskSystemsComponent::About, &TDskSystemsComponent::About).Stored(false);
}

TDskSystemsComponent::TDskSystemsComponent(TComponent* AOwner) : TComponent(AOwner), About(kAboutText) {}

bool TDskSystemsComponent::ItemOwnerLoading(TCollectionItem* Item) {
  TCollection* collection = Item->Collection();
  auto* owner = collection ? dynamic_cast<TComponent*>(collection->Owner()) : nullptr;
  return owner && owner->ComponentState().Contains(csLoading);
}
