#include "app/announcement.h"

#include "classlib/core/files.h"

namespace {
constexpr std::uint32_t kChimeDelay = 10;     // from AnnounceTime to the chime
constexpr std::uint32_t kAfterChime = 800;    // from the chime's end to the first fragment
constexpr std::uint32_t kNoChime = 10;        // the chime's place when there is none
constexpr std::uint32_t kEndHide = 3000;      // from the end of speech to the end
constexpr std::uint32_t kEndHideKuku = 500;
constexpr int kAnimationFly = 3, kAnimationEnd = 4, kAnimationSpeak = 6;
}  // namespace

TAnnouncement::TAnnouncement(const TAnnouncementTimers& Timers, TMediaPlayer* Player, TSayTimeGate& Gate,
                             TClockParts& Parts)
    : FTimers(Timers), FPlayer(Player), FGate(Gate), FParts(Parts) {
  FTimers.Play[0]->OnTimer = [this](TObject*) { Guarded([this] { PlayChime(); }); };
  for (int slot = 0; slot < 5; ++slot)
    FTimers.Play[slot + 1]->OnTimer = [this, slot](TObject*) { Guarded([this, slot] { PlaySlot(slot); }); };
  FTimers.EndPlay->OnTimer = [this](TObject*) { Guarded([this] { EndPlay(); }); };
  FTimers.EndPlayHide->OnTimer = [this](TObject*) { EndPlayHide(); };
  FTimers.Fly->OnTimer = [this](TObject*) { Fly(); };
}

template <class Work>
void TAnnouncement::Guarded(Work work) {
  try {
    work();
  } catch (...) {
    StopTimers();
    FTimers.Fly->SetEnabled(false);
    try {
      FParts.Character->StopPlaying(true);
      Finish();
    } catch (...) {
      // The first error is the one worth reporting.
    }
    throw;
  }
}

bool TAnnouncement::AnnounceTime(int Hour, int Minute, const String& Chime) {
  if (!FGate.MaySpeakNow()) return false;
  FGate.SetAnnouncing(true);
  FParts.HotKey->SetActive(false);
  Guarded([&] {
    // A timer left enabled with interval 0 by the last chain would start at its new
    // interval right away.
    StopTimers();
    for (TTimer* timer : FTimers.Play) timer->SetInterval(0);
    FTimers.Temp->SetInterval(0);
    FLengths = {};
    FKuku = FParts.Options->Kuku();

    String sounds = IncludeTrailingPathDelimiter(ProgramFolder) + "Sounds" + PathDelim;
    FSlots = TimeFragments(Hour, Minute);
    for (String& slot : FSlots)
      if (!slot.empty()) slot = sounds + slot;

    FChime = Chime.empty() ? String() : IncludeTrailingPathDelimiter(ProgramFolder) + "Ring" + PathDelim + Chime;
    FTimers.Play[0]->SetInterval(kChimeDelay);
    if (FChime.empty()) {
      FTimers.Play[1]->SetInterval(kNoChime);
    } else {
      FTimers.Play[1]->SetInterval(static_cast<std::uint32_t>(OpenFile(FChime) + kAfterChime));
      FPlayer->Close();
    }

    // Each slot's length is the interval of the timer that plays the next one. The cuckoo
    // says no words: their files need not be there.
    for (int slot = 0; slot < 5 && !FKuku && !FSlots[slot].empty(); ++slot) {
      FLengths[slot] = OpenFile(FSlots[slot]);
      TTimer* next = slot < 4 ? FTimers.Play[slot + 2] : FTimers.Temp;
      next->SetInterval(static_cast<std::uint32_t>(FLengths[slot]));
      FPlayer->Close();
    }

    FTimers.Play[0]->SetEnabled(true);
  });
  return true;
}

std::int64_t TAnnouncement::OpenFile(const String& Path) {
  FPlayer->SetFileName(Path);
  try {
    FPlayer->Open();
  } catch (const EMCIDeviceError& e) {
    throw EMCIDeviceError(Path + ": " + e.Message);
  }
  std::int64_t length = FPlayer->Length();
  if (length <= 0 || length > UINT32_MAX - kAfterChime) throw EMCIDeviceError(Path + ": в файле нет звука");
  return length;
}

void TAnnouncement::PlayFile(const String& Path) {
  OpenFile(Path);
  FPlayer->Play();
}

void TAnnouncement::PlayChime() {
  FTimers.Play[0]->SetEnabled(false);
  if (!FChime.empty()) PlayFile(FChime);
  if (FKuku) {
    FTimers.EndPlay->SetInterval(FTimers.Play[1]->GetInterval());
    FTimers.EndPlay->SetEnabled(true);
  } else {
    FTimers.Play[1]->SetEnabled(true);
  }
  // The character comes once the chime sounds and its timers run: showing it waits for its
  // show animation, which must hold back neither the chime nor the words.
  if (!FKuku) {
    bool show = FParts.Options->ShowActor();
    if (show) FParts.Character->ShowCharacter(false);
    FParts.Character->StopPlaying(true);
    if (show || FParts.Character->Visible()) FTimers.Fly->SetEnabled(true);
  }
}

void TAnnouncement::PlaySlot(int Slot) {
  FTimers.Play[Slot + 1]->SetEnabled(false);
  if (Slot == 0) {
    FTimers.Fly->SetEnabled(false);
    FParts.Character->StopPlaying(true);
  }
  if (FSlots[Slot].empty()) return;
  if (FParts.Options->ShowActor() || FParts.Character->Visible()) FParts.Character->PlayAnimation(kAnimationSpeak);
  PlayFile(FSlots[Slot]);
  bool last = Slot == 4 || FSlots[Slot + 1].empty();
  if (last) {
    // The chain ends here: the end timer is armed by the last fragment that plays.
    FTimers.EndPlay->SetInterval(static_cast<std::uint32_t>(FLengths[Slot]));
    FTimers.EndPlay->SetEnabled(true);
  } else {
    FTimers.Play[Slot + 2]->SetEnabled(true);
  }
}

void TAnnouncement::EndPlay() {
  FTimers.EndPlay->SetEnabled(false);
  if (!FKuku) {
    FParts.Character->StopPlaying(true);
    FParts.Character->PlayAnimation(kAnimationEnd);
  }
  FTimers.EndPlayHide->SetInterval(FKuku ? kEndHideKuku : kEndHide);
  FTimers.EndPlayHide->SetEnabled(true);
}

void TAnnouncement::EndPlayHide() {
  FTimers.EndPlayHide->SetEnabled(false);
  Finish();
}

void TAnnouncement::Finish() {
  if (!FKuku) {
    if (!FParts.Options->ShowActorAlways()) FParts.Character->HideCharacter(false);
    else if (FParts.Options->ActorAlwaysMove()) FParts.Character->MoveToRandomPlace();
  }
  FGate.SetAnnouncing(false);
  FPlayer->Close();
}

void TAnnouncement::Fly() { FParts.Character->PlayAnimation(kAnimationFly); }

void TAnnouncement::StopTimers() {
  for (TTimer* timer : FTimers.Play) timer->SetEnabled(false);
  FTimers.EndPlay->SetEnabled(false);
  FTimers.EndPlayHide->SetEnabled(false);
}
