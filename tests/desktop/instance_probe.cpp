// A small program the single-instance tests start several times:
//   instance_probe switch|closeall|startnew
// It has a main window, and reads from text forms a tray icon that is always shown and then
// the single-instance guard with that action. A start that the guard ends creates nothing
// more and exits with 3 at once; a start that runs exits with 0 when its main window closes.
#include <memory>
#include <string>

#include "classlib/windows/application.h"
#include "read_form.h"

namespace {

class TProbeForm : public TForm {
 public:
  explicit TProbeForm(TComponent* AOwner) : TForm(AOwner, CreateNew) {
    SetBounds(100, 100, 200, 120);
    SetCaption("Instance probe");
  }
};

}  // namespace

int main(int argc, char** argv) {
  std::string action = argc > 1 ? argv[1] : "switch";
  const char* name = action == "closeall" ? "iaCloseAll" : action == "startnew" ? "iaStartNew" : "iaSwitchToPrevious";
  Application->SetTitle("Horavox instance probe");
  TProbeForm* form = nullptr;
  Application->CreateForm(form);
  using horavox::test::ReadFromText;
  std::unique_ptr<TComponent> tray = ReadFromText("object Tray: TDtTrayIcon\n  Hint = 'probe'\n  ShowIcon = tyAllways\nend\n");
  std::unique_ptr<TComponent> guard =
      ReadFromText(std::string("object Guard: TNeatInstancesChecker\n  InstanceAction = ") + name + "\nend\n");
  int code = 0;
  if (Application->DuplicateInstance()) code = 3;
  else Application->Run();
  guard.reset();
  tray.reset();
  DestroyApplication();
  return code;
}
