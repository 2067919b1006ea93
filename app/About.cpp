#include "app/About.h"

TAboutBox* AboutBox = nullptr;

HX_PUBLISH(TAboutBox, p) {}
