#pragma once
// TPersistent: objects that can be assigned to one another and streamed with a form.
#include "classlib/core/object.h"
#include "classlib/core/typinfo.h"

class TFiler;

class TPersistent : public TObject {
  HX_CLASS(TPersistent, TObject)
 public:
  // Copies Source into this object; a source that cannot be assigned raises EConvertError
  // "Cannot assign a TSource to a TDest".
  virtual void Assign(TPersistent* Source);
  // Streamed data beyond the published properties ("Strings", "FileContents" ...):
  // descendants call Filer->DefineProperty / DefineBinaryProperty.
  virtual void DefineProperties(TFiler* Filer);
  // The object that owns this one (a collection's owner, an item's collection ...).
  virtual TPersistent* GetOwner();
  // "Form1.Button1", "Form1.Grid.Columns[2]": how designers and filers name the object.
  virtual String GetNamePath();

 protected:
  // Assign asks the source to copy itself into Dest when Dest does not know the source.
  virtual void AssignTo(TPersistent* Dest);
  [[noreturn]] void AssignError(TPersistent* Source);
};
