#pragma once
// The exception classes of the class library. Every error the program raises derives from
// Exception; EAbort is the silent one that the message loop drops.
#include <cstdint>
#include <exception>
#include <string>

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : Message(std::move(message)) {}
  const char* what() const noexcept override { return Message.c_str(); }
  std::string Message;
};

class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
  using Exception::Exception;
};

#define HX_DECLARE_EXCEPTION(Name, Base) \
  class Name : public Base {             \
   public:                               \
    using Base::Base;                    \
  }

HX_DECLARE_EXCEPTION(EConvertError, Exception);
HX_DECLARE_EXCEPTION(EOutOfResources, Exception);
HX_DECLARE_EXCEPTION(EInvalidOperation, Exception);
HX_DECLARE_EXCEPTION(EInvalidPointer, Exception);
HX_DECLARE_EXCEPTION(EListError, Exception);
HX_DECLARE_EXCEPTION(EComponentError, Exception);
HX_DECLARE_EXCEPTION(EPropertyError, Exception);
HX_DECLARE_EXCEPTION(EParserError, Exception);
HX_DECLARE_EXCEPTION(EStreamError, Exception);
HX_DECLARE_EXCEPTION(EFCreateError, EStreamError);
HX_DECLARE_EXCEPTION(EFOpenError, EStreamError);
HX_DECLARE_EXCEPTION(EFilerError, EStreamError);
HX_DECLARE_EXCEPTION(EReadError, EFilerError);
HX_DECLARE_EXCEPTION(EWriteError, EFilerError);
HX_DECLARE_EXCEPTION(EClassNotFound, EFilerError);
HX_DECLARE_EXCEPTION(EResNotFound, Exception);
HX_DECLARE_EXCEPTION(ERegistryException, Exception);

// A division by zero in computed values, raised instead of letting an infinity through.
class EDivByZero : public Exception {
 public:
  EDivByZero() : Exception("Division by zero") {}
  using Exception::Exception;
};

// An operating-system failure with the system's own error code and text.
class EOSError : public Exception {
 public:
  EOSError(std::string message, std::uint32_t code) : Exception(std::move(message)), ErrorCode(code) {}
  std::uint32_t ErrorCode;
};

// Raises EAbort: ends the current operation without a message.
[[noreturn]] void Abort();
