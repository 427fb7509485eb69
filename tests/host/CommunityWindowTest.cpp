// The community cleaners window, reached from the History Cleaner: made and
// read only when opened, the detected entries in their groups, the filter,
// and choices that ask first where an entry warns or takes saved passwords.
#include <gtest/gtest.h>

#include <tuple>

#include "CorvaneFixture.h"
#include "app/Corvane.h"
#include "forms/CommunityCleaners.h"
#include "forms/HistoryCleaner.h"
#include "community/Download.h"
#include "settings/CommunityChoices.h"

namespace hosttest {
namespace {

const std::string kRules = "C:\\users\\user\\AppData\\Roaming\\Corvane\\Cleaners\\rules.ini";
const std::string kLocal = "C:\\users\\user\\AppData\\Local";

class CommunityWindow : public CorvaneFixture {
 protected:
  void SetUp() override {
    MakeSettingsKey();
    for (const char* app : {"Zeta", "Alpha", "Warned", "Fork"}) sim.files.AddDirectory(kLocal + "\\" + app);
    sim.files.AddDirectory("C:\\users\\user\\AppData\\Roaming");
    sim.files.AddFile(
        "C:\\Program Files\\Corvane\\winapp2.ini",
        "; Version: 260730\n"
        "[Zeta *]\nLangSecRef=3023\nDetectFile=%LocalAppData%\\Zeta\nFileKey1=%LocalAppData%\\Zeta|*.log\n"
        "[Alpha *]\nLangSecRef=3023\nDetectFile=%LocalAppData%\\ALPHA\nFileKey1=%LocalAppData%\\Alpha|*\n"
        "[Absent *]\nDetectFile=%LocalAppData%\\Absent\nFileKey1=%LocalAppData%\\Absent|*\n"
        "[Warned *]\nDetectFile=%LocalAppData%\\Warned\nWarning=It forgets your games.\n"
        "FileKey1=%LocalAppData%\\Warned|*\nFileKey2=%LocalAppData%\\Warned|*|DELETEALL\n"
        "[Fork *]\nDetectFile=%LocalAppData%\\Fork\nFileKey1=%LocalAppData%\\Fork\\*|Login Data*\n");
    ASSERT_TRUE(Start());
  }
  forms::TCommunityCleaners& Open() {
    corvane().HistoryCleanerPref->MoreApplications->UserClick();
    return *corvane().CommunityCleaners;
  }
  std::vector<std::string> Lines(const forms::TCommunityCleaners& window) {
    std::vector<std::string> lines;
    for (const ui::CheckList::Line& line : window.EntryList->lines()) {
      lines.push_back((line.heading ? "# " : line.checked ? "[x] " : "[ ] ") + line.text);
    }
    return lines;
  }
  int LineOf(const forms::TCommunityCleaners& window, const std::string& text) {
    const auto& lines = window.EntryList->lines();
    for (size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].text == text) return static_cast<int>(i);
    }
    return -1;
  }
  std::vector<std::string> Chosen() {
    std::vector<std::string> names;
    settings::ReadCommunityChoices(sim.registry, &names);
    return names;
  }
};

TEST_F(CommunityWindow, ItListsTheDetectedEntriesInTheirGroupsWithTheirSourceAndCounts) {
  // Nothing of it is made or read until someone opens it.
  EXPECT_EQ(corvane().CommunityCleaners, nullptr);
  ASSERT_TRUE(settings::StoreCommunityChoice(sim.registry, "Zeta", true));
  forms::TCommunityCleaners& window = Open();
  EXPECT_TRUE(window.visible());
  EXPECT_EQ(Lines(window), (std::vector<std::string>{"# Applications", "[ ] Fork", "[ ] Warned", "# Multimedia",
                                                     "[ ] Alpha", "[x] Zeta"}));
  EXPECT_EQ(window.CountsLabel->caption(), "5 entries read, 4 found on this computer, 0 refused, 1 lines skipped.");
  EXPECT_EQ(window.SourcesLabel->caption(),
            "C:\\Program Files\\Corvane\\winapp2.ini: 5 entries, Version: 260730\n"
            "Skipped: Warned, FileKey2 (line 17): unknown flag \"DELETEALL\"\n");
  window.FilterBox->UserType("ALP");
  EXPECT_EQ(Lines(window), (std::vector<std::string>{"# Multimedia", "[ ] Alpha"}));
  window.FilterBox->UserType("multi");
  EXPECT_EQ(Lines(window), (std::vector<std::string>{"# Multimedia", "[ ] Alpha", "[x] Zeta"}));
}

TEST_F(CommunityWindow, AChoiceIsStoredAtOnceAndOneThatWarnsOrTakesPasswordsAsksFirst) {
  forms::TCommunityCleaners& window = Open();
  window.EntryList->UserToggle(LineOf(window, "Alpha"));
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(Chosen(), std::vector<std::string>{"Alpha"});

  // The entry's own warning: No leaves the box clear and nothing stored.
  ui.answers.push_back(ui::MessageResult::No);
  window.EntryList->UserToggle(LineOf(window, "Warned"));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "It forgets your games.\n\nChoose it anyway?");
  EXPECT_FALSE(window.EntryList->lines()[static_cast<size_t>(LineOf(window, "Warned"))].checked);
  EXPECT_EQ(Chosen(), std::vector<std::string>{"Alpha"});

  // Saved passwords: asked in Corvane's own words.
  ui.answers.push_back(ui::MessageResult::Yes);
  window.EntryList->UserToggle(LineOf(window, "Fork"));
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[1].text, std::string(forms::kPasswordsQuestion) + "(Fork)");
  EXPECT_EQ(Chosen(), (std::vector<std::string>{"Alpha", "Fork"}));

  // Clearing a box removes the choice.
  window.EntryList->UserToggle(LineOf(window, "Alpha"));
  EXPECT_EQ(Chosen(), std::vector<std::string>{"Fork"});
  EXPECT_EQ(ui.boxes.size(), 2u);

  // A choice that cannot be stored says so and shows what is stored.
  sim.registry.MakeUnwritable(platform::RegRoot::LocalMachine,
                              std::string(settings::kSettingsKey) + "\\" + settings::kCommunityKey);
  window.EntryList->UserToggle(LineOf(window, "Zeta"));
  ASSERT_EQ(ui.boxes.size(), 3u);
  EXPECT_EQ(ui.boxes[2].text, settings::kApplySettingsError);
  EXPECT_FALSE(window.EntryList->lines()[static_cast<size_t>(LineOf(window, "Zeta"))].checked);
}

TEST_F(CommunityWindow, GetTheLatestKeepsTheDownloadOnlyWhenItReadsAsDefinitionsAndTheOldFileOtherwise) {
  const std::string downloaded = "C:\\users\\user\\AppData\\Roaming\\Corvane\\Cleaners\\winapp2.ini";
  const std::string latest = "; Version: 260801\r\n[Zeta *]\r\nLangSecRef=3021\r\nFileKey1=%LocalAppData%\\Zeta|*\r\n";
  forms::TCommunityCleaners& window = Open();
  auto fetch = [&](const std::string& url, const std::string& body, int status = 200) {
    sim.http.answers[url] = {status, body};
    ui.boxes.clear();
    window.GetLatestButton->UserClick();
    EXPECT_TRUE(ui.PumpUntil([&] { return window.GetLatestButton->enabled(); }, 5000));
    EXPECT_FALSE(window.Progress->visible());
    return ui.boxes.empty() ? std::string() : ui.boxes.back().text;
  };
  // The project's own file, unless the setting names another address.
  EXPECT_EQ(fetch(community::kDefaultDefinitionsUrl, latest),
            "The latest definitions were saved: Version: 260801, 1 entries.");
  EXPECT_EQ(sim.files.Content(downloaded), latest);
  // The window shows what it now reads: the user's Zeta replaces the program folder's.
  EXPECT_EQ(Lines(window)[0], "# Applications");
  EXPECT_NE(window.SourcesLabel->caption().find(downloaded + ": 1 entries, Version: 260801"), std::string::npos);

  const std::string own = "https://intranet.example/winapp2.ini";
  sim.registry.Set(platform::RegRoot::LocalMachine, settings::kSettingsKey, settings::kCommunityCleanersUrl,
                   platform::RegValue::String(own));
  for (const auto& [body, status, said] : std::vector<std::tuple<std::string, int, std::string>>{
           {"<html>Not here</html>", 200, "What " + own + " gave is no definitions file (it holds no entry)"},
           {latest, 404, "The server answered 404 for " + own},
           {std::string(community::kMaxDefinitionBytes + 1, ';'), 200, "is larger than 16 MB and was not kept"}}) {
    EXPECT_NE(fetch(own, body, status).find(said), std::string::npos) << said;
    EXPECT_EQ(sim.files.Content(downloaded), latest) << said;
  }
  // A connection that breaks part way.
  sim.http.pieceBytes = 8;
  sim.http.answers[own] = {200, latest + "[More *]\r\n", 0, latest.size()};
  window.GetLatestButton->UserClick();
  ASSERT_TRUE(ui.PumpUntil([&] { return window.GetLatestButton->enabled(); }, 5000));
  EXPECT_NE(ui.boxes.back().text.find("could not be downloaded from " + own + " (error 12030)"), std::string::npos);
  EXPECT_EQ(sim.files.Content(downloaded), latest);

  // Plain HTTP only to this computer's own address.
  sim.registry.Set(platform::RegRoot::LocalMachine, settings::kSettingsKey, settings::kCommunityCleanersUrl,
                   platform::RegValue::String("http://mirror.example/winapp2.ini"));
  const size_t asked = sim.http.requests.size();
  window.GetLatestButton->UserClick();
  EXPECT_EQ(
      ui.boxes.back().text,
      "Corvane fetches definitions only over HTTPS, and http://mirror.example/winapp2.ini is not such an address.");
  EXPECT_EQ(sim.http.requests.size(), asked);
  EXPECT_EQ(community::UrlProblem("http://127.0.0.1:8080/winapp2.ini"), "");

  // A download cancelled part way keeps the old file.
  sim.http.answers[own] = {200, latest};
  community::Fetched cancelled =
      community::FetchDefinitions(sim.platform, own, [](uint64_t received, uint64_t) { return received < 16; });
  EXPECT_FALSE(cancelled.kept);
  EXPECT_EQ(cancelled.message, "The download was cancelled. The definitions are as they were.");
  EXPECT_EQ(sim.files.Content(downloaded), latest);
}

}  // namespace
}  // namespace hosttest
