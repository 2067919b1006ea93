// actorgen: draws the characters and writes the pieces of their actor libraries.
//   actorgen characters <out folder>   Angel, Ann and Dolly, with a contact sheet (BMP) each
//   actorgen test-actors <out folder>  the small valid and malformed actors of the tests
//   actorgen bulb <out folder>         the hint bulb's glyph strip, BulbGlyphs256.bmp, the flat
//                                      button's glyphs Office1..24.bmp and the tips icon
#include <cstdio>
#include <exception>
#include <string>

#include "rig.h"

void WriteBulbGlyphs(const std::string& path);     // bulbglyphs.cpp
void WriteOfficeGlyphs(const std::string& folder);  // officeglyphs.cpp

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: actorgen characters|test-actors|bulb <out folder>\n");
    return 2;
  }
  try {
    std::string what = argv[1], out = argv[2];
    if (what == "characters") {
      for (const TRig& rig : {AngelRig(), AnnRig(), DollyRig()}) {
        TActor actor = BuildActor(rig);
        CheckActor(actor);
        WriteActorSources(actor, out);
        WriteContactSheet(actor, out + "/" + actor.FileName + ".bmp", 12);
        std::size_t frames = 0;
        for (const TAnimation& a : actor.Animations) frames += a.Frames.size();
        std::printf("actorgen: %s: %zu animations, %zu frames of %dx%d\n", actor.FileName.c_str(), actor.Animations.size(),
                    frames, actor.Width, actor.Height);
      }
    } else if (what == "test-actors") {
      for (const TActor& actor : TestActors()) WriteActorSources(actor, out);
    } else if (what == "bulb") {
      WriteBulbGlyphs(out + "/BulbGlyphs256.bmp");
      WriteOfficeGlyphs(out);
    } else {
      std::fprintf(stderr, "actorgen: unknown job %s\n", what.c_str());
      return 2;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "actorgen: %s\n", e.what());
    return 1;
  }
  return 0;
}
