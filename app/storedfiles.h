#pragma once
// TDskFileHolder: whole files carried inside a window's form resource, each a stored file
// of the collection Files with its bytes streamed as the binary property "FileContents".
// The main window keeps its three character files this way and writes them beside the
// program at start (WriteStoredFiles), deleting them at exit (DeleteStoredFiles).
#include <vector>

#include "classlib/core/collection.h"
#include "classlib/core/datetime.h"
#include "classlib/core/streams.h"
#include "desktop/dsksystems.h"

class TDskStoredFile : public TCollectionItem {
  HX_CLASS(TDskStoredFile, TCollectionItem)
 public:
  explicit TDskStoredFile(TCollection* Collection);
  ~TDskStoredFile() override;

  // Descriptive only. They take values only while the holder is read from its form: at run
  // time they are read-only.
  TDateTime GetFileDate() const { return FFileDate; }
  void SetFileDate(TDateTime Value);
  const String& GetNameOfFile() const { return FNameOfFile; }
  void SetNameOfFile(const String& Value);
  const String& GetFilePath() const { return FFilePath; }
  void SetFilePath(const String& Value);
  int GetFileSize() const { return FFileSize; }
  void SetFileSize(int Value);

  // The file's bytes; the file is empty when this holds none.
  TMemoryStream* Contents() const { return FContents; }
  bool Empty() const { return FContents->GetSize() == 0; }

  String GetDisplayName() override;  // NameOfFile, or "No File Stored"
  // From another stored file: its name, size, path, date and contents.
  void Assign(TPersistent* Source) override;
  // "FileContents", written only when the file is not empty.
  void DefineProperties(TFiler* Filer) override;

 private:
  TDateTime FFileDate = 0;
  String FNameOfFile, FFilePath;
  int FFileSize = 0;
  TMemoryStream* FContents;
};

class TDskStoredFiles : public TCollection {
  HX_CLASS(TDskStoredFiles, TCollection)
 public:
  explicit TDskStoredFiles(TPersistent* Owner) : TCollection(Owner, ClassOf<TDskStoredFile>()) {}
  TDskStoredFile* Items(int Index) const { return static_cast<TDskStoredFile*>(GetItem(Index)); }
};

class TDskFileHolder : public TDskSystemsComponent {
  HX_CLASS(TDskFileHolder, TDskSystemsComponent)
 public:
  explicit TDskFileHolder(TComponent* AOwner);
  ~TDskFileHolder() override;

  TDskStoredFiles* GetFiles() const { return FFiles; }
  void SetFiles(TDskStoredFiles* Value) { FFiles->Assign(Value); }  // copies the items

  // Writes stored file Index to Path (created or overwritten) when the index is valid and
  // the file is not empty; otherwise does nothing. A file whose bytes do not match its
  // FileSize is not written (EStreamError); a file that cannot be written raises the file
  // stream's error and leaves no partial file behind.
  void ExtractStoredFile(int Index, const String& Path);
  // Lets go of every file's bytes (once they are written out, the program needs them no
  // more): the files keep their descriptions and are empty from then on.
  void ReleaseContents();

 private:
  TDskStoredFiles* FFiles;
};

// Where stored files went at start, and the ones that could not be written.
struct TStoredFilesPlacement {
  String Folder;               // with a trailing separator; the files' folder from now on
  std::vector<String> Errors;  // one message per file that failed
};

// Writes stored file i under Names[i] into ProgramFolder or, when that folder cannot be
// written (an installation under Program Files), into FallbackFolder (created when
// missing). Every file is tried: one that fails does not stop the others.
TStoredFilesPlacement WriteStoredFiles(TDskFileHolder* Holder, const std::vector<String>& Names,
                                       const String& ProgramFolder, const String& FallbackFolder);
// The per-user folder for files the program folder cannot take: %LOCALAPPDATA%\Horavox
// (the temporary folder's Horavox when that is not set), with a trailing separator.
String StoredFilesFallbackFolder();
// Whether a new file can be made in Folder.
bool FolderWritable(const String& Folder);

#ifdef _WIN32
class TKitFileCtrl;
// Deletes Folder + each name through the file-operations component (with its options);
// returns the names that are still there.
std::vector<String> DeleteStoredFiles(TKitFileCtrl* FileCtrl, const String& Folder, const std::vector<String>& Names);
#endif
