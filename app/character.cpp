#include "app/character.h"

#include <algorithm>
#include <exception>

#include "classlib/core/random.h"
#include "classlib/core/timers.h"

TCharacterPlace WanderTarget(const TCharacterArea& Area, int StageWidth, int StageHeight) {
  return {Area.Left + Random(std::max(1, Area.Width - StageWidth)),
          Area.Top + Random(std::max(1, Area.Height - StageHeight))};
}

std::uint32_t NextWanderInterval() { return static_cast<std::uint32_t>(std::max(1000, Random(60001))); }

void WanderOnce(TCharacter& Character, TTimer* WanderTimer) {
  const bool wandering = WanderTimer->GetEnabled();
  WanderTimer->SetEnabled(false);
  if (!Character.Visible()) {
    // Kept for the next time the character is shown ("Постоянно на экране" ticked later).
    WanderTimer->SetEnabled(wandering);
    return;
  }
  TCharacterPlace to = WanderTarget(Character.WanderArea(), Character.StageWidth(), Character.StageHeight());
  WanderTimer->SetInterval(NextWanderInterval());
  Character.MoveTo(to.Left, to.Top);
  WanderTimer->SetEnabled(wandering);
}

void CharacterIdle(TCharacter& Character) {
  if (Random(3) == 0) Character.PlayAnimation(3);
}

String CharacterFileName(int AssistantSelect) {
  static const char* const kFiles[] = {"Angel.aal", "Ann.aal", "Dolly.aal"};
  return kFiles[AssistantSelect >= 0 && AssistantSelect < 3 ? AssistantSelect : 0];
}

TCharacterPlace PlaceOnDesktop(TCharacterPlace Place, const TCharacterArea& Desktop, int StageWidth,
                               int StageHeight) {
  const bool inside = Place.Left >= Desktop.Left && Place.Left < Desktop.Left + Desktop.Width &&
                      Place.Top >= Desktop.Top && Place.Top < Desktop.Top + Desktop.Height;
  if (inside) return Place;
  auto fit = [](int At, int Origin, int Size, int Stage) {
    return std::max(Origin, std::min(At, Origin + std::max(0, Size - Stage)));
  };
  return {fit(Place.Left, Desktop.Left, Desktop.Width, StageWidth),
          fit(Place.Top, Desktop.Top, Desktop.Height, StageHeight)};
}

String ApplyCharacterOptions(TCharacter& Character, TClockOptions& Options, const String& Folder) {
  String error;
  try {
    Character.SetActorLibrary(Folder + CharacterFileName(Options.AssistantSelect()));
  } catch (const std::exception& e) {
    error = e.what();
    if (error.empty()) error = "the file cannot be read";
  }
  Character.SetAlwaysOnTop(Options.ShowActorTop());
  if (Options.ShowActorAlways()) Character.ShowCharacter(false);
  else Character.HideCharacter(false);
  Character.SetWandering(Options.ActorAlwaysMove());
  return error;
}
