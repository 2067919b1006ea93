#include "classlib/core/persistent.h"

HX_PUBLISH(TPersistent, p) {}

void TPersistent::Assign(TPersistent* Source) {
  if (Source) Source->AssignTo(this);
  else AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) { Dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* Source) {
  String source = Source ? Source->ClassName() : String("nil");
  throw EConvertError("Cannot assign a " + source + " to a " + ClassName());
}

void TPersistent::DefineProperties(TFiler*) {}

TPersistent* TPersistent::GetOwner() { return nullptr; }

String TPersistent::GetNamePath() {
  String path = ClassName();
  if (TPersistent* owner = GetOwner()) {
    String ownerPath = owner->GetNamePath();
    if (!ownerPath.empty()) path = ownerPath + "." + path;
  }
  return path;
}
