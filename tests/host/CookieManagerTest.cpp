// The cookie manager: the two lists, the four moves, "Save", "Delete", the
// write on closing, and a keep-list file that cannot be read or written.
#include <functional>
#include <vector>

#include "HistoryWindowFixture.h"
#include "cookies/KeepList.h"
#include "forms/CookiesManager.h"

namespace hosttest {
namespace {

using Lines = std::vector<std::string>;
using ui::MessageKind;

class CookieManagerTest : public HistoryWindowFixture {
 protected:
  void SetUp() override {
    StartQuietly();
    sim.files.AddDirectory("C:\\Program Files\\Corvane");  // the executable's folder
    keepList = cookies::KeepListPath(sim.platform);
    hc().Show();
  }
  forms::TCookieManager& cm() { return *corvane().CookieManager; }
  // Opens the window with "Cookies Manager", acts in it, and closes it; the
  // native lists then hold what the window's lists hold.
  void Session(const std::function<void(forms::TCookieManager&)>& act) {
    ui.onModal = [&](ui::Form& form) {
      act(cm());
      ExpectNativeInStep(*cm().SrcList);
      ExpectNativeInStep(*cm().DstList);
      if (form.visible()) form.Close();
    };
    hc().SpeedButton3->UserClick();
    ui.onModal = nullptr;
  }
  void ExpectNativeInStep(const ui::ListBox& list) {
    const ui::headless::HeadlessList* native = ui.NativeList(list);
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(native->lines(), list.items()) << list.name();
    for (int i = 0; i < list.count(); ++i) {
      EXPECT_EQ(native->selected(i), list.selected(i)) << list.name() << " " << i;
    }
    if (list.itemIndex() >= 0) {
      EXPECT_EQ(native->current(), list.itemIndex()) << list.name();
    }
    EXPECT_EQ(native->refused(), 0) << list.name();
    EXPECT_FALSE(native->batchOpen()) << list.name();
  }
  long NativeOperations() {
    return ui.NativeList(*cm().SrcList)->operations() + ui.NativeList(*cm().DstList)->operations();
  }
  void AddCookies(const Lines& hostsAndPaths) {
    for (const std::string& hp : hostsAndPaths) sim.urlCache.AddCookie("Cookie:user@" + hp);
  }
  std::string keepList;
};

TEST_F(CookieManagerTest, AShowingListsEveryCookieEntrySortedAndTheFileOnTheRight) {
  AddCookies({"b.example/", "A.example/", "b.example/path/"});
  sim.urlCache.Add("https://b.example/page.htm", 0);
  sim.files.AddFile(keepList, "zeta.example\r\nb.example\r\nalpha.example");
  Session([&](forms::TCookieManager& w) {
    EXPECT_EQ(w.caption(), "Cookies Manager");
    EXPECT_EQ(w.clientWidth(), 508);
    EXPECT_EQ(w.clientHeight(), 301);
    EXPECT_EQ(w.Find("Label1")->caption(), "Current Cookies List");
    EXPECT_EQ(w.Find("Label2")->caption(), "Cookies Safe List");
    EXPECT_EQ(w.Find("Label3")->caption(),
              "Select the cookies you wish to save by adding them to your Cookies Safe List");
    EXPECT_EQ(w.SrcList->bounds().width, 200);
    EXPECT_EQ(w.DstList->bounds().height, 235);
    EXPECT_LT(w.SpeedButton2->bounds().left, w.SpeedButton1->bounds().left) << "\"Delete\" left of \"Save\"";

    EXPECT_EQ(w.SrcList->items(), (Lines{"A.example", "b.example", "b.example"}));
    EXPECT_EQ(w.DstList->items(), (Lines{"alpha.example", "b.example", "zeta.example"}));
    EXPECT_TRUE(w.IncludeBtn->enabled());
    EXPECT_TRUE(w.ExAllBtn->enabled());
  });
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(CookieManagerTest, IncludeChecksOnlyTheFocusedLineAndWithNothingSelectedSelectsTheFirst) {
  AddCookies({"a.example/", "b.example/", "c.example/", "d.example/"});
  sim.files.AddFile(keepList, "b.example\r\n");
  Session([&](forms::TCookieManager& w) {
    // The focused line is on the safe list already: nothing moves, although a.example is new.
    w.SrcList->UserClickLine(0, false);
    w.SrcList->UserClickLine(1, true);
    w.IncludeBtn->UserClick();
    EXPECT_EQ(w.SrcList->count(), 4);
    EXPECT_EQ(w.DstList->items(), (Lines{"b.example"}));

    // Focused on a new line: every selected line moves, the duplicate too.
    w.SrcList->UserClickLine(2, true);
    w.IncludeBtn->UserClick();
    EXPECT_EQ(w.SrcList->items(), (Lines{"d.example"}));
    EXPECT_EQ(w.DstList->items(), (Lines{"a.example", "b.example", "b.example", "c.example"}));
    EXPECT_TRUE(w.SrcList->selected(0)) << "the line now at the first moved one's place";
    EXPECT_TRUE(w.SrcList->Focused());

    // Nothing selected: nothing moves, and the first line gets selected.
    w.SrcList->SetSelected(0, false);
    w.SrcList->SetItemIndex(-1);
    w.IncludeBtn->UserClick();
    EXPECT_EQ(w.SrcList->items(), (Lines{"d.example"}));
    EXPECT_EQ(w.DstList->count(), 4);
    EXPECT_TRUE(w.SrcList->selected(0));
  });
}

TEST_F(CookieManagerTest, ExcludeMovesBackWithTheRolesExchangedAndTheButtonsFollowTheLists) {
  AddCookies({"a.example/"});
  // As created, before any showing.
  EXPECT_TRUE(cm().IncludeBtn->enabled() && cm().IncAllBtn->enabled());
  EXPECT_FALSE(cm().ExcludeBtn->enabled() || cm().ExAllBtn->enabled());
  Session([&](forms::TCookieManager& w) {
    EXPECT_TRUE(w.IncludeBtn->enabled());
    EXPECT_FALSE(w.ExcludeBtn->enabled()) << "an empty safe list";
    EXPECT_FALSE(w.ExAllBtn->enabled());
    w.IncAllBtn->UserClick();
    EXPECT_FALSE(w.IncludeBtn->enabled());
    EXPECT_FALSE(w.IncAllBtn->enabled());
    EXPECT_TRUE(w.ExcludeBtn->enabled());
    w.DstList->UserClickLine(0, false);
    w.ExcludeBtn->UserClick();
    EXPECT_EQ(w.SrcList->items(), (Lines{"a.example"}));
    EXPECT_EQ(w.DstList->count(), 0);
    EXPECT_TRUE(w.DstList->Focused());
    EXPECT_FALSE(w.ExAllBtn->enabled());
  });
  sim.urlCache.DeleteEntry("Cookie:user@a.example/");
  Session([&](forms::TCookieManager& w) {
    EXPECT_EQ(w.SrcList->count(), 0);
    EXPECT_FALSE(w.IncludeBtn->enabled()) << "no cookies at all";
    EXPECT_FALSE(w.IncAllBtn->enabled());
  });
}

TEST_F(CookieManagerTest, IncludeAllTwiceAcrossShowingsWritesDuplicatesAndClosingWritesWithoutSave) {
  AddCookies({"b.example/", "a.example/"});
  Session([&](forms::TCookieManager& w) {
    w.IncAllBtn->UserClick();
    EXPECT_EQ(w.SrcList->count(), 0);
    EXPECT_EQ(w.DstList->items(), (Lines{"a.example", "b.example"}));
  });
  EXPECT_EQ(sim.files.Content(keepList), "a.example\r\nb.example\r\n") << "written on closing";
  Session([&](forms::TCookieManager& w) {
    EXPECT_EQ(w.SrcList->count(), 2) << "refilled from the cache";
    w.IncAllBtn->UserClick();
    EXPECT_EQ(w.DstList->items(), (Lines{"a.example", "a.example", "b.example", "b.example"}));
  });
  EXPECT_EQ(sim.files.Content(keepList), "a.example\r\na.example\r\nb.example\r\nb.example\r\n");
  EXPECT_TRUE(ui.boxes.empty());
}

// The safe list is a file in the system's code page: a site whose name it
// cannot hold is not silently changed into another name, it stays in the
// current list and the user is told; the others move and are kept exactly.
TEST_F(CookieManagerTest, ASiteTheCodePageCannotHoldStaysWhereItIsAndTheUserIsTold) {
  const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC.example", cologne = "k\xC3\xB6ln.example";
  AddCookies({japanese + "/", japanese + "/path/", cologne + "/", "b.example/"});
  const std::string told = std::string(forms::kSitesNotKeptNote) + japanese + ".";
  Session([&](forms::TCookieManager& w) {
    ASSERT_EQ(w.SrcList->items(), (Lines{"b.example", cologne, japanese, japanese}));
    w.SrcList->UserClickLine(1, false);
    w.SrcList->UserClickLine(2, true);
    w.IncludeBtn->UserClick();
    EXPECT_EQ(w.DstList->items(), (Lines{cologne}));
    EXPECT_EQ(w.SrcList->items(), (Lines{"b.example", japanese, japanese}));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, told);
    w.IncAllBtn->UserClick();
    EXPECT_EQ(w.DstList->items(), (Lines{cologne, "b.example"}));
    EXPECT_EQ(w.SrcList->items(), (Lines{japanese, japanese}));
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[1].text, told) << "named once";
  });
  EXPECT_EQ(sim.files.Content(keepList), "k\xF6ln.example\r\nb.example\r\n");
  EXPECT_EQ(cookies::ReadKeepList(sim.platform), (Lines{cologne, "b.example"}));
}

// Thousands of sites: every change costs native operations in proportion to
// the lines it touches, not to the lines the lists hold.
TEST_F(CookieManagerTest, FillingAndMovingThousandsOfLinesTakesOperationsInProportionToThem) {
  constexpr int kLines = 2000;
  std::string file;
  for (int i = kLines - 1; i >= 0; --i) {
    AddCookies({"site" + std::to_string(i) + ".example/"});
    file += "kept" + std::to_string(i) + ".example\r\n";
  }
  sim.files.AddFile(keepList, file);
  long before = NativeOperations();
  Session([&](forms::TCookieManager& w) {
    EXPECT_LE(NativeOperations() - before, 2 * kLines + 20) << "a fill: one insertion a line";
    EXPECT_EQ(w.DstList->items()[0], "kept0.example");
    EXPECT_EQ(w.DstList->items()[1], "kept1.example") << "sorted";

    before = NativeOperations();
    w.IncAllBtn->UserClick();
    EXPECT_LE(NativeOperations() - before, kLines + 20) << "\">>\": one insertion a line moved";
    ASSERT_EQ(w.DstList->count(), 2 * kLines);
    EXPECT_EQ(w.DstList->items()[kLines], "site0.example");

    for (int i = 0; i < 2 * kLines; i += 2) w.DstList->UserClickLine(i, true);
    before = NativeOperations();
    w.ExcludeBtn->UserClick();
    EXPECT_LE(NativeOperations() - before, 2 * kLines + 20) << "\"<\": one deletion and one insertion a line moved";
    EXPECT_EQ(w.SrcList->count(), kLines);
    EXPECT_EQ(w.DstList->count(), kLines);
  });
}

TEST_F(CookieManagerTest, AnEmptySaveLeavesAZeroByteFileThatTheNextShowingLoadsAsNothing) {
  Session([&](forms::TCookieManager& w) {
    w.SpeedButton1->UserClick();
    EXPECT_TRUE(w.visible()) << "\"Save\" does not close";
  });
  ASSERT_TRUE(sim.files.IsFile(keepList));
  EXPECT_EQ(sim.files.Content(keepList), "");
  cm().DstList->Add("stale.example");
  Session([&](forms::TCookieManager& w) { EXPECT_EQ(w.DstList->count(), 0); });
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(CookieManagerTest, DeleteSavesTheShownSafeListFirstSparesItsSitesAndLeavesBothListsAsShown) {
  AddCookies({"a.example/", "b.example/", "b.example/path/", "c.example/"});
  sim.files.AddFile(keepList, "B.EXAMPLE\r\n");
  Session([&](forms::TCookieManager& w) {
    // Moved but not saved yet: "Delete" saves it and spares it.
    w.SrcList->UserClickLine(0, false);
    w.IncludeBtn->UserClick();
    w.SpeedButton2->UserClick();
    EXPECT_EQ(sim.files.Content(keepList), "a.example\r\nB.EXAMPLE\r\n");
    EXPECT_EQ(sim.urlCache.Names(),
              (Lines{"Cookie:user@a.example/", "Cookie:user@b.example/", "Cookie:user@b.example/path/"}));
    EXPECT_EQ(w.SrcList->items(), (Lines{"b.example", "b.example", "c.example"}));
    EXPECT_EQ(w.DstList->items(), (Lines{"a.example", "B.EXAMPLE"}));
  });
  EXPECT_TRUE(ui.boxes.empty()) << "no confirmation, no message";
}

// The other browsers' cookie sites join the list, each once; "Delete" takes
// their cookies too, but for the kept sites and a browser that is running.
TEST_F(CookieManagerTest, TheOtherBrowsersSitesAreListedOnceAndDeleteSparesKeptSitesAndRunningBrowsers) {
  AddCookies({"a.example/"});
  const std::string local = "C:\\users\\user\\AppData\\Local\\";
  const std::string chrome = local + "Google\\Chrome\\User Data\\Default\\Network\\Cookies";
  const std::string edge = local + "Microsoft\\Edge\\User Data\\Default\\Network\\Cookies";
  sim.databases.AddTable(chrome, "cookies", {"host_key"},
                         {{".a.example"}, {".b.example"}, {"www.b.example"}, {"B.example"}});
  sim.databases.AddTable(edge, "cookies", {"host_key"}, {{".c.example"}});
  sim.process.runningPrograms = {"msedge.exe"};
  auto rows = [&](const std::string& path) { return sim.databases.Lookup(path)->tables.at("cookies").rows.size(); };
  Session([&](forms::TCookieManager& w) {
    EXPECT_EQ(w.SrcList->items(), (Lines{"a.example", "b.example", "c.example", "www.b.example"}));
    w.SrcList->UserClickLine(1, false);
    w.IncludeBtn->UserClick();
    w.SpeedButton2->UserClick();
  });
  EXPECT_EQ(sim.files.Content(keepList), "b.example\r\n");
  EXPECT_EQ(rows(chrome), 3u) << "b.example, its subdomain and its other spelling stay";
  EXPECT_EQ(rows(edge), 1u) << "Edge was running";
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text,
            std::string(forms::kBrowsersRunningNote) + "Microsoft Edge. Close them and delete again.");
}

TEST_F(CookieManagerTest, AFileRemovedWhileRunningKeepsTheSafeListWhichClosingWritesBack) {
  sim.files.AddFile(keepList, "kept.example\r\n");
  // The session end saves as closing does; a window never shown has nothing to save.
  EXPECT_TRUE(cm().FormClose());
  EXPECT_EQ(sim.files.Content(keepList), "kept.example\r\n");
  Session([](forms::TCookieManager&) {});
  sim.files.RemoveFile(keepList);
  Session([&](forms::TCookieManager& w) { EXPECT_EQ(w.DstList->items(), (Lines{"kept.example"})); });
  EXPECT_EQ(sim.files.Content(keepList), "kept.example\r\n");
}

TEST_F(CookieManagerTest, AnUnreadableFileSaysSoAndNeitherTheListNorTheFileNorTheCookiesAreLost) {
  AddCookies({"a.example/", "b.example/"});
  sim.files.AddFile(keepList, "a.example\r\n");
  Session([](forms::TCookieManager&) {});
  sim.files.AddFile(keepList, "b.example\r\nnew.example\r\n");
  sim.files.MakeUnreadable(keepList);

  Session([&](forms::TCookieManager& w) {
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, MessageKind::Error);
    EXPECT_NE(ui.boxes[0].text.find("SafeCookies.txt"), std::string::npos) << ui.boxes[0].text;
    EXPECT_NE(ui.boxes[0].text.find("The Cookies Safe List is left as it was."), std::string::npos);
    EXPECT_EQ(w.DstList->items(), (Lines{"a.example"})) << "as it was";
    EXPECT_EQ(w.SrcList->count(), 2) << "the cookies there are now";

    w.SpeedButton2->UserClick();
    EXPECT_EQ(sim.urlCache.Names().size(), 2u) << "an unread keep-list deletes nothing";
    EXPECT_NE(ui.boxes.back().text.find("No cookies were deleted."), std::string::npos);

    w.SpeedButton1->UserClick();
    EXPECT_NE(ui.boxes.back().text.find("The Cookies Safe List was not saved; the file is left as it was."),
              std::string::npos);
  });
  EXPECT_EQ(ui.boxes.size(), 4u) << "closing says it did not save either";
  EXPECT_NE(ui.boxes.back().text.find(forms::kSafeListNotSavedNote), std::string::npos);
  sim.files.MakeUnreadable(keepList, false);
  EXPECT_EQ(sim.files.Content(keepList), "b.example\r\nnew.example\r\n") << "never written over";

  // Readable again: the next showing loads it and all goes on as usual.
  ui.boxes.clear();
  Session([&](forms::TCookieManager& w) { EXPECT_EQ(w.DstList->items(), (Lines{"b.example", "new.example"})); });
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(CookieManagerTest, AnUnwritableFileSaysSoDeletesNothingAndTheUnsavedLinesSurvive) {
  AddCookies({"a.example/", "b.example/"});
  sim.files.AddFile(keepList, "old.example\r\n");
  sim.files.MakeUnwritable(keepList);
  Session([&](forms::TCookieManager& w) {
    w.SrcList->UserClickLine(0, false);
    w.IncludeBtn->UserClick();
    w.SpeedButton1->UserClick();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, MessageKind::Error);
    EXPECT_NE(ui.boxes[0].text.find("SafeCookies.txt"), std::string::npos) << ui.boxes[0].text;
    EXPECT_NE(ui.boxes[0].text.find(forms::kSafeListNotSavedNote), std::string::npos);
    EXPECT_EQ(w.DstList->items(), (Lines{"a.example", "old.example"}));

    w.SpeedButton2->UserClick();
    EXPECT_EQ(sim.urlCache.Names().size(), 2u) << "a.example is not in the file: nothing goes";
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_NE(ui.boxes[1].text.find(forms::kSafeListNotSavedNote), std::string::npos);
    EXPECT_NE(ui.boxes[1].text.find(forms::kNoCookiesDeletedNote), std::string::npos);
  });
  EXPECT_EQ(ui.boxes.size(), 3u) << "closing tried again and said so";
  EXPECT_EQ(sim.files.Content(keepList), "old.example\r\n");

  // The session end, with the window closed, saves what closing could not.
  sim.files.MakeUnwritable(keepList, false);
  EXPECT_TRUE(cm().FormClose());
  EXPECT_EQ(sim.files.Content(keepList), "a.example\r\nold.example\r\n");
  Session([&](forms::TCookieManager& w) { EXPECT_EQ(w.DstList->items(), (Lines{"a.example", "old.example"})); });
  EXPECT_EQ(ui.boxes.size(), 3u);
}

TEST_F(CookieManagerTest, WithoutAFolderForTheFileSaveDeleteAndClosingSaySoAndNoCookieGoes) {
  AddCookies({"a.example/", "b.example/"});
  ASSERT_TRUE(sim.files.RemoveFolder("C:\\Program Files\\Corvane"));
  Session([&](forms::TCookieManager& w) {
    EXPECT_TRUE(ui.boxes.empty()) << "showing goes on without a file";
    w.SrcList->UserClickLine(0, false);
    w.IncludeBtn->UserClick();
    w.SpeedButton1->UserClick();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, MessageKind::Error);
    EXPECT_NE(ui.boxes[0].text.find("C:\\Program Files\\Corvane\\Settings"), std::string::npos) << ui.boxes[0].text;
    EXPECT_NE(ui.boxes[0].text.find(forms::kSafeListNotSavedNote), std::string::npos);
    w.SpeedButton2->UserClick();
    EXPECT_EQ(sim.urlCache.Names().size(), 2u) << "the kept site is not stored anywhere: nothing goes";
    EXPECT_NE(ui.boxes.back().text.find(forms::kNoCookiesDeletedNote), std::string::npos);
  });
  EXPECT_EQ(ui.boxes.size(), 3u) << "closing says so too";
  EXPECT_FALSE(sim.files.IsFile(keepList));
  Session([&](forms::TCookieManager& w) { EXPECT_EQ(w.DstList->items(), (Lines{"a.example"})); });
}

}  // namespace
}  // namespace hosttest
