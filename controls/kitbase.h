#pragma once
// The control kit's bases. Its components descend from TKitCustomComponent (TKitComponent
// for the non-visual ones), the sub-objects they own and publish (bevels, gradients,
// regions, waves) from TKitObject. Both carry the kit's change protocol: every setter
// stores only a changed value and then calls Change, which tells OnChange unless an update
// is in progress; BeginUpdate/EndUpdate(true) turn a batch of changes into one.
#include "classlib/core/component.h"
#include "classlib/core/exceptions.h"

// Setters store a value only when it differs: true when Field took Value (the setter then
// calls Change).
template <class T>
bool KitStore(T& Field, const T& Value) {
  if (Field == Value) return false;
  Field = Value;
  return true;
}

// The change protocol, shared by the two bases.
class TKitChangeNotifier {
 public:
  virtual ~TKitChangeNotifier() = default;
  TNotifyEvent OnChange;

  // Updates nest: only the outermost EndUpdate ends the update.
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate(bool CallChange);
  bool Updating() const { return FUpdateCount > 0; }

  // Tells OnChange (with the object as sender) unless an update is in progress.
  // Descendants override Change and keep calling Changed.
  virtual void Change();
  virtual void Changed() { Change(); }

 protected:
  virtual TObject* ChangeSender() = 0;

 private:
  int FUpdateCount = 0;
};

class TKitCustomComponent : public TComponent, public TKitChangeNotifier {
  HX_CLASS(TKitCustomComponent, TComponent)
 public:
  explicit TKitCustomComponent(TComponent* AOwner) : TComponent(AOwner) {}

 protected:
  TObject* ChangeSender() override { return this; }
};

// The base of the kit's non-visual components.
class TKitComponent : public TKitCustomComponent {
  HX_CLASS(TKitComponent, TKitCustomComponent)
 public:
  explicit TKitComponent(TComponent* AOwner) : TKitCustomComponent(AOwner) {}
};

// The base of the persistent sub-objects that components own and publish; the owner
// assigns OnChange.
class TKitObject : public TPersistent, public TKitChangeNotifier {
  HX_CLASS(TKitObject, TPersistent)
 public:
  TKitObject() = default;

 protected:
  TObject* ChangeSender() override { return this; }
};

// A component that allows one instance per form met a second one, or a wrong owner.
class KitEOneInstError : public Exception {
 public:
  // Kind 0: a wrong owner or a second instance; kind 1: one per project.
  KitEOneInstError(int Kind, const String& Name);
};

// True (refuse) when Owner is nil, is no form (a data module passes when AllowDataModule),
// or holds more than one component of Class (descendants count); false for a nil class or
// at most one instance. Forms and data modules are the class library's TForm and
// TDataModule, looked up by name so that the kit does not depend on the windowing classes.
bool CheckOneInstance(TComponent* Owner, TClass Class, bool AllowDataModule);

namespace controls::detail {
// The rule itself, with the form and data module classes given (nullptr: none exists).
bool CheckOneInstanceOf(TComponent* Owner, TClass Class, bool AllowDataModule, TClass FormClass,
                        TClass DataModuleClass);
}  // namespace controls::detail
