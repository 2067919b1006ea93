{ The TDbf side of the table benchmark: appends the same records to a new exclusive table
  and reads them back summing the amounts. Prints "<append ms> <read ms> <sum>". With a
  filter text as third argument it then filters the table by it and adds
  " <filter ms> <records passed>". }
program tdbf_bench;
{$mode objfpc}{$H+}
uses SysUtils, DB, dbf;

var
  T: TDbf;
  I, Count: Integer;
  Start: QWord;
  AppendMs, ReadMs, FilterMs: QWord;
  Passed: Integer;
  Sum: Double;
  Name, Amount, Day, Flag: TField;
begin
  DefaultFormatSettings.DecimalSeparator := '.';
  Count := StrToInt(ParamStr(2));
  T := TDbf.Create(nil);
  T.FilePathFull := IncludeTrailingPathDelimiter(ParamStr(1));
  T.TableName := 'tdbf.dbf';
  T.TableLevel := 3;
  T.Exclusive := True;
  T.FieldDefs.Add('NAME', ftString, 20);
  T.FieldDefs.Add('AMOUNT', ftFloat);
  T.FieldDefs.Add('DAY', ftDate);
  T.FieldDefs.Add('FLAG', ftBoolean);
  T.CreateTable;
  T.Open;
  Name := T.FieldByName('NAME');
  Amount := T.FieldByName('AMOUNT');
  Day := T.FieldByName('DAY');
  Flag := T.FieldByName('FLAG');
  Start := GetTickCount64;
  for I := 1 to Count do
  begin
    T.Append;
    Name.AsString := 'name' + IntToStr(I);
    Amount.AsFloat := (I mod 1000) / 4;
    Day.AsDateTime := EncodeDate(2026, 1, 1) + I mod 365;
    Flag.AsBoolean := Odd(I);
    T.Post;
  end;
  AppendMs := GetTickCount64 - Start;
  Start := GetTickCount64;
  Sum := 0;
  T.First;
  while not T.EOF do
  begin
    Sum := Sum + Amount.AsFloat;
    T.Next;
  end;
  ReadMs := GetTickCount64 - Start;
  FilterMs := 0;
  Passed := 0;
  if ParamCount >= 3 then
  begin
    Start := GetTickCount64;
    T.Filter := ParamStr(3);
    T.Filtered := True;
    T.First;
    while not T.EOF do
    begin
      Inc(Passed);
      T.Next;
    end;
    FilterMs := GetTickCount64 - Start;
  end;
  T.Close;
  T.Free;
  Write(AppendMs, ' ', ReadMs, ' ', FloatToStrF(Sum, ffFixed, 18, 2));
  if ParamCount >= 3 then Write(' ', FilterMs, ' ', Passed);
  WriteLn;
end.
