#pragma once
// The expression link of a DBF table: its fields as variables (also as "ALIAS->FIELD", the
// alias being the table's file name), the table functions RECNO, DELETED, BOF, EOF, TYPE
// and LEN, and the application's own functions through the table's Formula hook.
#include <string>

#include "xbase/dbftable.h"
#include "xbase/expression.h"

class TxbDBFExpUserLink : public TxbExpUserLink {
 public:
  explicit TxbDBFExpUserLink(XBO_dBaseFld& table);

  TxbUserDefFieldVar* FindFieldVar(const std::string& name) override;
  // Offers the name to the table's Formula hook ("FIND"); a name it takes becomes a function
  // that asks the hook ("PARSE") at every evaluation.
  TxbUserDefFunction* FunctionNotFound(const std::string& name) override;
  TxbCodePage CodePage() const override { return FTable.CodePage(); }
  XBO_dBaseFld& Table() const { return FTable; }

 private:
  XBO_dBaseFld& FTable;
};

// One field of the table as a variable: C → Text, D → Date, F and N → Number (the field's
// length is STR's width), L → Boolean; any other type → a field reference.
class TxblDBFFieldVars : public TxbUserDefFieldVar {
 public:
  TxblDBFFieldVars(XBO_dBaseFld& table, int field);
  void Evaluate(TxbExpValue& Result) override;
  bool TextInPlace(std::string_view& bytes) override;
  int FieldNo() const { return FField; }

 private:
  XBO_dBaseFld& FTable;
  int FField;
};
