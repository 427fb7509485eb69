// The simulated security calls.
#include "platform/sim/SimSecurity.h"

#include <algorithm>

#include <cstring>
#include <mutex>

namespace platform::sim {
namespace {

class SimToken : public AccessToken {
 public:
  explicit SimToken(SimSecurity& owner) : owner_(owner) {}
  // The record: the SID's length, padding to 16 bytes as TOKEN_USER has, the SID.
  long QueryUser(void* buffer, uint32_t size, uint32_t* needed) override {
    if (owner_.tokenQueryError != 0) return owner_.tokenQueryError;
    uint32_t length = static_cast<uint32_t>(owner_.userSid.size());
    *needed = 16 + length;
    if (buffer == nullptr || size < *needed) return kErrorInsufficientBuffer;
    std::memset(buffer, 0, 16);
    std::memcpy(buffer, &length, 4);
    std::memcpy(static_cast<char*>(buffer) + 16, owner_.userSid.data(), length);
    return kErrorSuccess;
  }

 private:
  SimSecurity& owner_;
};

class SimSecuredKey : public SecuredKey {
 public:
  SimSecuredKey(SimSecurity& owner, std::string path, std::shared_ptr<SimRegistry::Key> key, KeyRight right)
      : owner_(owner), path_(std::move(path)), key_(std::move(key)), right_(right) {}

  long GetDacl(void* buffer, uint32_t* size) override {
    std::lock_guard<std::recursive_mutex> lock(owner_.registry().mutex());
    if (key_->deleted) return kErrorKeyDeleted;
    if (right_ == KeyRight::WriteDac) return kErrorAccessDenied;
    const std::string& descriptor =
        key_->securityDescriptor.empty() ? owner_.defaultDescriptor : key_->securityDescriptor;
    if (buffer == nullptr || *size < descriptor.size()) {
      *size = static_cast<uint32_t>(descriptor.size());
      return kErrorInsufficientBuffer;
    }
    std::memcpy(buffer, descriptor.data(), descriptor.size());
    *size = static_cast<uint32_t>(descriptor.size());
    return kErrorSuccess;
  }

  long SetDacl(const std::string& descriptor) override {
    owner_.gate.Pass("SetDacl");
    std::lock_guard<std::recursive_mutex> lock(owner_.registry().mutex());
    if (key_->deleted) return kErrorKeyDeleted;
    if (right_ != KeyRight::WriteDac) return kErrorAccessDenied;
    key_->securityDescriptor = descriptor;
    owner_.daclWrites.emplace_back(path_, descriptor);
    return kErrorSuccess;
  }

  long QuerySubkeyCount(uint32_t* count) override {
    std::lock_guard<std::recursive_mutex> lock(owner_.registry().mutex());
    if (key_->deleted) return kErrorKeyDeleted;
    if (right_ != KeyRight::Read) return kErrorAccessDenied;
    *count = static_cast<uint32_t>(key_->subkeys.size());
    return kErrorSuccess;
  }

  long EnumSubkey(uint32_t index, uint32_t bufferChars, std::string* name) override {
    std::lock_guard<std::recursive_mutex> lock(owner_.registry().mutex());
    if (key_->deleted) return kErrorKeyDeleted;
    if (right_ != KeyRight::Read) return kErrorAccessDenied;
    if (index >= key_->subkeys.size()) return kErrorNoMoreItems;
    auto it = std::next(key_->subkeys.begin(), index);
    if (it->first.size() + 1 > bufferChars) return kErrorMoreData;
    *name = it->first;
    return kErrorSuccess;
  }

 private:
  SimSecurity& owner_;
  std::string path_;
  std::shared_ptr<SimRegistry::Key> key_;
  KeyRight right_;
};

}  // namespace

std::string MakeSidBytes(const unsigned char (&authority)[6], const std::vector<uint32_t>& subAuthorities) {
  std::string sid;
  sid += '\x01';
  sid += static_cast<char>(subAuthorities.size());
  sid.append(reinterpret_cast<const char*>(authority), 6);
  for (uint32_t sub : subAuthorities) {
    for (int shift = 0; shift < 32; shift += 8) sid += static_cast<char>((sub >> shift) & 0xFF);
  }
  return sid;
}

SimSecurity::SimSecurity(SimRegistry& registry) : registry_(registry) {
  const unsigned char nt[6] = {0, 0, 0, 0, 0, 5};
  userSid = MakeSidBytes(nt, {21, 1004336348, 1177238915, 682003330, 1001});
  // Revision 1, self-relative with a DACL at offset 20 that is empty.
  defaultDescriptor = std::string(
      "\x01\x00\x04\x80\0\0\0\0\0\0\0\0\0\0\0\0\x14\0\0\0"
      "\x02\x00\x08\x00\x00\x00\x00\x00",
      28);
}

std::unique_ptr<AccessToken> SimSecurity::OpenProcessTokenForQuery(long* error) {
  *error = tokenOpenError;
  if (tokenOpenError != 0) return nullptr;
  return std::make_unique<SimToken>(*this);
}

std::string SimSecurity::TokenUserSid(const void* buffer) {
  uint32_t length;
  std::memcpy(&length, buffer, 4);
  return std::string(static_cast<const char*>(buffer) + 16, length);
}

bool SimSecurity::LogonUserName(uint32_t bufferChars, std::string* name) {
  if (userNameFails || userName.size() + 1 > bufferChars) return false;
  *name = userName;
  return true;
}

std::unique_ptr<SecuredKey> SimSecurity::OpenKey(RegRoot root, const std::string& path, KeyRight right, long* error) {
  std::lock_guard<std::recursive_mutex> lock(registry_.mutex());
  std::shared_ptr<SimRegistry::Key> key = registry_.FindKey(root, path);
  if (!key) {
    *error = kErrorFileNotFound;
    return nullptr;
  }
  // An unopenable key refuses every right; an unwritable one refuses a DACL change.
  const bool listRefused = right == KeyRight::ReadControl &&
                           std::find(listUnreadable.begin(), listUnreadable.end(), path) != listUnreadable.end();
  if (key->unopenable || (right == KeyRight::WriteDac && key->unwritable) || listRefused) {
    *error = kErrorAccessDenied;
    return nullptr;
  }
  *error = kErrorSuccess;
  return std::make_unique<SimSecuredKey>(*this, path, key, right);
}

std::string SimSecurity::DescriptorOf(RegRoot root, const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(registry_.mutex());
  std::shared_ptr<SimRegistry::Key> key = registry_.FindKey(root, path);
  if (!key) return {};
  return key->securityDescriptor.empty() ? defaultDescriptor : key->securityDescriptor;
}

}  // namespace platform::sim
