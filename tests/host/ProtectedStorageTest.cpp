// The protected-storage autocomplete cleaner on the simulation: the SID
// text, the two-entry DACL, the order of the access-list changes, both
// families.
#include <gtest/gtest.h>

#include "cleaner/ProtectedStorage.h"
#include "platform/sim/SimPlatform.h"

namespace hosttest {
namespace {

using platform::RegRoot;

constexpr const char* kSidText = "S-1-5-21-1004336348-1177238915-682003330-1001";
const std::string kTop = std::string("Software\\Microsoft\\Protected Storage System Provider\\") + kSidText;
const std::string kData = kTop + "\\Data";
const std::string kDataKey = kData + "\\e161255a-37c3-11d2-bcaa-00c04fd929db";
const std::string kMachineKey =
    "Software\\Microsoft\\Protected Storage System Provider\\alice\\Data\\e161255a-37c3-11d2-bcaa-00c04fd929db";

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

class ProtectedStorage : public ::testing::Test {
 protected:
  void SetUp() override {
    sim.registry.Set(RegRoot::CurrentUser, kDataKey + "\\a\\b", "item", platform::RegValue::DWord(1));
    sim.registry.CreateKey(RegRoot::CurrentUser, kDataKey + "\\c");
    sim.registry.Set(RegRoot::LocalMachine, kMachineKey, "item", platform::RegValue::DWord(1));
    sim.registry.FindKey(RegRoot::CurrentUser, kTop)->securityDescriptor = kOldDescriptor;
  }
  std::string NewDescriptor() {
    std::string d;
    EXPECT_TRUE(cleaner::BuildUserSystemDacl(sim.security.userSid, &d));
    return d;
  }
  std::vector<std::string> WrittenPaths() {
    std::vector<std::string> paths;
    for (const auto& [path, descriptor] : sim.security.daclWrites) paths.push_back(path);
    return paths;
  }
  const std::string kOldDescriptor =
      std::string("\x01\x00\x04\x80\0\0\0\0\0\0\0\0\0\0\0\0\x14\0\0\0\x02\0\x08\0\0\0\0\0", 28);
  platform::sim::SimPlatform sim;
};

TEST(SidToText, PrintsTheAuthorityFromItsLastByteAndEverySubAuthorityUnsigned) {
  const unsigned char nt[6] = {0, 0, 0, 0, 0, 5};
  EXPECT_EQ(cleaner::SidToText(platform::sim::MakeSidBytes(nt, {21, 1, 2, 3, 4294967295u})),
            "S-1-5-21-1-2-3-4294967295");
  const unsigned char wide[6] = {0, 0, 0, 0, 1, 16};
  EXPECT_EQ(cleaner::SidToText(platform::sim::MakeSidBytes(wide, {18})), "S-1-16-18") << "only the last byte counts";
}

TEST_F(ProtectedStorage, TheNewDaclGrantsAllKeyRightsToTheUserThenToLocalSystem) {
  std::string sid = sim.security.userSid;  // 28 bytes
  std::string d = NewDescriptor();
  std::string expected = Bytes({1, 0, 0x04, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0, 0});
  expected += Bytes({2, 0, 28 + 12 + 24, 0, 2, 0, 0, 0});
  expected += Bytes({0, 3, 8 + 28, 0, 0x3F, 0, 0x0F, 0}) + sid;
  expected += Bytes({0, 3, 8 + 12, 0, 0x3F, 0, 0x0F, 0}) + Bytes({1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0});
  EXPECT_EQ(d, expected);
  std::string ignored;
  EXPECT_FALSE(cleaner::BuildUserSystemDacl("\x01\x05short", &ignored));
}

TEST_F(ProtectedStorage, OpensTheTreeTopDownDeletesTheDataKeyAndPutsTheTopKeysListBack) {
  cleaner::CleanProtectedStorage(sim.platform, true);

  std::string opened = NewDescriptor();
  EXPECT_EQ(WrittenPaths(), (std::vector<std::string>{kTop, kData, kDataKey, kDataKey + "\\a", kDataKey + "\\a\\b",
                                                      kDataKey + "\\c", kData, kTop}))
      << "every key of the data tree gets the new list, parents first, before the deletion";
  for (size_t i = 0; i + 2 < sim.security.daclWrites.size(); ++i) EXPECT_EQ(sim.security.daclWrites[i].second, opened);
  EXPECT_FALSE(sim.registry.KeyExists(RegRoot::CurrentUser, kDataKey));
  EXPECT_EQ(sim.security.DescriptorOf(RegRoot::CurrentUser, kTop), kOldDescriptor);
  EXPECT_EQ(sim.security.DescriptorOf(RegRoot::CurrentUser, kData), sim.security.defaultDescriptor)
      << "no key keeps the opened list";
  EXPECT_FALSE(sim.registry.KeyExists(RegRoot::LocalMachine, kMachineKey));
  EXPECT_TRUE(sim.registry.KeyExists(RegRoot::LocalMachine,
                                     "Software\\Microsoft\\Protected Storage System Provider\\alice\\Data"));
}

TEST_F(ProtectedStorage, WithoutADataKeyOnlyTheTopKeyIsTouchedAndGetsItsListBack) {
  sim.registry.DeleteTree(RegRoot::CurrentUser, kData);
  cleaner::CleanProtectedStorage(sim.platform, true);
  EXPECT_EQ(WrittenPaths(), (std::vector<std::string>{kTop, kTop}));
  EXPECT_EQ(sim.security.DescriptorOf(RegRoot::CurrentUser, kTop), kOldDescriptor);
  EXPECT_EQ(sim.registry.SubkeyNames(RegRoot::CurrentUser, kTop), std::vector<std::string>{});
}

TEST_F(ProtectedStorage, TheOtherFamilyOnlyDeletesTheMachineKey) {
  cleaner::CleanProtectedStorage(sim.platform, false);
  EXPECT_TRUE(sim.security.daclWrites.empty());
  EXPECT_TRUE(sim.registry.KeyExists(RegRoot::CurrentUser, kDataKey + "\\a\\b"));
  EXPECT_FALSE(sim.registry.KeyExists(RegRoot::LocalMachine, kMachineKey));
}

TEST_F(ProtectedStorage, WithoutAUserSidNothingOfTheUserChangesButTheMachineKeyGoes) {
  sim.security.tokenQueryError = platform::kErrorAccessDenied;
  cleaner::CleanProtectedStorage(sim.platform, true);
  EXPECT_TRUE(sim.security.daclWrites.empty());
  EXPECT_TRUE(sim.registry.KeyExists(RegRoot::CurrentUser, kDataKey + "\\a\\b"));
  EXPECT_FALSE(sim.registry.KeyExists(RegRoot::LocalMachine, kMachineKey));

  sim.security.tokenQueryError = 0;
  sim.security.tokenOpenError = platform::kErrorAccessDenied;
  cleaner::CleanProtectedStorage(sim.platform, true);
  EXPECT_TRUE(sim.security.daclWrites.empty());
}

TEST_F(ProtectedStorage, ARefusedKeyOrAnOverlongNameDoesNotStopTheOthers) {
  sim.registry.MakeUnopenable(RegRoot::CurrentUser, kDataKey + "\\a");
  sim.registry.MakeUnopenable(RegRoot::CurrentUser, kTop);
  sim.registry.CreateKey(RegRoot::CurrentUser,
                         kDataKey + "\\" + std::string(300, 'x'));  // too long for the name buffer
  cleaner::CleanProtectedStorage(sim.platform, true);
  EXPECT_EQ(WrittenPaths(), (std::vector<std::string>{kData, kDataKey, kDataKey + "\\c", kData}));
}

TEST_F(ProtectedStorage, AKeyWhoseOldListCannotBeReadIsLeftAsItIs) {
  sim.security.listUnreadable = {kData};
  cleaner::CleanProtectedStorage(sim.platform, true);
  EXPECT_EQ(WrittenPaths(),
            (std::vector<std::string>{kTop, kDataKey, kDataKey + "\\a", kDataKey + "\\a\\b", kDataKey + "\\c", kTop}));
  EXPECT_EQ(sim.security.DescriptorOf(RegRoot::CurrentUser, kData), sim.security.defaultDescriptor);
  EXPECT_FALSE(sim.registry.KeyExists(RegRoot::CurrentUser, kDataKey));
}

}  // namespace
}  // namespace hosttest
