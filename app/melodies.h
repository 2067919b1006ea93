#pragma once
// The chimes and alarm melodies: the wave files of the Ring folder beside the program.
#include <vector>

#include "classlib/core/text.h"

// Their names, sorted without regard to case (Cyrillic in alphabetical order), so the
// stored index of the chosen one names the same melody whatever order the file system
// lists them in. No folder, no melodies.
std::vector<String> FindMelodies(const String& ProgramFolder);
