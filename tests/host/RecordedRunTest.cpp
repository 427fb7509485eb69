// Runs on the recording platform: a preview of every cleaner changes
// nothing and lists exactly what the real run then removes; the command
// line's switches, exit codes and report files.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "OtherProcessRun.h"
#include "app/CommandLine.h"
#include "cleaner/CleanerTable.h"
#include "cookies/KeepList.h"
#include "platform/sim/SimPlatform.h"
#include "services/CleaningRun.h"
#include "services/RecordedRun.h"
#include "services/RunReport.h"
#include "settings/Settings.h"
#include "util/Text.h"

namespace hosttest {
namespace {

using platform::RegRoot;
using platform::RegValue;
using platform::recording::Change;
using platform::recording::ChangeKind;
using platform::recording::KeyName;
using platform::recording::Mode;

const char kProfile[] = "C:\\users\\user";
const char kTemp[] = "C:\\users\\user\\AppData\\Local\\Temp";
const char kLastRun[] = "C:\\users\\user\\AppData\\Local\\Corvane\\last-run.txt";
const std::string kDataKey =
    "Software\\Microsoft\\Protected Storage System Provider\\S-1-5-21-1004336348-1177238915-682003330-1001\\Data\\"
    "e161255a-37c3-11d2-bcaa-00c04fd929db";

// Everything a cleaning could touch, one entry per file, folder, key, value,
// cache entry and recycled item, with its content.
using Snapshot = std::map<std::string, std::string, util::LessNoCase>;

void AddFiles(platform::sim::SimFileSystem& files, const std::string& folder, Snapshot* shot) {
  for (const std::string& name : files.List(folder)) {
    const std::string path = folder + "\\" + name;
    if (files.Lookup(path)->directory) {
      (*shot)["D " + path] = "";
      AddFiles(files, path, shot);
    } else {
      (*shot)["F " + path] = files.Content(path);
    }
  }
}

void AddKeys(platform::sim::SimRegistry& registry, RegRoot root, const std::string& path, Snapshot* shot) {
  const std::string name = KeyName(root, path);
  if (!path.empty()) (*shot)["K " + name] = "";
  for (const std::string& value : registry.ValueNames(root, path)) {
    RegValue v = *registry.Get(root, path, value);
    (*shot)["V " + name + "\n" + value] = v.data + std::to_string(v.number);
  }
  for (const std::string& sub : registry.SubkeyNames(root, path)) {
    AddKeys(registry, root, path.empty() ? sub : path + "\\" + sub, shot);
  }
}

Snapshot Take(platform::sim::SimPlatform& sim) {
  Snapshot shot;
  AddFiles(sim.files, "C:", &shot);
  AddKeys(sim.registry, RegRoot::CurrentUser, "", &shot);
  AddKeys(sim.registry, RegRoot::LocalMachine, "", &shot);
  for (const std::string& name : sim.urlCache.Names()) shot["C " + name] = "";
  for (const std::string& item : sim.shell.recycled) shot["R " + item] = "";
  return shot;
}

bool Within(const std::string& inner, const std::string& outer) {
  return util::EqualNoCase(inner, outer) || (inner.size() > outer.size() && inner[outer.size()] == '\\' &&
                                             util::EqualNoCase(inner.substr(0, outer.size()), outer));
}

// The snapshot entry that a removal names, and whether it removes `entry`.
bool Removes(const Change& c, const std::string& entry) {
  const std::string kind = entry.substr(0, 2), what = entry.substr(2);
  switch (c.kind) {
    case ChangeKind::RemoveFile:
    case ChangeKind::RemoveFolder:
    case ChangeKind::RemoveLink:
      return (kind == "F " || kind == "D ") && Within(what, c.target);
    case ChangeKind::DeleteKey:
      return (kind == "K " && Within(what, c.target)) ||
             (kind == "V " && Within(what.substr(0, what.find('\n')), c.target));
    case ChangeKind::DeleteValue:
      return kind == "V " && util::EqualNoCase(what, c.target + "\n" + c.name);
    case ChangeKind::DeleteCacheEntry:
      return kind == "C " && util::EqualNoCase(what, c.target);
    case ChangeKind::EmptyRecycleBin:
      return kind == "R ";
    case ChangeKind::ClearHistory:
      return kind == "C " && what.rfind("Visited:", 0) == 0;
    default:
      return false;
  }
}

std::string Describe(const Change& c) {
  return std::to_string(static_cast<int>(c.kind)) + " " + c.target + " " + c.name + " " + std::to_string(c.bytes) +
         (c.cookie ? " cookie" : "") + (c.error ? " failed " + std::to_string(c.error) : "");
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

bool HasLine(const std::string& text, const std::string& line) {
  std::vector<std::string> lines = Lines(text);
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class RecordedRunTest : public ::testing::Test {
 protected:
  // A trace for every cleaner, and every switch on.
  void PlantTraces() {
    auto file = [this](const std::string& path, size_t size) { sim.files.AddFile(path, std::string(size, 'x')); };
    file(std::string(kTemp) + "\\a.tmp", 10);
    file(std::string(kTemp) + "\\sub\\b.tmp", 20);
    file(std::string(kTemp) + "\\desktop.ini", 5);
    sim.files.AddFile(std::string(kTemp) + "\\ro.tmp", "ro", platform::kAttrReadOnly);
    // Read-only too: its attributes are changed, and it stays.
    sim.files.AddFile(std::string(kTemp) + "\\held.log", std::string(7, 'x'), platform::kAttrReadOnly);
    sim.files.HoldOpen(std::string(kTemp) + "\\held.log", true);
    // Read-only with a second name outside: the bit is not cleared, so it stays, in a preview as in the run.
    sim.files.AddFile(std::string(kProfile) + "\\Documents\\signed.pdf", "signed", platform::kAttrReadOnly);
    sim.files.AddHardLink(std::string(kProfile) + "\\Documents\\signed.pdf", std::string(kTemp) + "\\signed.pdf");
    // Links inside a purged folder, which go as links: a preview keeps them too.
    sim.files.AddFile("C:\\Data\\kept.txt", "the link's target");
    sim.files.AddFolderLink(std::string(kTemp) + "\\sub\\junction", "C:\\Data");
    sim.files.AddFileLink(std::string(kTemp) + "\\linked.txt", "C:\\Data\\kept.txt");
    file(std::string(kProfile) + "\\AppData\\Local\\Microsoft\\Windows\\INetCache\\IE\\K2P9\\page.htm", 300);
    file("C:\\windows\\History\\index.dat", 100);
    file(std::string(kProfile) + "\\AppData\\Local\\Microsoft\\Windows\\History\\day\\index.dat", 64);
    file(std::string(kProfile) + "\\Favorites\\desktop.ini", 3);
    file(std::string(kProfile) + "\\Favorites\\news\\paper.url", 40);
    file(std::string(kProfile) + "\\AppData\\Roaming\\Microsoft\\Windows\\Recent\\letter.lnk", 50);
    file(std::string(kProfile) + "\\AppData\\Roaming\\Microsoft\\Windows\\Network Shortcuts\\share\\target.lnk", 60);
    file(std::string(kProfile) + "\\AppData\\Roaming\\Microsoft\\Windows\\Network Shortcuts\\share\\desktop.ini", 6);
    file(std::string(kProfile) + "\\AppData\\Roaming\\Microsoft\\Media Player\\library.wmdb", 70);
    file("C:\\windows\\wmplibrary_v_0_12.db", 80);
    file("C:\\ProgramData\\Systems\\ACDSee\\imageDB.ddf", 90);
    file("C:\\ProgramData\\Microsoft\\Office\\Recent\\letter.doc", 11);
    sim.files.AddFile("C:\\Program Files\\IrfanView\\i_view32.ini", "[Open]\r\nOpenDir=C:\\secret\r\n");
    file("C:\\ProgramData\\RealRealOne Player\\urls.ini", 12);
    file("C:\\ProgramData\\RealRealOne Player\\history\\clip.rpl", 13);
    file(std::string(kProfile) + "\\Documents\\CyberLink\\PowerDVD\\films.pls", 14);

    for (const char* key :
         {"Software\\Microsoft\\Internet Explorer\\TypedURLs", "Software\\Microsoft\\Internet Explorer\\IntelliForms",
          "Software\\Microsoft\\RAS Autodial\\Addresses",
          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Doc Find Spec MRU",
          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FindComputerMRU",
          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU",
          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs",
          "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList",
          "Software\\Adobe\\Acrobat Reader\\5.0\\AVGeneral\\cRecentFiles\\c1",
          "Software\\Kodak\\Imaging\\Recent File List",
          "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List",
          "Software\\WinRAR\\DialogEditHistory\\ExtrPath",
          "Software\\RealNetworks\\RealPlayer\\6.0\\Preferences\\MostRecentClips1"}) {
      sim.registry.Set(RegRoot::CurrentUser, std::string(key) + "\\sub", "url1", RegValue::String("trace"));
    }
    for (const char* value : {"Machine1", "LastMachine", "LastService", "LastTermType", "Machine9"}) {
      sim.registry.Set(RegRoot::CurrentUser, "Software\\Microsoft\\Telnet", value, RegValue::String("host"));
    }
    const std::string winlogon = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    sim.registry.Set(RegRoot::CurrentUser, winlogon, "DefaultUserName", RegValue::String("alice"));
    sim.registry.Set(RegRoot::CurrentUser, winlogon, "AltDefaultUserName", RegValue::String("alice"));
    sim.registry.Set(RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Winlogon", "DefaultUserName",
                     RegValue::String("alice"));
    sim.registry.Set(RegRoot::CurrentUser, "Software\\ACD Systems\\ACDSee", "LastFolder", RegValue::String("C:\\"));
    sim.registry.Set(RegRoot::CurrentUser, "Software\\Adobe\\Acrobat Reader\\4.0\\AdobeViewer", "avpRecentFile1",
                     RegValue::String("a.pdf"));
    sim.registry.Set(RegRoot::CurrentUser, "Software\\Microsoft\\Office\\9.0\\Word\\Data", "settings",
                     RegValue::Binary("xy"));
    sim.registry.Set(RegRoot::CurrentUser, "Software\\WinRAR\\ArcHistory", "0", RegValue::String("a.rar"));
    sim.registry.Set(RegRoot::CurrentUser, kDataKey + "\\site\\field", "item", RegValue::DWord(1));
    sim.registry.Set(RegRoot::LocalMachine,
                     "Software\\Microsoft\\Protected Storage System Provider\\alice\\Data\\"
                     "e161255a-37c3-11d2-bcaa-00c04fd929db",
                     "item", RegValue::DWord(1));

    sim.urlCache.AddCookie("Cookie:user@tracker.example/");
    sim.urlCache.AddCookie("Cookie:user@tracker.example/ads/");
    sim.urlCache.AddCookie("Cookie:user@bank.example/");
    sim.urlCache.Add("http://site.example/page.htm", 0);
    sim.urlCache.Add("Visited: user@http://site.example/", 0);
    sim.files.AddFile(cookies::KeepListPath(sim.platform), "BANK.example\r\n");
    sim.shell.recycled = {"old.doc", "older.doc"};
    sim.shell.recycledBytes = 30;
    selected.fill(true);
  }

  // A whole run on the recording platform, on this thread; its report.
  std::string Run(services::RecordedRun& run, std::vector<size_t>* started = nullptr) {
    cleaner::TUWHCleanerThrd worker(run.platform());
    worker.selection = selected;
    run.Follow(worker);
    worker.Execute();
    EXPECT_TRUE(worker.finished()) << worker.failure();
    if (started) *started = worker.cleanersRun();
    return run.Report(worker);
  }

  void SetSwitch(const char* name, bool on) {
    sim.registry.Set(RegRoot::LocalMachine, settings::kSettingsKey, name, RegValue::DWord(on));
  }
  void SetSwitches(bool on) {
    for (const char* name : cleaner::CleanerValueNames) SetSwitch(name, on);
  }
  int Command(const std::vector<std::string>& args) {
    printed.clear();
    return app::RunCommand(sim.platform, app::ParseCommandLine(args),
                           [this](const std::string& text) { printed += text; });
  }

  platform::sim::SimPlatform sim;
  cleaner::CleanerSelection selected{};
  std::string printed;
};

TEST_F(RecordedRunTest, APreviewOfEveryCleanerRemovesNothingAndListsExactlyWhatTheRealRunThenRemoves) {
  PlantTraces();
  const Snapshot before = Take(sim);
  const int writesBefore = sim.files.writeCount();

  services::RecordedRun preview(sim.platform, Mode::Preview);
  const std::string previewReport = Run(preview);
  EXPECT_EQ(Take(sim), before) << "a preview changes nothing";
  EXPECT_EQ(sim.files.writeCount(), writesBefore);
  EXPECT_TRUE(sim.shell.recycleBinCalls.empty());
  EXPECT_TRUE(sim.security.daclWrites.empty());
  EXPECT_EQ(sim.urlCache.deleteCalls(), 0);

  services::RecordedRun real(sim.platform, Mode::PassThrough);
  std::vector<size_t> started;
  const std::string realReport = Run(real, &started);
  const Snapshot after = Take(sim);

  // The same changes in the same order, but one: the preview cannot tell a
  // file another program holds open, which the real run could not remove.
  std::vector<std::string> previewed, done;
  for (const Change& c : preview.recorder().Changes()) previewed.push_back(Describe(c));
  for (const Change& c : real.recorder().Changes()) done.push_back(Describe(c));
  const std::string held = std::string(kTemp) + "\\held.log";
  auto heldAt = std::find(previewed.begin(), previewed.end(), Describe({ChangeKind::RemoveFile, -1, held, {}, 7}));
  ASSERT_NE(heldAt, previewed.end());
  *heldAt = Describe({ChangeKind::RemoveFile, -1, held, {}, 7, 0, 0, false, platform::kErrorSharingViolation});
  EXPECT_EQ(previewed, done);
  EXPECT_GT(done.size(), 60u) << "every cleaner had something to do";
  std::vector<size_t> allRows(cleaner::kCleanerCount);
  for (size_t i = 0; i < allRows.size(); ++i) allRows[i] = i;
  std::sort(started.begin(), started.end());
  EXPECT_EQ(started, allRows);

  // What the real run says it removed is what went, and nothing else went.
  for (const auto& [entry, content] : before) {
    if (after.count(entry)) continue;
    bool named = false;
    for (const Change& c : real.recorder().Changes()) named = named || (!c.error && Removes(c, entry));
    EXPECT_TRUE(named) << "gone without a word: " << entry;
  }
  for (const Change& c : real.recorder().Changes()) {
    if (c.error) continue;
    for (const auto& [entry, content] : before) {
      if (Removes(c, entry)) {
        EXPECT_EQ(after.count(entry), 0u) << entry << " is still there after " << Describe(c);
      }
    }
  }
  EXPECT_EQ(after.count("F " + held), 1u);
  EXPECT_EQ(after.count("F " + std::string(kTemp) + "\\ro.tmp"), 0u) << "the read-only bit is cleared first";
  EXPECT_EQ(after.count("C Cookie:user@bank.example/"), 1u);
  EXPECT_EQ(sim.files.Content("C:\\Program Files\\IrfanView\\i_view32.ini"),
            "[Open]\r\nOpenDir=\r\nOpenIndex=\r\n[MRUD]\r\nDir1=\r\nDir2=\r\nDir3=\r\nDir4=\r\nDir5=\r\n");

  // The reports, in the order of the window's boxes, with sizes, sites and reasons.
  EXPECT_EQ(previewReport.rfind("Corvane preview: nothing has been removed.", 0), 0u);
  EXPECT_LT(previewReport.find("\r\nTyped URLs\r\n"), previewReport.find("\r\nCookies\r\n"));
  EXPECT_LT(previewReport.find("\r\nRecycle Bin\r\n"), previewReport.find("\r\nPower DVD\r\n"));
  EXPECT_TRUE(HasLine(previewReport, "  Files and folders to remove: 5 files (44 bytes), 1 folder, 2 links"))
      << previewReport;
  EXPECT_TRUE(HasLine(previewReport, "    " + std::string(kTemp) + "\\sub\\b.tmp (20 bytes)"));
  EXPECT_TRUE(HasLine(previewReport, "  Cookies to remove: 2"));
  EXPECT_TRUE(HasLine(previewReport, "    tracker.example (2)"));
  EXPECT_TRUE(HasLine(previewReport, "  Cookies the safe list keeps: 1"));
  EXPECT_TRUE(HasLine(previewReport, "    bank.example (1)"));
  EXPECT_FALSE(HasLine(previewReport, "  Cookies the safe list keeps: 3")) << "the typed-URL walk leaves them alone";
  EXPECT_TRUE(HasLine(previewReport, "  Recycle bin to empty: 2 items, 30 bytes"));
  EXPECT_TRUE(HasLine(previewReport, "  Registry access lists to change: 7")) << previewReport;
  EXPECT_TRUE(HasLine(realReport, "  Files and folders removed: 4 files (37 bytes), 1 folder, 2 links")) << realReport;
  EXPECT_TRUE(HasLine(realReport, "    remove " + held + ": in use by another program"));
  EXPECT_TRUE(HasLine(realReport, "  Attributes changed (the entry stayed): 1")) << realReport;
  EXPECT_TRUE(HasLine(realReport, "    " + held));
  EXPECT_EQ(previewReport.find("Attributes to change"), std::string::npos) << "the preview removes what it changes";
  EXPECT_TRUE(HasLine(realReport, "  Written over before removal: 1 file"));
  EXPECT_TRUE(HasLine(realReport, "    C:\\windows\\History\\index.dat (36 bytes written)"));
  EXPECT_TRUE(HasLine(realReport, "  Registry values removed: 3"));
  EXPECT_TRUE(HasLine(realReport, "Every selected cleaner ran to its end."));
}

// The exit codes are checked as the numbers scripts and the Task Scheduler read.
TEST_F(RecordedRunTest, TheCommandLineCleansOnceAtATimeAndKeepsItsReports) {
  sim.files.AddDirectory("C:\\users\\user\\AppData\\Local");
  sim.files.AddDirectory("C:\\out");
  sim.files.AddFile(std::string(kTemp) + "\\a.tmp", "12345");
  sim.shell.recycled = {"old.doc"};
  sim.shell.recycledBytes = 2048;
  SetSwitches(false);
  SetSwitch("WindowsTempFiles", true);
  SetSwitch("RecycleBin", true);

  // Another cleaning holds the right to clean: nothing is looked at.
  {
    platform::sim::SimPlatform other(sim.process.mutexes());
    OtherProcessRun run(other.process);
    ASSERT_TRUE(run.held());
    EXPECT_EQ(Command({"/clean"}), 3);
    EXPECT_EQ(printed, "Another history cleaning is in progress. Try again when it has finished.\r\n");
    EXPECT_EQ(Command({"-PREVIEW"}), 3);
  }
  EXPECT_FALSE(sim.process.mutexes()->Exists("CorvaneMUTEX")) << "the tray's instance is none of its business";

  // A preview prints, writes only the file asked for and keeps no last report.
  EXPECT_EQ(Command({"/preview", "/report", "C:\\out\\preview.txt"}), 0);
  EXPECT_TRUE(HasLine(printed, "    " + std::string(kTemp) + "\\a.tmp (5 bytes)")) << printed;
  EXPECT_TRUE(HasLine(printed, "  Recycle bin to empty: 1 item, 2048 bytes (2.0 KB)"));
  EXPECT_EQ(sim.files.Content("C:\\out\\preview.txt"), "\xEF\xBB\xBF" + printed);
  EXPECT_TRUE(sim.files.Exists(std::string(kTemp) + "\\a.tmp"));
  EXPECT_FALSE(sim.files.Exists(kLastRun));

  // A report file that is a link to another place, or has another name, is refused.
  sim.files.AddFile("C:\\Users\\other\\notes.txt", "theirs");
  sim.files.AddFileLink("C:\\out\\linked.txt", "C:\\Users\\other\\notes.txt");
  sim.files.AddHardLink("C:\\Users\\other\\notes.txt", "C:\\out\\second.txt");
  for (const char* target : {"C:\\out\\linked.txt", "C:\\out\\second.txt"}) {
    EXPECT_EQ(Command({"/preview", "/report", target}), 1) << target;
    EXPECT_NE(printed.find("is a link to another place or has another name."), std::string::npos) << printed;
  }
  EXPECT_FALSE(sim.files.Lookup("C:\\out\\linked.txt")->linkTarget.empty()) << "the link stays a link";
  EXPECT_EQ(sim.files.Content("C:\\out\\second.txt"), "theirs");
  // So is one whose folder, or a folder above it, another account turned
  // into a link (any user may make C:\Reports): a run as SYSTEM would
  // otherwise write into Windows.
  sim.files.AddDirectory("C:\\windows\\system32");
  sim.files.AddFolderLink("C:\\Reports", "C:\\windows");
  for (const char* target : {"C:\\Reports\\corvane.log", "C:\\Reports\\system32\\corvane.log"}) {
    EXPECT_EQ(Command({"/preview", "/report", target}), 1) << target;
    EXPECT_TRUE(HasLine(printed, "The report was not written to " + std::string(target) +
                                     ": a folder on its path is a link to another place."))
        << printed;
  }
  EXPECT_EQ(sim.files.List("C:\\windows"), std::vector<std::string>{"system32"});
  EXPECT_TRUE(sim.files.List("C:\\windows\\system32").empty());

  // A real run: its report printed, kept as the last one and written where asked.
  EXPECT_EQ(Command({"/Clean", "-report", "C:\\out\\clean.txt"}), 0);
  EXPECT_FALSE(sim.files.Exists(std::string(kTemp) + "\\a.tmp"));
  EXPECT_TRUE(sim.shell.recycled.empty());
  EXPECT_TRUE(HasLine(printed, "  Files and folders removed: 1 file (5 bytes)")) << printed;
  EXPECT_EQ(sim.files.Content(kLastRun), "\xEF\xBB\xBF" + printed);
  EXPECT_EQ(sim.files.Content("C:\\out\\clean.txt"), "\xEF\xBB\xBF" + printed);

  // A temporary folder the guard refuses is named, and the run ends with 4.
  sim.files.AddFile(std::string(kProfile) + "\\Documents\\thesis.doc", "mine");
  sim.shell.tempFolder = std::string(kProfile) + "\\Documents\\";
  EXPECT_EQ(Command({"/clean"}), app::kExitSkipped);
  EXPECT_TRUE(HasLine(printed, "    " + std::string(kProfile) +
                                   "\\Documents: not emptied as the temporary folder: it is a folder Windows keeps for "
                                   "you or for all users, or holds one"))
      << printed;
  EXPECT_EQ(sim.files.Content(std::string(kProfile) + "\\Documents\\thesis.doc"), "mine");
  sim.shell.tempFolder = sim.shell.userTempFolder;

  // A step that stops the run: exit 1, with what stopped it and what never ran.
  sim.files.AddFile(std::string(kTemp) + "\\b.tmp");
  SetSwitch("CookiesCleaner", true);
  sim.files.AddFile(cookies::KeepListPath(sim.platform), "bank.example\r\n");
  sim.files.MakeUnreadable(cookies::KeepListPath(sim.platform));
  EXPECT_EQ(Command({"/clean"}), 1);
  EXPECT_TRUE(HasLine(printed, "  Not run: the cleaning stopped before it.")) << printed;
  EXPECT_NE(printed.find("The cleaning stopped before its end: The list of cookies to keep"), std::string::npos);
  EXPECT_TRUE(sim.files.Exists(std::string(kTemp) + "\\b.tmp")) << "Temporary Files comes after Cookies";
  EXPECT_EQ(sim.files.Content(kLastRun), "\xEF\xBB\xBF" + printed);
  sim.files.MakeUnreadable(cookies::KeepListPath(sim.platform), false);

  // The folder of the last report made a link to another place: nothing is
  // written through it, and the run says so.
  sim.files.AddDirectory("C:\\elsewhere");
  sim.files.Lookup("C:\\users\\user\\AppData\\Local")->children.erase("Corvane");
  sim.files.AddFolderLink("C:\\users\\user\\AppData\\Local\\Corvane", "C:\\elsewhere");
  EXPECT_EQ(Command({"/clean"}), 1);
  EXPECT_NE(printed.find("leads to another place through a link"), std::string::npos) << printed;
  EXPECT_TRUE(sim.files.List("C:\\elsewhere").empty());

  // A settings key that cannot be read starts nothing.
  sim.registry.MakeUnopenable(RegRoot::LocalMachine, settings::kSettingsKey);
  EXPECT_EQ(Command({"/clean"}), 1);
  EXPECT_EQ(printed,
            "The history cleaning could not be started: the selected cleaners could not be read: the "
            "settings key cannot be opened.\r\n");
}

// The browsers through the command line: a running one is skipped whole and
// named, a database in use is skipped and named, the keep-list spares its
// sites, and either makes the exit code 4; a preview changes nothing.
TEST_F(RecordedRunTest, TheBrowsersAreCleanedButARunningOneAndAFileInUseAndSayWhyWithExitCode4) {
  const std::string local = std::string(kProfile) + "\\AppData\\Local\\";
  const std::string chrome = local + "Google\\Chrome\\User Data\\Default\\";
  const std::string edge = local + "Microsoft\\Edge\\User Data\\Default\\";
  const std::string firefox = std::string(kProfile) + "\\AppData\\Roaming\\Mozilla\\Firefox\\";
  sim.files.AddFile(firefox + "profiles.ini",
                    "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/a.default\r\n");
  sim.files.AddFile(firefox + "Profiles\\a.default\\sessionstore.jsonlz4", "tabs");
  sim.files.AddFile(chrome + "Cache\\Cache_Data\\f_000001", std::string(1000, 'c'));
  sim.files.AddFile(chrome + "Login Data", "passwords");
  sim.databases.AddTable(chrome + "Network\\Cookies", "cookies", {"host_key"},
                         {{".tracker.example"}, {".mail.bank.example"}, {"bank.example"}});
  sim.databases.AddTable(edge + "Web Data", "autofill", {"value"}, {{"typed"}});
  sim.databases.Lookup(edge + "Web Data")->locked = true;
  sim.files.AddFile(cookies::KeepListPath(sim.platform), "bank.example\r\n");
  sim.process.runningPrograms = {"firefox.exe"};
  SetSwitches(false);
  for (const char* item : {"BrowserCache", "BrowserCookies", "BrowserFormData", "BrowserSessions"}) {
    SetSwitch(item, true);
  }
  SetSwitch("CleanEdge", true);  // the others are missing, so on
  auto cookieRows = [&] { return sim.databases.Lookup(chrome + "Network\\Cookies")->tables.at("cookies").rows.size(); };

  const Snapshot before = Take(sim);
  EXPECT_EQ(Command({"/preview"}), app::kExitSkipped);
  EXPECT_EQ(Take(sim), before);
  EXPECT_EQ(cookieRows(), 3u);
  EXPECT_TRUE(HasLine(printed, "  Firefox: skipped, it is running (firefox.exe). Close it and clean again."))
      << printed;
  EXPECT_TRUE(HasLine(printed, "    Cookies to remove: 1; kept: 2 (mail.bank.example, bank.example)")) << printed;

  EXPECT_EQ(Command({"/clean"}), app::kExitSkipped);
  EXPECT_EQ(cookieRows(), 2u);
  EXPECT_FALSE(sim.files.Exists(chrome + "Cache\\Cache_Data\\f_000001"));
  EXPECT_TRUE(sim.files.Exists(chrome + "Login Data"));
  EXPECT_TRUE(sim.files.Exists(firefox + "Profiles\\a.default\\sessionstore.jsonlz4"));
  EXPECT_TRUE(HasLine(printed, "  Google Chrome, profile Default (" + chrome.substr(0, chrome.size() - 1) + ")"));
  EXPECT_TRUE(HasLine(printed, "    Cookies removed: 1; kept: 2 (mail.bank.example, bank.example)"));
  EXPECT_TRUE(HasLine(printed, "    Cache removed: 1000 bytes")) << printed;
  EXPECT_TRUE(HasLine(printed, "    Skipped " + edge + "Web Data: in use by another program"));
  EXPECT_EQ(sim.databases.Lookup(edge + "Web Data")->tables.at("autofill").rows.size(), 1u);

  // Kept running in the background, Firefox is closed first only when the
  // command line asks; everything then goes, and the run ends with 0.
  sim.process.runningPrograms.clear();
  sim.process.backgroundPrograms = {"firefox.exe"};
  sim.process.filesInUse[firefox + "Profiles\\a.default\\parent.lock"] = "firefox.exe";
  EXPECT_EQ(Command({"/preview", "/closebackground"}), app::kExitBadCommandLine);
  EXPECT_EQ(Command({"/clean"}), app::kExitSkipped);
  EXPECT_TRUE(HasLine(printed,
                      "  Firefox: skipped, it runs in the background with no window open (firefox.exe). "
                      "\"Clean Now\" offers to close it first, as does corvane /clean /closebackground."))
      << printed;
  sim.databases.Lookup(edge + "Web Data")->locked = false;
  EXPECT_EQ(Command({"/clean", "/closebackground"}), app::kExitFinished);
  EXPECT_EQ(sim.process.endedByRestartManager, std::vector<std::string>{"firefox.exe"});
  EXPECT_TRUE(HasLine(printed, "  Firefox ran in the background and was closed before the cleaning.")) << printed;
  EXPECT_FALSE(sim.files.Exists(firefox + "Profiles\\a.default\\sessionstore.jsonlz4"));
  EXPECT_TRUE(HasLine(printed, "    Form entries removed: 1")) << printed;
  EXPECT_TRUE(HasLine(printed, "  Firefox, profile default (" + firefox + "Profiles\\a.default)"));

  // Switched off, a browser is not looked at.
  SetSwitch("CleanFirefox", false);
  sim.files.AddFile(firefox + "Profiles\\a.default\\sessionstore.jsonlz4", "tabs");
  EXPECT_EQ(Command({"/clean"}), app::kExitFinished);
  EXPECT_TRUE(sim.files.Exists(firefox + "Profiles\\a.default\\sessionstore.jsonlz4"));

  // A cache folder that is a link is left alone and named, under its cleaner
  // too, and the run ends with 4, in a preview as in a cleaning.
  const std::string cache = chrome + "Cache";
  ASSERT_TRUE(sim.files.RemoveFolder(cache));
  sim.files.AddFile("C:\\elsewhere\\keep.bin", "k");
  sim.files.AddFolderLink(cache, "C:\\elsewhere");
  for (const char* action : {"/preview", "/clean"}) {
    EXPECT_EQ(Command({action}), app::kExitSkipped) << action;
    EXPECT_TRUE(sim.files.Exists("C:\\elsewhere\\keep.bin"));
    EXPECT_TRUE(HasLine(printed, "    " + cache + ": a link, left alone rather than followed")) << printed;
    EXPECT_TRUE(HasLine(printed, "    Skipped " + cache + ": a link, left alone rather than followed")) << printed;
  }
  EXPECT_TRUE(HasLine(printed, "  Left alone: 1")) << printed;

  // A profile folder that is a link is no profile, and is told so.
  const std::string profile = chrome.substr(0, chrome.size() - 1);
  sim.files.Move(profile, "C:\\elsewhere\\Default");
  sim.files.AddFolderLink(profile, "C:\\elsewhere\\Default");
  EXPECT_EQ(Command({"/clean"}), app::kExitSkipped);
  EXPECT_TRUE(HasLine(printed, "    " + profile + ": a link, left alone rather than followed")) << printed;
  EXPECT_EQ(cookieRows(), 2u);
  const std::string edgeProfile = edge.substr(0, edge.size() - 1);
  sim.files.Move(edgeProfile, "C:\\elsewhere\\Edge");
  sim.files.AddFolderLink(edgeProfile, "C:\\elsewhere\\Edge");
  EXPECT_EQ(Command({"/clean"}), app::kExitSkipped);
  EXPECT_TRUE(HasLine(printed, "  No browser profile was found but the links left alone above.")) << printed;
}

// A Firefox profile kept outside the browser's folder (a full path in
// profiles.ini) lies where SQLite makes and deletes its journals by name:
// it is cleaned where it is the user's own, and left alone whole where
// another account owns its folder or may change one above it. A database
// with a second name is left alone too. Each is named in the report and at
// the end, and the run ends with 4.
TEST_F(RecordedRunTest, ProfilesOtherAccountsMayChangeAndADatabaseWithASecondNameAreLeftAloneWithExitCode4) {
  using platform::sim::kSimUserSid;
  const std::string other = "S-1-5-21-1004336348-1177238915-682003330-1002";
  const uint32_t kModify = 0x1301BF, kAll = 0x1F01FF;
  const std::string firefox = std::string(kProfile) + "\\AppData\\Roaming\\Mozilla\\Firefox\\";
  sim.files.AddFile(firefox + "profiles.ini",
                    "[Profile0]\r\nName=mine\r\nIsRelative=0\r\nPath=D:\\Mine\\p\r\n\r\n"
                    "[Profile1]\r\nName=shared\r\nIsRelative=0\r\nPath=D:\\Shared\\p\r\n\r\n"
                    "[Profile2]\r\nName=theirs\r\nIsRelative=0\r\nPath=D:\\Mine\\theirs\r\n");
  for (const char* profile : {"D:\\Mine\\p", "D:\\Shared\\p", "D:\\Mine\\theirs"}) {
    sim.files.AddFile(std::string(profile) + "\\sessionstore.jsonlz4", "tabs");
  }
  // As a folder made at the root of a drive gets it: every signed-in user may change it.
  sim.files.SetSecurity("D:\\Shared", {kSimUserSid, {{kSimUserSid, kAll}, {"S-1-5-11", kModify}}});
  sim.files.SetSecurity("D:\\Mine\\theirs", {other, {{other, kAll}, {kSimUserSid, kAll}}});
  const std::string places = "D:\\Mine\\p\\places.sqlite";
  sim.databases.AddTable(places, "moz_historyvisits", {"id"}, {{"1"}});
  sim.files.AddHardLink(places, "C:\\users\\other\\kept.sqlite");
  const std::string timeline =
      std::string(kProfile) + "\\AppData\\Local\\ConnectedDevicesPlatform\\L.user\\ActivitiesCache.db";
  sim.databases.AddTable(timeline, "Activity", {"Id"}, {{"1"}});
  sim.files.AddHardLink(timeline, "C:\\users\\other\\activities.db");
  SetSwitches(false);
  for (const char* name : {"BrowserHistory", "BrowserSessions", "WindowsTimeline"}) SetSwitch(name, true);

  for (const char* action : {"/preview", "/clean"}) {
    EXPECT_EQ(Command({action}), app::kExitSkipped) << action << printed;
    EXPECT_TRUE(HasLine(printed, "  Firefox, profile shared (D:\\Shared\\p)")) << printed;
    EXPECT_TRUE(HasLine(printed,
                        "    Left alone: other accounts may change D:\\Shared. A profile kept outside the "
                        "browser's folder is cleaned only where no other account can change its folder or "
                        "one above it."));
    EXPECT_TRUE(HasLine(printed,
                        "    Left alone: another account owns D:\\Mine\\theirs. A profile kept outside the "
                        "browser's folder is cleaned only where no other account can change its folder or "
                        "one above it."));
    const std::string secondName = platform::DbResultText(platform::DbResult::NotListed);
    EXPECT_TRUE(HasLine(printed, "    Skipped " + places + ": " + secondName)) << printed;
    EXPECT_TRUE(HasLine(printed, "    " + timeline + ": " + secondName)) << printed;
  }
  EXPECT_FALSE(sim.files.Exists("D:\\Mine\\p\\sessionstore.jsonlz4"));
  EXPECT_TRUE(sim.files.Exists("D:\\Shared\\p\\sessionstore.jsonlz4"));
  EXPECT_TRUE(sim.files.Exists("D:\\Mine\\theirs\\sessionstore.jsonlz4"));
  EXPECT_EQ(sim.databases.Lookup(places)->tables.at("moz_historyvisits").rows.size(), 1u);
  EXPECT_EQ(sim.databases.Lookup(timeline)->tables.at("Activity").rows.size(), 1u);

  services::CleaningRun run(sim.platform);
  const services::RunEnd end = run.RunHere(Mode::PassThrough);
  EXPECT_TRUE(end.skipped());
  EXPECT_EQ(end.message, std::string(services::kLeftAloneMessage) + places + ", D:\\Shared\\p, D:\\Mine\\theirs and " +
                             timeline + services::kLeftAloneNamedMessage);
}

TEST_F(RecordedRunTest, WindowsTracksArePreviewedAndCleanedAndAHeldCacheOrLockedTimelineEndsWithExitCode4) {
  const std::string local = std::string(kProfile) + "\\AppData\\Local\\";
  const std::string thumbs = local + "Microsoft\\Windows\\Explorer\\";
  const std::string timeline = local + "ConnectedDevicesPlatform\\L.user\\ActivitiesCache.db";
  sim.files.AddFile(thumbs + "thumbcache_32.db", std::string(10, 't'));
  sim.files.AddFile(thumbs + "thumbcache_idx.db", std::string(5, 't'));
  sim.files.HoldOpen(thumbs + "thumbcache_idx.db");
  // Built from the documented schema: no real ActivitiesCache.db exists here.
  sim.databases.AddTable(timeline, "Activity", {"Id", "AppId"}, {{"1", "notepad"}, {"2", "edge"}});
  sim.databases.AddTable(timeline, "ActivityOperation", {"Id", "AppId"}, {{"1", "notepad"}});
  sim.databases.Lookup(timeline)->locked = true;
  sim.shell.applicationIds = {"Microsoft.Windows.Explorer"};
  sim.shell.SetJumpList("Microsoft.Windows.Explorer", {{"C:\\Projects"}, {"C:\\Secret"}, {}});
  sim.registry.Set(RegRoot::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TypedPaths", "url1",
                   RegValue::String("C:\\Secret"));
  SetSwitches(false);
  for (const char* name : {"ExplorerTypedPaths", "JumpListHistory", "ThumbnailCache", "WindowsTimeline"}) {
    SetSwitch(name, true);
  }
  auto activities = [&] { return sim.databases.Lookup(timeline)->tables.at("Activity").rows.size(); };

  const Snapshot before = Take(sim);
  EXPECT_EQ(Command({"/preview"}), app::kExitSkipped) << printed;
  EXPECT_EQ(Take(sim), before);
  EXPECT_EQ(sim.shell.JumpListOf("Microsoft.Windows.Explorer").recent.size(), 1u) << "a preview changes nothing";
  EXPECT_TRUE(HasLine(printed, "  Jump lists to clear, pins kept: 1 application")) << printed;
  EXPECT_TRUE(HasLine(printed, "    Microsoft.Windows.Explorer"));
  EXPECT_TRUE(HasLine(printed, "  Files and folders to remove: 2 files (15 bytes)"))
      << "the preview cannot tell a held file";
  EXPECT_TRUE(HasLine(printed, "  Would be skipped: 1"));
  EXPECT_TRUE(HasLine(printed, "    " + timeline + ": in use by another program"));

  EXPECT_EQ(Command({"/clean"}), app::kExitSkipped);
  EXPECT_FALSE(sim.files.Exists(thumbs + "thumbcache_32.db"));
  EXPECT_TRUE(sim.files.Exists(thumbs + "thumbcache_idx.db"));
  EXPECT_EQ(activities(), 2u);
  EXPECT_EQ(sim.shell.JumpListOf("Microsoft.Windows.Explorer").pinned, std::vector<std::string>{"C:\\Projects"});
  EXPECT_TRUE(sim.shell.JumpListOf("Microsoft.Windows.Explorer").recent.empty());
  EXPECT_TRUE(HasLine(printed, "    remove " + thumbs + "thumbcache_idx.db: in use by another program")) << printed;
  EXPECT_FALSE(HasLine(printed, "    " + thumbs + "thumbcache_idx.db: in use by Explorer")) << "told once";
  EXPECT_TRUE(HasLine(printed, "  Registry keys removed: 1"));

  // Free again: the rows go, counted by table, and the run ends with 0.
  sim.files.Release(thumbs + "thumbcache_idx.db");
  sim.databases.Lookup(timeline)->locked = false;
  EXPECT_EQ(Command({"/clean"}), app::kExitFinished) << printed;
  EXPECT_EQ(activities(), 0u);
  EXPECT_TRUE(HasLine(printed, "  Database rows removed: 3")) << printed;
  EXPECT_TRUE(HasLine(printed, "    " + timeline + ": Activity (2 rows)"));
  EXPECT_TRUE(HasLine(printed, "  Skipped: 1"));
  EXPECT_TRUE(HasLine(printed, "    " + timeline + ": Activity_PackageId: no such table in this version"));
}

TEST(RunReportText, SizesRoundToOneDecimalAndUnknownAnswersShowTheirCode) {
  EXPECT_EQ(services::SizeText(1023), "1023 bytes");
  EXPECT_EQ(services::SizeText(1536), "1536 bytes (1.5 KB)");
  EXPECT_EQ(services::SizeText(1024 * 1024 - 1), "1048575 bytes (1024.0 KB)") << "rounds up into the next whole";
  EXPECT_EQ(services::SizeText(1024 * 1024), "1048576 bytes (1.0 MB)");
  EXPECT_EQ(services::SizeText(uint64_t{5} << 50), "5629499534213120 bytes (5120.0 TB)") << "no unit past TB";
  EXPECT_EQ(services::ReasonText(1234), "error 1234");
  EXPECT_EQ(services::ReasonText(static_cast<int32_t>(0x80041234u)), "error 0x80041234");
  EXPECT_EQ(services::ReasonText(static_cast<int32_t>(0x8007000Au)), "error 10") << "a Win32 code in an HRESULT";
}

TEST(CommandLineTest, SwitchesInAnyCaseOneActionAndTheAutostartPathWithoutQuotes) {
  using app::CommandAction;
  struct Case {
    std::vector<std::string> args;
    CommandAction action;
    std::string report;
  };
  const Case cases[] = {
      {{}, CommandAction::Tray, ""},
      {{"/preview"}, CommandAction::Preview, ""},
      {{"-CLEAN", "/Report", "C:\\my reports\\run.txt"}, CommandAction::Clean, "C:\\my reports\\run.txt"},
      {{"/report", "run.txt", "/clean"}, CommandAction::Clean, "run.txt"},
      {{"/?"}, CommandAction::Help, ""},
      {{"/clean", "/preview"}, CommandAction::Bad, ""},
      {{"/clean", "/clean"}, CommandAction::Bad, ""},
      {{"/clean", "/report"}, CommandAction::Bad, ""},
      {{"/clean", "/report", ""}, CommandAction::Bad, ""},
      {{"/clean", "/report", "/preview"}, CommandAction::Bad, ""},
      {{"/clean", "/report", "-x.txt"}, CommandAction::Bad, ""},
      {{"/clean", "/report", ".\\-x.txt"}, CommandAction::Clean, ".\\-x.txt"},
      {{"/clean", "/report", "a", "/report", "b"}, CommandAction::Bad, ""},
      {{"/report", "a"}, CommandAction::Bad, ""},
      {{"/purge"}, CommandAction::Bad, ""},
      {{"clean"}, CommandAction::Bad, ""},
      {{"/"}, CommandAction::Bad, ""},
  };
  for (const Case& c : cases) {
    app::Command command = app::ParseCommandLine(c.args);
    std::string shown = c.args.empty() ? "(none)" : c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : "");
    EXPECT_EQ(command.action, c.action) << shown;
    EXPECT_EQ(command.reportFile, c.report) << shown;
    EXPECT_EQ(command.problem.empty(), c.action != CommandAction::Bad) << shown << ": " << command.problem;
  }
  std::string printed;
  platform::sim::SimPlatform sim;
  EXPECT_EQ(app::RunCommand(sim.platform, app::ParseCommandLine({"/purge"}),
                            [&](const std::string& text) { printed += text; }),
            2);
  EXPECT_EQ(printed, std::string("Unknown switch /purge.\r\n\r\n") + app::kUsage);

  // Windows' autostart runs the stored value; an older one without quotes
  // arrives split at the blank of "Program Files".
  const std::string exe = "C:\\Program Files\\Corvane\\corvane.exe";
  const std::vector<std::string> split = {"C:\\Program", "Files\\Corvane\\corvane.exe"};
  EXPECT_TRUE(app::ArgumentsOf(exe, split, exe).empty());
  EXPECT_TRUE(app::ArgumentsOf("c:\\program files\\corvane\\CORVANE.EXE ", split, exe).empty());
  EXPECT_TRUE(app::ArgumentsOf("\"" + exe + "\"", {exe}, exe).empty());
  EXPECT_EQ(app::ArgumentsOf("\"" + exe + "\" /clean", {exe, "/clean"}, exe), std::vector<std::string>{"/clean"});
  EXPECT_EQ(app::ArgumentsOf(exe + " /clean", {"C:\\Program", "Files\\Corvane\\corvane.exe", "/clean"}, exe),
            (std::vector<std::string>{"Files\\Corvane\\corvane.exe", "/clean"}))
      << "only the bare path is taken for the program alone";
}

}  // namespace
}  // namespace hosttest
