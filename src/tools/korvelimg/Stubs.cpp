#include "Commands.h"

namespace korvel {

// Placeholders until the image sub-commands are built.
int RunInfo(const std::vector<std::string>&, std::ostream&, std::ostream& err) {
  err << "korvelimg info: not available\n";
  return 2;
}

int RunConvert(const std::vector<std::string>&, std::ostream&, std::ostream& err) {
  err << "korvelimg convert: not available\n";
  return 2;
}

}  // namespace korvel
