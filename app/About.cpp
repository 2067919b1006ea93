#include "app/About.h"

#include "app/storedsounds.h"
#include "classlib/windows/application.h"
#include "classlib/windows/dialogs.h"

TAboutBox* AboutBox = nullptr;

const char kAboutCredits[] =
    "Хоравокс — говорящие настольные часы.\n\n"
    "Голос часов — синтезатор речи, мелодии сыграны синтезатором звука, "
    "персонажи нарисованы программой.\n\n"
    "Спасибо всем, кто проверял часы и присылал свои пожелания!\n\n"
    "Картинку показывает библиотека libjpeg-turbo. This software is based in part on the work of "
    "the Independent JPEG Group.";

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
  p.Handler("ProgramIconClick", &TAboutBox::ProgramIconClick);
  p.Handler("BitBtn2Click", &TAboutBox::BitBtn2Click);
}

void TAboutBox::ProgramIconClick(TObject*) { DskWaveHolder1->PlayInternalWave(0); }

void TAboutBox::BitBtn2Click(TObject*) { ShowMessage(kAboutCredits); }

void ShowAboutBox() {
  if (!AboutBox) return;
  if (AboutBox->GetVisible()) AboutBox->BringToFront();
  else AboutBox->ShowModal();
}
