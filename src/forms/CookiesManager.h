// The cookie manager: the sites of the cookies there are now, the safe list
// (the keep-list being edited) and the moves between them.
#pragma once

#include <string>
#include <vector>

#include "services/Services.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace forms {

// Said after the keep-list file's own complaint when it cannot be used.
constexpr const char* kSafeListKeptNote = "The Cookies Safe List is left as it was.";
constexpr const char* kSafeListNotSavedNote = "The Cookies Safe List was not saved; the file is left as it was.";
constexpr const char* kNoCookiesDeletedNote = "No cookies were deleted.";
// Followed by the sites that stayed in the current list: "a.example, b.example".
constexpr const char* kSitesNotKeptNote =
    "These sites cannot be put on the Cookies Safe List, because the list is kept in the system's code page, which "
    "cannot hold their names: ";
// Followed by the browsers left alone: "Google Chrome, Firefox".
constexpr const char* kBrowsersRunningNote = "These browsers were running, so their cookies were not deleted: ";

class TCookieManager : public ui::Form {
 public:
  explicit TCookieManager(services::Services& app);

  void FormShow();
  // Saves the safe list as closing the window does, and is what the end of
  // the Windows session calls too. Writes only what the file may lack: the
  // list of an open window, or lines an earlier save could not store. Tells
  // the user when it cannot save; false then.
  bool FormClose();
  void IncludeBtnClick();    // ">"
  void IncAllBtnClick();     // ">>"
  void ExcludeBtnClick();    // "<"
  void ExAllBtnClick();      // "<<"
  void SpeedButton1Click();  // "Save"
  void SpeedButton2Click();  // "Delete"

  // Moves the selected lines of `source` to `target`, from the last line up.
  void TransferSelected(ui::ListBox& source, ui::ListBox& target);
  static int FirstSelectedIndex(const ui::ListBox& list);
  void SelectAfterTransfer(ui::ListBox& list, int index);
  void UpdateTransferButtons();

  ui::ListBox* SrcList;  // "Current Cookies List"
  ui::ListBox* DstList;  // "Cookies Safe List"
  ui::Control* IncludeBtn;
  ui::Control* IncAllBtn;
  ui::Control* ExcludeBtn;
  ui::Control* ExAllBtn;
  ui::Control* SpeedButton1;  // "Save"
  ui::Control* SpeedButton2;  // "Delete"

 private:
  // ">" and "<": the focused line of `from` already in `to` stops the move.
  void MoveSelected(ui::ListBox& from, ui::ListBox& to);
  void MoveAll(ui::ListBox& from, ui::ListBox& to);
  // Deselects the selected lines of the current list (all of them with
  // `every`) whose sites the keep-list cannot hold, and tells the user of
  // them. Returns those lines.
  std::vector<std::string> HoldBackUnkeepable(bool every);
  void LoadSafeList();
  // Writes the safe list; on failure tells the user why, then `consequence`,
  // and keeps the lines for the next showing. True when the file holds them.
  bool SaveSafeList(const std::string& consequence);
  void ShowKeepListProblem(const std::string& problem, const std::string& consequence);

  services::Services& app_;
  // Why the file could not be read at the last showing; while set, writing
  // would replace lines that were never shown, so nothing is written.
  std::string unreadProblem_;
  // The last write failed: the safe list holds lines the file lacks, so a
  // new showing keeps them instead of reloading the file.
  bool unsaved_ = false;
};

}  // namespace forms
