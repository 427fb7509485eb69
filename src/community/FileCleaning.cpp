// An entry's FileKeys: the folders they name, opened as themselves through
// the folders above, and their matching files removed through the
// folders' handles, under the rules no entry can bend.
#include <algorithm>
#include <memory>

#include "browsers/BrowserItems.h"
#include "cleaner/CleanerSteps.h"
#include "community/EntryCleaner.h"
#include "community/EntryParts.h"
#include "cookies/KeepList.h"
#include "util/Text.h"

namespace community {
namespace {

using platform::FindData;
using FolderPtr = std::shared_ptr<platform::FolderHandle>;

bool Matches(const std::vector<std::string>& patterns, const std::string& name) {
  return std::any_of(patterns.begin(), patterns.end(),
                     [&name](const std::string& pattern) { return util::MatchesMask(pattern, name); });
}

bool IsFolder(const FindData& entry) { return (entry.attributes & platform::kAttrDirectory) != 0; }

bool MayBeCookieStore(const std::string& name) { return util::ToLowerAscii(name).find("cookie") != std::string::npos; }

// An exclusion of files, as this machine has its folder.
struct FileExclusion {
  std::vector<std::string> segments;
  bool below = false;  // PATH: in the folder and below it
  const Exclusion* exclusion = nullptr;
};

class FileCleaner {
 public:
  FileCleaner(const Entry& entry, RunContext& context, cleaner::CleanerSteps& run)
      : entry_(entry),
        context_(context),
        run_(run),
        files_(run.platform().files),
        namesPasswords_(DeletesPasswords(entry)) {
    for (const Exclusion& exclusion : entry.exclusions) {
      if (exclusion.kind == Exclusion::Kind::Registry) continue;
      for (const PathPattern& pattern : Expand(exclusion.folder, context.folders)) {
        exclusions_.push_back({pattern.Segments(), exclusion.kind == Exclusion::Kind::Path, &exclusion});
      }
    }
  }

  void Clean(const FileRule& rule) {
    for (const PathPattern& pattern : Expand(rule.folder, context_.folders)) {
      if (Stopped()) return;
      // The folder the system named stays, even emptied by REMOVESELF.
      keepTop_ = pattern.parts.empty();
      for (const FolderPtr& folder : OpenMatching(pattern)) CleanNamedFolder(folder, rule);
    }
  }

 private:
  bool Stopped() const { return run_.stopFlag().load(); }

  void ByRule(const FileRule& rule, const std::string& what, std::string reason) {
    cleaner::StepSkip skip{0, rule.key + ": " + what, std::move(reason)};
    skip.byRule = true;
    run_.NoteSkip(std::move(skip));
  }

  // The folders the pattern names that exist, each opened through the one
  // above it; a link on the way, written or matched, is named and left.
  std::vector<FolderPtr> OpenMatching(const PathPattern& pattern) {
    std::string start = pattern.start, longStart;
    if (files_.LongPathName(start, &longStart)) start = longStart;
    start_ = start;
    std::vector<FolderPtr> level;
    if (FolderPtr top = files_.OpenFolder(start, false)) level.push_back(std::move(top));
    for (const std::string& part : pattern.parts) {
      std::vector<FolderPtr> next;
      for (const FolderPtr& folder : level) {
        if (Stopped()) return {};
        // The folder's own listing, also for a plain name: Wine 8's
        // FindFirstFile opens the folder without sharing deletion, so inside
        // a folder held open for removal, as each of a walk is, it fails (32).
        std::vector<FindData> found, entries;
        if (folder->List(&entries)) {
          for (FindData& entry : entries) {
            if (IsFolder(entry) && PartMatches(files_, part, entry.name)) found.push_back(std::move(entry));
          }
        }
        for (const FindData& entry : found) {
          if (platform::IsLink(entry)) {
            run_.RefuseLink(folder->path() + "\\" + entry.name);
            continue;
          }
          if (FolderPtr sub = folder->OpenFolder(entry.name, entry.fileId)) {
            next.push_back(std::move(sub));
          } else if (files_.LastError() == platform::kErrorStoppedOnSymlink) {
            run_.RefuseLink(folder->path() + "\\" + entry.name);
          }
        }
      }
      level = std::move(next);
    }
    return level;
  }

  // A folder the rule names: refused when it would empty a protected one.
  void CleanNamedFolder(const FolderPtr& folder, const FileRule& rule) {
    const std::string& path = folder->path();
    std::string protectedName = context_.protectedFolders.NameOf(path);
    if (!protectedName.empty()) {
      const bool everything = std::any_of(rule.patterns.begin(), rule.patterns.end(), TakesEverything);
      if (rule.recurse || everything) {
        ByRule(rule, path,
               "refused: it is " + protectedName +
                   ", where a rule may name files but not empty the folder or its subfolders");
        return;
      }
    }
    if (rule.recurse) {
      const std::string below = context_.protectedFolders.Below(path);
      if (!below.empty()) {
        ByRule(rule, path, "refused: it holds " + below + ", which no rule may empty");
        return;
      }
    }
    CleanTree(folder, rule);
  }

  // One folder being cleaned, and the subfolders still to do.
  struct Frame {
    explicit Frame(FolderPtr folder) : folder(std::move(folder)) {}
    FolderPtr folder;
    std::vector<FindData> subfolders;
    size_t next = 0;
    bool empty = true;  // nothing left in it so far
  };

  // The folder, and with RECURSE its subfolders, walked with a list rather
  // than by recursion; with REMOVESELF each folder left empty goes after
  // its subfolders, the named one last.
  void CleanTree(const FolderPtr& top, const FileRule& rule) {
    std::vector<Frame> frames;
    frames.emplace_back(top);
    CleanOneFolder(&frames.back(), rule);
    while (!frames.empty()) {
      if (Stopped()) return;
      Frame& frame = frames.back();
      if (frame.next < frame.subfolders.size()) {
        const FindData entry = frame.subfolders[frame.next++];
        FolderPtr sub = frame.folder->OpenFolder(entry.name, entry.fileId);
        if (!sub) {
          if (files_.LastError() == platform::kErrorStoppedOnSymlink) {
            run_.RefuseLink(frame.folder->path() + "\\" + entry.name);
          }
          frame.empty = frame.empty && platform::IsNotFound(files_.LastError());
          continue;
        }
        frames.emplace_back(std::move(sub));
        CleanOneFolder(&frames.back(), rule);
        continue;
      }
      // A folder that still holds something is never removed.
      const bool mayGo = rule.removeSelf && frame.empty && !(keepTop_ && frames.size() == 1);
      const bool gone = mayGo && frame.folder->RemoveSelf();
      frames.pop_back();
      if (!frames.empty()) frames.back().empty = frames.back().empty && gone;
    }
  }

  // The exclusions that keep `name` in the folder of `segments`.
  const Exclusion* ExclusionOf(const std::vector<std::string>& segments, const std::string& name) const {
    for (const FileExclusion& e : exclusions_) {
      if (PrefixMatches(files_, e.segments, segments, !e.below) && Matches(e.exclusion->names, name)) {
        return e.exclusion;
      }
    }
    return nullptr;
  }

  void CleanOneFolder(Frame* frame, const FileRule& rule) {
    platform::FolderHandle& folder = *frame->folder;
    std::vector<FindData> entries;
    if (!folder.List(&entries)) {
      frame->empty = false;
      return;
    }
    const std::vector<std::string> segments = PathParts(folder.path());
    std::set<std::string, util::LessNoCase> removed;
    std::vector<const FindData*> journals;
    std::vector<std::pair<const Exclusion*, size_t>> excluded;
    auto keep = [&]() { frame->empty = false; };
    for (const FindData& entry : entries) {
      if (Stopped()) return;
      const bool link = platform::IsLink(entry);
      if (IsFolder(entry) && !link) {
        if (rule.recurse) {
          frame->subfolders.push_back(entry);
        } else {
          keep();
        }
        continue;
      }
      // A link to a folder is a file of the folder only for a rule that goes into folders.
      if (!Matches(rule.patterns, entry.name) || (IsFolder(entry) && !rule.recurse)) {
        keep();
        continue;
      }
      if (const Exclusion* exclusion = ExclusionOf(segments, entry.name)) {
        auto it = std::find_if(excluded.begin(), excluded.end(), [&](const auto& e) { return e.first == exclusion; });
        if (it == excluded.end()) {
          excluded.push_back({exclusion, 1});
        } else {
          ++it->second;
        }
        keep();
        continue;
      }
      if (link) {
        if (Remove(folder, entry))
          removed.insert(entry.name);
        else
          keep();
        continue;
      }
      if (!DatabaseOfJournal(entry.name).empty()) {
        journals.push_back(&entry);
        continue;
      }
      if (IsPasswordStore(entry.name) && !namesPasswords_) {
        ByRule(rule, folder.path() + "\\" + entry.name,
               "left in place: it holds saved passwords, which this entry does not name");
        keep();
        continue;
      }
      if (MayBeCookieStore(entry.name) && CleanedAsCookieStore(folder, entry, rule)) {
        keep();
        continue;
      }
      if (Remove(folder, entry)) {
        removed.insert(entry.name);
      } else {
        keep();
      }
    }
    // A journal beside its database is part of it: deleting a hot journal
    // or write-ahead log corrupts the database. It goes only once the
    // database has.
    for (const FindData* journal : journals) {
      const std::string database = DatabaseOfJournal(journal->name);
      const bool beside = std::any_of(entries.begin(), entries.end(), [&](const FindData& e) {
        return files_.SameName(e.name, database) && !IsFolder(e) && !removed.count(e.name);
      });
      if (beside) {
        ByRule(rule, folder.path() + "\\" + journal->name,
               "left in place: the journal of " + database +
                   ", which is beside it (deleting it would damage the database)");
        keep();
      } else if (!Remove(folder, *journal)) {
        keep();
      }
    }
    for (const auto& [exclusion, count] : excluded) {
      ByRule(rule, folder.path(),
             std::to_string(count) + (count == 1 ? " file" : " files") + " kept by " + exclusion->key);
    }
  }

  // Removes an entry through its folder's handle; a file another program
  // holds is named (cleaning again later helps).
  bool Remove(platform::FolderHandle& folder, const FindData& entry) {
    if ((entry.attributes & platform::kAttrReadOnly) && !platform::IsLink(entry))
      folder.ClearReadOnly(entry.name, entry.fileId);
    if (folder.RemoveEntry(entry.name, entry.fileId)) return true;
    const long error = files_.LastError();
    if (platform::IsInUse(error)) {
      cleaner::StepSkip skip{0, folder.path() + "\\" + entry.name, "in use by another program", true, error};
      run_.NoteSkip(std::move(skip));
    }
    return false;
  }

  // A browser's cookie store (known by its tables) is cleaned as the
  // browsers' cookies are, the kept sites spared, instead of deleted.
  bool CleanedAsCookieStore(platform::FolderHandle& folder, const FindData& entry, const FileRule& rule) {
    browsers::BrowserServices services = cleaner::BrowserServicesOn(
        files_, run_.platform().databases, [this](const std::string& link) { run_.RefuseLink(link); });
    if (!context_.keepList) context_.keepList = cookies::ReadKeepList(run_.platform());
    browsers::ProfileResult result;
    if (browsers::CleanCookieStore(services, start_, folder.path(), entry.name, *context_.keepList, &result) ==
        browsers::CookieStore::NotOne) {
      return false;
    }
    const std::string path = folder.path() + "\\" + entry.name;
    for (const browsers::Skip& skip : result.skipped) {
      run_.NoteSkip({0, skip.file, "a cookie store: " + skip.reason, skip.inUse});
    }
    if (!result.skipped.empty()) return true;
    std::string kept = std::to_string(result.cookiesKept) + " kept";
    for (size_t i = 0; i < result.keptSites.size(); ++i) kept += (i ? ", " : " (") + result.keptSites[i];
    if (!result.keptSites.empty()) kept += ")";
    ByRule(rule, path,
           result.cookiesRemoved + result.cookiesKept == 0
               ? std::string("a cookie store: left in place, and no cookie in it was removed")
               : "a cookie store: cleaned with the keep-list rather than deleted (" +
                     std::to_string(result.cookiesRemoved) + " cookies removed, " + kept + ")");
    return true;
  }

  const Entry& entry_;
  RunContext& context_;
  cleaner::CleanerSteps& run_;
  platform::FileSystem& files_;
  const bool namesPasswords_;
  std::vector<FileExclusion> exclusions_;
  std::string start_;     // the folder the system named that the rule being cleaned starts at
  bool keepTop_ = false;  // the rule names that folder itself
};

}  // namespace

void CleanFiles(const Entry& entry, RunContext& context, cleaner::CleanerSteps& run) {
  FileCleaner cleaner(entry, context, run);
  for (const FileRule& rule : entry.files) {
    if (run.stopFlag()) return;
    cleaner.Clean(rule);
  }
}

}  // namespace community
