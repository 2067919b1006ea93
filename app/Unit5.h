#pragma once
// TForm5, the mini audio player: plays a music file chosen in its file dialog or dropped on
// the micro clock, with Pause, Resume, Stop and Open and a position slider that seeks. Its
// logic is TMiniPlayer (miniplayer.h); this window puts its controls behind it. Windows only.
#include <functional>
#include <memory>

#include "app/miniplayer.h"
#include "classlib/windows/buttons.h"
#include "classlib/windows/commondialogs.h"
#include "classlib/windows/forms.h"
#include "classlib/core/mplayer.h"
#include "classlib/windows/stdctrls.h"
#include "classlib/core/timers.h"

class TGxSlider;

class TForm5 : public TForm {
  HX_CLASS(TForm5, TForm)
 public:
  explicit TForm5(TComponent* AOwner);
  ~TForm5() override;

  // From the form.
  TLabel* Label1 = nullptr;          // "Файл:"
  TLabel* Label2 = nullptr;          // the file's name
  TGxSlider* KitScrollBar1 = nullptr;  // the position, in milliseconds
  TBitBtn* ButtonPause = nullptr;
  TBitBtn* ButtonResume = nullptr;   // in Pause's place
  TBitBtn* ButtonStop = nullptr;
  TBitBtn* ButtonOpen = nullptr;
  TMediaPlayer* MediaPlayer1 = nullptr;
  TTimer* Timer1 = nullptr;          // the position, every 500 ms
  TOpenDialog* OpenDialog1 = nullptr;

  void FormCreate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  // Escape closes the player, as its title bar's close box does.
  void FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void ButtonPauseClick(TObject* Sender);
  void ButtonResumeClick(TObject* Sender);
  void ButtonStopClick(TObject* Sender);
  void ButtonOpenClick(TObject* Sender);
  void KitScrollBar1MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void KitScrollBar1MouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

  // A file dropped on the micro clock: what plays stops, the file plays and the window
  // comes up on top; a file the device refuses is reported.
  void PlayDroppedFile(const String& FileName);

  TMiniPlayer& Player() { return *FPlayer; }
  // Tells the main window whether the player is to show again when the clock is minimised.
  std::function<void(bool)> OnPlayerOpen;

 private:
  std::unique_ptr<TPlayerView> FView;
  std::unique_ptr<TMiniPlayer> FPlayer;
};

extern TForm5* Form5;
