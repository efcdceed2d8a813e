#include "Commands.h"
#include "app/IntegerText.h"
#include "target/ImageConvert.h"

namespace korvel {

int RunConvert(const std::vector<std::string>& args, std::ostream&, std::ostream& err) {
  std::vector<std::string> paths;
  int64_t offset = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--offset" && i + 1 < args.size()) {
      auto value = ParseInteger(args[++i]);
      if (!value || *value < 0 || *value > 0xFFFFFFFF) {
        err << "korvelimg convert: bad offset \"" << args[i] << "\"\n";
        return kUnusableInput;
      }
      offset = *value;
    } else if (args[i].starts_with("--")) {
      err << "korvelimg convert: unknown option \"" << args[i] << "\"\n";
      return kUnusableInput;
    } else {
      paths.push_back(args[i]);
    }
  }
  if (paths.size() != 2) {
    err << "usage: korvelimg convert IN OUT [--offset N]\n";
    return kUnusableInput;
  }
  const auto format = FormatFromExtension(paths[1]);
  if (!format) {
    err << "korvelimg convert: " << paths[1]
        << ": unknown output format (use .bin, .hex, .s19, .s28, .s37 or .mot)\n";
    return kUnusableInput;
  }
  const ImageReadResult in = ReadImageFile(paths[0], static_cast<uint32_t>(offset));
  if (!in.Ok) {
    err << "korvelimg convert: " << in.Error << '\n';
    return kUnusableInput;
  }
  const WriteResult w = WriteImageFile(paths[1], *format, in.Chunks, ReplaceMode::InPlace);
  if (!w.Ok) {
    err << "korvelimg convert: " << w.Error << '\n';
    return 1;
  }
  return 0;
}

}  // namespace korvel
