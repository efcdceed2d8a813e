#include "target/SaveTarget.h"

namespace korvel {

namespace {

// The extension of the filter's first pattern, "HEX" of "...|*.HEX;*.H86".
std::string FilterExtension(const std::vector<std::string>& filters, int index) {
  if (index < 0 || index >= static_cast<int>(filters.size())) return "BIN";
  const std::string& f = filters[static_cast<size_t>(index)];
  const size_t dot = f.find("*.", f.find('|') == std::string::npos ? 0 : f.find('|'));
  if (dot == std::string::npos) return "BIN";
  const size_t end = f.find(';', dot);
  return f.substr(dot + 2, end == std::string::npos ? std::string::npos : end - dot - 2);
}

ImageKind KindOfExtension(const std::string& upper) {
  if (upper == "MOT") return ImageKind::SRecord;
  return ObjectFileKind("x." + upper);
}

}  // namespace

SaveTarget ResolveSaveTarget(const FileChoice& choice, const std::vector<std::string>& filters) {
  const std::string filterExt = FilterExtension(filters, choice.FilterIndex);
  ImageKind filterKind = KindOfExtension(UpperExtension("x." + filterExt));
  if (filterKind == ImageKind::Unknown) filterKind = ImageKind::Binary;

  if (BaseName(choice.Name).find('.') == std::string::npos)
    return {choice.Name + "." + filterExt, filterKind};
  const ImageKind typed = KindOfExtension(UpperExtension(choice.Name));
  if (typed != ImageKind::Unknown) return {choice.Name, typed};
  return {choice.Name, filterKind};
}

}  // namespace korvel
