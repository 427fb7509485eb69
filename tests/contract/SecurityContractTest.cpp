// The account and key-security calls the protected-storage cleaner relies
// on: the token's user SID, the logon name, a key's DACL read and written,
// subkeys by index.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "ContractEnv.h"
#include "cleaner/ProtectedStorage.h"

namespace contract {
namespace {

using platform::KeyRight;
using platform::RegRoot;

constexpr const char* kTestKey = "Software\\CorvaneSecurityContractTest";

platform::Security& security() { return Env().platform().security; }
platform::Registry& registry() { return Env().platform().registry; }

TEST(SecurityContract, TheTokenGivesTheUserSidAfterASizeQuery) {
  long error = 0xdeadbeef;
  std::unique_ptr<platform::AccessToken> token = security().OpenProcessTokenForQuery(&error);
  ASSERT_NE(token, nullptr) << error;
  EXPECT_EQ(error, platform::kErrorSuccess);
  uint32_t needed = 0xdeadbeef;
  EXPECT_EQ(token->QueryUser(nullptr, 0, &needed), platform::kErrorInsufficientBuffer);
  ASSERT_GT(needed, 8u);
  ASSERT_LT(needed, 1024u);
  std::vector<uint64_t> buffer((needed + 7) / 8, 0xdedededededededeull);
  ASSERT_EQ(token->QueryUser(buffer.data(), needed, &needed), platform::kErrorSuccess);
  std::string sid = security().TokenUserSid(buffer.data());
  ASSERT_GE(sid.size(), 12u);
  EXPECT_EQ(sid[0], 1) << "revision 1";
  EXPECT_EQ(sid.size(), 8u + 4u * static_cast<uint8_t>(sid[1]));
  std::string text = cleaner::SidToText(sid);
  EXPECT_EQ(text.rfind("S-1-", 0), 0u) << text;

  std::string copy;
  ASSERT_TRUE(cleaner::GetCurrentUserSid(security(), &copy));
  EXPECT_EQ(copy, sid);
}

TEST(SecurityContract, TheLogonNameFitsOrTheCallFails) {
  std::string name = "poison";
  ASSERT_TRUE(security().LogonUserName(260, &name));
  EXPECT_FALSE(name.empty());
  EXPECT_NE(name, "poison");
  std::string small = "poison";
  EXPECT_FALSE(security().LogonUserName(1, &small));
}

class KeySecurityContract : public ::testing::Test {
 protected:
  void SetUp() override {
    registry().DeleteTree(RegRoot::CurrentUser, kTestKey);
    for (const char* sub : {"\\top\\beta", "\\top\\alpha\\deep"}) {
      long error = 0;
      ASSERT_NE(registry().Open(RegRoot::CurrentUser, std::string(kTestKey) + sub, platform::RegAccess::QueryAndSet,
                                true, &error),
                nullptr);
    }
  }
  void TearDown() override { registry().DeleteTree(RegRoot::CurrentUser, kTestKey); }
  std::string Path(const std::string& sub) { return std::string(kTestKey) + sub; }
};

TEST_F(KeySecurityContract, TheDaclIsReadAfterASizeQueryAndWrittenBack) {
  std::string before;
  ASSERT_TRUE(cleaner::GetKeyDacl(security(), RegRoot::CurrentUser, Path("\\top"), &before));
  EXPECT_GE(before.size(), 20u);
  EXPECT_EQ(before[0], 1) << "revision 1";
  EXPECT_TRUE(static_cast<uint8_t>(before[3]) & 0x80) << "self-relative";

  std::string sid, opened;
  ASSERT_TRUE(cleaner::GetCurrentUserSid(security(), &sid));
  ASSERT_TRUE(cleaner::BuildUserSystemDacl(sid, &opened));
  EXPECT_TRUE(cleaner::SetKeyDacl(security(), RegRoot::CurrentUser, Path("\\top"), true, opened));
  std::string after;
  ASSERT_TRUE(cleaner::GetKeyDacl(security(), RegRoot::CurrentUser, Path("\\top\\alpha\\deep"), &after));
  // The DACL that comes back holds our two entries (the offset of the DACL
  // is at byte 16 of a self-relative descriptor).
  uint32_t offset = static_cast<uint8_t>(after[16]) | static_cast<uint8_t>(after[17]) << 8;
  ASSERT_LT(offset, after.size());
  EXPECT_EQ(after.substr(offset, opened.size() - 20), opened.substr(20)) << "the subtree got the new list";

  EXPECT_TRUE(cleaner::SetKeyDacl(security(), RegRoot::CurrentUser, Path("\\top"), false, before));
  std::string restored;
  ASSERT_TRUE(cleaner::GetKeyDacl(security(), RegRoot::CurrentUser, Path("\\top"), &restored));
  EXPECT_EQ(restored, before);
}

// What the installer gives Users on the settings key: query and set value,
// not inherited, and nothing else. Windows (and Wine) refuse an open that asks
// for one right more, so every handle the program opens must ask no more.
TEST_F(KeySecurityContract, AKeyThatGrantsOnlyQueryAndSetOpensForEveryUse) {
  std::string sid, grant, before;
  ASSERT_TRUE(cleaner::GetCurrentUserSid(security(), &sid));
  ASSERT_TRUE(cleaner::BuildUserSystemDacl(sid, &grant));
  // The user's entry comes first, after the 20-byte header and the 8-byte ACL
  // header: its flags at byte 29, its access mask at bytes 32 to 35.
  grant[29] = 0;
  grant.replace(32, 4, std::string("\x03\0\0\0", 4));
  ASSERT_TRUE(cleaner::GetKeyDacl(security(), RegRoot::CurrentUser, Path("\\top"), &before));
  ASSERT_TRUE(cleaner::SetKeyDacl(security(), RegRoot::CurrentUser, Path("\\top"), false, grant));

  for (platform::RegAccess access :
       {platform::RegAccess::QueryAndSet, platform::RegAccess::SetOnly, platform::RegAccess::QueryOnly}) {
    long error = 0xdeadbeef;
    EXPECT_NE(registry().Open(RegRoot::CurrentUser, Path("\\top"), access, false, &error), nullptr)
        << static_cast<int>(access) << ": error " << error;
    EXPECT_NE(registry().Open(RegRoot::CurrentUser, Path("\\top"), access, true, &error), nullptr)
        << "open-or-create of the existing key, " << static_cast<int>(access) << ": error " << error;
  }
  long error = 0xdeadbeef;
  if (auto key =
          registry().Open(RegRoot::CurrentUser, Path("\\top"), platform::RegAccess::QueryAndSet, false, &error)) {
    platform::RegValue value;
    EXPECT_EQ(key->SetValue("Granted", platform::RegValue::DWord(1)), platform::kErrorSuccess);
    EXPECT_EQ(key->QueryValue("Granted", &value), platform::kErrorSuccess);
    EXPECT_EQ(key->DeleteValue("Granted"), platform::kErrorSuccess);
  }

  // The owner may always write the list back, so that the key can go; no
  // check above stops the test before it.
  EXPECT_TRUE(cleaner::SetKeyDacl(security(), RegRoot::CurrentUser, Path("\\top"), false, before));
}

TEST_F(KeySecurityContract, ARightIsNeededForEachOperation) {
  long error = 0xdeadbeef;
  auto readControl = security().OpenKey(RegRoot::CurrentUser, Path("\\top"), KeyRight::ReadControl, &error);
  ASSERT_NE(readControl, nullptr) << error;
  uint32_t size = 0;
  EXPECT_EQ(readControl->GetDacl(nullptr, &size), platform::kErrorInsufficientBuffer);
  EXPECT_GT(size, 0u);
  EXPECT_EQ(security().OpenKey(RegRoot::CurrentUser, Path("\\missing"), KeyRight::WriteDac, &error), nullptr);
  EXPECT_EQ(error, platform::kErrorFileNotFound);
}

TEST_F(KeySecurityContract, SubkeysAreCountedAndNamedByIndex) {
  long error = 0xdeadbeef;
  auto key = security().OpenKey(RegRoot::CurrentUser, Path("\\top"), KeyRight::Read, &error);
  ASSERT_NE(key, nullptr) << error;
  uint32_t count = 0xdeadbeef;
  ASSERT_EQ(key->QuerySubkeyCount(&count), platform::kErrorSuccess);
  EXPECT_EQ(count, 2u);
  std::vector<std::string> names;
  for (uint32_t i = 0; i < count; ++i) {
    std::string name;
    ASSERT_EQ(key->EnumSubkey(i, 261, &name), platform::kErrorSuccess);
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"alpha", "beta"}));
  std::string name = "poison";
  EXPECT_EQ(key->EnumSubkey(2, 261, &name), platform::kErrorNoMoreItems);
  EXPECT_EQ(key->EnumSubkey(0, 3, &name), platform::kErrorMoreData) << "a name longer than the buffer";
  EXPECT_EQ(name, "poison");
}

}  // namespace
}  // namespace contract
