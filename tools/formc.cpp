// formc: compiles a text form into its binary form stream, and writes the resource script
// line that links it as an RCDATA resource named after the root's class in upper case.
//   formc <text form> <binary out> <resource script out> <binary path for the script>
//         [<data folder>...]
// Files made at build time go into a form by name: outside quoted strings, @file(NAME)
// becomes the binary value of the file's bytes ({...}) and @size(NAME) its byte count, the
// file NAME being looked up in the data folders in order. @picture(CLASS, NAME) is a
// picture's "Data" value holding the file as a graphic of that class: the class name, the
// file's byte count (4 bytes) and the file ("Picture.Data = @picture(TJpegGraphic, a.jpg)").
#include <cstdio>
#include <string>
#include <vector>

#include "classlib/core/files.h"
#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"
#include "classlib/core/streams.h"
#include "classlib/core/text.h"
#include "classlib/core/unicode.h"

namespace {

std::string DataFile(const std::string& name, const std::vector<std::string>& folders) {
  for (const std::string& folder : folders) {
    std::string path = IncludeTrailingPathDelimiter(folder) + name;
    if (FileExists(path)) return path;
  }
  throw EFOpenError("Data file " + name + " not found in the data folders");
}

// A binary value ({...}) of the bytes.
std::string BinaryValue(const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "{";
  for (size_t k = 0; k < bytes.size(); ++k) {
    if (k % 32 == 0) out += "\r\n";
    out += kHex[static_cast<unsigned char>(bytes[k]) >> 4];
    out += kHex[static_cast<unsigned char>(bytes[k]) & 15];
  }
  return out + "}";
}

// A picture's "Data": the class name (a short string), the byte count and the file.
std::string PictureValue(const std::string& args, const std::vector<std::string>& folders) {
  size_t comma = args.find(',');
  if (comma == std::string::npos) throw EParserError("@picture(CLASS, NAME) expected");
  std::string className = Trim(args.substr(0, comma)), name = Trim(args.substr(comma + 1));
  if (className.empty() || className.size() > 255) throw EParserError("Bad picture class in @picture");
  TMemoryStream data;
  data.LoadFromFile(DataFile(name, folders));
  auto size = static_cast<std::uint32_t>(data.GetSize());
  std::string bytes(1, static_cast<char>(className.size()));
  bytes += className;
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>((size >> (8 * i)) & 0xFF);
  bytes.append(static_cast<const char*>(data.Memory()), size);
  return BinaryValue(bytes);
}

// The text with every @file(NAME), @size(NAME) and @picture(CLASS, NAME) outside quoted
// strings replaced.
std::string EmbedDataFiles(const std::string& text, const std::vector<std::string>& folders) {
  std::string out;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\'') quoted = !quoted;  // a doubled quote inside a string toggles twice
    bool isFile = !quoted && text.compare(i, 6, "@file(") == 0;
    bool isSize = !quoted && text.compare(i, 6, "@size(") == 0;
    if (!quoted && text.compare(i, 9, "@picture(") == 0) {
      size_t close = text.find(')', i);
      if (close == std::string::npos) throw EParserError("')' expected after @picture(");
      out += PictureValue(text.substr(i + 9, close - i - 9), folders);
      i = close;
      continue;
    }
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
      out += BinaryValue(std::string(static_cast<const char*>(data.Memory()), static_cast<size_t>(data.GetSize())));
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
