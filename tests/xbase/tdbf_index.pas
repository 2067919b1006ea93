{ The TDbf side of the index tests and the index benchmark.
    tdbf_index write <folder>
      creates TW.DBF (NAME C(10), NUM N, DAY D) with a production MDX (tags NAME and NUMD,
      the number descending) and TWNAME.NDX on NAME, appends and rewrites records keeping
      them, then prints each index's order ("W <index> <record>...") and the record a seek
      lands on ("S <index> <key> <record>", 0 past the end).
    tdbf_index read <table> <script>
      opens the table read-only and runs the script's lines: "W <index>" prints the order
      as above; "S <index> C|N <value>" prints "S <index> <value> <record>" (an exact seek of
      a text or a number, 0 when not found). An index ending in ".ndx" is opened as a file first.
    tdbf_index bench <table> <keys file>
      builds <table's name>.NDX on NAME and the production MDX with tags NAME and NUM,
      then seeks every line of the keys file in the NDX and in the MDX's NAME tag. Prints
      "<ndx build ms> <mdx build ms> <ndx seek ms> <mdx seek ms> <found in ndx> <found in mdx>". }
program tdbf_index;
{$mode objfpc}{$H+}
uses SysUtils, Classes, DB, dbf, dbf_common, dbf_idxfile;

var
  Seed: LongWord = 26;

function Random32(Range: LongWord): LongWord;
begin
  Seed := Seed * 1103515245 + 12345;
  Result := (Seed shr 8) mod Range;
end;

function OpenTable(const Path: string; ReadOnly: Boolean): TDbf;
begin
  Result := TDbf.Create(nil);
  Result.FilePathFull := ExtractFilePath(ExpandFileName(Path));
  Result.TableName := ExtractFileName(Path);
  Result.ReadOnly := ReadOnly;
  Result.Exclusive := not ReadOnly;
end;

procedure UseIndex(T: TDbf; const Name: string);
begin
  if LowerCase(ExtractFileExt(Name)) = '.ndx' then T.OpenIndexFile(Name);
  T.IndexName := Name;
end;

procedure Walk(T: TDbf; const Name: string);
begin
  UseIndex(T, Name);
  Write('W ', Name);
  T.First;
  while not T.EOF do
  begin
    Write(' ', T.PhysicalRecNo);
    T.Next;
  end;
  WriteLn;
end;

function Landed(T: TDbf; Found: Boolean): Integer;
begin
  if Found and not T.EOF then Result := T.PhysicalRecNo else Result := 0;
end;

function RandomName: string;
var N: Integer;
begin
  Result := '';
  for N := 0 to Random32(4) do Result := Result + Chr(Ord('A') + Random32(6));
end;

procedure Fill(T: TDbf);
begin
  T.FieldByName('NAME').AsString := RandomName;
  T.FieldByName('NUM').AsInteger := Integer(Random32(2001)) - 1000;
  if Random32(8) = 0 then T.FieldByName('DAY').Clear
  else T.FieldByName('DAY').AsDateTime := EncodeDate(2020, 1, 1) + Random32(2000);
end;

procedure WriteTables(const Folder: string);
var
  T: TDbf;
  I: Integer;
  Key: string;
begin
  DeleteFile(Folder + 'TW.DBF');
  DeleteFile(Folder + 'TW.MDX');
  DeleteFile(Folder + 'TWNAME.NDX');
  T := OpenTable(Folder + 'TW.DBF', False);
  T.TableLevel := 4;
  T.FieldDefs.Add('NAME', ftString, 10);
  T.FieldDefs.Add('NUM', ftInteger);
  T.FieldDefs.Add('DAY', ftDate);
  T.CreateTable;
  T.Open;
  T.AddIndex('NAME', 'NAME', []);
  T.AddIndex('NUMD', 'NUM', [ixDescending]);
  T.AddIndex('TWNAME.NDX', 'NAME', []);
  T.IndexName := '';
  for I := 1 to 1500 do
  begin
    T.Append;
    Fill(T);
    T.Post;
  end;
  for I := 1 to 300 do
  begin
    T.PhysicalRecNo := 1 + Integer(Random32(1500));
    T.Edit;
    Fill(T);
    T.Post;
  end;
  Walk(T, 'NAME');
  Walk(T, 'NUMD');
  Walk(T, 'TWNAME.NDX');
  for I := 1 to 200 do
  begin
    Key := RandomName;
    T.IndexName := 'NAME';
    WriteLn('S NAME ', Key, ' ', Landed(T, T.SearchKey(Key, stGreaterEqual)));
    T.IndexName := 'TWNAME.NDX';
    WriteLn('S TWNAME.NDX ', Key, ' ', Landed(T, T.SearchKey(Key, stGreaterEqual)));
  end;
  T.Close;
  T.Free;
end;

procedure RunScript(const Table, Script: string);
var
  T: TDbf;
  Lines, Parts: TStringList;
  I: Integer;
  Found: Boolean;
begin
  T := OpenTable(Table, True);
  T.Open;
  Lines := TStringList.Create;
  Parts := TStringList.Create;
  Parts.Delimiter := ' ';
  Parts.StrictDelimiter := True;
  Lines.LoadFromFile(Script);
  for I := 0 to Lines.Count - 1 do
  begin
    Parts.DelimitedText := Lines[I];
    if Parts.Count < 2 then Continue;
    if Parts[0] = 'W' then Walk(T, Parts[1])
    else if (Parts[0] = 'S') and (Parts.Count >= 4) then
    begin
      UseIndex(T, Parts[1]);
      if Parts[2] = 'N' then Found := T.SearchKey(StrToFloat(Parts[3]), stEqual)
      else Found := T.SearchKey(Parts[3], stEqual);
      WriteLn('S ', Parts[1], ' ', Parts[3], ' ', Landed(T, Found));
    end;
  end;
  Parts.Free;
  Lines.Free;
  T.Close;
  T.Free;
end;

procedure Bench(const Table, KeysFile: string);
var
  T: TDbf;
  Keys: TStringList;
  Start, NdxBuild, MdxBuild, NdxSeek, MdxSeek: QWord;
  I, NdxFound, MdxFound: Integer;
  Ndx: string;
begin
  Keys := TStringList.Create;
  Keys.LoadFromFile(KeysFile);
  Ndx := ChangeFileExt(ExtractFileName(Table), '') + '.ndx';
  T := OpenTable(Table, False);
  T.TableLevel := 4;
  T.Open;
  Start := GetTickCount64;
  T.AddIndex(Ndx, 'NAME', []);
  NdxBuild := GetTickCount64 - Start;
  Start := GetTickCount64;
  T.AddIndex('NAME', 'NAME', []);
  T.AddIndex('NUM', 'NUM', []);
  MdxBuild := GetTickCount64 - Start;
  NdxFound := 0;
  MdxFound := 0;
  T.IndexName := Ndx;
  Start := GetTickCount64;
  for I := 0 to Keys.Count - 1 do
    if T.SearchKey(Keys[I], stEqual) then Inc(NdxFound);
  NdxSeek := GetTickCount64 - Start;
  T.IndexName := 'NAME';
  Start := GetTickCount64;
  for I := 0 to Keys.Count - 1 do
    if T.SearchKey(Keys[I], stEqual) then Inc(MdxFound);
  MdxSeek := GetTickCount64 - Start;
  T.Close;
  T.Free;
  Keys.Free;
  WriteLn(NdxBuild, ' ', MdxBuild, ' ', NdxSeek, ' ', MdxSeek, ' ', NdxFound, ' ', MdxFound);
end;

begin
  DefaultFormatSettings.DecimalSeparator := '.';
  if (ParamStr(1) = 'write') and (ParamCount = 2) then
    WriteTables(IncludeTrailingPathDelimiter(ParamStr(2)))
  else if (ParamStr(1) = 'read') and (ParamCount = 3) then
    RunScript(ParamStr(2), ParamStr(3))
  else if (ParamStr(1) = 'bench') and (ParamCount = 3) then
    Bench(ParamStr(2), ParamStr(3))
  else
  begin
    WriteLn(StdErr, 'usage: tdbf_index write <folder> | read <table> <script> | bench <table> <keys file>');
    Halt(1);
  end;
end.
