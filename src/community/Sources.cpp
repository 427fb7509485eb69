// Reading the definitions from where they may come from.
#include "community/Sources.h"

#include <algorithm>

#include "files/Paths.h"
#include "util/Text.h"

namespace community {
namespace {

// Who may change a file without being another account: the system, the
// administrators (who may do anything anyway), the installer's account,
// and the owner's own entry (OWNER RIGHTS: the owner is checked apart).
const char* const kTrusted[] = {"S-1-5-18", "S-1-5-32-544",
                                "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", "S-1-3-4"};

// The rights that let an account change a file or what a folder holds:
// write data or add a file, append or add a folder, delete a child,
// delete, change the access list or the owner, and the generic ones.
constexpr uint32_t kWriteRights = 0x2 | 0x4 | 0x40 | 0x10000 | 0x40000 | 0x80000 | 0x10000000 | 0x40000000;

// A SID's text form ("S-1-5-21-...") from its bytes.
std::string SidText(const std::string& bytes) {
  if (bytes.size() < 8) return {};
  const auto byte = [&bytes](size_t i) { return static_cast<uint64_t>(static_cast<unsigned char>(bytes[i])); };
  uint64_t authority = 0;
  for (size_t i = 2; i < 8; ++i) authority = (authority << 8) | byte(i);
  std::string text = "S-" + std::to_string(byte(0)) + "-" + std::to_string(authority);
  const size_t count = byte(1);
  for (size_t k = 0; k < count && 8 + 4 * k + 3 < bytes.size(); ++k) {
    const size_t at = 8 + 4 * k;
    text += "-" + std::to_string(byte(at) | byte(at + 1) << 8 | byte(at + 2) << 16 | byte(at + 3) << 24);
  }
  return text;
}

std::string UserSid(platform::Platform& platform) {
  long error = 0;
  std::unique_ptr<platform::AccessToken> token = platform.security.OpenProcessTokenForQuery(&error);
  if (!token) return {};
  uint32_t needed = 0;
  token->QueryUser(nullptr, 0, &needed);
  if (needed == 0 || needed > 4096) return {};
  std::vector<uint64_t> buffer((needed + 7) / 8);
  if (token->QueryUser(buffer.data(), needed, &needed) != platform::kErrorSuccess) return {};
  return SidText(platform.security.TokenUserSid(buffer.data()));
}

bool IsTrusted(const std::string& sid, const std::string& user) {
  return sid == user ||
         std::any_of(std::begin(kTrusted), std::end(kTrusted), [&sid](const char* t) { return sid == t; });
}

std::string Why(platform::Platform& platform, const std::string& path, const std::string& user) {
  platform::FindData found;
  if (!platform.files.FindFirst(path, &found)) return "it cannot be found";
  if (platform::IsLink(found)) return path + " is a link";
  platform::ObjectSecurity security;
  if (long error = platform.files.QuerySecurity(path, &security); error != platform::kErrorSuccess) {
    return "who may change " + path + " cannot be told (error " + std::to_string(error) + ")";
  }
  if (user.empty()) return "the account Corvane runs as cannot be told";
  if (!IsTrusted(security.owner, user)) return path + " belongs to another account (" + security.owner + ")";
  if (!security.hasAccessList) return "every account may change " + path;
  for (const platform::AccessEntry& entry : security.entries) {
    if (!entry.allows || (entry.flags & platform::kInheritOnlyAce) || !(entry.mask & kWriteRights)) continue;
    if (!IsTrusted(entry.sid, user)) return "another account (" + entry.sid + ") may change " + path;
  }
  return {};
}

std::string Joined(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

// Reads one file, `trusted` the folders checked above it.
Definitions ReadOne(platform::Platform& platform, const std::string& path, const std::string& user, Source* source) {
  source->path = path;
  source->refused = Why(platform, path, user);
  if (!source->refused.empty()) return {};
  std::string bytes;
  long error = platform.files.ReadWholeFile(path, &bytes, kMaxDefinitionBytes);
  if (error == platform::kErrorFileTooLarge) {
    source->refused = "larger than " + std::to_string(kMaxDefinitionBytes / (1024 * 1024)) + " MB";
  } else if (error != platform::kErrorSuccess) {
    source->refused = "it cannot be read (error " + std::to_string(error) + ")";
  }
  if (!source->refused.empty()) return {};
  Definitions definitions = ParseDefinitions(bytes, path);
  source->refused = definitions.refused;
  source->version = definitions.version;
  source->problems = definitions.problems;
  source->entries = definitions.entries.size();
  return definitions;
}

// The *.ini files of a folder, in the order they are read.
std::vector<std::string> IniFiles(platform::FileSystem& files, const std::string& folder) {
  std::vector<std::string> names;
  platform::FindData found;
  std::unique_ptr<platform::FileFind> find = files.FindFirst(Joined(folder, "*.ini"), &found);
  if (!find) return names;
  do {
    // The pattern would also take "a.ini2" by its short name.
    const bool ini = found.name.size() > 4 && util::EqualNoCase(found.name.substr(found.name.size() - 4), ".ini");
    if (ini && !(found.attributes & platform::kAttrDirectory)) names.push_back(found.name);
  } while (find->Next(&found));
  // The downloaded copy first, so the user's own rules replace its entries.
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const bool aFirst = util::EqualNoCase(a, kProgramDefinitions), bFirst = util::EqualNoCase(b, kProgramDefinitions);
    return aFirst != bFirst ? aFirst : util::CompareNoCase(a, b) < 0;
  });
  return names;
}

}  // namespace

const Entry* Catalogue::Find(const std::string& name) const {
  auto it = std::find_if(entries.begin(), entries.end(),
                         [&name](const Entry& entry) { return util::EqualNoCase(entry.name, name); });
  return it == entries.end() ? nullptr : &*it;
}

std::string UserDefinitionsFolder(platform::Platform& platform) {
  std::string appData;
  if (!platform.shell.SpecialFolder(platform::kCsidlAppData, &appData)) return {};
  return Joined(appData, kUserDefinitionsFolder);
}

std::string WhyOthersCanWrite(platform::Platform& platform, const std::string& path) {
  return Why(platform, path, UserSid(platform));
}

Catalogue LoadCatalogue(platform::Platform& platform) {
  Catalogue catalogue;
  const std::string user = UserSid(platform);
  std::vector<Entry> all;  // in the order read
  auto take = [&](Definitions definitions, const Source& source) {
    catalogue.read += definitions.sections;
    catalogue.refused += definitions.leftOut;
    catalogue.skippedKeys += source.problems.size() - definitions.leftOut;
    for (Entry& entry : definitions.entries) all.push_back(std::move(entry));
  };

  std::string program = files::FolderOf(platform.process.ExecutablePath());
  while (program.size() > 3 && program.back() == '\\') program.pop_back();
  const std::string programFile = Joined(program, kProgramDefinitions);
  if (platform.files.IsFile(programFile)) {
    Source source;
    std::string folderWhy = Why(platform, program, user);
    Definitions definitions;
    if (folderWhy.empty()) {
      definitions = ReadOne(platform, programFile, user, &source);
    } else {
      source.path = programFile;
      source.refused = folderWhy;
    }
    take(std::move(definitions), source);
    catalogue.sources.push_back(std::move(source));
  }
  // The shared folder beside the program, which every account may write.
  const std::string shared = Joined(program, "Settings");
  for (const std::string& name : IniFiles(platform.files, shared)) {
    catalogue.sources.push_back(
        {Joined(shared, name), "not read: every account may change the files of this shared folder", 0, {}, {}});
  }

  const std::string folder = UserDefinitionsFolder(platform);
  std::string appData;
  if (!folder.empty() && platform.shell.SpecialFolder(platform::kCsidlAppData, &appData)) {
    std::vector<std::string> names = IniFiles(platform.files, folder);
    // The folders below the one the system named are checked too: whoever
    // may change one may put other files in its place.
    std::string folderWhy;
    if (!names.empty()) folderWhy = Why(platform, Joined(appData, "Corvane"), user);
    if (folderWhy.empty() && !names.empty()) folderWhy = Why(platform, folder, user);
    for (const std::string& name : names) {
      Source source;
      Definitions definitions;
      if (folderWhy.empty()) {
        definitions = ReadOne(platform, Joined(folder, name), user, &source);
      } else {
        source.path = Joined(folder, name);
        source.refused = folderWhy;
      }
      take(std::move(definitions), source);
      catalogue.sources.push_back(std::move(source));
    }
  }
  // The last entry read of each name replaces the ones before it.
  std::vector<size_t> order(all.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  auto by = [&all](std::string Entry::*first, std::string Entry::*second) {
    return [&all, first, second](size_t a, size_t b) {
      const int c = util::CompareNoCase(all[a].*first, all[b].*first);
      if (c != 0) return c < 0;
      const int d = util::CompareNoCase(all[a].*second, all[b].*second);
      return d != 0 ? d < 0 : a < b;
    };
  };
  std::sort(order.begin(), order.end(), by(&Entry::name, &Entry::name));
  std::vector<size_t> kept;
  for (size_t i = 0; i < order.size(); ++i) {
    if (i + 1 == order.size() || !util::EqualNoCase(all[order[i]].name, all[order[i + 1]].name))
      kept.push_back(order[i]);
  }
  std::sort(kept.begin(), kept.end(), by(&Entry::group, &Entry::name));
  for (size_t i : kept) catalogue.entries.push_back(std::move(all[i]));
  return catalogue;
}

}  // namespace community
