// The application steps: the recent lists and history files of ten applications.
#include <string>

#include "cleaner/CleanerSteps.h"

namespace cleaner {
namespace {

const char kMediaPlayer[] = "Software\\Microsoft\\MediaPlayer\\Player\\";
const char kRealPlayerPrefs[] = "Software\\RealNetworks\\RealPlayer\\6.0\\Preferences\\";

}  // namespace

void CleanerSteps::MSMediaPlayerCleaner() {
  DeleteRegKey(std::string(kMediaPlayer) + "RecentFileList");
  DeleteRegKey(std::string(kMediaPlayer) + "RecentURLList");
  DeleteRegValue(std::string(kMediaPlayer) + "Settings", "OpenDir");
  if (GetSpecialFolder(platform::kCsidlAppData, &path_)) {
    DeleteFilesByMask(path_, path_ + "\\Microsoft\\Media Player\\", "*.*");
  }
  if (GetSpecialFolder(platform::kCsidlCommonAppData, &path_)) {
    DeleteFilesByMask(path_, path_ + "\\Microsoft\\Media Index\\", "*.*");
  }
  if (!GetSpecialFolder(platform::kCsidlWindows, &path_)) return;
  platform_.files.RemoveFile(path_ + "\\wmplibrary_v_0_12.db");
  platform_.files.RemoveFile(path_ + "\\wmplibrary_v_0_12.lrd");
  DeleteFilesByMask(path_, path_ + "\\All Users\\Application Data\\Microsoft\\Media Index\\", "*.*");
}

void CleanerSteps::ACDSeeCleaner() {
  for (const char* name : {"LastFolder", "OpenFolder", "Favorites", "ImageDB", "HistPaths", "HistMCFDestFolder"}) {
    DeleteRegValue("Software\\ACD Systems\\ACDSee", name);
  }
  if (GetSpecialFolder(platform::kCsidlCommonAppData, &path_)) {
    // "Systems", not "ACD Systems", is deliberate: the folder this cleaner has always emptied. Do not correct it.
    DeleteFilesByMask(path_, path_ + "\\Systems\\ACDSee\\", "imageDB.*");
  }
  for (const char* name :
       {"ImageDB", "OpenFolder", "HistMCFDestFolder", "HistPaths", "HistSearchText", "HistFileFilters"}) {
    DeleteRegValue("Software\\ACD Systems\\ACDSee\\50", name);
  }
}

void CleanerSteps::AcrobatReaderCleaner() {
  for (int n = 1; n <= 4; ++n) {
    DeleteRegValue("Software\\Adobe\\Acrobat Reader\\4.0\\AdobeViewer", "avpRecentFile" + std::to_string(n));
  }
  for (int n = 1; n <= 8; ++n) {
    DeleteRegKey("Software\\Adobe\\Acrobat Reader\\5.0\\AVGeneral\\cRecentFiles\\c" + std::to_string(n));
  }
  for (int n = 1; n <= 5; ++n) {
    DeleteRegKey("Software\\Adobe\\Acrobat Reader\\6.0\\AVGeneral\\cRecentFiles\\c" + std::to_string(n));
  }
}

void CleanerSteps::MSWordCleaner() {
  for (const char* version : {"9.0", "10.0"}) {
    DeleteRegValue(std::string("Software\\Microsoft\\Office\\") + version + "\\Word\\Data", "settings");
    if (GetSpecialFolder(platform::kCsidlCommonAppData, &path_)) {
      DeleteFilesByMask(path_, path_ + "\\Microsoft\\Office\\Recent\\", "*.doc");
    }
  }
}

void CleanerSteps::InfranViewCleaner() {
  // IrfanView 3 is a 32-bit program: on 64-bit Windows it is installed in
  // Program Files (x86), on 32-bit Windows in Program Files, which is then
  // what both names give.
  std::string first;
  for (int csidl : {platform::kCsidlProgramFiles, platform::kCsidlProgramFilesX86}) {
    if (!GetSpecialFolder(csidl, &path_) || (!first.empty() && platform_.files.SameName(path_, first))) continue;
    first = path_;
    filePath_ = path_ + "\\IrfanView\\i_view32.ini";
    if (!platform_.files.IsFile(filePath_)) continue;
    // Each key is kept with an empty value; a file that cannot be written is
    // left as it is, like every other failure of a cleaner.
    struct Entry {
      const char* section;
      const char* key;
    };
    static const Entry kEntries[] = {{"Open", "OpenIndex"}, {"Open", "OpenDir"}, {"MRUD", "Dir1"}, {"MRUD", "Dir2"},
                                     {"MRUD", "Dir3"},      {"MRUD", "Dir4"},    {"MRUD", "Dir5"}};
    for (const Entry& entry : kEntries) platform_.files.WriteIniString(filePath_, entry.section, entry.key, "");
  }
}

void CleanerSteps::MSImagingCleaner() { DeleteRegKey("Software\\Kodak\\Imaging\\Recent File List"); }

void CleanerSteps::MSPaintCleaner() {
  DeleteRegKey("Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List");
}

void CleanerSteps::WinRarCleaner() {
  for (const char* name : {"0", "1", "2", "3"}) DeleteRegValue("Software\\WinRAR\\ArcHistory", name);
  DeleteRegKey("Software\\WinRAR\\DialogEditHistory\\ExtrPath");
}

void CleanerSteps::RealOneCleaner() {
  for (int n = 1; n <= 8; ++n) DeleteRegKey(kRealPlayerPrefs + std::string("MostRecentClips") + std::to_string(n));
  DeleteRegKey(kRealPlayerPrefs + std::string("LastOpenFileDir"));
  if (!GetSpecialFolder(platform::kCsidlCommonAppData, &path_)) return;
  // "RealRealOne" is deliberate: the folder this cleaner has always emptied. Do not correct it.
  filePath_ = path_ + "\\RealRealOne Player\\";
  for (const char* mask : {"cookies.txt", "ctd.dat", "realplayer.ste", "urls.ini"}) {
    DeleteFilesByMask(path_, filePath_, mask);
  }
  DeleteFilesByMask(path_, filePath_ + "history\\", "*.*");
}

void CleanerSteps::PowerDVDCleaner() {
  if (GetSpecialFolder(platform::kCsidlPersonal, &path_)) {
    DeleteFilesByMask(path_, path_ + "\\CyberLink\\PowerDVD\\", "*.pls");
  }
}

}  // namespace cleaner
