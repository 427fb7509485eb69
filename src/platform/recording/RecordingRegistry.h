// The registry and key security, recorded. A preview keeps the keys and
// values it removed, so a second deletion of them finds nothing, as it would.
// It says a key or value would go when it exists or cannot be read (an
// access list that an earlier change would open may hide it), and never
// claims to know what lies below a key it cannot read.
#pragma once

#include <set>
#include <string>

#include "platform/Registry.h"
#include "platform/Security.h"
#include "platform/recording/Recorder.h"
#include "platform/recording/RemovedNames.h"
#include "util/Text.h"

namespace platform::recording {

class RecordingRegistry : public Registry {
 public:
  RecordingRegistry(Registry& inner, Recorder& recorder) : inner_(inner), recorder_(recorder) {}

  std::unique_ptr<RegKey> Open(RegRoot root, const std::string& path, RegAccess access, bool create,
                               long* error) override;
  long DeleteTree(RegRoot root, const std::string& path) override;
  long DeleteValue(RegRoot root, const std::string& path, const std::string& name) override;

  // For the keys: a preview's view of a value, and noting a change to one.
  bool RemovedKey(const std::string& keyName) const { return removedKeys_.Contains(keyName); }
  bool RemovedValue(const std::string& keyName, const std::string& name) const;
  void SetValueRemoved(const std::string& keyName, const std::string& name, bool removed);
  // Notes a change and returns its error; removing what is not there is
  // nothing to do and is not noted.
  long Outcome(ChangeKind kind, const std::string& keyName, const std::string& name, long error);
  Recorder& recorder() { return recorder_; }

 private:
  // Whether the key is there for a preview: kErrorFileNotFound when not;
  // a key that exists but cannot be read counts as there.
  long Probe(RegRoot root, const std::string& path);

  Registry& inner_;
  Recorder& recorder_;
  RemovedNames removedKeys_;
  std::set<std::string, util::LessNoCase> removedValues_;  // key name, '\n', value name
};

class RecordingSecurity : public Security {
 public:
  RecordingSecurity(Security& inner, RecordingRegistry& registry) : inner_(inner), registry_(registry) {}

  std::unique_ptr<AccessToken> OpenProcessTokenForQuery(long* error) override;
  std::string TokenUserSid(const void* buffer) override;
  bool LogonUserName(uint32_t bufferChars, std::string* name) override;
  std::unique_ptr<SecuredKey> OpenKey(RegRoot root, const std::string& path, KeyRight right, long* error) override;

 private:
  Security& inner_;
  RecordingRegistry& registry_;
};

}  // namespace platform::recording
