// Accounts and key security, shaped like OpenProcessToken,
// GetTokenInformation(TokenUser), GetUserNameA, RegGetKeySecurity,
// RegSetKeySecurity, RegQueryInfoKey and RegEnumKeyEx. Errors come back as
// Win32 codes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Registry.h"

namespace platform {

// What a security descriptor written byte by byte is made of: KEY_ALL_ACCESS,
// ACCESS_ALLOWED_ACE_TYPE, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE,
// ACL_REVISION, SECURITY_DESCRIPTOR_REVISION, SE_DACL_PRESENT and SE_SELF_RELATIVE.
constexpr uint32_t kKeyAllAccess = 0xF003F;
enum : uint8_t { kAccessAllowedAceType = 0, kObjectInheritAce = 0x1, kContainerInheritAce = 0x2 };
enum : uint8_t { kAclRevision = 2, kSecurityDescriptorRevision = 1 };
enum : uint16_t { kSeDaclPresent = 0x0004, kSeSelfRelative = 0x8000 };

// READ_CONTROL, WRITE_DAC and KEY_READ.
enum class KeyRight { ReadControl, WriteDac, Read };

// A key opened for its security or its subkeys; closed when destroyed.
class SecuredKey {
 public:
  virtual ~SecuredKey() = default;
  // The key's DACL as a self-relative security descriptor, into `buffer` of
  // *size bytes; kErrorInsufficientBuffer with the needed *size when short.
  virtual long GetDacl(void* buffer, uint32_t* size) = 0;
  // Writes the DACL part of a self-relative security descriptor.
  virtual long SetDacl(const std::string& descriptor) = 0;
  virtual long QuerySubkeyCount(uint32_t* count) = 0;
  // The name of the subkey at `index`, read into a buffer of `bufferChars`
  // characters (terminator included): kErrorMoreData when it does not fit,
  // kErrorNoMoreItems past the last one.
  virtual long EnumSubkey(uint32_t index, uint32_t bufferChars, std::string* name) = 0;
};

// The process token, opened for query; closed when destroyed.
class AccessToken {
 public:
  virtual ~AccessToken() = default;
  // GetTokenInformation(TokenUser): the record into `buffer` of `size` bytes
  // (buffer may be null with size 0); *needed gets the size it takes.
  virtual long QueryUser(void* buffer, uint32_t size, uint32_t* needed) = 0;
};

class Security {
 public:
  virtual ~Security() = default;
  virtual std::unique_ptr<AccessToken> OpenProcessTokenForQuery(long* error) = 0;
  // The SID bytes held by a TokenUser record that QueryUser put in `buffer`.
  virtual std::string TokenUserSid(const void* buffer) = 0;
  // GetUserNameA with a buffer of `bufferChars` characters; false on failure.
  virtual bool LogonUserName(uint32_t bufferChars, std::string* name) = 0;
  virtual std::unique_ptr<SecuredKey> OpenKey(RegRoot root, const std::string& path, KeyRight right, long* error) = 0;
};

}  // namespace platform
