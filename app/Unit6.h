#pragma once
// TForm6, the notes: six pages of free text ("Лист 1" … "Лист 6"), each with a button that
// clears it. The pages are kept in the registry by PropStorage1 (section "Memos") through the
// settings window's storage manager: read when the window shows, written when it closes.
// Windows only.
#include <array>

#include "classlib/windows/buttons.h"
#include "classlib/windows/forms.h"
#include "classlib/windows/stdctrls.h"

class TPageControl;
class TPropStorage;
class TTabSheet;

class TForm6 : public TForm {
  HX_CLASS(TForm6, TForm)
 public:
  using TForm::TForm;

  // From the form.
  TPageControl* PageControl1 = nullptr;
  TTabSheet* TabSheet1 = nullptr;
  TTabSheet* TabSheet2 = nullptr;
  TTabSheet* TabSheet3 = nullptr;
  TTabSheet* TabSheet4 = nullptr;
  TTabSheet* TabSheet5 = nullptr;
  TTabSheet* TabSheet6 = nullptr;
  TMemo* Memo1 = nullptr;
  TMemo* Memo2 = nullptr;
  TMemo* Memo3 = nullptr;
  TMemo* Memo4 = nullptr;
  TMemo* Memo5 = nullptr;
  TMemo* Memo6 = nullptr;
  TButton* Button1 = nullptr;  // "Очистить" on each page
  TButton* Button2 = nullptr;
  TButton* Button3 = nullptr;
  TButton* Button4 = nullptr;
  TButton* Button5 = nullptr;
  TButton* Button6 = nullptr;
  TBitBtn* BitBtn2 = nullptr;  // "Закрыть"
  TPropStorage* PropStorage1 = nullptr;

  // Each clears its own page's memo.
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void Button4Click(TObject* Sender);
  void Button5Click(TObject* Sender);
  void Button6Click(TObject* Sender);
  // The chosen page's memo takes the focus.
  void PageControl1Change(TObject* Sender);

  // The six memos, page 1 first.
  std::array<TMemo*, 6> Memos() const { return {Memo1, Memo2, Memo3, Memo4, Memo5, Memo6}; }
};

extern TForm6* Form6;
