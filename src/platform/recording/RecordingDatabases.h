// Browsers' databases, recorded. Row deletions and updates are noted with the
// rows they take, so the report and the preview count them without code per
// browser; a preview opens every database read-only and counts instead of
// changing. Inside a transaction the notes wait for its end: a commit gives
// them its outcome, a rollback drops them (the caller reports why).
#pragma once

#include <string>

#include "platform/Database.h"
#include "platform/recording/Recorder.h"

namespace platform::recording {

// The Win32 code a change's note carries for a database result.
long DbResultError(DbResult result);

class RecordingDatabases : public Databases {
 public:
  RecordingDatabases(Databases& inner, Recorder& recorder) : inner_(inner), recorder_(recorder) {}
  std::unique_ptr<Database> Open(const std::string& path, DbAccess access, uint64_t listed, DbResult* result) override;

 private:
  Databases& inner_;
  Recorder& recorder_;
};

}  // namespace platform::recording
