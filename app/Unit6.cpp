#include "app/Unit6.h"

#include "classlib/windows/comctrls.h"
#include "desktop/propstorage.h"

TForm6* Form6 = nullptr;

HX_PUBLISH(TForm6, p) {
  p.Field("PageControl1", &TForm6::PageControl1);
  p.Field("TabSheet1", &TForm6::TabSheet1);
  p.Field("TabSheet2", &TForm6::TabSheet2);
  p.Field("TabSheet3", &TForm6::TabSheet3);
  p.Field("TabSheet4", &TForm6::TabSheet4);
  p.Field("TabSheet5", &TForm6::TabSheet5);
  p.Field("TabSheet6", &TForm6::TabSheet6);
  p.Field("Memo1", &TForm6::Memo1);
  p.Field("Memo2", &TForm6::Memo2);
  p.Field("Memo3", &TForm6::Memo3);
  p.Field("Memo4", &TForm6::Memo4);
  p.Field("Memo5", &TForm6::Memo5);
  p.Field("Memo6", &TForm6::Memo6);
  p.Field("Button1", &TForm6::Button1);
  p.Field("Button2", &TForm6::Button2);
  p.Field("Button3", &TForm6::Button3);
  p.Field("Button4", &TForm6::Button4);
  p.Field("Button5", &TForm6::Button5);
  p.Field("Button6", &TForm6::Button6);
  p.Field("BitBtn2", &TForm6::BitBtn2);
  p.Field("PropStorage1", &TForm6::PropStorage1);
  p.Handler("Button1Click", &TForm6::Button1Click);
  p.Handler("Button2Click", &TForm6::Button2Click);
  p.Handler("Button3Click", &TForm6::Button3Click);
  p.Handler("Button4Click", &TForm6::Button4Click);
  p.Handler("Button5Click", &TForm6::Button5Click);
  p.Handler("Button6Click", &TForm6::Button6Click);
  p.Handler("PageControl1Change", &TForm6::PageControl1Change);
}

void TForm6::Button1Click(TObject*) { Memo1->Clear(); }
void TForm6::Button2Click(TObject*) { Memo2->Clear(); }
void TForm6::Button3Click(TObject*) { Memo3->Clear(); }
void TForm6::Button4Click(TObject*) { Memo4->Clear(); }
void TForm6::Button5Click(TObject*) { Memo5->Clear(); }
void TForm6::Button6Click(TObject*) { Memo6->Clear(); }

void TForm6::PageControl1Change(TObject*) {
  int page = PageControl1->GetActivePageIndex();
  if (page < 0 || page >= 6) return;
  TMemo* memo = Memos()[page];
  if (memo->CanFocus()) memo->SetFocus();
}
