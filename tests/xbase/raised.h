#pragma once
// The message of the exception a call raises, for tests that assert what a caller reads.
#include <functional>
#include <string>

#include "classlib/core/exceptions.h"

namespace xbtest {

inline std::string RaisedBy(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.Message;
  }
  return "(nothing raised)";
}

}  // namespace xbtest
