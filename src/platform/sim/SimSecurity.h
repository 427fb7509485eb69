// Simulated accounts and key security over the simulated registry: a process
// token with a settable user SID, a logon name, DACLs kept on the registry's
// keys, subkeys enumerated by index. Every call can be made to fail.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/Security.h"
#include "platform/sim/SimGate.h"
#include "platform/sim/SimRegistry.h"

namespace platform::sim {

// A SID's bytes: revision 1, the authority's six bytes, the sub-authorities.
std::string MakeSidBytes(const unsigned char (&authority)[6], const std::vector<uint32_t>& subAuthorities);

class SimSecurity : public Security {
 public:
  explicit SimSecurity(SimRegistry& registry);

  std::unique_ptr<AccessToken> OpenProcessTokenForQuery(long* error) override;
  std::string TokenUserSid(const void* buffer) override;
  bool LogonUserName(uint32_t bufferChars, std::string* name) override;
  std::unique_ptr<SecuredKey> OpenKey(RegRoot root, const std::string& path, KeyRight right, long* error) override;

  // The machine's state and faults, for tests.
  std::string userSid;  // S-1-5-21-1004336348-1177238915-682003330-1001 by default
  std::string userName = "alice";
  long tokenOpenError = 0;   // non-zero: the token does not open
  long tokenQueryError = 0;  // non-zero: the user query fails with it
  bool userNameFails = false;
  // Keys (root-relative paths, as opened) whose list cannot be read: read-control access is refused.
  std::vector<std::string> listUnreadable;
  // The descriptor a key without one of its own reports.
  std::string defaultDescriptor;
  // Every DACL written, in order: the key's path (root-relative) and the descriptor.
  std::vector<std::pair<std::string, std::string>> daclWrites;
  // The descriptor a key carries now (the default when it has none); empty when the key is missing.
  std::string DescriptorOf(RegRoot root, const std::string& path);
  // Holds a worker in "SetDacl".
  SimGate gate;

  SimRegistry& registry() { return registry_; }

 private:
  SimRegistry& registry_;
};

}  // namespace platform::sim
