// Real files that Chromium and Firefox made (tests/browsers/make_profiles.sh)
// laid out in a simulated machine: each copied into a scratch tree, which
// SQLite opens, and mirrored as a file of the simulation with the copy's
// number on its volume.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/SimPlatform.h"
#include "platform/sqlite/SqliteDatabases.h"
#include "util/Text.h"

namespace hosttest {

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class MirroredProfiles : public ::testing::Test {
 protected:
  // The profiles' folder, or a failure that says how to make it.
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::exists(profiles_ / "versions"))
        << "no profiles in " << profiles_ << ": bash tests/browsers/make_profiles.sh build/browser-profiles";
    // In memory where the system has such a folder: the copies are 20 MB.
    namespace fs = std::filesystem;
    const fs::path temp = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    scratch_ = temp / ("corvane-profiles-" + std::to_string(::getpid()) + "-" +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(scratch_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(scratch_, ignored);
  }

  // Copies a real file or folder into the scratch tree, and lays it out in
  // the simulated file system at `simPath`, whose databases are the copies.
  void Mirror(const std::filesystem::path& real, const std::string& simPath) {
    namespace fs = std::filesystem;
    fs::path copy = scratch_ / std::to_string(mirrors_.size() + 1);
    fs::create_directories(copy.parent_path());
    fs::copy(real, copy, fs::copy_options::recursive | fs::copy_options::skip_symlinks);
    mirrors_.emplace_back(simPath, copy);
    if (fs::is_regular_file(copy)) {
      AddMirroredFile(simPath, copy, ReadBytes(copy));
      return;
    }
    sim_.files.AddDirectory(simPath);
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(copy)) {
      std::string inside = simPath + "\\" + entry.path().lexically_relative(copy).string();
      for (char& c : inside) c = c == '/' ? '\\' : c;
      if (entry.is_directory()) {
        sim_.files.AddDirectory(inside);
      } else if (entry.is_regular_file()) {
        // The large files are databases, which SQLite reads from the copy.
        AddMirroredFile(inside, entry.path(), entry.file_size() < (1 << 20) ? ReadBytes(entry.path()) : std::string());
      }
    }
  }

  // A file of the simulated machine standing for the real `copy`, with the
  // copy's number on its volume, which is what SQLite, opening the copy,
  // finds it holds.
  void AddMirroredFile(const std::string& simPath, const std::filesystem::path& copy, const std::string& content) {
    sim_.files.AddFile(simPath, content);
    struct stat status {};
    ASSERT_EQ(::stat(copy.c_str(), &status), 0) << copy;
    sim_.files.Lookup(simPath)->id = static_cast<uint64_t>(status.st_ino);
  }

  // The real file behind a path of the simulated machine.
  std::string RealPath(const std::string& simPath) const {
    for (const auto& [prefix, copy] : mirrors_) {
      if (simPath.size() >= prefix.size() && util::EqualNoCase(simPath.substr(0, prefix.size()), prefix) &&
          (simPath.size() == prefix.size() || simPath[prefix.size()] == '\\')) {
        std::string rest = simPath.substr(prefix.size());
        for (char& c : rest) c = c == '\\' ? '/' : c;
        return copy.string() + rest;
      }
    }
    return (scratch_ / "nowhere").string();
  }

  // The first column of every row `sql` gives on the real copy of a database.
  std::vector<std::string> Query(const std::string& simPath, const std::string& sql) const {
    std::vector<std::string> values;
    sqlite3* db = nullptr;
    sqlite3_open_v2(RealPath(simPath).c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK) << sql << ": " << sqlite3_errmsg(db);
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(stmt, 0);
      values.push_back(text ? reinterpret_cast<const char*>(text) : "NULL");
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return values;
  }

  const std::filesystem::path profiles_ = CORVANE_BROWSER_PROFILES;
  std::filesystem::path scratch_;
  std::vector<std::pair<std::string, std::filesystem::path>> mirrors_;
  platform::sim::SimPlatform sim_;
  platform::sqlite::SqliteDatabases databases_{platform::sqlite::IdentifyByPath,
                                               [this](const std::string& path) { return RealPath(path); }};
};

}  // namespace hosttest
