// The community cleaners window.
#include "forms/CommunityCleaners.h"

#include <algorithm>

#include "community/Detection.h"
#include "community/Download.h"
#include "community/Places.h"
#include "settings/CommunityChoices.h"
#include "util/Text.h"

namespace forms {

using ui::Rect;

namespace {

constexpr int kWidth = 560;
constexpr int kMargin = 12;
constexpr const char* kIntroduction =
    "Cleaners for other applications, defined by the Winapp2 project and by you. Tick the ones to clean with the "
    "others; only the applications found on this computer are listed.";
constexpr const char* kLicence =
    "The definitions of the Winapp2 project (github.com/MoscaDotTo/Winapp2) are shared under the licence CC BY-SA "
    "4.0. Corvane refuses any rule that would empty Windows, Program Files, your profile or a folder like Documents.";
constexpr size_t kProblemsShown = 2;

bool Contains(const std::string& text, const std::string& part) {
  return util::ToLowerAscii(text).find(util::ToLowerAscii(part)) != std::string::npos;
}

}  // namespace

TCommunityCleaners::TCommunityCleaners(services::Services& app)
    : Form(app.ui, "TCommunityCleaners", "Community Cleaners", kWidth, 512), app_(app) {
  const int inner = kWidth - 2 * kMargin;
  Add<ui::Control>(ui::Kind::Label, "Label1", Rect{kMargin, 8, inner, 32}, kIntroduction);
  Add<ui::Control>(ui::Kind::Label, "Label2", Rect{kMargin, 48, 40, 20}, "Filter:");
  FilterBox = Add<ui::TextBox>("FilterBox", Rect{kMargin + 44, 46, inner - 44, 22});
  FilterBox->OnChange = [this] { FilterBoxChange(); };
  EntryList = Add<ui::CheckList>("EntryList", Rect{kMargin, 74, inner, 250});
  EntryList->OnToggle = [this](int index) { EntryListToggle(index); };
  CountsLabel = Add<ui::Control>(ui::Kind::Label, "CountsLabel", Rect{kMargin, 330, inner, 18});
  SourcesLabel = Add<ui::Control>(ui::Kind::Label, "SourcesLabel", Rect{kMargin, 350, inner, 80});
  LicenceLabel = Add<ui::Control>(ui::Kind::Label, "LicenceLabel", Rect{kMargin, 432, inner, 44}, kLicence);
  GetLatestButton =
      Add<ui::Control>(ui::Kind::Button, "GetLatestButton", Rect{kMargin, 478, 130, 28}, "Get the latest");
  GetLatestButton->OnClick = [this] { GetLatestButtonClick(); };
  Progress = Add<ui::ProgressBar>("Progress", Rect{kMargin + 140, 482, inner - 240, 20});
  CancelButton = Add<ui::Control>(ui::Kind::Button, "CancelButton", Rect{kWidth - kMargin - 90, 478, 90, 28}, "Cancel");
  CancelButton->OnClick = [this] { CancelButtonClick(); };
  Progress->SetVisible(false);
  CancelButton->SetVisible(false);
  OnShow = [this] { FormShow(); };
  app_.ui.Realize(*this);
}

TCommunityCleaners::~TCommunityCleaners() {
  cancel_ = true;
  if (download_.joinable()) download_.join();
}

void TCommunityCleaners::FormShow() {
  catalogue_ = community::LoadCatalogue(app_.platform);
  community::SystemFolders folders(app_.platform);
  community::FolderListings listings(app_.platform.files);
  detected_.clear();
  for (const community::Entry& entry : catalogue_.entries) {
    if (community::IsDetected(entry, app_.platform, folders, &listings)) detected_.push_back(&entry);
  }
  settings::ReadCommunityChoices(app_.platform.registry, &chosen_);
  CountsLabel->SetCaption(std::to_string(catalogue_.read) + " entries read, " + std::to_string(detected_.size()) +
                          " found on this computer, " + std::to_string(catalogue_.refused) + " refused, " +
                          std::to_string(catalogue_.skippedKeys) + " lines skipped.");
  std::string sources;
  std::vector<std::string> problems;
  for (const community::Source& source : catalogue_.sources) {
    sources += source.path +
               (source.refused.empty() ? ": " + std::to_string(source.entries) + " entries" +
                                             (source.version.empty() ? "" : ", " + source.version)
                                       : ": not read, " + source.refused) +
               "\n";
    for (const community::Problem& problem : source.problems) problems.push_back(problem.Text());
  }
  if (catalogue_.sources.empty()) {
    sources = "No definitions yet: put winapp2.ini or your own rules in " +
              community::UserDefinitionsFolder(app_.platform) + "\n";
  }
  for (size_t i = 0; i < problems.size() && i < kProblemsShown; ++i) sources += "Skipped: " + problems[i] + "\n";
  if (problems.size() > kProblemsShown) {
    sources += "... and " + std::to_string(problems.size() - kProblemsShown) + " more lines skipped\n";
  }
  SourcesLabel->SetCaption(sources);
  ShowEntries();
}

void TCommunityCleaners::FilterBoxChange() { ShowEntries(); }

void TCommunityCleaners::ShowEntries() {
  const std::string& filter = FilterBox->text();
  std::vector<ui::CheckList::Line> lines;
  lines_.clear();
  const std::string* group = nullptr;
  for (const community::Entry* entry : detected_) {
    if (!filter.empty() && !Contains(entry->name, filter) && !Contains(entry->group, filter)) continue;
    if (!group || !util::EqualNoCase(*group, entry->group)) {
      group = &entry->group;
      lines.push_back({entry->group, true, false});
      lines_.push_back(nullptr);
    }
    const bool on = std::any_of(chosen_.begin(), chosen_.end(),
                                [entry](const std::string& name) { return util::EqualNoCase(name, entry->name); });
    lines.push_back({entry->name, false, on});
    lines_.push_back(entry);
  }
  EntryList->SetLines(std::move(lines));
}

void TCommunityCleaners::GetLatestButtonClick() {
  const std::string url = settings::CommunityCleanersUrl(app_.platform.registry);
  if (std::string problem = community::UrlProblem(url); !problem.empty()) {
    app_.application.Message(ui::MessageKind::Error, problem);
    return;
  }
  if (download_.joinable()) return;
  cancel_ = false;
  GetLatestButton->SetEnabled(false);
  Progress->SetPosition(0);
  Progress->SetVisible(true);
  CancelButton->SetVisible(true);
  auto percent = std::make_shared<std::atomic<int>>(0);
  try {
    download_ = app_.platform.process.StartThread([this, url, percent] {
      community::Fetched fetched =
          community::FetchDefinitions(app_.platform, url, [this, percent](uint64_t received, uint64_t total) {
            // One post per percent that changes, not one per piece.
            const int now = total ? static_cast<int>(received * 100 / total) : 0;
            if (now != percent->exchange(now)) app_.ui.Post([this, now] { Progress->SetPosition(now); });
            return !cancel_.load();
          });
      app_.ui.Post([this, fetched] { DownloadEnded(fetched.message, fetched.kept); });
    });
  } catch (const std::exception& e) {
    DownloadEnded(std::string("The download could not be started (") + e.what() + ").", false);
  }
}

void TCommunityCleaners::CancelButtonClick() { cancel_ = true; }

void TCommunityCleaners::DownloadEnded(const std::string& message, bool kept) {
  if (download_.joinable()) download_.join();
  GetLatestButton->SetEnabled(true);
  Progress->SetVisible(false);
  CancelButton->SetVisible(false);
  app_.application.Message(kept ? ui::MessageKind::Information : ui::MessageKind::Error, message);
  if (kept && visible()) FormShow();
}

const community::Entry* TCommunityCleaners::EntryOfLine(int index) const {
  return index >= 0 && static_cast<size_t>(index) < lines_.size() ? lines_[static_cast<size_t>(index)] : nullptr;
}

void TCommunityCleaners::EntryListToggle(int index) {
  const community::Entry* entry = EntryOfLine(index);
  if (!entry) return;
  const bool on = EntryList->lines()[static_cast<size_t>(index)].checked;
  // The box stays clear unless the user agrees.
  auto agrees = [this](const std::string& question) {
    return app_.application.Message(ui::MessageKind::Confirmation, question) == ui::MessageResult::Yes;
  };
  if (on && ((community::DeletesPasswords(*entry) && !agrees(kPasswordsQuestion + ("(" + entry->name + ")"))) ||
             (!entry->warning.empty() && !agrees(entry->warning + "\n\n" + kWarningQuestion)))) {
    EntryList->SetChecked(index, false);
    return;
  }
  if (!settings::StoreCommunityChoice(app_.platform.registry, entry->name, on)) {
    app_.settings.ShowApplySettingsError();
    EntryList->SetChecked(index, !on);
    return;
  }
  if (on) {
    chosen_.push_back(entry->name);
  } else {
    chosen_.erase(std::remove_if(chosen_.begin(), chosen_.end(),
                                 [entry](const std::string& name) { return util::EqualNoCase(name, entry->name); }),
                  chosen_.end());
  }
}

}  // namespace forms
