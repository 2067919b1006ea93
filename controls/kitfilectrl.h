#pragma once
// TKitFileCtrl: one file's attributes, time stamps, size and shell type name, and the
// shell's file operation (copy, rename, move, delete) with the component's options. The
// clock deletes its character files with it when the main window closes. Windows only.
#include <cstdint>
#include <string>

#include "controls/kitbase.h"

HX_ENUM(TKitFileAttribute, fcaArchive, fcaDirectory, fcaHidden, fcaNormal, fcaOffline, fcaReadonly, fcaSystem,
        fcaTemporary, fcaCompressed);
using TKitFileAttributes = TSet<TKitFileAttribute>;
HX_ENUM(TKitFileOpFlag, ffFilesOnly, ffNoActionConfirm, ffNoMKDIRConfirm, ffRenameFileOnCollision, ffShowNoErrors,
        ffShowNoProgress, ffSimpleProgress, ffUseRecycleBin);
using TKitFileOpFlags = TSet<TKitFileOpFlag>;
HX_ENUM(TKitFileOperation, foCopy, foRename, foMove, foDelete);

class TKitFileCtrl : public TKitComponent {
  HX_CLASS(TKitFileCtrl, TKitComponent)
 public:
  explicit TKitFileCtrl(TComponent* AOwner) : TKitComponent(AOwner) {}

  // Takes only the name of an existing file (no folder), as a full path; anything else
  // keeps the previous name.
  const String& GetFileName() const { return FFileName; }
  void SetFileName(const String& Value);
  // Empty when the file does not exist. Setting writes the attributes (all but
  // fcaCompressed and fcaDirectory, which the system sets) when they differ from the
  // file's.
  TKitFileAttributes GetAttributes() const;
  void SetAttributes(TKitFileAttributes Value);
  TKitFileOpFlags Options{ffFilesOnly, ffUseRecycleBin};
  // 0 when the file does not exist. Read without opening the file, so other openers may be.
  std::int64_t FileSize() const;
  // The file's times in local time as date-and-time text ("" when there is no file);
  // setting parses such a text (EConvertError when it is none) and writes that time.
  String GetFileCreateStamp() const { return Stamp(0); }
  void SetFileCreateStamp(const String& Value) { SetStamp(0, Value); }
  String GetFileAccessStamp() const { return Stamp(1); }
  void SetFileAccessStamp(const String& Value) { SetStamp(1, Value); }
  String GetFileWriteStamp() const { return Stamp(2); }
  void SetFileWriteStamp(const String& Value) { SetStamp(2, Value); }
  // The shell's name of the file's type; when it has none, ".EXT-Files" ("" without file).
  String FileType() const;

  // Runs the shell's file operation with the options' flags and no window of its own:
  // true when it reports success and nothing was aborted. A name without NUL characters is
  // expanded to a full path; a text with NULs is a list of names as the shell takes it. An
  // empty source fails at once; a deletion takes no destination.
  bool FileOperation(const String& Source, const String& Dest, TKitFileOperation Operation);
  bool DeleteFile(const String& FileName) { return FileOperation(FileName, FileName, foDelete); }

 private:
  String Stamp(int Which) const;
  void SetStamp(int Which, const String& Value);
  String FFileName;
};

// The shell flags (FOF_ values) of a set of options. When nobody is asked and no progress
// is shown (ffNoActionConfirm with ffShowNoProgress), no error box is shown either: nobody
// would be there to close it.
unsigned KitFileOpShellFlags(TKitFileOpFlags Options);
// A name list as the shell takes it (see FileOperation), ending with its double NUL.
std::wstring KitShellFileList(const String& Names);
// The type name of a file whose type the shell does not know: ".ABC-Files".
String KitUnknownFileType(const String& FileName);
