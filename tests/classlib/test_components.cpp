#include "test_components.h"

#include "classlib/core/filer.h"

std::vector<std::string>& TestLog() {
  static std::vector<std::string> log;
  return log;
}

// ---- TTestFont ----

HX_PUBLISH(TTestFont, p) {
  p.Property("Name", &TTestFont::GetName, &TTestFont::SetName).Default("Arial");
  p.Property("Size", &TTestFont::GetSize, &TTestFont::SetSize).Default(8);
  p.Property("Color", &TTestFont::GetColor, &TTestFont::SetColor).Default(clWindowText);
}

void TTestFont::Assign(TPersistent* Source) {
  auto* font = dynamic_cast<TTestFont*>(Source);
  if (!font) return TPersistent::Assign(Source);
  FName = font->FName;
  FSize = font->FSize;
  FColor = font->FColor;
}

// ---- TTestItem ----

HX_PUBLISH(TTestItem, p) {
  p.Property("Caption", &TTestItem::Caption, &TTestItem::Caption);
  p.Property("Width", &TTestItem::Width, &TTestItem::Width).Default(64);
  p.Property("Target", &TTestItem::Target, &TTestItem::Target);
}

void TTestItem::DefineProperties(TFiler* Filer) {
  Filer->DefineBinaryProperty(
      "FileContents", [this](TStream* s) { Contents = StreamToString(s); },
      [this](TStream* s) { s->WriteBuffer(Contents.data(), static_cast<std::int64_t>(Contents.size())); },
      !Contents.empty());
}

void TTestItem::Assign(TPersistent* Source) {
  auto* item = dynamic_cast<TTestItem*>(Source);
  if (!item) return TCollectionItem::Assign(Source);
  Caption = item->Caption;
  Width = item->Width;
  Contents = item->Contents;
}

// ---- TTestWidget ----

HX_PUBLISH(TTestWidget, p) {
  p.Property("Left", &TTestWidget::Left, &TTestWidget::Left).Default(0);
  p.Property("Width", &TTestWidget::Width, &TTestWidget::Width);
  p.Property("Visible", &TTestWidget::Visible, &TTestWidget::Visible).Default(true);
  p.Property("Shape", &TTestWidget::Shape, &TTestWidget::Shape).Default(tsCircle);
  p.Property("Sides", &TTestWidget::Sides, &TTestWidget::Sides).Default(TTestSides{sdLeft, sdTop});
  p.Property("Color", &TTestWidget::Color, &TTestWidget::Color).Default(clBtnFace);
  p.Property("Ratio", &TTestWidget::Ratio, &TTestWidget::Ratio).Default(0.0);
  p.Property("Scale", &TTestWidget::Scale, &TTestWidget::Scale).Default(1.0f);
  p.Property("Caption", &TTestWidget::Caption, &TTestWidget::Caption).Default("");
  p.Property("Accel", &TTestWidget::Accel, &TTestWidget::Accel).Default('\0');
  p.Property("Big", &TTestWidget::Big, &TTestWidget::Big).Default(0);
  p.Property("Font", &TTestWidget::GetFont);
  p.Property("Items", &TTestWidget::GetItems);
  p.Property("Lines", &TTestWidget::GetLines, &TTestWidget::SetLines);
  p.Property("Buddy", &TTestWidget::GetBuddy, &TTestWidget::SetBuddy);
  p.Event("OnClick", &TTestWidget::OnClick);
  p.Event("OnMeasure", &TTestWidget::OnMeasure);
}

TTestWidget::TTestWidget(TComponent* AOwner)
    : TComponent(AOwner),
      FFont(new TTestFont),
      FItems(new TCollection(this, ClassOf<TTestItem>())),
      FLines(new TStringList) {}

TTestWidget::~TTestWidget() {
  TestLog().push_back("Destroy " + GetName());
  delete FLines;
  delete FItems;
  delete FFont;
}

void TTestWidget::SetBuddy(TTestWidget* Value) {
  if (FBuddy) FBuddy->RemoveFreeNotification(this);
  FBuddy = Value;
  if (FBuddy) FBuddy->FreeNotification(this);
}

void TTestWidget::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FBuddy) FBuddy = nullptr;
}

void TTestWidget::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Data", [this](TStream* s) { Data = StreamToString(s); },
      [this](TStream* s) { s->WriteBuffer(Data.data(), static_cast<std::int64_t>(Data.size())); }, !Data.empty());
}

void TTestWidget::Loaded() {
  TComponent::Loaded();
  TestLog().push_back("Loaded " + GetName());
}

// ---- TTestPanel ----

HX_PUBLISH(TTestPanel, p) {}

void TTestPanel::GetChildren(TGetChildProc Proc, TComponent*) {
  for (int i = 0; i < ComponentCount(); ++i) Proc(Components(i));
}

// ---- TTestForm ----

HX_PUBLISH(TTestForm, p) {
  p.Property("Caption", &TTestForm::Caption, &TTestForm::Caption).Default("");
  p.Field("Widget1", &TTestForm::Widget1);
  p.Field("Panel1", &TTestForm::Panel1);
  p.Handler("WidgetClick", &TTestForm::WidgetClick);
  p.Handler("MeasureItem", &TTestForm::MeasureItem);
}

void TTestForm::WidgetClick(TObject*) { ++Clicks; }
void TTestForm::MeasureItem(TObject*, int& Size) { Size = 42; }

void TTestForm::Loaded() {
  TComponent::Loaded();
  TestLog().push_back("Loaded " + GetName());
}

HX_PUBLISH(TTestDerivedForm, p) { p.Field("Widget2", &TTestDerivedForm::Widget2); }
