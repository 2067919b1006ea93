#pragma once
// The running executable's full path as the autostart entry and the single-instance guard
// read it; tests install another (TSeamScope). Windows only.
#include "classlib/core/seam.h"
#include "classlib/core/text.h"

class TDskExecutable {
 public:
  virtual ~TDskExecutable() = default;
  virtual String Path();
  static TDskExecutable& System();
};
