#pragma once
// The running executable's full path as the autostart entry and the single-instance guard
// read it; tests install another (TSeamScope). Windows only.
#include "classlib/seam.h"
#include "classlib/text.h"

class TDskExecutable {
 public:
  virtual ~TDskExecutable() = default;
  virtual String Path();
  static TDskExecutable& System();
};
