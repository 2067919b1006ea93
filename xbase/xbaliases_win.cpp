#include "classlib/core/files.h"
#include "classlib/core/inifiles.h"
#include "xbase/xbaliases.h"

namespace {

class TWindowsAliases : public TxbAliasSystem {
 public:
  String ExecutableFolder() override { return ExeFolder(); }
  // A name without a folder is a file in the Windows folder, as the profile routines read it.
  std::vector<String> AliasLines() override {
    std::vector<String> lines;
    TIniFile("xbase.cfg").ReadSectionValues("Alias", lines);
    return lines;
  }
};

}  // namespace

TxbAliasSystem& TxbAliasSystem::System() {
  static TWindowsAliases system;
  return system;
}
