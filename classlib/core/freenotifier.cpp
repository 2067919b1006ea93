#include "classlib/core/freenotifier.h"

HX_PUBLISH(TFreeNotifier, p) {}

void TFreeNotifier::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && OnRemove) OnRemove(AComponent);
}
