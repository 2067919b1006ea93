#pragma once
// A small family of components with published properties of every kind, for the form
// streaming tests and fuzzers: a root form with fields and handlers, widgets, a panel
// that holds widgets of its own, a font-like sub-object and a collection.
#include <string>
#include <vector>

#include "classlib/core/collection.h"
#include "classlib/core/colors.h"
#include "classlib/core/component.h"
#include "classlib/core/streams.h"
#include "classlib/core/stringlist.h"

HX_ENUM(TTestShape, tsCircle, tsSquare, tsTriangle);
HX_ENUM(TTestSide, sdLeft, sdTop, sdRight, sdBottom);
using TTestSides = TSet<TTestSide>;

// What the test components did, in order ("Loaded Widget1" ...).
std::vector<std::string>& TestLog();

class TTestFont : public TPersistent {
  HX_CLASS(TTestFont, TPersistent)
 public:
  String GetName() const { return FName; }
  void SetName(const String& Value) { FName = Value; }
  int GetSize() const { return FSize; }
  void SetSize(int Value) { FSize = Value; }
  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value) { FColor = Value; }
  void Assign(TPersistent* Source) override;

 private:
  String FName = "Arial";
  int FSize = 8;
  TColor FColor = clWindowText;
};

class TTestItem : public TCollectionItem {
  HX_CLASS(TTestItem, TCollectionItem)
 public:
  explicit TTestItem(TCollection* Collection) : TCollectionItem(Collection) {}
  String Caption;
  int Width = 64;
  TComponent* Target = nullptr;
  std::string Contents;  // streamed as the binary property "FileContents" when not empty
  void DefineProperties(TFiler* Filer) override;
  void Assign(TPersistent* Source) override;
  String GetDisplayName() override { return Caption.empty() ? "No Caption" : Caption; }
};

class TTestWidget : public TComponent {
  HX_CLASS(TTestWidget, TComponent)
 public:
  explicit TTestWidget(TComponent* AOwner);
  ~TTestWidget() override;

  int Left = 0;
  int Width = 100;
  bool Visible = true;
  TTestShape Shape = tsCircle;
  TTestSides Sides{sdLeft, sdTop};
  TColor Color = clBtnFace;
  double Ratio = 0;
  float Scale = 1;
  String Caption;
  char Accel = '\0';
  std::int64_t Big = 0;
  std::string Data;  // streamed as the binary property "Data" when not empty
  TNotifyEvent OnClick;
  std::function<void(TObject* Sender, int& Size)> OnMeasure;

  TTestFont* GetFont() const { return FFont; }
  TCollection* GetItems() const { return FItems; }
  TStringList* GetLines() const { return FLines; }
  void SetLines(TStringList* Value) { FLines->Assign(Value); }
  TTestWidget* GetBuddy() const { return FBuddy; }
  void SetBuddy(TTestWidget* Value);

  void DefineProperties(TFiler* Filer) override;

 protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TTestFont* FFont;
  TCollection* FItems;
  TStringList* FLines;
  TTestWidget* FBuddy = nullptr;
};

// Holds widgets of its own, written inside it.
class TTestPanel : public TTestWidget {
  HX_CLASS(TTestPanel, TTestWidget)
 public:
  explicit TTestPanel(TComponent* AOwner) : TTestWidget(AOwner) {}
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  TComponent* GetChildOwner() override { return this; }
};

// A root, as a form is.
class TTestForm : public TComponent {
  HX_CLASS(TTestForm, TComponent)
 public:
  explicit TTestForm(TComponent* AOwner) : TComponent(AOwner) {}
  String Caption;
  TTestWidget* Widget1 = nullptr;
  TTestPanel* Panel1 = nullptr;
  int Clicks = 0;
  void WidgetClick(TObject* Sender);
  void MeasureItem(TObject* Sender, int& Size);

 protected:
  void Loaded() override;
};

// A descendant form: its form resource adds to the one of TTestForm.
class TTestDerivedForm : public TTestForm {
  HX_CLASS(TTestDerivedForm, TTestForm)
 public:
  explicit TTestDerivedForm(TComponent* AOwner) : TTestForm(AOwner) {}
  TTestWidget* Widget2 = nullptr;
};
