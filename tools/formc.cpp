// formc: compiles a text form into its binary form stream, and writes the resource script
// line that links it as an RCDATA resource named after the root's class in upper case.
//   formc <text form> <binary out> <resource script out> <binary path for the script>
#include <cstdio>
#include <string>
#include <vector>

#include "classlib/filer.h"
#include "classlib/formtext.h"
#include "classlib/streams.h"
#include "classlib/text.h"
#include "classlib/unicode.h"

namespace {

int Run(const std::vector<std::string>& args) {
  if (args.size() != 5) {
    std::fprintf(stderr, "usage: formc <text form> <binary out> <resource script out> <binary path for the script>\n");
    return 2;
  }
  const std::string& source = args[1];
  try {
    TMemoryStream binary;
    {
      TFileStream text(source, fmOpenRead | fmShareDenyWrite);
      ObjectTextToBinary(&text, &binary);
    }
    binary.SetPosition(0);
    std::string className;
    {
      TReader reader(&binary);
      reader.ReadSignature();
      TFilerFlags flags;
      int childPos;
      reader.ReadPrefix(flags, childPos);
      className = reader.ReadStr();
    }
    binary.SaveToFile(args[2]);
    TFileStream script(args[3], fmCreate);
    std::string line = UpperCase(className) + " RCDATA \"" + args[4] + "\"\n";
    script.WriteBuffer(line.data(), static_cast<std::int64_t>(line.size()));
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", source.c_str(), e.what());
    return 1;
  }
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(WideToUtf8(argv[i]));
  return Run(args);
}
#else
int main(int argc, char** argv) { return Run(std::vector<std::string>(argv, argv + argc)); }
#endif
