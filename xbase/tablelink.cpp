#include "xbase/tablelink.h"

#include "classlib/core/format.h"
#include "xbase/dates.h"
#include "xbase/errors.h"
#include "xbase/names.h"
#include "xbase/numbers.h"

namespace {

// The functions every table offers; each reads the table's current state.
class TxbTableFunction : public TxbUserDefFunction {
 public:
  TxbTableFunction(TxbDBFExpUserLink& link, std::string name) : Link(link), FName(std::move(name)) {}
  std::string Name() const override { return FName; }

 protected:
  TxbDBFExpUserLink& Link;
  XBO_dBaseFld& Table() const { return Link.Table(); }
  // The field named by argument 1 (a text); an unknown name raises.
  const TxbFieldDesc& NamedField(TxbExpFunction& N) const {
    std::string name = N.Arg(0, xbtText).Text;
    xbase::TrimText(name);
    xbase::UpperText(name.data(), name.size(), Link.CodePage());
    auto* var = static_cast<TxblDBFFieldVars*>(Link.FieldVars.Find(name));
    if (!var) XbExpressionError(Format(SUnknownField, name));
    return *Table().Field(var->FieldNo());
  }

 private:
  std::string FName;
};

class TxbRecNoFunction : public TxbTableFunction {
 public:
  using TxbTableFunction::TxbTableFunction;
  void Evaluate(TxbExpFunction&, TxbExpValue& R) override { R.SetNumber(Table().RecNo()); }
};

class TxbDeletedFunction : public TxbTableFunction {
 public:
  using TxbTableFunction::TxbTableFunction;
  void Evaluate(TxbExpFunction&, TxbExpValue& R) override { R.SetBoolean(Table().IsDeleted()); }
};

class TxbBofFunction : public TxbTableFunction {
 public:
  using TxbTableFunction::TxbTableFunction;
  void Evaluate(TxbExpFunction&, TxbExpValue& R) override { R.SetBoolean(Table().Bof()); }
};

class TxbEofFunction : public TxbTableFunction {
 public:
  using TxbTableFunction::TxbTableFunction;
  void Evaluate(TxbExpFunction&, TxbExpValue& R) override { R.SetBoolean(Table().Eof()); }
};

class TxbTypeFunction : public TxbTableFunction {
 public:
  using TxbTableFunction::TxbTableFunction;
  void Evaluate(TxbExpFunction& N, TxbExpValue& R) override {
    char type = NamedField(N).Type;
    R.SetText({});
    R.Text.assign(1, type);
  }
};

// Shadowed by the built-in LEN, which is searched first; kept for links that look it up.
class TxbLenFunction : public TxbTableFunction {
 public:
  using TxbTableFunction::TxbTableFunction;
  void Evaluate(TxbExpFunction& N, TxbExpValue& R) override { R.SetNumber(NamedField(N).Length & 0xFF); }
};

// A function of the application, evaluated by the table's Formula hook.
class TxbFormulaFunction : public TxbTableFunction {
 public:
  using TxbTableFunction::TxbTableFunction;
  void Evaluate(TxbExpFunction& N, TxbExpValue& R) override {
    FResult.Type = 0;
    FResult.Text.clear();
    FResult.Number = 0;
    if (Table().Formula("PARSE", Name(), N.ArgumentText(), FResult) != -1) {
      switch (FResult.Type) {
        case 'C': R.SetText(FResult.Text); return;
        case 'D': R.SetNumber(XbDateOf(TxbDBFDate::JulianFromDouble(FResult.Number)), xbtDate); return;
        case 'F':
        case 'N': R.SetNumber(FResult.Number); return;
        case 'L': R.SetBoolean(!FResult.Text.empty() && IsTrueLetter(FResult.Text[0])); return;
      }
    }
    XbExpressionError(EngineErrorMessage(xbeFormula, xbsNone, Name().c_str()));
  }

 private:
  TxbFormulaResult FResult;
};

}  // namespace

TxbDBFExpUserLink::TxbDBFExpUserLink(XBO_dBaseFld& table) : FTable(table) {
  Functions.Add(std::make_unique<TxbRecNoFunction>(*this, "RECNO"));
  Functions.Add(std::make_unique<TxbDeletedFunction>(*this, "DELETED"));
  Functions.Add(std::make_unique<TxbBofFunction>(*this, "BOF"));
  Functions.Add(std::make_unique<TxbEofFunction>(*this, "EOF"));
  Functions.Add(std::make_unique<TxbTypeFunction>(*this, "TYPE"));
  Functions.Add(std::make_unique<TxbLenFunction>(*this, "LEN"));
  for (int n = 1; n <= table.FieldCount(); ++n) FieldVars.Add(std::make_unique<TxblDBFFieldVars>(table, n));
}

TxbUserDefFieldVar* TxbDBFExpUserLink::FindFieldVar(const std::string& name) {
  if (TxbUserDefFieldVar* v = FieldVars.Find(name)) return v;
  // "ALIAS.FIELD" ("ALIAS->FIELD" as written) when the alias is this table's.
  std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return nullptr;
  std::string alias = xbase::BaseFileName(FTable.FileName());
  xbase::UpperText(alias.data(), alias.size(), CodePage());
  if (name.compare(0, dot, alias) != 0) return nullptr;
  return FieldVars.Find(name.substr(dot + 1));
}

TxbUserDefFunction* TxbDBFExpUserLink::FunctionNotFound(const std::string& name) {
  TxbFormulaResult unused;
  if (FTable.Formula("FIND", name, {}, unused) == -1) return TxbExpUserLink::FunctionNotFound(name);
  Functions.Add(std::make_unique<TxbFormulaFunction>(*this, name));
  return Functions.Find(name);
}

TxblDBFFieldVars::TxblDBFFieldVars(XBO_dBaseFld& table, int field)
    : TxbUserDefFieldVar(table.FieldName(field), table.CodePage()), FTable(table), FField(field) {}

void TxblDBFFieldVars::Evaluate(TxbExpValue& Result) {
  const TxbFieldDesc& f = *FTable.Field(FField);
  switch (f.Type) {
    case 'C': Result.SetText(std::string_view(FTable.Record() + f.Offset, static_cast<std::size_t>(f.Length))); return;
    case 'D': Result.SetNumber(XbDateOf(FTable.GetDate(FField)), xbtDate); return;
    case 'F':
    case 'N': {
      // The usual spelling read here; anything else the long way (which raises on garbage).
      double v;
      if (!ParsePaddedDecimal(std::string_view(FTable.Record() + f.Offset, static_cast<std::size_t>(f.Length)), v))
        v = FTable.GetNumber(FField);
      Result.SetNumber(v);
      Result.Width = f.Length;
      return;
    }
    case 'L': Result.SetBoolean(FTable.GetLogical(FField)); return;
    case 'I':  // a binary integer counts as a number (index keys over it take their own form)
      Result.SetNumber(FTable.GetNumber(FField));
      Result.Width = 11;
      return;
  }
  Result.Type = xbtFieldRef;
  Result.Table = &FTable;
  Result.Field = FField;
}

bool TxblDBFFieldVars::TextInPlace(std::string_view& bytes) {
  const TxbFieldDesc& f = *FTable.Field(FField);
  if (f.Type != 'C') return false;
  bytes = std::string_view(FTable.Record() + f.Offset, static_cast<std::size_t>(f.Length));
  return true;
}

// ---- The table's side of the link ----

void TxbExpLinkDeleter::operator()(TxbDBFExpUserLink* link) const { delete link; }

TxbDBFExpUserLink& XBO_dBaseFld::ExpLink() {
  if (!FExpLink) FExpLink.reset(new TxbDBFExpUserLink(*this));
  return *FExpLink;
}

int XBO_dBaseFld::Formula(std::string_view, std::string_view, std::string_view, TxbFormulaResult&) { return -1; }
