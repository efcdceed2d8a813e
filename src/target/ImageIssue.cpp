#include "target/ImageFile.h"

namespace korvel {

std::string ImageIssue::Text() const { return "line " + std::to_string(Line) + ": " + What; }

void ImageLoadResult::AddIssue(int line, std::string what) {
  ++IssueCount;
  if (Issues.size() < kMaxIssues) Issues.push_back({line, std::move(what)});
}

std::string ImageLoadResult::Summary() const {
  if (!Opened) return OpenError;
  if (IssueCount == 0) return {};
  std::string s = Issues.front().Text();
  if (IssueCount > 1) s += " (" + std::to_string(IssueCount - 1) + " more bad records)";
  return s;
}

}  // namespace korvel
