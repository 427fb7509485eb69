// The about box: its picture and link label, the link's look and the address it opens.
#include "CorvaneFixture.h"
#include "forms/AboutForm.h"

namespace hosttest {
namespace {

class AboutBoxTest : public CorvaneFixture {
 protected:
  void SetUp() override {
    MakeSettingsKey();
    ASSERT_TRUE(Start());
  }
  forms::TAboutBox& about() { return *corvane().AboutBox; }
};

TEST_F(AboutBoxTest, ItIsAPictureWithTheSpacedAddressOverIt) {
  EXPECT_EQ(about().caption(), "About Us");
  EXPECT_EQ(about().clientWidth(), 419);
  EXPECT_EQ(about().clientHeight(), 217);
  EXPECT_EQ(about().Image1->picture(), "About");
  EXPECT_EQ(about().Image1->parent(), about().Panel1);
  EXPECT_EQ(about().Label1->caption(), "w w w . t e s s a l y . e x a m p l e");
  EXPECT_EQ(about().Label1->font().face, "Arial");
  EXPECT_TRUE(about().Label1->font().underline);
  ui::Rect r = about().Label1->bounds();
  EXPECT_EQ(r.left, 225);
  EXPECT_EQ(r.top, 136);
}

TEST_F(AboutBoxTest, TheLinkLightsUpUnderThePointerAndShowingTheBoxStartsPlain) {
  about().Label1->UserMouseMove();
  EXPECT_EQ(about().Label1->fontColor(), ui::kRed);
  EXPECT_EQ(about().cursor(), ui::Cursor::HandPoint);
  about().Image1->UserMouseMove();
  EXPECT_EQ(about().Label1->fontColor(), ui::kWhite);
  EXPECT_EQ(about().cursor(), ui::Cursor::Default);

  // Left with the hand: the next showing starts with the arrow.
  ui.onModal = [&](ui::Form& form) {
    EXPECT_EQ(about().Label1->fontColor(), ui::kWhite);
    EXPECT_EQ(about().cursor(), ui::Cursor::Default);
    about().Label1->UserMouseMove();
    form.Close();
  };
  about().ShowModal();
  EXPECT_EQ(about().cursor(), ui::Cursor::HandPoint);
  about().ShowModal();
  EXPECT_FALSE(about().visible());
}

TEST_F(AboutBoxTest, AClickOnTheLinkOpensTheAddressOwnedByTheBox) {
  sim.desktop.shellCalls.clear();
  about().Label1->UserClick();
  ASSERT_EQ(sim.desktop.shellCalls.size(), 1u);
  EXPECT_EQ(sim.desktop.shellCalls[0].owner, about().handle());
  EXPECT_NE(about().handle(), 0u);
  EXPECT_EQ(sim.desktop.shellCalls[0].verb, "open");
  EXPECT_EQ(sim.desktop.shellCalls[0].file, "www.tessaly.example");
  EXPECT_EQ(sim.desktop.shellCalls[0].show, 5);
  EXPECT_TRUE(ui.boxes.empty()) << "whatever the shell answers, nothing is said";
}

}  // namespace
}  // namespace hosttest
