// The reader of the winapp2.ini format, over the text as it is: every key
// understood or skipped and named, nothing guessed.
#include <algorithm>
#include <set>

#include "community/Definitions.h"
#include "community/Variables.h"
#include "util/Text.h"

namespace community {
namespace {

using std::string_view;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

string_view Trim(string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

bool Same(string_view a, string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (util::ToLowerAscii(a[i]) != util::ToLowerAscii(b[i])) return false;
  }
  return true;
}

bool StartsWith(string_view text, string_view prefix) {
  return text.size() >= prefix.size() && Same(text.substr(0, prefix.size()), prefix);
}

std::vector<string_view> Split(string_view text, char separator) {
  std::vector<string_view> parts;
  for (size_t from = 0;;) {
    const size_t cut = text.find(separator, from);
    parts.push_back(text.substr(from, cut == string_view::npos ? string_view::npos : cut - from));
    if (cut == string_view::npos) return parts;
    from = cut + 1;
  }
}

std::string Quoted(string_view text) { return "\"" + std::string(text) + "\""; }

// The error of a path as the format writes one, or empty: each variable
// known, the path full (a variable, a drive or a share at its start), and
// no part that leads upward.
std::string PathError(string_view path) {
  if (path.empty()) return "no folder";
  for (size_t at = path.find('%'); at != string_view::npos;) {
    const size_t end = path.find('%', at + 1);
    string_view name = path.substr(at + 1, end == string_view::npos ? string_view::npos : end - at - 1);
    const bool word = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
      return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
    if (end == string_view::npos || !word) {
      // Named up to where a variable's name cannot go on.
      size_t length = 0;
      while (length < name.size() && name[length] != '\\' && name[length] != '|' && name[length] != '%') ++length;
      if (length == 0) return "a \"%\" with no variable's name after it in " + Quoted(path);
      return "unknown variable " + Quoted("%" + std::string(name.substr(0, length)));
    }
    if (!VariableNamed(name)) return "unknown variable " + Quoted("%" + std::string(name) + "%");
    at = path.find('%', end + 1);
  }
  const bool drive = path.size() >= 2 && path[1] == ':' && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') &&
                     (path.size() == 2 || path[2] == '\\');
  if (path[0] != '%' && !drive && !StartsWith(path, "\\\\")) return "not a full path: " + Quoted(path);
  for (string_view part : Split(path, '\\')) {
    if (Trim(part) == ".." || Trim(part) == ".") return "a folder named " + Quoted(Trim(part)) + " in " + Quoted(path);
  }
  return {};
}

// A path with its separators made single backslashes and none at its end.
std::string NormalPath(string_view text) {
  std::string path;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i] == '/' ? '\\' : text[i];
    // A share's two leading separators stay.
    if (c == '\\' && !path.empty() && path.back() == '\\' && i > 1) continue;
    path += c;
  }
  while (path.size() > 1 && path.back() == '\\') path.pop_back();
  return path;
}

// "HKCU\Software\..." and the long names of the roots.
bool ParseRegistryPath(string_view text, RegistryPath* at, std::string* error) {
  text = Trim(text);
  const size_t cut = text.find('\\');
  string_view root = text.substr(0, cut);
  static const struct {
    const char* shortName;
    const char* longName;
    Hive hive;
  } kRoots[] = {{"HKCU", "HKEY_CURRENT_USER", Hive::CurrentUser},
                {"HKLM", "HKEY_LOCAL_MACHINE", Hive::LocalMachine},
                {"HKCR", "HKEY_CLASSES_ROOT", Hive::ClassesRoot},
                {"HKU", "HKEY_USERS", Hive::Users},
                {"HKCC", "HKEY_CURRENT_CONFIG", Hive::CurrentConfig}};
  for (const auto& known : kRoots) {
    if (!Same(root, known.shortName) && !Same(root, known.longName)) continue;
    at->hive = known.hive;
    std::string path(cut == string_view::npos ? string_view() : text.substr(cut + 1));
    while (!path.empty() && path.back() == '\\') path.pop_back();
    while (!path.empty() && path.front() == '\\') path.erase(0, 1);
    at->path = std::move(path);
    return true;
  }
  *error = root.empty() ? "no registry key" : "unknown root " + Quoted(root);
  return false;
}

std::vector<std::string> Names(string_view list) {
  std::vector<std::string> names;
  for (string_view name : Split(list, ';')) {
    name = Trim(name);
    if (!name.empty()) names.emplace_back(name);
  }
  return names;
}

// "6.1", "10": major * 100 + minor.
bool ParseVersion(string_view text, std::optional<uint32_t>* version) {
  text = Trim(text);
  if (text.empty()) return true;
  uint32_t major = 0, minor = 0;
  bool dot = false;
  for (char c : text) {
    if (c == '.' && !dot) {
      dot = true;
    } else if (c >= '0' && c <= '9') {
      uint32_t& part = dot ? minor : major;
      if (part > 1000) return false;
      part = part * 10 + static_cast<uint32_t>(c - '0');
    } else {
      return false;
    }
  }
  if (minor >= 100) return false;
  *version = major * 100 + minor;
  return true;
}

// One entry as its keys come.
class EntryReader {
 public:
  explicit EntryReader(Entry* entry) : entry_(entry) {}

  // The error of a key, or empty when it was understood.
  std::string Read(string_view name, string_view number, string_view value);

 private:
  std::string FileKey(const std::string& key, string_view value);
  std::string RegKey(const std::string& key, string_view value);
  std::string ExcludeKey(const std::string& key, string_view value);

  Entry* entry_;
};

std::string EntryReader::Read(string_view name, string_view number, string_view value) {
  const std::string key = std::string(name) + std::string(number);
  const bool numbered = !number.empty();
  Entry& e = *entry_;
  if (Same(name, "FileKey")) return FileKey(key, value);
  if (Same(name, "RegKey")) return RegKey(key, value);
  if (Same(name, "ExcludeKey")) return ExcludeKey(key, value);
  if (Same(name, "Detect")) {
    RegistryPath at;
    std::string error;
    if (value.find('|') != string_view::npos) return "a registry key to detect has no value name";
    if (!ParseRegistryPath(value, &at, &error)) return error;
    e.detectKeys.push_back(std::move(at));
    return {};
  }
  if (Same(name, "DetectFile")) {
    std::string error = PathError(value);
    if (error.empty()) e.detectFiles.push_back(NormalPath(value));
    return error;
  }
  if (Same(name, "SpecialDetect")) {
    static const struct {
      const char* name;
      SpecialDetect detect;
    } kSpecial[] = {{"DET_CHROME", SpecialDetect::Chrome},
                    {"DET_MOZILLA", SpecialDetect::Mozilla},
                    {"DET_THUNDERBIRD", SpecialDetect::Thunderbird},
                    {"DET_OPERA", SpecialDetect::Opera}};
    for (const auto& special : kSpecial) {
      if (!Same(value, special.name)) continue;
      e.specialDetects.push_back(special.detect);
      return {};
    }
    return "unknown detection " + Quoted(value);
  }
  if (numbered) return "unknown key " + Quoted(key);
  if (Same(name, "LangSecRef")) {
    if (value.empty() || !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      return "not a number: " + Quoted(value);
    }
    if (e.group.empty()) e.group = GroupOfLangSecRef(value);
    return {};
  }
  if (Same(name, "Section")) {
    if (value.empty()) return "no section name";
    e.group = std::string(value);  // a Section is the entry's own word, over a LangSecRef
    return {};
  }
  if (Same(name, "DetectOS")) {
    std::vector<string_view> ends = Split(value, '|');
    OsRange range;
    if (ends.size() != 2 || !ParseVersion(ends[0], &range.min) || !ParseVersion(ends[1], &range.max)) {
      return "not a range of Windows versions (min|max): " + Quoted(value);
    }
    e.detectOs = range;
    return {};
  }
  if (Same(name, "Default")) {
    if (!Same(value, "True") && !Same(value, "False")) return "neither True nor False: " + Quoted(value);
    e.byDefault = Same(value, "True");
    return {};
  }
  if (Same(name, "Warning")) {
    e.warning = std::string(value);
    return {};
  }
  return "unknown key " + Quoted(key);
}

std::string EntryReader::FileKey(const std::string& key, string_view value) {
  std::vector<string_view> parts = Split(value, '|');
  if (parts.size() < 2) return "no \"|\" between the folder and the files";
  if (parts.size() > 3) return "more than one flag after the files";
  FileRule rule;
  rule.key = key;
  string_view folder = Trim(parts[0]);
  if (std::string error = PathError(folder); !error.empty()) return error;
  rule.folder = NormalPath(folder);
  rule.patterns = Names(parts[1]);
  if (rule.patterns.empty()) return "no file pattern";
  for (const std::string& pattern : rule.patterns) {
    if (pattern.find_first_of("\\/") != std::string::npos) return "a pattern names a folder: " + Quoted(pattern);
  }
  if (parts.size() == 3) {
    string_view flag = Trim(parts[2]);
    if (Same(flag, "RECURSE")) {
      rule.recurse = true;
    } else if (Same(flag, "REMOVESELF")) {
      rule.recurse = rule.removeSelf = true;
    } else {
      return "unknown flag " + Quoted(flag);
    }
  }
  entry_->files.push_back(std::move(rule));
  return {};
}

std::string EntryReader::RegKey(const std::string& key, string_view value) {
  std::vector<string_view> parts = Split(value, '|');
  if (parts.size() > 2) return "more than one \"|\"";
  RegistryRule rule;
  rule.key = key;
  std::string error;
  if (!ParseRegistryPath(parts[0], &rule.at, &error)) return error;
  if (parts.size() == 2) rule.value = std::string(parts[1]);
  entry_->registry.push_back(std::move(rule));
  return {};
}

std::string EntryReader::ExcludeKey(const std::string& key, string_view value) {
  std::vector<string_view> parts = Split(value, '|');
  Exclusion exclusion;
  exclusion.key = key;
  string_view kind = Trim(parts[0]);
  if (Same(kind, "REG")) {
    if (parts.size() < 2 || parts.size() > 3) return "not REG|key or REG|key|value";
    exclusion.kind = Exclusion::Kind::Registry;
    std::string error;
    if (!ParseRegistryPath(parts[1], &exclusion.at, &error)) return error;
    if (parts.size() == 3) exclusion.value = std::string(parts[2]);
    entry_->exclusions.push_back(std::move(exclusion));
    return {};
  }
  if (Same(kind, "FILE")) {
    exclusion.kind = Exclusion::Kind::File;
  } else if (Same(kind, "PATH")) {
    exclusion.kind = Exclusion::Kind::Path;
  } else {
    return "unknown kind " + Quoted(kind) + " (FILE, PATH or REG)";
  }
  if (parts.size() != 3) return "not " + std::string(kind) + "|folder\\|files";
  string_view folder = Trim(parts[1]);
  if (std::string error = PathError(folder); !error.empty()) return error;
  exclusion.folder = NormalPath(folder);
  exclusion.names = Names(parts[2]);
  if (exclusion.names.empty()) return "no file named";
  entry_->exclusions.push_back(std::move(exclusion));
  return {};
}

// UTF-16 with its byte-order mark, as UTF-8; false for an odd length.
bool Utf16ToUtf8(string_view bytes, bool bigEndian, std::string* text) {
  if (bytes.size() % 2) return false;
  for (size_t i = 0; i < bytes.size(); i += 2) {
    auto unit = [&](size_t at) {
      const auto a = static_cast<unsigned char>(bytes[at]), b = static_cast<unsigned char>(bytes[at + 1]);
      return static_cast<char32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    char32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
      const char32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    if (c < 0x80) {
      *text += static_cast<char>(c);
    } else if (c < 0x800) {
      *text += static_cast<char>(0xC0 | (c >> 6));
      *text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      *text += static_cast<char>(0xE0 | (c >> 12));
      *text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      *text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      *text += static_cast<char>(0xF0 | (c >> 18));
      *text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      *text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      *text += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return true;
}

bool IsUtf8(string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

// The text as UTF-8, or why it is none.
std::string Decode(string_view bytes, std::string* converted, string_view* text) {
  if (bytes.size() >= 2 && (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")) {
    if (!Utf16ToUtf8(bytes.substr(2), bytes[0] == '\xFE', converted)) return "not a text file";
    *text = *converted;
  } else {
    *text = bytes.substr(0, 3) == "\xEF\xBB\xBF" ? bytes.substr(3) : bytes;
  }
  if (text->find('\0') != string_view::npos) return "not a text file";
  if (!IsUtf8(*text)) return "not text in UTF-8 (save it as UTF-8)";
  return {};
}

}  // namespace

std::string Problem::Text() const {
  std::string text = entry.empty() ? std::string("before the first entry") : entry;
  if (!key.empty()) text += ", " + key;
  return text + " (line " + std::to_string(line) + "): " + what;
}

std::string GroupOfLangSecRef(string_view number) {
  static const struct {
    const char* number;
    const char* group;
  } kGroups[] = {{"3001", "Internet Explorer"},
                 {"3005", "Microsoft Edge (legacy)"},
                 {"3006", "Microsoft Edge"},
                 {"3021", "Applications"},
                 {"3022", "Internet"},
                 {"3023", "Multimedia"},
                 {"3024", "Utilities"},
                 {"3025", "Windows"},
                 {"3026", "Firefox"},
                 {"3027", "Opera"},
                 {"3028", "Safari"},
                 {"3029", "Google Chrome"},
                 {"3030", "Thunderbird"},
                 {"3031", "Windows Store"},
                 {"3032", "CCleaner Browser"},
                 {"3033", "Vivaldi"},
                 {"3034", "Brave"},
                 {"3035", "Opera GX"},
                 {"3036", "Spotify"},
                 {"3037", "Avast Secure Browser"},
                 {"3038", "AVG Secure Browser"},
                 {"3039", "Arc Browser"},
                 {"3040", "iTunes"},
                 {"3042", "WhatsApp"},
                 {"3043", "Norton Private Browser"},
                 {"3044", "Avira Secure Browser"}};
  for (const auto& known : kGroups) {
    if (number == known.number) return known.group;
  }
  return std::string(number);
}

Definitions ParseDefinitions(string_view bytes, const std::string& source) {
  Definitions definitions;
  if (bytes.size() > kMaxDefinitionBytes) {
    definitions.refused = "larger than " + std::to_string(kMaxDefinitionBytes / (1024 * 1024)) + " MB";
    return definitions;
  }
  std::string converted;
  string_view text;
  definitions.refused = Decode(bytes, &converted, &text);
  if (!definitions.refused.empty()) return definitions;

  std::set<std::string, util::LessNoCase> names;
  Entry* entry = nullptr;  // the entry the keys belong to; null when they belong to none
  std::string skippedEntry;
  auto note = [&](std::string key, std::string what, size_t line) {
    definitions.problems.push_back({entry ? entry->name : skippedEntry, std::move(key), std::move(what), line});
  };
  // An entry with nothing left to clean stands, but is no cleaner: named.
  auto close = [&](size_t line) {
    if (entry && !entry->HasRules()) {
      note({}, "nothing left to clean: the entry is not offered", line);
      ++definitions.leftOut;
    }
    entry = nullptr;
  };
  size_t number = 0;
  for (size_t from = 0; from < text.size();) {
    size_t end = text.find('\n', from);
    if (end == string_view::npos) end = text.size();
    string_view line = Trim(text.substr(from, end - from));
    from = end + 1;
    ++number;
    if (line.empty()) continue;
    if (line[0] == ';') {
      string_view comment = Trim(line.substr(1));
      if (definitions.version.empty() && StartsWith(comment, "Version:")) definitions.version = std::string(comment);
      continue;
    }
    if (line[0] == '[') {
      close(number - 1);
      ++definitions.sections;
      if (line.back() != ']') {
        skippedEntry = std::string(line);
        note({}, "no \"]\" at the end of the entry's name", number);
        ++definitions.leftOut;
        continue;
      }
      string_view name = Trim(line.substr(1, line.size() - 2));
      if (name.size() >= 2 && name.back() == '*' && IsBlank(name[name.size() - 2]))
        name = Trim(name.substr(0, name.size() - 1));
      skippedEntry = std::string(name.empty() ? line : name);
      if (name.empty()) {
        note({}, "an entry without a name", number);
        ++definitions.leftOut;
      } else if (!names.insert(std::string(name)).second) {
        note({}, "a second entry of this name: the first one is used", number);
        ++definitions.leftOut;
      } else {
        definitions.entries.emplace_back();
        entry = &definitions.entries.back();
        entry->name = std::string(name);
        entry->source = source;
      }
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == string_view::npos) {
      if (entry || skippedEntry.empty()) note({}, "not a key: " + Quoted(line), number);
      continue;
    }
    string_view key = Trim(line.substr(0, equals));
    size_t digits = key.size();
    while (digits > 0 && key[digits - 1] >= '0' && key[digits - 1] <= '9') --digits;
    if (!entry) {
      // The keys of an entry already named as skipped are skipped with it.
      if (skippedEntry.empty()) note(std::string(key), "outside any entry", number);
      continue;
    }
    std::string error =
        EntryReader(entry).Read(key.substr(0, digits), key.substr(digits), Trim(line.substr(equals + 1)));
    if (!error.empty()) note(std::string(key), std::move(error), number);
  }
  close(number);
  for (Entry& e : definitions.entries) {
    if (e.group.empty()) e.group = "Applications";
  }
  if (definitions.entries.empty()) definitions.refused = "it holds no entry";
  return definitions;
}

}  // namespace community
