#pragma once
// TFreeNotifier: lets an object that is no component (a collection item, a data link) hear
// that components it refers to are being freed. Watch a component; OnRemove fires with it
// while it is destroyed, and the watch ends.
#include <functional>

#include "classlib/core/component.h"

class TFreeNotifier : public TComponent {
  HX_CLASS(TFreeNotifier, TComponent)
 public:
  explicit TFreeNotifier(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
  void Watch(TComponent* AComponent) {
    if (AComponent) FreeNotification(AComponent);
  }
  void Unwatch(TComponent* AComponent) {
    if (AComponent) RemoveFreeNotification(AComponent);
  }
  std::function<void(TComponent* AComponent)> OnRemove;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
};
