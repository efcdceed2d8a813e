#include "target/ImageFile.h"

namespace korvel {

namespace {

std::string WithCount(const ImageIssue& first, size_t count, const char* more) {
  std::string s = first.Text();
  if (count > 1) s += " (" + std::to_string(count - 1) + more + ")";
  return s;
}

}  // namespace

std::string ImageIssue::Text() const { return "line " + std::to_string(Line) + ": " + What; }

void ImageLoadResult::AddIssue(int line, std::string what) {
  ++IssueCount;
  ++BadRecords;
  ImageIssue issue{line, std::move(what), false};
  if (!FirstBad) FirstBad = issue;
  if (Issues.size() < kMaxIssues) Issues.push_back(std::move(issue));
}

void ImageLoadResult::AddDropped(int line, std::string what) {
  ++IssueCount;
  ++DroppedRecords;
  ImageIssue issue{line, std::move(what), true};
  if (!FirstDropped) FirstDropped = issue;
  if (Issues.size() < kMaxIssues) Issues.push_back(std::move(issue));
}

std::string ImageLoadResult::Summary() const {
  if (!Opened) return OpenError;
  if (IssueCount == 0) return {};
  return WithCount(Issues.front(), IssueCount, " more bad records");
}

std::string ImageLoadResult::BadRecordText() const {
  return FirstBad ? WithCount(*FirstBad, BadRecords, " more bad records") : std::string();
}

std::string ImageLoadResult::DroppedText() const {
  return FirstDropped ? WithCount(*FirstDropped, DroppedRecords, " more records not stored whole")
                      : std::string();
}

}  // namespace korvel
