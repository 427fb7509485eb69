// The community cleaners window, reached from the History Cleaner: made and
// read only when opened, the detected entries in their groups, the filter,
// and choices that ask first where an entry warns or takes saved passwords.
#include <gtest/gtest.h>

#include "CorvaneFixture.h"
#include "app/Corvane.h"
#include "forms/CommunityCleaners.h"
#include "forms/HistoryCleaner.h"
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
    sim.files.AddFile(
        "C:\\Program Files\\Corvane\\winapp2.ini",
        "; Version: 260730\n"
        "[Zeta *]\nLangSecRef=3023\nDetectFile=%LocalAppData%\\Zeta\nFileKey1=%LocalAppData%\\Zeta|*.log\n"
        "[Alpha *]\nLangSecRef=3023\nDetectFile=%LocalAppData%\\Alpha\nFileKey1=%LocalAppData%\\Alpha|*\n"
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

}  // namespace
}  // namespace hosttest
