{ Reads a table with the TDbf component and prints its records: a line "R <deleted>" per
  record, then "F <name> <type> <hex of the value>" per field ("-" for a null value). }
program dump;
{$mode objfpc}{$H+}
uses SysUtils, DB, dbf;

function Hex(const S: AnsiString): AnsiString;
var I: Integer;
begin
  Result := '';
  for I := 1 to Length(S) do Result := Result + IntToHex(Ord(S[I]), 2);
  if Result = '' then Result := '""';
end;

var
  T: TDbf;
  I: Integer;
  F: TField;
  V: AnsiString;
begin
  DefaultFormatSettings.DecimalSeparator := '.';
  T := TDbf.Create(nil);
  T.FilePathFull := ExtractFilePath(ExpandFileName(ParamStr(1)));
  T.TableName := ExtractFileName(ParamStr(1));
  T.ShowDeleted := True;
  T.ReadOnly := True;
  T.Open;
  while not T.EOF do
  begin
    if T.IsDeleted then WriteLn('R 1') else WriteLn('R 0');
    for I := 0 to T.FieldCount - 1 do
    begin
      F := T.Fields[I];
      if F.IsNull then V := '-'
      else case F.DataType of
        ftDate: V := Hex(FormatDateTime('yyyymmdd', F.AsDateTime));
        ftDateTime: V := Hex(FormatDateTime('yyyymmdd hh:nn:ss', F.AsDateTime));
        ftBoolean: if F.AsBoolean then V := Hex('T') else V := Hex('F');
        ftFloat, ftCurrency, ftBCD: V := Hex(FloatToStr(F.AsFloat));
        ftInteger, ftSmallint, ftLargeint, ftWord, ftAutoInc: V := Hex(IntToStr(F.AsLargeInt));
      else
        V := Hex(F.AsString);
      end;
      WriteLn('F ', F.FieldName, ' ', Ord(F.DataType), ' ', V);
    end;
    T.Next;
  end;
  T.Close;
  T.Free;
end.
