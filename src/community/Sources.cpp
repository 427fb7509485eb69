// Reading the definitions from where they may come from.
#include "community/Sources.h"

#include <algorithm>

#include "cleaner/UsersOwnFolder.h"
#include "files/Paths.h"
#include "util/Text.h"

namespace community {
namespace {

// Why the definitions at `path` are not to be read, or empty: a file that is
// a link, or in a folder that is not the user's own (another account owns
// it or one above it, or may change what they hold).
std::string Why(platform::Platform& platform, const std::string& folder, const std::string& file) {
  std::string why;
  if (!cleaner::IsUsersOwnFolder(platform, folder, &why)) return why;
  if (file.empty()) return {};
  platform::FindData found;
  if (!platform.files.FindFirst(file, &found)) return "it cannot be found";
  if (platform::IsLink(found)) return file + " is a link";
  return {};
}

std::string Joined(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

// Reads one file of a folder found to be the user's own.
Definitions ReadOne(platform::Platform& platform, const std::string& folder, const std::string& path, Source* source) {
  source->path = path;
  source->refused = Why(platform, folder, path);
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

Catalogue LoadCatalogue(platform::Platform& platform) {
  Catalogue catalogue;
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
    std::string folderWhy = Why(platform, program, {});
    Definitions definitions;
    if (folderWhy.empty()) {
      definitions = ReadOne(platform, program, programFile, &source);
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
    // The folder and every one above it: whoever may change one may put
    // other files in its place.
    const std::string folderWhy = names.empty() ? std::string() : Why(platform, folder, {});
    for (const std::string& name : names) {
      Source source;
      Definitions definitions;
      if (folderWhy.empty()) {
        definitions = ReadOne(platform, folder, Joined(folder, name), &source);
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
