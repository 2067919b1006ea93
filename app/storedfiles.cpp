#include "app/storedfiles.h"

#include <memory>

#include "classlib/core/files.h"
#include "classlib/core/filer.h"
#include "classlib/core/format.h"

HX_PUBLISH(TDskStoredFile, p) {
  p.Property("FileDate", &TDskStoredFile::GetFileDate, &TDskStoredFile::SetFileDate).Default(0.0);
  p.Property("NameOfFile", &TDskStoredFile::GetNameOfFile, &TDskStoredFile::SetNameOfFile).Default("");
  p.Property("FilePath", &TDskStoredFile::GetFilePath, &TDskStoredFile::SetFilePath).Default("");
  p.Property("FileSize", &TDskStoredFile::GetFileSize, &TDskStoredFile::SetFileSize).Default(0);
}

HX_PUBLISH(TDskStoredFiles, p) {}

HX_PUBLISH(TDskFileHolder, p) {
  p.Property("Files", &TDskFileHolder::GetFiles, &TDskFileHolder::SetFiles);
}

// ---- TDskStoredFile ----

TDskStoredFile::TDskStoredFile(TCollection* Collection) : TCollectionItem(Collection), FContents(new TMemoryStream) {}

TDskStoredFile::~TDskStoredFile() { delete FContents; }

void TDskStoredFile::SetFileDate(TDateTime Value) {
  if (TDskSystemsComponent::ItemOwnerLoading(this)) FFileDate = Value;
}

void TDskStoredFile::SetNameOfFile(const String& Value) {
  if (TDskSystemsComponent::ItemOwnerLoading(this)) FNameOfFile = Value;
}

void TDskStoredFile::SetFilePath(const String& Value) {
  if (TDskSystemsComponent::ItemOwnerLoading(this)) FFilePath = Value;
}

void TDskStoredFile::SetFileSize(int Value) {
  if (TDskSystemsComponent::ItemOwnerLoading(this)) FFileSize = Value;
}

String TDskStoredFile::GetDisplayName() { return FNameOfFile.empty() ? String("No File Stored") : FNameOfFile; }

void TDskStoredFile::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TDskStoredFile*>(Source);
  if (!other) return inherited::Assign(Source);
  if (other == this) return;
  FNameOfFile = other->FNameOfFile;
  FFileSize = other->FFileSize;
  FFilePath = other->FFilePath;
  FFileDate = other->FFileDate;
  FContents->Clear();
  other->FContents->SaveToStream(FContents);
  FContents->SetPosition(0);
}

void TDskStoredFile::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "FileContents",
      [this](TStream* Stream) {
        FContents->Clear();
        FContents->LoadFromStream(Stream);
      },
      [this](TStream* Stream) { FContents->SaveToStream(Stream); }, !Empty());
}

// ---- TDskFileHolder ----

TDskFileHolder::TDskFileHolder(TComponent* AOwner) : TDskSystemsComponent(AOwner), FFiles(new TDskStoredFiles(this)) {}

TDskFileHolder::~TDskFileHolder() { delete FFiles; }

void TDskFileHolder::ExtractStoredFile(int Index, const String& Path) {
  if (Index < 0 || Index >= FFiles->Count()) return;
  TDskStoredFile* file = FFiles->Items(Index);
  if (file->Empty()) return;
  std::int64_t size = file->Contents()->GetSize();
  if (size != file->GetFileSize())
    throw EStreamError(Format("The stored file %s is damaged: it holds %d bytes instead of %d",
                              file->GetDisplayName(), size, file->GetFileSize()));
  try {
    TFileStream out(Path, fmCreate);
    out.WriteBuffer(file->Contents()->Memory(), size);
  } catch (const EFCreateError&) {
    throw;  // nothing was made
  } catch (...) {
    DeleteFile(Path);  // no partial file
    throw;
  }
}

void TDskFileHolder::ReleaseContents() {
  for (int i = 0; i < FFiles->Count(); ++i) FFiles->Items(i)->Contents()->Clear();
}

// ---- Writing the files out ----

bool FolderWritable(const String& Folder) {
  String probe = IncludeTrailingPathDelimiter(Folder) + "~horavox-write-test.tmp";
  try {
    { TFileStream file(probe, fmCreate); }
    DeleteFile(probe);
    return true;
  } catch (const EStreamError&) {
    return false;
  }
}

String StoredFilesFallbackFolder() {
  String base = GetEnvironmentVariable("LOCALAPPDATA");
  if (base.empty()) base = GetTempDir();
  return IncludeTrailingPathDelimiter(IncludeTrailingPathDelimiter(base) + "Horavox");
}

TStoredFilesPlacement WriteStoredFiles(TDskFileHolder* Holder, const std::vector<String>& Names,
                                       const String& ProgramFolder, const String& FallbackFolder) {
  TStoredFilesPlacement placement;
  placement.Folder = IncludeTrailingPathDelimiter(ProgramFolder);
  if (!FolderWritable(placement.Folder)) {
    placement.Folder = IncludeTrailingPathDelimiter(FallbackFolder);
    ForceDirectories(placement.Folder);
  }
  for (size_t i = 0; i < Names.size(); ++i) {
    try {
      Holder->ExtractStoredFile(static_cast<int>(i), placement.Folder + Names[i]);
    } catch (const Exception& e) {
      placement.Errors.push_back(Names[i] + ": " + e.Message);
    }
  }
  return placement;
}
