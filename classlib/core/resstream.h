#pragma once
// Resources of the executable: TResourceStream reads one, and InitInheritedComponent reads
// a component's form from the RCDATA resource named after its class (TFORM1). Windows only.
#include "classlib/core/streams.h"

class TComponent;

// RT_RCDATA
constexpr int kResourceTypeRcData = 10;

// A read-only stream over a resource of Module (nullptr: the executable); EResNotFound
// "Resource X not found" when there is none.
class TResourceStream : public TCustomMemoryStream {
  HX_CLASS(TResourceStream, TCustomMemoryStream)
 public:
  TResourceStream(void* Module, const String& ResName, int ResType = kResourceTypeRcData);
};

// Reads onto Instance the form resources of its class and of its ancestors below
// RootAncestor, the most distant ancestor's first; each is named after its class in upper
// case. False when none exists.
bool InitInheritedComponent(TComponent* Instance, TClass RootAncestor);
