#pragma once
#include <string>
#include <vector>

#include "app/OperatorPrompts.h"
#include "target/ImageLoading.h"

namespace korvel {

// What "&Save Memory to File" writes, and under which name.
struct SaveTarget {
  std::string Name;
  ImageKind Kind = ImageKind::Binary;
};

// The saved file must load back as it was written, and the loader goes by
// the extension. So an extension the loader knows (and .MOT, the save
// dialog's own S-record name) decides the format even against the chosen
// filter. A name without an extension takes the filter's format and its
// extension; any other extension keeps the name and takes the filter's
// format. filters are the dialog's "Description|*.EXT" entries.
SaveTarget ResolveSaveTarget(const FileChoice& choice, const std::vector<std::string>& filters);

}  // namespace korvel
