#pragma once
// How a text sits in its box: controls and dataset fields share it.
#include "classlib/core/typinfo.h"

HX_ENUM(TAlignment, taLeftJustify, taRightJustify, taCenter);
