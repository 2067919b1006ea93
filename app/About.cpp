#include "app/About.h"

#include "app/aboutlabels.h"
#include "app/storedsounds.h"
#include "classlib/application.h"
#include "classlib/dialogs.h"

TAboutBox* AboutBox = nullptr;

const char kAboutCredits[] =
    "Хоравокс — говорящие настольные часы.\n\n"
    "Голос часов — синтезатор речи, мелодии сыграны синтезатором звука, "
    "персонажи нарисованы программой.\n\n"
    "Спасибо всем, кто проверял часы и присылал свои пожелания!";

HX_PUBLISH(TAboutBox, p) {
  p.Field("ProgramIcon", &TAboutBox::ProgramIcon);
  p.Field("ProductName", &TAboutBox::ProductName);
  p.Field("DskVersionLabel1", &TAboutBox::DskVersionLabel1);
  p.Field("ReleaseDate", &TAboutBox::ReleaseDate);
  p.Field("MailCaption", &TAboutBox::MailCaption);
  p.Field("DskCommandLabel1", &TAboutBox::DskCommandLabel1);
  p.Field("SiteCaption", &TAboutBox::SiteCaption);
  p.Field("DskCommandLabel2", &TAboutBox::DskCommandLabel2);
  p.Field("BitBtn1", &TAboutBox::BitBtn1);
  p.Field("BitBtn2", &TAboutBox::BitBtn2);
  p.Field("DskWaveHolder1", &TAboutBox::DskWaveHolder1);
  p.Handler("FormCreate", &TAboutBox::FormCreate);
  p.Handler("ProgramIconClick", &TAboutBox::ProgramIconClick);
  p.Handler("BitBtn2Click", &TAboutBox::BitBtn2Click);
  p.Handler("DskCommandLabel1Click", &TAboutBox::DskCommandLabel1Click);
  p.Handler("DskCommandLabel2Click", &TAboutBox::DskCommandLabel2Click);
}

namespace {

// Opens a link label's target; says so when nothing on this computer opens it.
void OpenLinkOf(TLabel* Label, const String& Prefix) {
  String target = LinkTarget(Prefix, Label->GetCaption());
  if (!OpenLink(target)) ShowMessage("Не удалось открыть «" + target + "».");
}

}  // namespace

void TAboutBox::FormCreate(TObject*) {
  ProgramIcon->GetPicture()->SetIcon(Application->GetIcon());
  DskVersionLabel1->SetCaption(ProgramVersionText());
}

void TAboutBox::ProgramIconClick(TObject*) { DskWaveHolder1->PlayInternalWave(0); }

void TAboutBox::BitBtn2Click(TObject*) { ShowMessage(kAboutCredits); }

void TAboutBox::DskCommandLabel1Click(TObject*) { OpenLinkOf(DskCommandLabel1, "mailto:"); }

void TAboutBox::DskCommandLabel2Click(TObject*) { OpenLinkOf(DskCommandLabel2, "https://"); }

void ShowAboutBox() {
  if (!AboutBox) return;
  if (AboutBox->GetVisible()) AboutBox->BringToFront();
  else AboutBox->ShowModal();
}
