#pragma once
#include <ostream>
#include <string>
#include <vector>

namespace korvel {

// The sub-commands of korvelimg. args are the words after the sub-command's
// name. Each returns the process exit status: 0 on success, otherwise
// kUnusableInput for arguments or input files it cannot use, 1 when its
// output cannot be written; the reason goes to err.
inline constexpr int kUnusableInput = 64;
// An option action the chip's editor refuses (missing, hidden or disabled
// control, value out of range).
inline constexpr int kRefusedAction = 2;

// chips: every listed chip's descriptor, one tab-separated line each.
int RunChips(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// info --chip NAME FILE...: the check values of the loaded files; none when
// a file leaves the job without a loaded image.
int RunInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// convert IN OUT [--offset N]: any readable format to the format of OUT.
int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// project FILE: what a project file holds and whether it is sound (exit 1
// when it is not, with the open's message).
int RunProject(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// options --chip NAME [--from FILE] [ACTION ...]: the chip's option bytes
// after the editor actions (128 bytes as hex, then the printed lines);
// options --chip NAME --controls: what the chip's editor offers.
int RunOptions(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace korvel
