#include "classlib/core/exceptions.h"

void Abort() { throw EAbort(); }
