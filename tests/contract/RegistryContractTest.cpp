// The registry behaviours the program relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "ContractEnv.h"
#include "util/Text.h"

namespace contract {
namespace {

using platform::RegAccess;
using platform::RegKey;
using platform::RegRoot;
using platform::RegType;
using platform::RegValue;

// Every test works below this key, which is removed before and after it.
constexpr const char* kTestKey = "Software\\CorvaneContractTest";

class RegistryContract : public ::testing::Test {
 protected:
  void SetUp() override { registry().DeleteTree(RegRoot::CurrentUser, kTestKey); }
  void TearDown() override { registry().DeleteTree(RegRoot::CurrentUser, kTestKey); }

  platform::Registry& registry() { return Env().platform().registry; }

  std::unique_ptr<RegKey> Open(const std::string& sub, RegAccess access, bool create, long* error) {
    *error = 0xdeadbeef;
    return registry().Open(RegRoot::CurrentUser, std::string(kTestKey) + sub, access, create, error);
  }
  std::unique_ptr<RegKey> Create(const std::string& sub) {
    long error;
    auto key = Open(sub, RegAccess::QueryAndSet, true, &error);
    EXPECT_NE(key, nullptr) << "error " << error;
    return key;
  }
};

TEST_F(RegistryContract, OpenOnlyFailsOnMissingKeyAndCreateMakesEveryParent) {
  long error;
  EXPECT_EQ(Open("\\a\\b\\c", RegAccess::QueryAndSet, false, &error), nullptr);
  EXPECT_EQ(error, platform::kErrorFileNotFound);

  auto created = Open("\\a\\b\\c", RegAccess::QueryAndSet, true, &error);
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(error, platform::kErrorSuccess);
  created.reset();

  EXPECT_NE(Open("\\a\\b\\c", RegAccess::QueryAndSet, false, &error), nullptr);
  EXPECT_NE(Open("\\A\\B", RegAccess::QueryOnly, false, &error), nullptr) << "key names ignore case";
}

TEST_F(RegistryContract, NumbersAndTextRoundTripWithTheirTypes) {
  auto key = Create("");
  ASSERT_EQ(key->SetValue("Number", RegValue::DWord(0xFFFFFFFFu)), platform::kErrorSuccess);
  ASSERT_EQ(key->SetValue("Text", RegValue::String("C:\\Program Files\\Corvane\\corvane.exe")),
            platform::kErrorSuccess);
  ASSERT_EQ(key->SetValue("Wide", RegValue::String("K\xC3\xB8"
                                                   "benhavn \xE6\x9D\xB1\xE4\xBA\xAC")),
            platform::kErrorSuccess);

  RegValue v;
  ASSERT_EQ(key->QueryValue("number", &v), platform::kErrorSuccess) << "value names ignore case";
  EXPECT_EQ(v.type, RegType::DWord);
  EXPECT_EQ(v.number, 0xFFFFFFFFu);
  ASSERT_EQ(key->QueryValue("Text", &v), platform::kErrorSuccess);
  EXPECT_EQ(v.type, RegType::String);
  EXPECT_EQ(v.data, "C:\\Program Files\\Corvane\\corvane.exe");
  ASSERT_EQ(key->QueryValue("Wide", &v), platform::kErrorSuccess);
  EXPECT_EQ(v.data,
            "K\xC3\xB8"
            "benhavn \xE6\x9D\xB1\xE4\xBA\xAC");

  // A new write replaces the type as well as the data.
  ASSERT_EQ(key->SetValue("Number", RegValue::String("1")), platform::kErrorSuccess);
  ASSERT_EQ(key->QueryValue("Number", &v), platform::kErrorSuccess);
  EXPECT_EQ(v.type, RegType::String);
}

TEST_F(RegistryContract, MissingValueAndDeletion) {
  auto key = Create("");
  RegValue v;
  EXPECT_EQ(key->QueryValue("Nothing", &v), platform::kErrorFileNotFound);
  EXPECT_EQ(key->DeleteValue("Nothing"), platform::kErrorFileNotFound);
  ASSERT_EQ(key->SetValue("Gone", RegValue::DWord(1)), platform::kErrorSuccess);
  EXPECT_EQ(key->DeleteValue("GONE"), platform::kErrorSuccess);
  EXPECT_EQ(key->QueryValue("Gone", &v), platform::kErrorFileNotFound);
}

TEST_F(RegistryContract, AccessRightsOfAHandle) {
  Create("")->SetValue("Kept", RegValue::DWord(7));
  long error;
  auto writeOnly = Open("", RegAccess::SetOnly, false, &error);
  ASSERT_NE(writeOnly, nullptr);
  RegValue v;
  EXPECT_EQ(writeOnly->QueryValue("Kept", &v), platform::kErrorAccessDenied) << "KEY_WRITE cannot query";
  EXPECT_EQ(writeOnly->SetValue("New", RegValue::String("x")), platform::kErrorSuccess);
  EXPECT_EQ(writeOnly->DeleteValue("New"), platform::kErrorSuccess);

  auto readOnly = Open("", RegAccess::QueryOnly, false, &error);
  ASSERT_NE(readOnly, nullptr);
  EXPECT_EQ(readOnly->QueryValue("Kept", &v), platform::kErrorSuccess);
  EXPECT_EQ(readOnly->SetValue("New", RegValue::DWord(1)), platform::kErrorAccessDenied);
  EXPECT_EQ(readOnly->DeleteValue("Kept"), platform::kErrorAccessDenied);
}

TEST_F(RegistryContract, TreeAndValueDeletionByPath) {
  Create("\\Tree\\Sub\\Deeper")->SetValue("v", RegValue::DWord(1));
  Create("\\Tree")->SetValue("Top", RegValue::DWord(2));
  Create("\\Other")->SetValue("Stay", RegValue::DWord(3));

  std::string base = kTestKey;
  EXPECT_EQ(registry().DeleteValue(RegRoot::CurrentUser, base + "\\Tree", "Top"), platform::kErrorSuccess);
  EXPECT_NE(registry().DeleteValue(RegRoot::CurrentUser, base + "\\Tree", "Top"), platform::kErrorSuccess);
  EXPECT_NE(registry().DeleteValue(RegRoot::CurrentUser, base + "\\NoSuchKey", "Top"), platform::kErrorSuccess);

  EXPECT_EQ(registry().DeleteTree(RegRoot::CurrentUser, base + "\\tree"), platform::kErrorSuccess);
  EXPECT_NE(registry().DeleteTree(RegRoot::CurrentUser, base + "\\Tree"), platform::kErrorSuccess);
  long error;
  EXPECT_EQ(Open("\\Tree\\Sub", RegAccess::QueryOnly, false, &error), nullptr);
  auto other = Open("\\Other", RegAccess::QueryOnly, false, &error);
  ASSERT_NE(other, nullptr);
  RegValue v;
  EXPECT_EQ(other->QueryValue("Stay", &v), platform::kErrorSuccess);
}

TEST_F(RegistryContract, AHandleToADeletedKeyNoLongerWorks) {
  auto key = Create("\\Doomed");
  ASSERT_EQ(registry().DeleteTree(RegRoot::CurrentUser, std::string(kTestKey) + "\\Doomed"), platform::kErrorSuccess);
  RegValue v;
  EXPECT_NE(key->SetValue("x", RegValue::DWord(1)), platform::kErrorSuccess);
  EXPECT_NE(key->QueryValue("x", &v), platform::kErrorSuccess);
}

TEST_F(RegistryContract, AKeysValuesAreListedAndItsNameTellsItFromAnother) {
  auto key = Create("\\Listed");
  ASSERT_EQ(key->SetValue("One", RegValue::DWord(1)), platform::kErrorSuccess);
  ASSERT_EQ(key->SetValue("Tw\xC3\xB8", RegValue::String("x")), platform::kErrorSuccess);
  std::vector<std::string> names{"poison"};
  ASSERT_EQ(key->ValueNames(&names), platform::kErrorSuccess);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"One", "Tw\xC3\xB8"}));

  std::string a = "poison", b = "poison", other = "poison";
  ASSERT_EQ(key->FullName(&a), platform::kErrorSuccess);
  long error;
  ASSERT_EQ(Open("\\LISTED", RegAccess::QueryOnly, false, &error)->FullName(&b), platform::kErrorSuccess);
  ASSERT_EQ(Create("\\Other")->FullName(&other), platform::kErrorSuccess);
  EXPECT_EQ(a, b) << "one key, whatever the letter case it was opened by";
  EXPECT_NE(a, other);
  // Windows writes \REGISTRY\USER\<SID>; Wine 8 \REGISTRY\User\<SID>.
  EXPECT_TRUE(util::EqualNoCase(a.substr(0, 15), "\\REGISTRY\\USER\\")) << a;
}

// Written in the machine's keys, where an administrator (and Wine) may
// write, and removed before and after.
TEST(RegistryViewsContract, The32BitViewOfSoftwareIsItsWow6432NodeAndASharedKeyIsOneInBoth) {
  platform::Registry& registry = Env().platform().registry;
  const std::string key = "Software\\CorvaneContractView";
  const std::string shared = "Software\\Classes\\CorvaneContractView";
  auto clean = [&] {
    registry.DeleteTree(RegRoot::LocalMachine32, key);
    registry.DeleteTree(RegRoot::LocalMachine, key);
    registry.DeleteTree(RegRoot::LocalMachine, shared);
  };
  clean();
  long error = 0xdeadbeef;
  auto narrow = registry.Open(RegRoot::LocalMachine32, key, RegAccess::QueryAndSet, true, &error);
  if (!narrow && error == platform::kErrorAccessDenied) GTEST_SKIP() << "not an administrator";
  ASSERT_NE(narrow, nullptr) << error;
  ASSERT_EQ(narrow->SetValue("v", RegValue::DWord(32)), platform::kErrorSuccess);
  // What a 32-bit program writes there, a 64-bit one finds below WOW6432Node.
  auto seen = registry.Open(RegRoot::LocalMachine, "Software\\WOW6432Node\\CorvaneContractView", RegAccess::QueryOnly,
                            false, &error);
  ASSERT_NE(seen, nullptr) << error;
  EXPECT_EQ(registry.Open(RegRoot::LocalMachine, key, RegAccess::QueryOnly, false, &error), nullptr);
  EXPECT_EQ(error, platform::kErrorFileNotFound);
  std::string narrowName, seenName;
  ASSERT_EQ(narrow->FullName(&narrowName), platform::kErrorSuccess);
  ASSERT_EQ(seen->FullName(&seenName), platform::kErrorSuccess);
  EXPECT_TRUE(util::EqualNoCase(narrowName, seenName)) << narrowName << " vs " << seenName;
  // Windows 7 and later share HKLM\Software\Classes between the widths:
  // one key, one name. Wine 8 gives the 32-bit view classes of its own
  // (Software\Wow6432Node\Classes), where the key is not found.
  auto wideClasses = registry.Open(RegRoot::LocalMachine, shared, RegAccess::QueryAndSet, true, &error);
  ASSERT_NE(wideClasses, nullptr) << error;
  error = 0xdeadbeef;
  auto narrowClasses = registry.Open(RegRoot::LocalMachine32, shared, RegAccess::QueryOnly, false, &error);
  if (narrowClasses) {
    std::string wideName, narrowClassesName;
    ASSERT_EQ(wideClasses->FullName(&wideName), platform::kErrorSuccess);
    ASSERT_EQ(narrowClasses->FullName(&narrowClassesName), platform::kErrorSuccess);
    EXPECT_TRUE(util::EqualNoCase(wideName, narrowClassesName)) << wideName << " vs " << narrowClassesName;
  } else {
    EXPECT_EQ(error, platform::kErrorFileNotFound) << "Wine 8's answer";
  }
  // Deleting in the 32-bit view takes the key a 32-bit program sees.
  narrow.reset();
  seen.reset();
  EXPECT_EQ(registry.DeleteTree(RegRoot::LocalMachine32, key), platform::kErrorSuccess);
  EXPECT_EQ(registry.Open(RegRoot::LocalMachine, "Software\\WOW6432Node\\CorvaneContractView", RegAccess::QueryOnly,
                          false, &error),
            nullptr);
  clean();
}

}  // namespace
}  // namespace contract
