// Writes the actor fuzzers' seeds from the tests' small actors (tools/actorgen/testactors.cpp):
// each library's header as GetActorInfo hands it out, in <folder>/actor_header, and each of
// the valid actor's animation resources (well-formed and malformed streams and framings)
// behind the two bytes that choose its frame size, in <folder>/actor_stream.
#include <filesystem>
#include <string>
#include <vector>

#include "seed_writer.h"
#include "rig.h"

void WriteSeeds(const std::filesystem::path& out) {
  for (const TActor& actor : TestActors()) {
    if (actor.NotALibrary) continue;
    WriteSeedFile(out / "actor_header" / (actor.FileName + ".bin"), ActorHeaderBytes(actor));
    if (actor.FileName != "Tiny") continue;
    for (std::size_t i = 0; i < actor.Animations.size(); ++i) {
      const TAnimation& a = actor.Animations[i];
      if (a.NoResource) continue;
      // The fuzzer takes the frame size as the first two bytes modulo 9 and 7.
      std::vector<std::uint8_t> seed = {static_cast<std::uint8_t>(actor.Width), static_cast<std::uint8_t>(actor.Height)};
      const std::vector<std::uint8_t> framed =
          a.RawResource ? *a.RawResource : FrameActorStream(AnimationStream(a, actor.Width, actor.Height));
      seed.insert(seed.end(), framed.begin(), framed.end());
      WriteSeedFile(out / "actor_stream" / (actor.FileName + "_" + std::to_string(i + 1) + ".bin"), seed);
    }
  }
}
