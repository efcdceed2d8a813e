// korvelimg: the job's chip and image rules for scripts and the shell.
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "Commands.h"

namespace {

using Command = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);

struct SubCommand {
  std::string_view Name;
  Command Run;
};

constexpr SubCommand kCommands[] = {
    {"chips", korvel::RunChips},
    {"info", korvel::RunInfo},
    {"convert", korvel::RunConvert},
    {"project", korvel::RunProject},
    {"options", korvel::RunOptions},
};

constexpr const char* kUsage =
    "usage: korvelimg chips\n"
    "       korvelimg info --chip NAME FILE...\n"
    "       korvelimg convert IN OUT [--offset N]\n"
    "       korvelimg project FILE\n"
    "       korvelimg options --chip NAME [--from FILE] [ACTION ...]\n"
    "       korvelimg options --chip NAME --controls\n";

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (args.empty()) {
    std::cerr << kUsage;
    return korvel::kUnusableInput;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    std::cout << kUsage;
    return 0;
  }
  for (const auto& c : kCommands) {
    if (args[0] == c.Name) {
      const std::vector<std::string> rest(args.begin() + 1, args.end());
      return c.Run(rest, std::cout, std::cerr);
    }
  }
  std::cerr << "korvelimg: unknown command \"" << args[0] << "\"\n" << kUsage;
  return korvel::kUnusableInput;
}
