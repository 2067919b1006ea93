#pragma once
// The program's random numbers: one generator, safe to draw from any thread (the assistant's
// threads draw too), seedable so tests can repeat a sequence.
#include <cstdint>

// Seeds from the time and the system's entropy.
void Randomize();
void SetRandSeed(std::uint64_t seed);
// 0 <= result < range; 0 when range <= 0.
int Random(int range);
// 0 <= result < 1.
double Random();
