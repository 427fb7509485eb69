// The report of a cleaning run.
#include "services/RunReport.h"

#include <algorithm>
#include <map>
#include <set>

#include "cookies/CookieCache.h"
#include "platform/ErrorCodes.h"
#include "util/Text.h"

namespace services {
namespace {

using platform::recording::Change;
using platform::recording::ChangeKind;
using platform::recording::Recorder;

using cleaner::kCleanerCount;
using cleaner::kCleaners;

const char kEnd[] = "\r\n";

std::string Plural(uint64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string Caption(size_t row) {
  std::string caption = kCleaners[row].caption;
  while (!caption.empty() && caption.back() == ' ') caption.pop_back();
  return caption;
}

// What a change does, as the object of a sentence.
std::string Subject(const Change& c) {
  switch (c.kind) {
    case ChangeKind::DeleteValue:
    case ChangeKind::SetValue:
      return c.target + ": " + (c.name.empty() ? "(default)" : c.name);
    case ChangeKind::WriteIni:
      return c.target + ": " + c.name;
    case ChangeKind::ClearHistory:
      return "the history store";
    case ChangeKind::EmptyRecycleBin:
      return "the recycle bin";
    case ChangeKind::DeleteRows:
    case ChangeKind::UpdateRows:
      return c.target + ": " + c.name;
    default:
      return c.target;
  }
}

std::string Action(const Change& c) {
  switch (c.kind) {
    case ChangeKind::RemoveFile:
      return "remove";
    case ChangeKind::RemoveFolder:
      return "remove folder";
    case ChangeKind::RemoveLink:
      return "remove link";
    case ChangeKind::MakeFolder:
      return "create folder";
    case ChangeKind::SetAttributes:
      return "change the attributes of";
    case ChangeKind::WriteIntoFile:
      return "write into";
    case ChangeKind::ReplaceFile:
      return "replace";
    case ChangeKind::WriteIni:
      return "write";
    case ChangeKind::CreateKey:
      return "create key";
    case ChangeKind::DeleteKey:
      return "remove key";
    case ChangeKind::DeleteValue:
      return "remove value";
    case ChangeKind::SetValue:
      return "write value";
    case ChangeKind::SetKeyAccess:
      return "change the access list of";
    case ChangeKind::DeleteCacheEntry:
      return c.cookie ? "remove cookie" : "remove cache entry";
    case ChangeKind::ClearHistory:
      return "clear";
    case ChangeKind::EmptyRecycleBin:
      return "empty";
    case ChangeKind::DeleteRows:
      return "remove rows of";
    case ChangeKind::UpdateRows:
      return "reset rows of";
    case ChangeKind::ClearJumpList:
      return "clear the jump list of";
  }
  return "change";
}

// The report of one cleaner: headed groups of lines.
class CleanerBlock {
 public:
  CleanerBlock(const Recorder& recorder, int section, std::vector<const Change*> changes)
      : recorder_(recorder), section_(section), changes_(std::move(changes)), preview_(recorder.preview()) {}

  void Files();
  // A heading with the count (in `one` or `many` when given) and a line per change.
  void Simple(ChangeKind kind, const char* done, const char* would, const char* one = "", const char* many = "");
  void Cookies(const std::vector<std::string>& seen, bool walkEnded);
  void RecycleBin();
  void AttributesLeft();
  void LinksRefused(const std::vector<cleaner::StepSkip>& skips);
  void Failures();
  void Skips(const std::vector<cleaner::StepSkip>& skips);
  void ByRule(const std::vector<cleaner::StepSkip>& skips);
  void Rows();
  const std::string& text() const { return text_; }

 private:
  uint64_t Count(ChangeKind kind, bool failed = false, bool cookie = false) const {
    return recorder_.TallyOf(section_, kind, failed, cookie).count;
  }
  void Heading(const char* done, const char* would, const std::string& rest) {
    text_ += std::string("  ") + (preview_ ? would : done) + ": " + rest + kEnd;
  }
  void Line(const std::string& line) { text_ += "    " + line + kEnd; }
  void More(uint64_t total, uint64_t listed) {
    if (total > listed) Line("... and " + std::to_string(total - listed) + " more");
  }

  const Recorder& recorder_;
  int section_;
  std::vector<const Change*> changes_;
  bool preview_;
  std::string text_;
};

void CleanerBlock::Files() {
  const uint64_t files = Count(ChangeKind::RemoveFile), folders = Count(ChangeKind::RemoveFolder),
                 links = Count(ChangeKind::RemoveLink);
  if (files + folders + links == 0) return;
  std::string rest = Plural(files, "file", "files") + " (" +
                     SizeText(recorder_.TallyOf(section_, ChangeKind::RemoveFile, false).bytes) + ")";
  if (folders) rest += ", " + Plural(folders, "folder", "folders");
  if (links) rest += ", " + Plural(links, "link", "links");
  Heading("Files and folders removed", "Files and folders to remove", rest);
  uint64_t listed = 0;
  // A purge lists thousands of lines: each is appended in place.
  for (const Change* c : changes_) {
    if (c->error) continue;
    const char* what = c->kind == ChangeKind::RemoveFolder ? " (folder)"
                       : c->kind == ChangeKind::RemoveLink ? " (link)"
                       : c->kind == ChangeKind::RemoveFile ? " ("
                                                           : nullptr;
    if (!what) continue;
    ((text_ += "    ") += c->target) += what;
    if (c->kind == ChangeKind::RemoveFile) (text_ += SizeText(c->bytes)) += ")";
    text_ += kEnd;
    ++listed;
  }
  More(files + folders + links, listed);
}

void CleanerBlock::Simple(ChangeKind kind, const char* done, const char* would, const char* one, const char* many) {
  const uint64_t total = Count(kind);
  if (total == 0) return;
  Heading(done, would, one[0] ? Plural(total, one, many) : std::to_string(total));
  uint64_t listed = 0;
  for (const Change* c : changes_) {
    if (c->error || c->kind != kind || (kind == ChangeKind::DeleteCacheEntry && c->cookie)) continue;
    if (kind == ChangeKind::WriteIntoFile) {
      Line(c->target + " (" + SizeText(c->bytes) + " written)");
    } else if (kind != ChangeKind::ClearHistory) {
      Line(Subject(*c));
    }
    ++listed;
  }
  if (kind != ChangeKind::ClearHistory) More(total, listed);
}

// Counts by site, in the order of the sites' names.
std::map<std::string, int, util::LessNoCase> BySite(const std::vector<std::string>& names) {
  std::map<std::string, int, util::LessNoCase> sites;
  for (const std::string& name : names) ++sites[cookies::CookieSiteName(name)];
  return sites;
}

void CleanerBlock::Cookies(const std::vector<std::string>& seen, bool walkEnded) {
  std::vector<std::string> removed;
  std::multiset<std::string, util::LessNoCase> tried;
  for (const Change* c : changes_) {
    if (c->kind != ChangeKind::DeleteCacheEntry || !c->cookie) continue;
    tried.insert(c->target);
    if (!c->error) removed.push_back(c->target);
  }
  if (const uint64_t total = Count(ChangeKind::DeleteCacheEntry, false, true)) {
    Heading("Cookies removed", "Cookies to remove", std::to_string(total));
    for (const auto& [site, n] : BySite(removed)) Line(site + " (" + std::to_string(n) + ")");
    More(total, removed.size());
  }
  // In the cookie cleaner's walk, a cookie met and left alone was kept by the
  // safe list; a walk cut short met some it had no time to decide on. (The
  // typed-URL cleaner's walk leaves every cookie to the cookie cleaner.)
  if (!walkEnded || section_ >= static_cast<int>(kCleanerCount) ||
      kCleaners[section_].step != &cleaner::CleanerSteps::CookiesCleaner) {
    return;
  }
  std::vector<std::string> kept;
  for (const std::string& name : seen) {
    auto it = tried.find(name);
    if (it == tried.end()) {
      kept.push_back(name);
    } else {
      tried.erase(it);
    }
  }
  if (kept.empty()) return;
  Heading("Cookies kept by the safe list", "Cookies the safe list keeps", std::to_string(kept.size()));
  for (const auto& [site, n] : BySite(kept)) Line(site + " (" + std::to_string(n) + ")");
}

void CleanerBlock::RecycleBin() {
  for (const Change* c : changes_) {
    if (c->kind != ChangeKind::EmptyRecycleBin || c->error) continue;
    Heading("Recycle bin emptied", "Recycle bin to empty",
            c->items ? Plural(c->items, "item", "items") + ", " + SizeText(c->bytes)
                     : std::string("its content could not be counted"));
  }
}

void CleanerBlock::AttributesLeft() {
  // Attributes are changed to let an entry go; one that stayed keeps the change.
  // Only the changed entries are looked up: a purge removes thousands.
  std::set<std::string, util::LessNoCase> changed, removed;
  for (const Change* c : changes_) {
    if (!c->error && c->kind == ChangeKind::SetAttributes) changed.insert(c->target);
  }
  if (changed.empty()) return;
  for (const Change* c : changes_) {
    if (!c->error && c->kind != ChangeKind::SetAttributes && changed.count(c->target)) removed.insert(c->target);
  }
  std::vector<std::string> left;
  for (const Change* c : changes_) {
    if (!c->error && c->kind == ChangeKind::SetAttributes && !removed.count(c->target)) left.push_back(c->target);
  }
  if (left.empty()) return;
  Heading("Attributes changed (the entry stayed)", "Attributes to change (the entry would stay)",
          std::to_string(left.size()));
  for (const std::string& path : left) Line(path);
}

void CleanerBlock::LinksRefused(const std::vector<cleaner::StepSkip>& skips) {
  std::vector<std::string> mine;
  for (const cleaner::StepSkip& skip : skips) {
    if (skip.link && skip.cleaner == static_cast<size_t>(section_)) mine.push_back(skip.what);
  }
  if (mine.empty()) return;
  Heading("Left alone", "Would be left alone", std::to_string(mine.size()));
  for (const std::string& path : mine) Line(path + ": " + ReasonText(platform::kErrorStoppedOnSymlink));
}

void CleanerBlock::Failures() {
  uint64_t total = 0, listed = 0;
  for (int k = 0; k < platform::recording::kChangeKinds; ++k) {
    total += Count(static_cast<ChangeKind>(k), true) + Count(static_cast<ChangeKind>(k), true, true);
  }
  if (total == 0) return;
  Heading("Not done", "Would not be done", std::to_string(total));
  // The same failure again (the history step's second pass) is one line.
  std::string last;
  int times = 0;
  auto flush = [&] {
    if (times) Line(times > 1 ? last + " (" + std::to_string(times) + " times)" : last);
  };
  for (const Change* c : changes_) {
    if (!c->error) continue;
    std::string line = Action(*c) + " " + Subject(*c) + ": " + ReasonText(c->error);
    if (line != last) {
      flush();
      last = line;
      times = 0;
    }
    ++times;
    ++listed;
  }
  flush();
  More(total, listed);
}

void CleanerBlock::Rows() {
  // The browsers' rows are told profile by profile, below the cleaners.
  if (section_ < static_cast<int>(kCleanerCount) && kCleaners[section_].page == cleaner::CleanerPage::Browsers) return;
  uint64_t total = 0;
  std::vector<std::string> lines;
  for (const Change* c : changes_) {
    if (c->error || c->kind != ChangeKind::DeleteRows) continue;
    total += c->items;
    lines.push_back(Subject(*c) + " (" + Plural(c->items, "row", "rows") + ")");
  }
  if (total == 0) return;
  Heading("Database rows removed", "Database rows to remove", std::to_string(total));
  for (const std::string& line : lines) Line(line);
}

void CleanerBlock::Skips(const std::vector<cleaner::StepSkip>& skips) {
  std::vector<std::string> lines;
  for (const cleaner::StepSkip& skip : skips) {
    // Links: LinksRefused; Corvane's own rules: ByRule.
    if (skip.link || skip.byRule || skip.cleaner != static_cast<size_t>(section_)) continue;
    // A file whose removal failed is named under "Not done" already.
    const bool told = std::any_of(changes_.begin(), changes_.end(),
                                  [&skip](const Change* c) { return c->error && c->target == skip.what; });
    if (!told)
      lines.push_back(skip.what + ": " + skip.reason + (skip.error ? " (" + ReasonText(skip.error) + ")" : ""));
  }
  if (lines.empty()) return;
  Heading("Skipped", "Would be skipped", std::to_string(lines.size()));
  for (const std::string& line : lines) Line(line);
}

void CleanerBlock::ByRule(const std::vector<cleaner::StepSkip>& skips) {
  std::vector<std::string> lines;
  for (const cleaner::StepSkip& skip : skips) {
    if (skip.byRule && skip.cleaner == static_cast<size_t>(section_)) lines.push_back(skip.what + ": " + skip.reason);
  }
  if (lines.empty()) return;
  Heading("Left in place by Corvane's rules", "Would be left in place by Corvane's rules",
          std::to_string(lines.size()));
  for (const std::string& line : lines) Line(line);
}

std::string CleanerReport(const Recorder& recorder, const std::vector<Change>& all, size_t row, bool walkEnded,
                          const std::vector<cleaner::StepSkip>& skips) {
  std::vector<const Change*> mine;
  for (const Change& c : all) {
    if (c.section == static_cast<int>(row)) mine.push_back(&c);
  }
  CleanerBlock block(recorder, static_cast<int>(row), mine);
  block.Files();
  block.Simple(ChangeKind::WriteIntoFile, "Written over before removal", "To write over before removal", "file",
               "files");
  block.Simple(ChangeKind::WriteIni, "Settings file entries written", "Settings file entries to write");
  block.Simple(ChangeKind::MakeFolder, "Folders created", "Folders to create");
  block.Simple(ChangeKind::ReplaceFile, "Files replaced", "Files to replace");
  block.Simple(ChangeKind::DeleteKey, "Registry keys removed", "Registry keys to remove");
  block.Simple(ChangeKind::DeleteValue, "Registry values removed", "Registry values to remove");
  block.Simple(ChangeKind::CreateKey, "Registry keys created", "Registry keys to create");
  block.Simple(ChangeKind::SetValue, "Registry values written", "Registry values to write");
  block.Simple(ChangeKind::SetKeyAccess, "Registry access lists changed", "Registry access lists to change");
  block.Simple(ChangeKind::DeleteCacheEntry, "Cache entries removed", "Cache entries to remove");
  block.Cookies(recorder.CookiesSeen(static_cast<int>(row)), walkEnded);
  block.Simple(ChangeKind::ClearHistory, "History store cleared", "History store to clear", "time", "times");
  block.Simple(ChangeKind::ClearJumpList, "Jump lists cleared, pins kept", "Jump lists to clear, pins kept",
               "application", "applications");
  block.RecycleBin();
  block.Rows();
  block.AttributesLeft();
  block.LinksRefused(skips);
  block.Failures();
  block.Skips(skips);
  block.ByRule(skips);
  return block.text();
}

}  // namespace

std::string CleanerName(size_t row, const std::vector<cleaner::ExtraCleaner>& extras) {
  if (row >= kCleanerCount) return row - kCleanerCount < extras.size() ? extras[row - kCleanerCount].name : "";
  return kCleaners[row].page == cleaner::CleanerPage::Browsers ? Caption(row) + " (browsers)" : Caption(row);
}

// In whole numbers: the C library's floating-point printf would add some
// 20 KB to the program for this one line.
std::string SizeText(uint64_t bytes) {
  std::string text = Plural(bytes, "byte", "bytes");
  if (bytes < 1024) return text;
  const char* units[] = {"KB", "MB", "GB", "TB"};
  uint64_t divisor = 1024;
  size_t unit = 0;
  while (bytes / divisor >= 1024 && unit + 1 < sizeof units / sizeof *units) {
    divisor *= 1024;
    ++unit;
  }
  uint64_t whole = bytes / divisor;
  // The first decimal, rounded to nearest (no value falls halfway).
  uint64_t tenths = (bytes % divisor * 10 + divisor / 2) / divisor;
  if (tenths == 10) {
    ++whole;
    tenths = 0;
  }
  return text + " (" + std::to_string(whole) + "." + std::to_string(tenths) + " " + units[unit] + ")";
}

std::string ReasonText(long error) {
  const uint32_t code = static_cast<uint32_t>(error);
  // A Win32 code in an HRESULT.
  if ((code & platform::kHresultWin32Mask) == platform::kHresultFromWin32) {
    return ReasonText(static_cast<long>(code & ~platform::kHresultWin32Mask));
  }
  switch (code) {
    case platform::kErrorFileNotFound:
    case platform::kErrorPathNotFound:
      return "not found";
    case platform::kErrorAccessDenied:
      return "access denied";
    case platform::kErrorSharingViolation:
    case platform::kErrorLockViolation:
      return "in use by another program";
    case platform::kErrorDirNotEmpty:
      return "not empty";
    case platform::kErrorDirectory:
      return "not a folder";
    case platform::kErrorStoppedOnSymlink:
      return "a link, left alone rather than followed";
    case platform::kErrorKeyDeleted:
      return "deleted meanwhile";
    case platform::kErrorNotAReparsePoint:
      return "not a link";
    case static_cast<uint32_t>(platform::kHresultNotImplemented):
      return "not implemented by the system";
    case static_cast<uint32_t>(platform::kHresultFail):
      return "the system reported a failure";
    case static_cast<uint32_t>(platform::kHresultClassNotRegistered):
      return "not available on this system";
  }
  if (error >= 0) return "error " + std::to_string(code);
  std::string hex = "error 0x";
  for (int shift = 28; shift >= 0; shift -= 4) hex += "0123456789ABCDEF"[(code >> shift) & 0xF];
  return hex;
}

namespace {

// Whether a browser item began.
bool BrowserItemRan(const RunOutcome& outcome) {
  for (size_t row : outcome.cleanersRun) {
    if (row < kCleanerCount && kCleaners[row].page == cleaner::CleanerPage::Browsers) return true;
  }
  return false;
}

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

// The browsers' part: each one skipped because it ran, then each profile
// with what its items removed and what they left, and why.
std::string BrowsersReport(const RunOutcome& outcome, bool preview) {
  const browsers::BrowsersOutcome& b = outcome.browsers;
  auto on = [&outcome](const char* valueName) { return outcome.selected[*cleaner::CleanerIndexOf(valueName)]; };
  const char* removed = preview ? " to remove" : " removed";
  std::string text = kEnd + std::string("Browsers") + kEnd;
  for (const browsers::BrowsersOutcome::Closing& c : b.closings) {
    const std::string name = browsers::kBrowsers[c.browser].name;
    text += "  " + name +
            (c.failure.empty() ? " ran in the background and was closed before the cleaning."
                               : " could not be closed: " + c.failure + ".") +
            kEnd;
  }
  for (size_t row : b.running) {
    const browsers::BrowserRow& browser = browsers::kBrowsers[row];
    if (std::find(b.inBackground.begin(), b.inBackground.end(), row) == b.inBackground.end()) {
      text += std::string("  ") + browser.name + ": skipped, it is running (" + browser.programFile +
              "). Close it and clean again." + kEnd;
      continue;
    }
    const std::string keptBy = *browser.keptRunningBy ? std::string(", kept there by ") + browser.keptRunningBy : "";
    text += std::string("  ") + browser.name + ": skipped, it runs in the background with no window open (" +
            browser.programFile + ")" + keptBy +
            ". \"Clean Now\" offers to close it first, as does corvane /clean /closebackground." + kEnd;
  }
  const bool linkLeft = std::any_of(outcome.skips.begin(), outcome.skips.end(), [](const cleaner::StepSkip& skip) {
    return skip.link && kCleaners[skip.cleaner].page == cleaner::CleanerPage::Browsers;
  });
  if (b.profiles.empty() && b.running.empty()) {
    text += std::string(linkLeft ? "  No browser profile was found but the links left alone above."
                                 : "  No browser profile was found.") +
            kEnd;
  }
  for (const browsers::BrowsersOutcome::ProfileOutcome& p : b.profiles) {
    const browsers::ProfileResult& r = p.result;
    text += std::string("  ") + browsers::kBrowsers[p.browser].name + ", profile " + p.profile.name + " (" +
            p.profile.folder + ")" + kEnd;
    if (!p.leftAlone.empty()) {
      text += "    Left alone: " + p.leftAlone +
              ". A profile kept outside the browser's folder is cleaned only where no other account can change "
              "its folder or one above it." +
              kEnd;
      continue;
    }
    if (on("BrowserHistory")) {
      text += "    History" + std::string(removed) + ": " + Plural(r.addresses, "address", "addresses") + ", " +
              Plural(r.visits, "visit", "visits") + kEnd;
    }
    if (on("BrowserCookies")) {
      text += "    Cookies" + std::string(removed) + ": " + std::to_string(r.cookiesRemoved) +
              "; kept: " + std::to_string(r.cookiesKept) +
              (r.keptSites.empty() ? "" : " (" + Joined(r.keptSites) + ")") + kEnd;
    }
    if (on("BrowserCache")) text += "    Cache" + std::string(removed) + ": " + SizeText(r.cacheBytes) + kEnd;
    if (on("BrowserFormData")) {
      text += "    Form entries" + std::string(removed) + ": " + std::to_string(r.formEntries) + kEnd;
    }
    if (on("BrowserSessions")) {
      text += "    Session files" + std::string(removed) + ": " + std::to_string(r.sessionFiles) + kEnd;
    }
    for (const browsers::Skip& skip : r.skipped) text += "    Skipped " + skip.file + ": " + skip.reason + kEnd;
  }
  return text;
}

}  // namespace

std::string FormatRunReport(const Recorder& recorder, const RunOutcome& outcome) {
  const bool preview = recorder.preview();
  std::string text =
      preview ? std::string("Corvane preview: nothing has been removed. A cleaning now would do this.") + kEnd
              : std::string("Corvane cleaning report.") + kEnd;
  const size_t selected = static_cast<size_t>(std::count(outcome.selected.begin(), outcome.selected.end(), true));
  if (selected == 0 && outcome.extras.empty()) {
    text += std::string("No cleaner is switched on in the History Cleaner window.") + kEnd;
  }
  // The table's cleaners in the order of the window's boxes, then the community's.
  for (size_t row = 0; row < kCleanerCount + outcome.extras.size(); ++row) {
    const bool extra = row >= kCleanerCount;
    if (!extra && !outcome.selected[row]) continue;
    text += kEnd + (extra ? outcome.extras[row - kCleanerCount].name + " (community cleaner)" : Caption(row)) + kEnd;
    if (extra && !outcome.extras[row - kCleanerCount].notRun.empty()) {
      text += "  Not run: " + outcome.extras[row - kCleanerCount].notRun + "." + kEnd;
      continue;
    }
    auto started = std::find(outcome.cleanersRun.begin(), outcome.cleanersRun.end(), row);
    if (started == outcome.cleanersRun.end()) {
      text += std::string("  Not run: the cleaning stopped before it.") + kEnd;
      continue;
    }
    const bool stoppedHere = !outcome.finished && row == outcome.cleanersRun.back();
    std::string block;
    recorder.ReadChanges([&](const std::vector<Change>& all) {
      block = CleanerReport(recorder, all, row, !stoppedHere, outcome.skips);
    });
    if (block.empty()) block = std::string(preview ? "  Nothing to remove." : "  Nothing was there to remove.") + kEnd;
    text += block;
    if (stoppedHere) text += "  Stopped here: " + outcome.failure + kEnd;
  }
  if (BrowserItemRan(outcome)) text += BrowsersReport(outcome, preview);
  text += kEnd;
  if (outcome.finished) {
    text += std::string(preview ? "Every selected cleaner was looked at to its end."
                                : "Every selected cleaner ran to its end.") +
            kEnd;
  } else {
    text += "The cleaning stopped before its end: " + outcome.failure + kEnd;
  }
  return text;
}

}  // namespace services
