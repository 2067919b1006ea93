#pragma once
#include <string>

// Folders of the checkout as the test program sees them (under Wine: on drive Z:).
namespace horavox::test {
std::string SourceDir();    // the checkout
std::string BinaryDir();    // this build tree
std::string SoundDataDir(); // generated Sounds/ and Ring/
std::string TempDir();      // a fresh folder per test program run, under the build tree
}
