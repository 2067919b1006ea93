#pragma once
// A link with fixed field variables, one of each kind, for the expression tests and the
// expression fuzzer: the language is tried without a table under it.
#include <memory>
#include <string>

#include "xbase/dates.h"
#include "xbase/expression.h"
#include "xbase/numbers.h"

class TFixedFieldVar : public TxbUserDefFieldVar {
 public:
  TFixedFieldVar(std::string name, TxbExpValue value) : TxbUserDefFieldVar(std::move(name)), Value(std::move(value)) {}
  void Evaluate(TxbExpValue& Result) override { Result.Assign(Value); }
  TxbExpValue Value;
};

class TFixedLink : public TxbExpUserLink {
 public:
  explicit TFixedLink(TxbCodePage codePage = TxbCodePage::cp1251) : FCodePage(codePage) {}
  TxbCodePage CodePage() const override { return FCodePage; }

  TxbExpValue& Add(const std::string& name) {
    auto var = std::make_unique<TFixedFieldVar>(name, TxbExpValue());
    TxbExpValue& v = var->Value;
    FieldVars.Add(std::move(var));
    return v;
  }
  void Text(const std::string& name, const std::string& text) { Add(name).SetText(text); }
  void Number(const std::string& name, double v, int width = 0) {
    TxbExpValue& x = Add(name);
    x.SetNumber(v);
    x.Width = width;
  }
  void Date(const std::string& name, double julian) { Add(name).SetNumber(julian, xbtDate); }
  void Logical(const std::string& name, bool b) { Add(name).SetBoolean(b); }
  void Memo(const std::string& name) {
    TxbExpValue& x = Add(name);
    x.Type = xbtFieldRef;
    x.Table = this;
    x.Field = 1;
  }

  // The record the tests and the fuzzer evaluate against.
  void StandardRecord() {
    Text("NAME", "SMITH     ");
    Text("T", "tee");
    Text("EMPTYTEXT", "");
    Number("A", 2);
    Number("B", 3);
    Number("C", 4);
    Number("X", 0);
    Number("AMOUNT", 123.45, 8);
    Date("DATA", 2461115);  // 15 March 2026
    Date("NODATE", xbEmptyDate);
    Logical("PAID", true);
    Memo("NOTES");
  }

 private:
  TxbCodePage FCodePage;
};

// A value as the tests write it: type letter, colon, value.
inline std::string Show(const TxbExpValue& v) {
  switch (v.Type) {
    case xbtText: return "C:" + v.Text;
    case xbtNumber:
    case xbtNumeric: return "N:" + FloatText(v.Number);
    case xbtDate: return "D:" + DateObject().DateStorageText(TxbDBFDate::JulianFromDouble(v.Number));
    case xbtBoolean: return v.Logical ? "L:T" : "L:F";
    case xbtFieldRef: return "R";
  }
  return "?";
}

