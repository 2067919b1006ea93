#pragma once
// TComponent: the base of every component. An owner frees the components it owns (the last
// inserted first); `delete` on a component removes it from its owner first. Components are
// found by name in their owner, told when others are inserted or removed, and streamed with
// their owner's form.
#include <functional>
#include <unordered_map>
#include <vector>

#include "classlib/core/persistent.h"

class TReader;
class TWriter;

// csDesigning exists for components that behave differently in a designer; this program
// never sets it.
HX_ENUM(TComponentStateFlag, csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating,
        csFixups, csFreeNotification, csInline);
using TComponentState = TSet<TComponentStateFlag>;

HX_ENUM(TOperation, opInsert, opRemove);

using TGetChildProc = std::function<void(TComponent* Child)>;

class TComponent : public TPersistent {
  HX_CLASS(TComponent, TPersistent)
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  TComponent* Owner() const { return FOwner; }
  const String& GetName() const { return FName; }
  // Raises EComponentError for a name that is no identifier, or one another component of
  // the owner has (names compare without regard to case). An empty name is allowed.
  virtual void SetName(const String& NewName);
  int GetTag() const { return FTag; }
  void SetTag(int Value) { FTag = Value; }

  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int Index) const;  // EListError when out of range
  // An owned component by name, without regard to case; nullptr when there is none.
  TComponent* FindComponent(const String& Name) const;
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  void DestroyComponents();

  TComponentState ComponentState() const { return FComponentState; }
  // Runs before an owner frees this component, while the whole object still stands
  // (forms fire OnDestroy here).
  virtual void BeforeDestruction() {}
  // Marks this component and the ones it owns as being destroyed. The destructor does it
  // too; a destructor that must see the flag earlier calls it first.
  void Destroying();

  // Asks to be told (Notification with opRemove) when AComponent is destroyed, also when
  // it has another owner.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  // Form streaming. GetChildren lists the components written inside this one: for a root,
  // the owned components that have no parent; controls list their child controls.
  virtual void GetChildren(TGetChildProc Proc, TComponent* Root);
  // The owner and parent of the components read inside this one (nullptr: the root).
  virtual TComponent* GetChildOwner();
  virtual TComponent* GetChildParent();
  virtual void SetChildOrder(TComponent* Child, int Order);
  virtual bool HasParent() const;
  virtual TComponent* GetParentComponent() const;
  virtual void SetParentComponent(TComponent* Value);

  TPersistent* GetOwner() override;
  String GetNamePath() override;

 protected:
  // Called once the whole form stream is read (and references resolved); clears csLoading.
  virtual void Loaded();
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  // Reads or writes this component's properties and children (through the filer).
  virtual void ReadState(TReader* Reader);
  virtual void WriteState(TWriter* Writer);
  virtual void ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName);
  void Updating();
  void Updated();

 private:
  friend class TReader;
  friend class TWriter;
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void ChangeName(const String& NewName);
  // Points the owner's published field of this component's name at it (or clears it).
  void SetReference(bool Enable);
  void RemoveNotification(TComponent* AComponent);

  TComponent* FOwner = nullptr;
  String FName;
  int FTag = 0;
  std::vector<TComponent*> FComponents;
  std::unordered_map<String, TComponent*> FNameIndex;  // upper-case name -> owned component
  std::vector<TComponent*> FFreeNotifies;
  TComponentState FComponentState;
};
