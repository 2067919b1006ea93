#pragma once
// TObject: the root of the class hierarchy.
#include <string>

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  virtual std::string ClassName() const { return "TObject"; }
};
