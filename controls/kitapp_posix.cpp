// The native build has no named mutexes: no other instance is ever seen. The counter is
// the monotonic clock's nanoseconds. There is no screen to give a cursor to, and no
// bitmaps.
#include "controls/kitapp.h"

std::intptr_t controls::detail::CreateInstanceMutex(const String&, bool& AlreadyExists) {
  AlreadyExists = false;
  return 0;
}

void controls::detail::CloseInstanceMutex(std::intptr_t) {}

std::int64_t controls::detail::QueryPerformanceFrequency() { return 1000000000; }

void controls::detail::InstallHandCursor() {}

void controls::detail::DeleteBitmap(TBitmap*) {}
