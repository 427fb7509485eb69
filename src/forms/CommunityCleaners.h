// The community cleaners window: the entries of the winapp2.ini definitions
// whose applications are on this machine, grouped by section, each with a
// check box that chooses it for every cleaning; a filter; where the
// definitions came from and what was read, found and refused. Made on its
// first showing: nothing is read before someone asks.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "community/Sources.h"
#include "services/Services.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/InputControls.h"

namespace forms {

// Asked before an entry that deletes saved passwords is chosen; followed by the entry's name.
constexpr const char* kPasswordsQuestion =
    "This cleaner deletes the passwords a browser saved (Login Data, logins.json, key4.db), which Corvane never does "
    "on its own. Choose it anyway? ";
// Follows an entry's own warning.
constexpr const char* kWarningQuestion = "Choose it anyway?";

class TCommunityCleaners : public ui::Form {
 public:
  explicit TCommunityCleaners(services::Services& app);
  // A download still going is cancelled and waited for.
  ~TCommunityCleaners() override;

  // Reads the definitions, finds which applications are here, and shows them.
  void FormShow();
  void FilterBoxChange();
  // The user ticked or cleared line `index`: a warning or saved passwords
  // ask first, and the choice is stored at once.
  void EntryListToggle(int index);

  // "Get the latest": fetches the definitions on a thread of its own, with
  // the progress shown and Cancel offered; the end is told on this thread.
  void GetLatestButtonClick();
  void CancelButtonClick();
  void DownloadEnded(const std::string& message, bool kept);

  // The entry of a line; null for a heading.
  const community::Entry* EntryOfLine(int index) const;

  ui::TextBox* FilterBox;
  ui::CheckList* EntryList;
  ui::Control* CountsLabel;   // read, detected, refused
  ui::Control* SourcesLabel;  // where the definitions came from
  ui::Control* LicenceLabel;
  ui::Control* GetLatestButton;
  ui::ProgressBar* Progress;
  ui::Control* CancelButton;

 private:
  void ShowEntries();

  services::Services& app_;
  community::Catalogue catalogue_;
  std::vector<const community::Entry*> detected_;
  std::vector<const community::Entry*> lines_;  // one per line of EntryList, null for a heading
  std::vector<std::string> chosen_;
  std::thread download_;
  std::atomic<bool> cancel_{false};
};

}  // namespace forms
