#include "engine/ChipByName.h"

#include <algorithm>
#include <cctype>

namespace korvel {

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

std::vector<std::string> ListedNames() {
  std::vector<std::string> names;
  for (bool stm32 : {false, true})
    for (const ChipSeries& s : SeriesOf(stm32))
      for (const char* n : s.ChipNames()) names.emplace_back(n);
  return names;
}

}  // namespace

ChipNameMatch MatchChipName(std::string_view typed, const std::vector<std::string>& listed) {
  if (std::find(listed.begin(), listed.end(), typed) != listed.end()) return {std::string(typed), {}};
  std::vector<std::string> fits;
  for (const std::string& n : listed)
    if (SameIgnoringCase(n, typed) && std::find(fits.begin(), fits.end(), n) == fits.end()) fits.push_back(n);
  if (fits.size() == 1) return {fits[0], {}};
  std::string quoted(1, '"');
  quoted.append(typed).push_back('"');
  if (fits.empty()) return {{}, "Unknown chip " + quoted + " (korvelimg chips lists every chip)"};
  std::string all;
  for (const std::string& n : fits) all += (all.empty() ? "" : ", ") + n;
  return {{}, "Chip name " + quoted + " fits " + all + ": give the name with its letter case"};
}

ChipByName FindChipByName(std::string_view typed) {
  ChipNameMatch m = MatchChipName(typed, ListedNames());
  if (m.Name.empty()) return {{}, {}, std::move(m.Error)};
  return {FindChip(m.Name), m.Name, {}};
}

}  // namespace korvel
