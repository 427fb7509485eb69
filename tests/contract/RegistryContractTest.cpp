// The registry behaviours the program relies on.
#include <gtest/gtest.h>

#include "ContractEnv.h"

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

}  // namespace
}  // namespace contract
