#include "classlib/unicode.h"
#include "classlib/winapi.h"
#include "controls/kitapp.h"

std::intptr_t controls::detail::CreateInstanceMutex(const String& Name, bool& AlreadyExists) {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, Utf8ToWide(Name).c_str());
  AlreadyExists = mutex && GetLastError() == ERROR_ALREADY_EXISTS;
  return reinterpret_cast<std::intptr_t>(mutex);
}

void controls::detail::CloseInstanceMutex(std::intptr_t Mutex) {
  if (Mutex) CloseHandle(reinterpret_cast<HANDLE>(Mutex));
}

std::int64_t controls::detail::QueryPerformanceFrequency() {
  LARGE_INTEGER f;
  return ::QueryPerformanceFrequency(&f) ? f.QuadPart : 0;
}
