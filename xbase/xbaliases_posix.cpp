#include <unistd.h>

#include "classlib/core/files.h"
#include "xbase/xbaliases.h"

namespace {

// Without a Windows folder there is no configuration file: no aliases.
class TPosixAliases : public TxbAliasSystem {
 public:
  String ExecutableFolder() override {
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? ExtractFilePath(std::string_view(path, static_cast<size_t>(n))) : GetCurrentDir() + PathDelim;
  }
  std::vector<String> AliasLines() override { return {}; }
};

}  // namespace

TxbAliasSystem& TxbAliasSystem::System() {
  static TPosixAliases system;
  return system;
}
