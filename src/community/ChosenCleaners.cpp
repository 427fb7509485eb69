// The chosen community entries of a run.
#include "community/ChosenCleaners.h"

#include <memory>

#include "community/Detection.h"
#include "community/EntryCleaner.h"
#include "community/Sources.h"
#include "util/Text.h"

namespace community {

std::vector<cleaner::ExtraCleaner> ChosenCleaners(platform::Platform& platform,
                                                  const std::vector<std::string>& chosen) {
  std::vector<cleaner::ExtraCleaner> cleaners;
  if (chosen.empty()) return cleaners;
  // What the cleaners share: the definitions, and what the run learns as it goes.
  struct Shared {
    explicit Shared(platform::Platform& platform) : catalogue(LoadCatalogue(platform)), context(platform) {}
    Catalogue catalogue;
    RunContext context;
  };
  auto shared = std::make_shared<Shared>(platform);
  std::vector<bool> taken(chosen.size(), false);
  for (const Entry& entry : shared->catalogue.entries) {
    for (size_t i = 0; i < chosen.size(); ++i) {
      if (taken[i] || !util::EqualNoCase(chosen[i], entry.name)) continue;
      taken[i] = true;
      cleaner::ExtraCleaner extra{entry.name, {}, nullptr};
      if (!IsDetected(entry, platform, shared->context.folders)) {
        extra.notRun = "its application was not found on this machine";
      } else {
        extra.clean = [shared, &entry](cleaner::CleanerSteps& run) { CleanEntry(entry, shared->context, run); };
      }
      cleaners.push_back(std::move(extra));
    }
  }
  for (size_t i = 0; i < chosen.size(); ++i) {
    if (!taken[i]) cleaners.push_back({chosen[i], "it is no longer in the definitions", nullptr});
  }
  return cleaners;
}

}  // namespace community
