#pragma once
// TDskSystemsComponent: the base of the desktop services' non-visual components (the
// system information and control components, the dialog holder) and of the clock's
// settings store, sound holder and file holder.
#include "classlib/core/component.h"

class TCollectionItem;

using TDskAboutStr = String;

class TDskSystemsComponent : public TComponent {
  HX_CLASS(TDskSystemsComponent, TComponent)
 public:
  explicit TDskSystemsComponent(TComponent* AOwner);

  // An informational text for designers; never stored.
  TDskAboutStr About;

  // Whether the component that owns Item's collection is being read from its form (the
  // only time the holders' descriptive item properties take values).
  static bool ItemOwnerLoading(TCollectionItem* Item);
};
