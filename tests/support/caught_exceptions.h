#pragma once
// Collects what reaches the callback exception handler (classlib/core/callbackguard.h) while
// it lives: the messages of the exceptions, in order.
#include <string>
#include <vector>

#include "classlib/core/callbackguard.h"
#include "classlib/core/exceptions.h"

namespace horavox::test {

class TCaughtExceptions {
 public:
  TCaughtExceptions()
      : FPrevious(SetCallbackExceptionHandler([this](std::exception_ptr e) {
          try {
            std::rethrow_exception(e);
          } catch (const std::exception& x) {
            Messages.push_back(x.what());
          } catch (...) {
            Messages.push_back("?");
          }
        })) {}
  ~TCaughtExceptions() { SetCallbackExceptionHandler(FPrevious); }
  TCaughtExceptions(const TCaughtExceptions&) = delete;
  TCaughtExceptions& operator=(const TCaughtExceptions&) = delete;

  std::vector<std::string> Messages;

 private:
  TCallbackExceptionHandler FPrevious;
};

}  // namespace horavox::test
