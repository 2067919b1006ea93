#include "app/storedfiles.h"
#include "classlib/core/files.h"
#include "controls/kitfilectrl.h"

std::vector<String> DeleteStoredFiles(TKitFileCtrl* FileCtrl, const String& Folder, const std::vector<String>& Names) {
  std::vector<String> left;
  for (const String& name : Names) {
    String path = IncludeTrailingPathDelimiter(Folder) + name;
    FileCtrl->DeleteFile(path);
    if (FileExists(path)) left.push_back(name);
  }
  return left;
}
