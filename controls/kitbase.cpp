#include "controls/kitbase.h"

HX_PUBLISH(TKitCustomComponent, p) {}
HX_PUBLISH(TKitComponent, p) {}
HX_PUBLISH(TKitObject, p) {}

void TKitChangeNotifier::EndUpdate(bool CallChange) {
  if (FUpdateCount > 0) --FUpdateCount;
  if (CallChange) Change();
}

void TKitChangeNotifier::Change() {
  if (FUpdateCount == 0 && OnChange) OnChange(ChangeSender());
}

KitEOneInstError::KitEOneInstError(int Kind, const String& Name)
    : Exception(Kind == 0 ? Name + ":\r" + "Invalid owner (<>TForm) or second instance on a form"
                          : Name + ":\r" + "Already one " + Name + " control in this project!") {}

bool CheckOneInstance(TComponent* Owner, TClass Class, bool AllowDataModule) {
  return controls::detail::CheckOneInstanceOf(Owner, Class, AllowDataModule, GetClass("TForm"),
                                              GetClass("TDataModule"));
}

bool controls::detail::CheckOneInstanceOf(TComponent* Owner, TClass Class, bool AllowDataModule, TClass FormClass,
                                          TClass DataModuleClass) {
  if (!Class) return false;
  if (!Owner) return true;
  auto isA = [Owner](TClass c) { return c && Owner->InheritsFrom(c); };
  if (!isA(FormClass) && !(AllowDataModule && isA(DataModuleClass))) return true;
  int count = 0;
  for (int i = 0; i < Owner->ComponentCount() && count < 2; ++i)
    if (Owner->Components(i)->InheritsFrom(Class)) ++count;
  return count > 1;
}
