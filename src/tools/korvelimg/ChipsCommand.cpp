#include "Commands.h"
#include "target/ChipListing.h"

namespace korvel {

int RunChips(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (!args.empty()) {
    err << "korvelimg chips: unexpected argument \"" << args.front() << "\"\n";
    return kUnusableInput;
  }
  std::string text = ChipListingHeader() + '\n';
  for (const auto& line : ChipListingLines()) text += line + '\n';
  out << text;
  out.flush();
  if (!out) {
    err << "korvelimg chips: cannot write the listing\n";
    return 1;
  }
  return 0;
}

}  // namespace korvel
