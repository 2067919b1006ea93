#include "classlib/core/component.h"

#include <algorithm>

#include "classlib/core/filer.h"
#include "classlib/core/identifiers.h"
#include "classlib/core/lists.h"
#include "classlib/core/text.h"

HX_PUBLISH(TComponent, p) {
  p.Property("Name", &TComponent::GetName, &TComponent::SetName).Stored(false);
  p.Property("Tag", &TComponent::GetTag, &TComponent::SetTag).Default(0);
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    other->RemoveNotification(this);
    other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount())
    ListIndexError(Index);
  return FComponents[static_cast<size_t>(Index)];
}

TComponent* TComponent::FindComponent(const String& Name) const {
  if (Name.empty()) return nullptr;
  auto it = FNameIndex.find(UpperCase(Name));
  return it == FNameIndex.end() ? nullptr : it->second;
}

void TComponent::SetName(const String& NewName) {
  if (FName == NewName) return;
  if (!NewName.empty() && !classlib::detail::IsValidIdent(NewName))
    throw EComponentError("'" + NewName + "' is not a valid component name");
  if (FOwner) FOwner->ValidateRename(this, FName, NewName);
  else ValidateRename(nullptr, FName, NewName);
  if (FOwner && !NewName.empty()) {
    const TFieldInfo* field = FOwner->ClassType()->FindField(NewName);
    if (field && !field->Accepts(this))
      throw EComponentError("Field " + NewName + " of " + FOwner->ClassName() + " cannot hold a " + ClassName());
  }
  SetReference(false);
  ChangeName(NewName);
  SetReference(true);
}

void TComponent::ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName) {
  if (AComponent && !NewName.empty() && !SameText(CurName, NewName)) {
    TComponent* other = FindComponent(NewName);
    if (other && other != AComponent) throw EComponentError("A component named " + NewName + " already exists");
  }
}

void TComponent::ChangeName(const String& NewName) {
  if (FOwner) {
    auto it = FOwner->FNameIndex.find(UpperCase(FName));
    if (it != FOwner->FNameIndex.end() && it->second == this) FOwner->FNameIndex.erase(it);
    if (!NewName.empty()) FOwner->FNameIndex[UpperCase(NewName)] = this;
  }
  FName = NewName;
}

void TComponent::SetReference(bool Enable) {
  if (!FOwner || FName.empty()) return;
  const TFieldInfo* field = FOwner->ClassType()->FindField(FName);
  if (!field) return;
  if (Enable) field->Set(FOwner, this);
  else if (field->Get(FOwner) == this) field->Set(FOwner, nullptr);
}

void TComponent::InsertComponent(TComponent* AComponent) {
  ValidateRename(AComponent, String(), AComponent->FName);
  Insert(AComponent);
  AComponent->SetReference(true);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  Notification(AComponent, opRemove);
  AComponent->SetReference(false);
  Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent) {
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  FComponents.push_back(AComponent);
  if (!AComponent->FName.empty()) FNameIndex.emplace(UpperCase(AComponent->FName), AComponent);
  AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent) {
  auto it = std::find(FComponents.rbegin(), FComponents.rend(), AComponent);
  if (it != FComponents.rend()) FComponents.erase(std::next(it).base());
  auto named = FNameIndex.find(UpperCase(AComponent->FName));
  if (named != FNameIndex.end() && named->second == AComponent) FNameIndex.erase(named);
  AComponent->FOwner = nullptr;
}

void TComponent::DestroyComponents() {
  // Each component removes itself from this owner as it goes, so the others hear of it.
  while (!FComponents.empty()) {
    TComponent* last = FComponents.back();
    last->BeforeDestruction();
    if (FComponents.empty() || FComponents.back() != last) continue;  // it went by itself
    last->Destroying();
    delete last;
  }
}

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState.Include(csDestroying);
  for (TComponent* c : FComponents) c->Destroying();
}

void TComponent::FreeNotification(TComponent* AComponent) {
  // Components of the same owner hear of each other through the owner already.
  if (!FOwner || AComponent->FOwner != FOwner) {
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
      FFreeNotifies.push_back(AComponent);
      AComponent->FreeNotification(this);
    }
  }
  FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  RemoveNotification(AComponent);
  AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
  auto it = std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent);
  if (it != FFreeNotifies.end()) FFreeNotifies.erase(it);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
  // A component told here may free others: the index is kept within the list.
  for (size_t i = FComponents.size(); i > 0;) {
    --i;
    FComponents[i]->Notification(AComponent, Operation);
    if (i > FComponents.size()) i = FComponents.size();
  }
}

void TComponent::GetChildren(TGetChildProc Proc, TComponent* Root) {
  if (Root != this) return;
  for (TComponent* c : std::vector<TComponent*>(FComponents))
    if (!c->HasParent()) Proc(c);
}

TComponent* TComponent::GetChildOwner() { return nullptr; }
TComponent* TComponent::GetChildParent() { return this; }
void TComponent::SetChildOrder(TComponent*, int) {}
bool TComponent::HasParent() const { return false; }
TComponent* TComponent::GetParentComponent() const { return nullptr; }
void TComponent::SetParentComponent(TComponent*) {}

TPersistent* TComponent::GetOwner() { return FOwner; }
String TComponent::GetNamePath() { return FName; }

void TComponent::Loaded() { FComponentState.Exclude(csLoading); }

void TComponent::ReadState(TReader* Reader) { Reader->ReadData(this); }
void TComponent::WriteState(TWriter* Writer) { Writer->WriteData(this); }

void TComponent::Updating() { FComponentState.Include(csUpdating); }
void TComponent::Updated() { FComponentState.Exclude(csUpdating); }
