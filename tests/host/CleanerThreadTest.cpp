// The cleaner thread: its selection, the order of its steps, an early stop and
// the termination delivered on the user-interface thread.
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "CleanerFixture.h"
#include "cleaner/ProtectedStorage.h"

namespace hosttest {
namespace {

using cleaner::TUWHCleanerThrd;

using platform::RegRoot;
using platform::RegValue;
using platform::sim::SimPlatform;

// Something a step removes from the simulated machine: planted before a run,
// then still there or gone.
struct Trace {
  std::string what;
  std::function<void(SimPlatform&)> plant;
  std::function<bool(SimPlatform&)> present;
};

Trace Key(const std::string& path) {
  return {path, [path](SimPlatform& m) { m.registry.Set(RegRoot::CurrentUser, path, "a", RegValue::String("t")); },
          [path](SimPlatform& m) { return m.registry.KeyExists(RegRoot::CurrentUser, path); }};
}
Trace Value(const std::string& key, const std::string& name) {
  return {key + " " + name,
          [=](SimPlatform& m) { m.registry.Set(RegRoot::CurrentUser, key, name, RegValue::String("t")); },
          [=](SimPlatform& m) { return m.registry.Get(RegRoot::CurrentUser, key, name).has_value(); }};
}
Trace File(const std::string& path) {
  return {path, [path](SimPlatform& m) { m.files.AddFile(path, "t"); },
          [path](SimPlatform& m) { return m.files.Exists(path); }};
}
Trace Cookie(const std::string& name) {
  return {name, [name](SimPlatform& m) { m.urlCache.AddCookie(name); },
          [name](SimPlatform& m) { return m.urlCache.Has(name); }};
}
Trace RecycledFile() {
  return {"the recycle bin", [](SimPlatform& m) { m.shell.recycled = {"old.txt"}; },
          [](SimPlatform& m) { return !m.shell.recycled.empty(); }};
}
// A line of an application's settings file that the step empties.
Trace IniLine(const std::string& path, const std::string& section, const std::string& line) {
  return {path + " " + line, [=](SimPlatform& m) { m.files.AddFile(path, "[" + section + "]\r\n" + line + "\r\n"); },
          [=](SimPlatform& m) { return m.files.Content(path).find(line) != std::string::npos; }};
}
// The autocomplete data kept under the user's own SID.
Trace ProtectedStorageData() {
  auto path = [](SimPlatform& m) {
    return "Software\\Microsoft\\Protected Storage System Provider\\" + cleaner::SidToText(m.security.userSid) +
           "\\Data\\e161255a-37c3-11d2-bcaa-00c04fd929db";
  };
  return {"the protected storage's data",
          [path](SimPlatform& m) { m.registry.Set(RegRoot::CurrentUser, path(m), "item", RegValue::DWord(1)); },
          [path](SimPlatform& m) { return m.registry.KeyExists(RegRoot::CurrentUser, path(m)); }};
}

// A row of a browser's database.
Trace DbRow(const std::string& path, const std::string& table, const std::string& column) {
  return {path + " " + table,
          [=](SimPlatform& m) { m.databases.AddTable(path, table, {column}, {{"tracker.example"}}); },
          [=](SimPlatform& m) {
            auto db = m.databases.Lookup(path);
            return db && !db->tables.at(table).rows.empty();
          }};
}

// An entry of an application's jump list that is neither pinned nor kept.
Trace RecentJumpListItem(const std::string& appId) {
  return {appId + " recent items",
          [appId](SimPlatform& m) {
            m.shell.applicationIds = {appId};
            m.shell.SetJumpList(appId, {{}, {"C:\\users\\user\\Documents\\plan.txt"}, {}});
          },
          [appId](SimPlatform& m) { return !m.shell.JumpListOf(appId).recent.empty(); }};
}

struct SwitchTrace {
  std::string cleaner;  // its value name
  Trace trace;          // which only that cleaner's step removes
};

const std::vector<SwitchTrace>& Traces() {
  const std::string explorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
  const std::string user = "C:\\users\\user\\";
  const std::string chrome = user + "AppData\\Local\\Google\\Chrome\\User Data\\Default\\";
  const std::string timeline = user + "AppData\\Local\\ConnectedDevicesPlatform\\L.user\\ActivitiesCache.db";
  static const std::vector<SwitchTrace> traces = {
      {"TempInternetFiles", File(user + "AppData\\Local\\Microsoft\\Windows\\INetCache\\IE\\ABC123\\page.htm")},
      {"CookiesCleaner", Cookie("Cookie:user@tracker.example/")},
      {"URLAddressBar", Key("Software\\Microsoft\\Internet Explorer\\TypedURLs")},
      {"InternetHistoryFiles", File(user + "AppData\\Local\\Microsoft\\Windows\\History\\visit.dat")},
      {"AutoComplete", ProtectedStorageData()},
      {"AutoComplete", Key("Software\\Microsoft\\Internet Explorer\\IntelliForms")},
      {"FavoritesCleaner", File(user + "Favorites\\bank.url")},
      {"AutoDialHistory", Key("Software\\Microsoft\\RAS Autodial\\Addresses")},
      {"FindFileHistory", Key(explorer + "Doc Find Spec MRU")},
      {"FindCompHistory", Key(explorer + "FindComputerMRU")},
      {"NetworkHistory", File(user + "AppData\\Roaming\\Microsoft\\Windows\\Network Shortcuts\\s.lnk")},
      {"TelenetHistory", Value("Software\\Microsoft\\Telnet", "Machine1")},
      {"WindowsRunHist", Key(explorer + "RunMRU")},
      {"WindowsTempFiles", File(user + "AppData\\Local\\Temp\\a.tmp")},
      {"RecycleBin", RecycledFile()},
      {"RecentDocs", Key(explorer + "RecentDocs")},
      {"LastLogonHistory", Value("Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "DefaultUserName")},
      {"MSWindowsMediaPlayer", Key("Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList")},
      {"ACDSee", Value("Software\\ACD Systems\\ACDSee", "LastFolder")},
      {"AcrobatReader", Value("Software\\Adobe\\Acrobat Reader\\4.0\\AdobeViewer", "avpRecentFile1")},
      {"MSWord", Value("Software\\Microsoft\\Office\\9.0\\Word\\Data", "settings")},
      {"IrfanView", IniLine("C:\\Program Files\\IrfanView\\i_view32.ini", "MRUD", "Dir1=C:\\Photos")},
      {"MSImaging", Key("Software\\Kodak\\Imaging\\Recent File List")},
      {"MSPaint", Key("Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List")},
      {"WinRar", Key("Software\\WinRAR\\DialogEditHistory\\ExtrPath")},
      {"RealOne", Key("Software\\RealNetworks\\RealPlayer\\6.0\\Preferences\\MostRecentClips1")},
      {"PowerDVD", File(user + "Documents\\CyberLink\\PowerDVD\\films.pls")},
      {"BrowserCache", File(chrome + "Cache\\Cache_Data\\f_000001")},
      {"BrowserCookies", DbRow(chrome + "Network\\Cookies", "cookies", "host_key")},
      {"BrowserHistory", DbRow(chrome + "History", "urls", "url")},
      {"BrowserHistory", DbRow(chrome + "History", "visits", "url")},
      {"BrowserFormData", DbRow(chrome + "Web Data", "autofill", "value")},
      {"BrowserSessions", File(chrome + "Sessions\\Session_13350000000000000")},
      {"ExplorerTypedPaths", Key(explorer + "TypedPaths")},
      {"ExplorerSearchHistory", Key(explorer + "WordWheelQuery")},
      {"FileDialogHistory", Key(explorer + "ComDlg32\\OpenSavePidlMRU\\txt")},
      {"FileDialogHistory", Key(explorer + "ComDlg32\\LastVisitedPidlMRU")},
      {"FileDialogHistory", Key(explorer + "ComDlg32\\LastVisitedPidlMRULegacy")},
      {"JumpListHistory", RecentJumpListItem("Microsoft.Windows.Explorer")},
      {"ThumbnailCache", File(user + "AppData\\Local\\Microsoft\\Windows\\Explorer\\thumbcache_256.db")},
      {"WindowsTimeline", DbRow(timeline, "Activity", "AppId")},
      {"WindowsTimeline", DbRow(timeline, "ActivityOperation", "AppId")},
      {"WindowsTimeline", DbRow(timeline, "Activity_PackageId", "PackageName")},
  };
  return traces;
}

void PlantEveryTrace(SimPlatform& machine) {
  machine.files.AddDirectory("C:\\Program Files\\Corvane");  // where the cookie step looks for its keep-list
  for (const SwitchTrace& row : Traces()) row.trace.plant(machine);
}

class CleanerThreadTest : public CleanerFixture {
 protected:
  // Starts the thread and runs its termination here, as the message loop would.
  void StartAndDeliver() {
    thread->Start();
    ASSERT_TRUE(ui.WaitForPosted(10000)) << "the run never ended";
    EXPECT_EQ(ui.RunPosted(), 1);
  }
  int terminations = 0;
  std::thread::id terminatedOn;
};

TEST_F(CleanerThreadTest, WithEverySwitchFalseNothingIsTouchedAndTheEndIsStillReported) {
  PlantEveryTrace(sim);
  for (bool on : thread->selection) EXPECT_FALSE(on) << "a new thread starts with all off";
  thread->OnTerminate = [this](TUWHCleanerThrd& sender) {
    EXPECT_EQ(&sender, thread.get());
    ++terminations;
    terminatedOn = std::this_thread::get_id();
  };
  StartAndDeliver();
  EXPECT_EQ(terminations, 1);
  EXPECT_EQ(terminatedOn, std::this_thread::get_id()) << "delivered on the thread that runs the posted work";
  EXPECT_TRUE(thread->finished());
  EXPECT_TRUE(thread->cleanersRun().empty());
  for (const SwitchTrace& row : Traces()) EXPECT_TRUE(row.trace.present(sim)) << row.trace.what;
  EXPECT_TRUE(sim.shell.recycleBinCalls.empty());
  thread->Start();  // a second start of the same object is ignored
  thread.reset();   // waits for any run it might have begun
  EXPECT_EQ(ui.RunPosted(), 0);
}

// Each cleaner on its own, on a machine that holds every trace: what goes is
// its step's trace and nothing else, so a row naming another step fails.
TEST_F(CleanerThreadTest, EachCleanerRemovesWhatItsStepAloneRemovesAndAllTogetherRunInTheOrderOfExecution) {
  for (const SwitchTrace& row : Traces()) {
    SCOPED_TRACE(row.trace.what);
    SimPlatform machine;
    ui::headless::HeadlessUi machineUi{machine.clock};
    PlantEveryTrace(machine);
    TUWHCleanerThrd one(machine.platform, machineUi);
    ASSERT_TRUE(one.Select(row.cleaner));
    one.Execute();
    EXPECT_TRUE(one.finished()) << one.failure();
    EXPECT_EQ(RunNames(one), Names{row.cleaner});
    for (const SwitchTrace& other : Traces()) {
      EXPECT_EQ(other.trace.present(machine), other.cleaner != row.cleaner) << other.trace.what;
    }
  }

  PlantEveryTrace(sim);
  thread->selection.fill(true);
  Run();
  for (const SwitchTrace& row : Traces()) EXPECT_FALSE(row.trace.present(sim)) << row.trace.what;
  // Traces() lists the cleaners in the order they run.
  Names all;
  for (const SwitchTrace& row : Traces()) {
    if (all.empty() || all.back() != row.cleaner) all.push_back(row.cleaner);
  }
  EXPECT_EQ(all.size(), cleaner::kCleanerCount);
  EXPECT_EQ(RunNames(*thread), all);
  EXPECT_TRUE(thread->finished());
}

TEST_F(CleanerThreadTest, TheRunOrderIsNotTheOrderOfTheBoxes) {
  for (const char* name : {"FavoritesCleaner", "AutoComplete", "InternetHistoryFiles", "URLAddressBar",
                           "TempInternetFiles", "RecycleBin", "WindowsTempFiles"}) {
    ASSERT_TRUE(thread->Select(name));
  }
  EXPECT_FALSE(thread->Select("NoSuchCleaner"));
  Run();
  EXPECT_EQ(RunNames(*thread), (Names{"TempInternetFiles", "URLAddressBar", "InternetHistoryFiles", "AutoComplete",
                                      "FavoritesCleaner", "WindowsTempFiles", "RecycleBin"}));
}

TEST_F(CleanerThreadTest, AnExceptionEndsTheRunAtItsStepAndTheEndIsStillReported) {
  PlantEveryTrace(sim);
  thread->Select("WindowsRunHist");
  thread->Select("WindowsTempFiles");  // next: its folder lookup raises
  thread->Select("RecycleBin");
  thread->Select("RecentDocs");
  sim.shell.throwOnNextCall = "out of memory";
  thread->OnTerminate = [this](TUWHCleanerThrd&) { ++terminations; };
  StartAndDeliver();
  EXPECT_EQ(terminations, 1);
  EXPECT_FALSE(thread->finished());
  EXPECT_EQ(thread->failure(), "out of memory");
  EXPECT_EQ(RunNames(*thread), (Names{"WindowsRunHist", "WindowsTempFiles"}));
  EXPECT_FALSE(HasKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU")) << "the run history went";
  EXPECT_EQ(List("C:\\users\\user\\AppData\\Local\\Temp"), Names{"a.tmp"});
  EXPECT_TRUE(sim.shell.recycleBinCalls.empty()) << "the recycle bin's step never ran";
  EXPECT_TRUE(HasKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs"))
      << "nor the recent documents'";

  // The next run of a new object is not affected.
  TUWHCleanerThrd next(sim.platform, ui);
  next.Select("RecentDocs");
  next.Execute();
  EXPECT_TRUE(next.finished());
  EXPECT_TRUE(next.failure().empty());
  EXPECT_FALSE(HasKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs"));
}

TEST_F(CleanerThreadTest, AStopEndsAPurgeBeforeItsNextDeletionAndTheRunBeforeItsNextStep) {
  PlantEveryTrace(sim);
  sim.files.AddFile("C:\\users\\user\\AppData\\Local\\Temp\\b.tmp");
  thread->Select("WindowsTempFiles");  // held in its first deletion
  thread->Select("RecycleBin");
  thread->Select("RecentDocs");
  sim.files.gate.HoldAt("RemoveFile");
  thread->OnTerminate = [this](TUWHCleanerThrd&) { ++terminations; };
  thread->Start();
  ASSERT_TRUE(sim.files.gate.WaitUntilHeld(10000));
  thread->RequestStop();
  sim.files.gate.Release();
  ASSERT_TRUE(ui.WaitForPosted(10000));
  EXPECT_EQ(ui.RunPosted(), 1);
  EXPECT_EQ(terminations, 1) << "a stopped run still reports its end";
  EXPECT_FALSE(thread->finished());
  EXPECT_EQ(thread->failure(), cleaner::kStoppedOnRequest);
  EXPECT_EQ(RunNames(*thread), Names{"WindowsTempFiles"});
  EXPECT_EQ(List("C:\\users\\user\\AppData\\Local\\Temp").size(), 1u)
      << "the held deletion ended, the next one never began";
  EXPECT_TRUE(sim.shell.recycleBinCalls.empty());
  EXPECT_TRUE(HasKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs"));

  // Asked before it starts, a run does nothing at all.
  TUWHCleanerThrd early(sim.platform, ui);
  early.Select("RecycleBin");
  early.RequestStop();
  early.Execute();
  EXPECT_TRUE(early.cleanersRun().empty());
  EXPECT_FALSE(early.finished());
}

TEST_F(CleanerThreadTest, TheTerminationHandlerMayReleaseTheThreadObject) {
  bool finished = false;
  bool afterRelease = false;
  thread->Select("RecycleBin");
  thread->OnTerminate = [this, &finished, &afterRelease](TUWHCleanerThrd& sender) {
    finished = sender.finished();
    thread.reset();       // the starter lets go of the run it no longer needs
    afterRelease = true;  // the handler's own state is still there
  };
  thread->Start();
  ASSERT_TRUE(ui.WaitForPosted(10000));
  EXPECT_EQ(ui.RunPosted(), 1);
  EXPECT_TRUE(finished);
  EXPECT_TRUE(afterRelease);
  EXPECT_EQ(thread, nullptr);
  EXPECT_EQ(sim.shell.recycleBinCalls.size(), 1u);
}

TEST_F(CleanerThreadTest, ATerminationQueuedForAnObjectAlreadyFreedIsDropped) {
  thread->OnTerminate = [this](TUWHCleanerThrd&) { ++terminations; };
  thread->Start();
  ASSERT_TRUE(ui.WaitForPosted(10000));
  thread.reset();
  EXPECT_EQ(ui.RunPosted(), 1);
  EXPECT_EQ(terminations, 0);
}

}  // namespace
}  // namespace hosttest
