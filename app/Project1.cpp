// Horavox, the talking desk clock: the program's start. Creates the windows in their order
// (the main window first, so it reads only its own settings and the settings window then
// applies the others; the main window is shown as soon as it is made, then the characters'
// files are written and the others are made behind it), runs the message loop until the
// main window closes, and frees everything before the program ends. A second start ends
// with the main window's creation: its single-instance guard has brought the running clock
// forward.
#include "app/About.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/Unit5.h"
#include "app/Unit6.h"
#include "app/Unit7.h"
#include "classlib/windows/application.h"
#include "controls/kitapp.h"
#include "gridcal/gxutils.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int exitCode = 0;
  try {
    Application->Initialize();
    KitApplication();  // the control kit's shared objects (instance mutex, hand cursor) from the start
    RegisterGridCalCursors();
    Application->SetTitle("Хоравокс");
    Application->CreateForm(Form1);
    if (!Application->DuplicateInstance()) {
      Form1->ShowFirst();
      Form1->WriteCharacterFiles();
      Application->CreateForm(Form7);
      Application->CreateForm(AboutBox);
      Application->CreateForm(Form2);
      Form2->AttachTo(Form1->Parts(), Form1->DskStoreData1);
      Application->CreateForm(Form3);
      Form3->InTray = [] { return Form1->TrayFlag; };
      Form3->AttachTo(Form1->Parts(), Form1->DskStoreData1, Form1->AutoRun1, Form1->StoredFilesFolder(),
                      Form1->StoredFilesError());
      Application->CreateForm(Form4);
      Form4->AttachTo(Form1->Parts(), Form1->MediaPlayer2, Form1->Gate(), [] { return Form1->ComboBox1->GetText(); });
      Application->CreateForm(Form5);
      Form5->OnPlayerOpen = [](bool Open) { Form1->PlayerOpen = Open; };
      Application->CreateForm(Form6);
      // The windows opened from the shield and left open beside it stay in front of it.
      Form4->SetPopupParent(Form1);
      Form5->SetPopupParent(Form1);
      Form1->OtherWindowsMade();
      Application->Run();
    }
  } catch (...) {
    // A window that cannot be made: say why, then end.
    Application->HandleException(nullptr);
    exitCode = 1;
  }
  DestroyApplication();
  FreeKitApplication();
  return exitCode;
}
