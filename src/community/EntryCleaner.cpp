// An entry's run: skipped whole while a browser it cleans runs, else its
// files, then its registry keys.
#include "community/EntryCleaner.h"

#include "browsers/BrowserItems.h"
#include "browsers/BrowserTable.h"
#include "community/EntryParts.h"

namespace community {

std::vector<size_t> BrowsersOf(const Entry& entry, SystemFolders& folders, platform::FileSystem& files) {
  std::vector<size_t> rows;
  const std::vector<std::string>& local = folders.Values(Variable::LocalAppData);
  const std::vector<std::string>& roaming = folders.Values(Variable::AppData);
  for (size_t row = 0; row < browsers::kBrowserCount; ++row) {
    // Its data, and its caches in the local folder for a roaming profile.
    std::vector<std::vector<std::string>> places;
    for (const std::vector<std::string>* base : {&local, &roaming}) {
      for (const std::string& folder : *base)
        places.push_back(PathParts(folder + "\\" + browsers::kBrowsers[row].dataFolder));
    }
    bool reached = false;
    for (const FileRule& rule : entry.files) {
      for (const PathPattern& pattern : Expand(rule.folder, folders)) {
        const std::vector<std::string> segments = pattern.Segments();
        for (const std::vector<std::string>& place : places) {
          // The rule's folder at or below the browser's, or above it for a rule that goes into folders.
          if (segments.size() >= place.size()) {
            const std::vector<std::string> head(segments.begin(), segments.begin() + place.size());
            reached = reached || PrefixMatches(files, head, place, true);
          } else {
            reached = reached || (rule.recurse && PrefixMatches(files, segments, place, false));
          }
        }
      }
    }
    if (reached) rows.push_back(row);
  }
  return rows;
}

void CleanEntry(const Entry& entry, RunContext& context, cleaner::CleanerSteps& run) {
  // A browser's files are its own while it runs, as for the browsers Corvane cleans itself.
  for (size_t row : BrowsersOf(entry, context.folders, run.platform().files)) {
    const browsers::BrowserRow& browser = browsers::kBrowsers[row];
    if (!browsers::IsRunning(browser, context.running)) continue;
    run.NoteSkip({0, entry.name,
                  std::string(browser.name) + " is running (" + browser.programFile + "): close it and clean again",
                  true});
    return;
  }
  CleanFiles(entry, context, run);
  if (run.stopFlag()) return;
  CleanRegistry(entry, run);
}

}  // namespace community
