// formc: compiles a text form into its binary form stream, and writes the resource script
// line that links it as an RCDATA resource named after the root's class in upper case.
//   formc <text form> <binary out> <resource script out> <binary path for the script>
//         [<data folder>...]
// Files made at build time go into a form by name: outside quoted strings, @file(NAME)
// becomes the binary value of the file's bytes ({...}) and @size(NAME) its byte count, the
// file NAME being looked up in the data folders in order.
#include <cstdio>
#include <string>
#include <vector>

#include "classlib/files.h"
#include "classlib/filer.h"
#include "classlib/formtext.h"
#include "classlib/streams.h"
#include "classlib/text.h"
#include "classlib/unicode.h"

namespace {

std::string DataFile(const std::string& name, const std::vector<std::string>& folders) {
  for (const std::string& folder : folders) {
    std::string path = IncludeTrailingPathDelimiter(folder) + name;
    if (FileExists(path)) return path;
  }
  throw EFOpenError("Data file " + name + " not found in the data folders");
}

// The text with every @file(NAME) and @size(NAME) outside quoted strings replaced.
std::string EmbedDataFiles(const std::string& text, const std::vector<std::string>& folders) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\'') quoted = !quoted;  // a doubled quote inside a string toggles twice
    bool isFile = !quoted && text.compare(i, 6, "@file(") == 0;
    bool isSize = !quoted && text.compare(i, 6, "@size(") == 0;
    if (!isFile && !isSize) {
      out += c;
      continue;
    }
    size_t open = i + 5, close = text.find(')', open);
    if (close == std::string::npos) throw EParserError("')' expected after " + text.substr(i, 6));
    std::string name = Trim(text.substr(open + 1, close - open - 1));
    TMemoryStream data;
    data.LoadFromFile(DataFile(name, folders));
    if (isSize) {
      out += std::to_string(data.GetSize());
    } else {
      out += '{';
      auto* bytes = static_cast<const unsigned char*>(data.Memory());
      for (std::int64_t k = 0; k < data.GetSize(); ++k) {
        if (k % 32 == 0) out += "\r\n";
        out += kHex[bytes[k] >> 4];
        out += kHex[bytes[k] & 15];
      }
      out += '}';
    }
    i = close;
  }
  return out;
}

int Run(const std::vector<std::string>& args) {
  if (args.size() < 5) {
    std::fprintf(stderr,
                 "usage: formc <text form> <binary out> <resource script out> <binary path for the script> "
                 "[<data folder>...]\n");
    return 2;
  }
  const std::string& source = args[1];
  try {
    TMemoryStream binary;
    {
      TFileStream file(source, fmOpenRead | fmShareDenyWrite);
      TStringStream text(EmbedDataFiles(StreamToString(&file), {args.begin() + 5, args.end()}));
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
