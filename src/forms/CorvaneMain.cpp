// The main window: its controls and handlers, the tray menu, start-up and exit.
#include "forms/CorvaneMain.h"

#include <string_view>

#include "files/Paths.h"
#include "resources/ResourceNames.h"
#include "services/BlockerModule.h"
#include "services/NotificationSounds.h"
#include "services/Vendor.h"
#include "settings/Autostart.h"
#include "settings/Settings.h"
#include "settings/SettingsAccessor.h"
#include "settings/UserMarks.h"

namespace forms {

using ui::MenuItem;
using ui::Rect;

TCorvaneMain::TCorvaneMain(services::Services& app)
    : Form(app.ui, "TCorvaneMain", "Preferences", 366, 197),
      app_(app),
      tray_(app.platform.desktop, app.platform.clock, *this),
      schedule_(*this, app.settings, [this] { Timer1Timer(); }),
      hotkey_(app.platform, app.settings, app.live, *this),
      closeCleaner_(app.platform, app.ui, *this, app.cleaningRun) {
  BuildControls();
  BuildTrayMenu();
  FollowLiveSettings();
  Timer1 = &schedule_.timer();
  OnClose = [this](bool& hide) { FormClose(hide); };
  OnShow = [this] { FormShow(); };
  OnMessage = [this](ui::Message& m) { return HandleMessage(m); };
  // The blocker module reports from inside the browser.
  SetReceivesCopyDataFromLowerIntegrity(true);
  app_.ui.Realize(*this);

  AddTrayIcon();
  app_.application.OnMinimize = [this] { AppMinimize(); };
  app_.application.OnRestore = [this] { AppRestore(); };
}

TCorvaneMain::~TCorvaneMain() { DeleteTrayIcon(); }

void TCorvaneMain::BuildControls() {
  Image1 = Add<ui::Control>(ui::Kind::Picture, "Image1", Rect{0, 0, 22, 197});
  Image1->SetPicture(resources::kMainStrip);
  CoolCheckRadioBox1 =
      Add<ui::CheckBox>("CoolCheckRadioBox1", Rect{34, 17, 321, 31}, "Start Corvane when windows start");
  CoolCheckRadioBox1->OnClick = [this] { CoolCheckRadioBox1Click(); };
  CoolCheckRadioBox2 = Add<ui::CheckBox>("CoolCheckRadioBox2", Rect{34, 62, 321, 31}, "Enable auto history cleaner");
  CoolCheckRadioBox2->OnClick = [this] { CoolCheckRadioBox2Click(); };
  CoolGroupBox1 =
      Add<ui::Control>(ui::Kind::GroupBox, "CoolGroupBox1", Rect{34, 103, 321, 52}, "Auto Run History Cleaner");
  Label2 = CoolGroupBox1->Add<ui::Control>(ui::Kind::Label, "Label2", Rect{8, 24, 96, 13}, "Auto run every");
  ComboBox1 = CoolGroupBox1->Add<ui::ComboBox>(
      "ComboBox1", Rect{112, 21, 142, 21},
      std::vector<std::string>{"15 Minutes", "30 Minutes", "1 Hour", "2 Hours", "3 Hours", "4 Hours", "5 Hours",
                               "6 Hours", "7 Hours", "8 Hours", "9 Hours", "10 Hours", "11 Hours", "12 Hours"});
  ComboBox1->OnExit = [this] { ComboBox1Exit(); };
  Label1 = Add<ui::Control>(ui::Kind::Label, "Label1", Rect{104, 173, 250, 13}, services::kSpacedAddress);
  Label1->OnClick = [this] { Label1Click(); };
}

void TCorvaneMain::BuildTrayMenu() {
  auto item = [](const char* name, const char* caption, std::function<void()> onClick) {
    return std::make_unique<MenuItem>(name, caption, std::move(onClick));
  };
  auto showCleaner = [this](int page) {
    return [this, page] {
      if (ShowHistoryCleaner) ShowHistoryCleaner(page);
    };
  };
  auto call = [](const std::function<void()>& request) {
    return [&request] {
      if (request) request();
    };
  };
  auto openPage = [this](const char* path) {
    std::string url = std::string(services::kVendorSite) + path;
    return [this, url] { OpenWithShell("Open", url, platform::kSwShowDefault); };
  };

  TrayMenu = std::make_unique<MenuItem>("TrayMenu", "TrayMenu");
  TrayMenu->Add(item("MenuGeneralPref", "Preferences", [this] { ShowNormal(); }));
  TrayMenu->Add(MenuItem::Separator());
  MenuItem& cleaners = TrayMenu->Add(item("MenuHistoryCleanerPref", "History Cleaner Preferences", {}));
  cleaners.Add(item("MenuIEHistCleaner", "Internet Explorer History Cleaner", showCleaner(0)));
  cleaners.Add(MenuItem::Separator());
  cleaners.Add(item("MenuWindowsHistCleaner", "Windows History Cleaner", showCleaner(1)));
  cleaners.Add(MenuItem::Separator());
  cleaners.Add(item("MenuAppHistCleaner", "Applications History Cleaner", showCleaner(2)));
  TrayMenu->Add(item("MenuPopUpBlockerPref", "Popup Blocker Preferences", call(ShowPopUpBlocker)));
  TrayMenu->Add(item("MenuBossKeyPref", "Windows Hotkey Preferences", call(ShowBossKey)));
  TrayMenu->Add(MenuItem::Separator());
  MenuEnableAutoHistoryCleaner = &TrayMenu->Add(item("MenuEnableAutoHistoryCleaner", "Enable Auto History Cleaner",
                                                     [this] { MenuEnableAutoHistoryCleanerClick(); }));
  MenuItem& popups = TrayMenu->Add(item("Popupblocker1", "Popup Blocker", {}));
  auto toggle = [this](util::Watched<bool>& live, const settings::Setting& setting) {
    return [this, &live, &setting] { ToggleSwitch(live, setting); };
  };
  settings::LiveSettings& live = app_.live;
  EnablePopupBlocking1 = &popups.Add(item("EnablePopupBlocking1", "&Enable Popup Blocking",
                                          toggle(live.popupBlocking, settings::value::kPopupBlocking)));
  popups.Add(MenuItem::Separator());
  Playasoundwhenapopupwindowisblocked1 =
      &popups.Add(item("Playasoundwhenapopupwindowisblocked1", "Play a Sound When a Popup Window is Blocked",
                       toggle(live.soundNotification, settings::value::kSoundNotification)));
  popups.Add(MenuItem::Separator());
  Animatesystemtrayiconwhenapopupwindowisblocked1 = &popups.Add(
      item("Animatesystemtrayiconwhenapopupwindowisblocked1", "Animate System Tray Icon When a Popup Window is Blocked",
           toggle(live.animTrayIcon, settings::value::kAnimTrayIcon)));
  MenuEnableBossKey =
      &TrayMenu->Add(item("MenuEnableBossKey", "Enable Windows Hotkey", [this] { MenuEnableBossKeyClick(); }));
  MenuCleanOnBrowserClose =
      &TrayMenu->Add(item("MenuCleanOnBrowserClose", "Clean a Browser When It Closes",
                          toggle(live.cleanOnBrowserClose, settings::value::kCleanOnBrowserClose)));
  TrayMenu->Add(MenuItem::Separator());
  MenuItem& help = TrayMenu->Add(item("MenuItem11", "&Help", {}));
  help.Add(item("MenuItem12", "&Contents and Topics", [this] {
    OpenWithShell("Open", files::FolderOf(app_.platform.process.ExecutablePath()) + "Help\\corvane.chm",
                  platform::kSwShowDefault);
  }));
  help.Add(MenuItem::Separator());
  help.Add(item("MenuItem14", "&Online Support", openPage("/support/overview.htm")));
  help.Add(MenuItem::Separator());
  help.Add(item("MenuItem16", "Online &FAQ", openPage("/support/faq.htm")));
  help.Add(MenuItem::Separator());
  help.Add(item("SubmitSupportTicket1", "Submit Support Ticket", openPage("/support/sticket.htm")));
  help.Add(MenuItem::Separator());
  help.Add(item("MenuItem18", "About Us", call(ShowAbout)));
  TrayMenu->Add(MenuItem::Separator());
  MenuItem& exit = TrayMenu->Add(item("MenuShutDown", "Exit", [this] { MenuShutDownClick(); }));
  exit.SetCommandId(kExitCommandId);
}

// The tray's marks show the live switches, and so does the auto cleaner's
// box; the timer runs by the auto cleaner's.
void TCorvaneMain::FollowLiveSettings() {
  settings::LiveSettings& live = app_.live;
  settings::ShowIn(live.autoCleaner, *CoolCheckRadioBox2);
  settings::ShowIn(live.autoCleaner, *MenuEnableAutoHistoryCleaner);
  live.autoCleaner.Watch([this](bool on) { schedule_.RunIf(on); });
  settings::ShowIn(live.popupBlocking, *EnablePopupBlocking1);
  settings::ShowIn(live.soundNotification, *Playasoundwhenapopupwindowisblocked1);
  settings::ShowIn(live.animTrayIcon, *Animatesystemtrayiconwhenapopupwindowisblocked1);
  // On only while the system holds the combination: another program may have it.
  settings::ShowIn(live.hotkeyInForce, *MenuEnableBossKey);
  settings::ShowIn(live.cleanOnBrowserClose, *MenuCleanOnBrowserClose);
  live.cleanOnBrowserClose.Watch([this](bool on) { closeCleaner_.RunIf(on); });
  closeCleaner_.ShowBalloon = [this](const std::string& text) { ShowTrayBalloon(text); };
  hotkey_.HotkeyTaken = [this](int16_t combination) { HotkeyTaken(combination); };
  hotkey_.TellNoAudioDevice = [this] {
    app_.application.Message(ui::MessageKind::Information, services::kNoAudioDeviceMessage);
  };
}

void TCorvaneMain::FormCreate() {
  UnregisterBossKeys();
  LoadPreferences();
  app_.settings.Change([this](settings::SettingsKey& key) {
    key.WriteBool(settings::value::kCorvaneRunning, true);
    // The installation sets the flag when it could not register the module;
    // a missing flag is a registry error, which ends this step.
    if (!key.ReadBool(settings::value::kBlockerFirstStart)) return;
    const services::BlockerRegistration registration = services::RegisterBlockerModule(app_.platform.process);
    if (registration == services::BlockerRegistration::Failed) return;
    // Refused for lack of rights, it would be refused at every start: the
    // pop-up blocker window says once who registers it.
    if (registration == services::BlockerRegistration::Denied) {
      key.WriteBool(settings::value::kBlockerRegistrationDenied, true);
    }
    key.WriteBool(settings::value::kBlockerFirstStart, false);
  });
}

void TCorvaneMain::TellWhereTheIconIs() {
  platform::Registry& registry = app_.platform.registry;
  if (settings::TrayHintShown(registry)) return;
  app_.application.Message(ui::MessageKind::Information, kTrayHintMessage);
  settings::RememberTrayHintShown(registry);
}

bool TCorvaneMain::HandleMessage(ui::Message& message) {
  switch (message.msg) {
    case ui::kWmCopyData:
      PopupBlockedNotify(message.copyData, message.copyDataSize, message.copyDataId);
      message.result = 1;
      return true;
    case ui::kWmHotKey:
      return hotkey_.HandlePress(message.wParam);
    case services::WM_TRAYICON:
      TrayIconNotify(static_cast<uint32_t>(message.lParam));
      return true;
    case ui::kWmTaskbarCreated:
      // Explorer restarted with an empty tray: put the icon back.
      AddTrayIcon();
      return true;
    case ui::kWmQueryEndSession:
      message.result = 1;  // nothing here needs the session to wait
      return true;
    case ui::kWmEndSession:
      if (message.wParam) EndSession();
      return true;
    case ui::kWmCommand:
      if ((message.wParam & 0xFFFF) == static_cast<uintptr_t>(kExitCommandId)) {
        MenuShutDownClick();
        return true;
      }
      return false;
    default:
      return false;
  }
}

void TCorvaneMain::ShowTrayBalloon(const std::string& text) { tray_.ShowErrorBalloon(app_.application.title(), text); }

// A choice left in the list without leaving it was never stored: the list
// shows again the interval the timer keeps.
void TCorvaneMain::FormShow() { ComboBox1->SetItemIndex(shownSchedule_); }

uint32_t TCorvaneMain::ScheduleInterval() { return services::CleanerSchedule::IntervalFor(ComboBox1->itemIndex()); }

void TCorvaneMain::Timer1Timer() { app_.cleaningRun.Start(); }

// Leaving the list stores its interval and restarts the countdown, even when
// the interval is the same.
void TCorvaneMain::ComboBox1Exit() {
  const int index = ComboBox1->itemIndex();
  if (!app_.settings
           .Change([index](settings::SettingsKey& key) { key.WriteInteger(settings::value::kCleanerSchedule, index); })
           .done()) {
    // An interval the user did not change has nothing to report.
    if (index != shownSchedule_) {
      ComboBox1->SetItemIndex(shownSchedule_);
      app_.settings.ShowApplySettingsError();
    }
    return;
  }
  shownSchedule_ = index;
  schedule_.Reset(index);
  schedule_.RunIf(app_.live.autoCleaner.value());
}

// A click that cannot be stored puts the box back: it shows what is stored.
void TCorvaneMain::CoolCheckRadioBox2Click() {
  const bool on = CoolCheckRadioBox2->checked();
  if (!settings::StoreSwitch(app_.settings, settings::value::kAutoCleaner, app_.live.autoCleaner, on))
    CoolCheckRadioBox2->SetChecked(!on);
}

void TCorvaneMain::MenuEnableAutoHistoryCleanerClick() {
  ToggleSwitch(app_.live.autoCleaner, settings::value::kAutoCleaner);
}

void TCorvaneMain::TrayIconNotify(uint32_t mouseMessage) {
  if (mouseMessage == ui::kWmLButtonDblClk) {
    // Restoring acts only on the minimised program, the state start-up leaves
    // it in; the close box hides the window without minimising, so a window
    // hidden that way is shown directly.
    if (app_.application.minimized()) {
      app_.application.Restore();
    } else {
      AppRestore();
    }
  } else if (mouseMessage == ui::kWmRButtonUp) {
    ui::Point at = app_.ui.CursorPos();
    BringToFront();
    app_.ui.PopupMenu(*this, *TrayMenu, at);
    // Lets the menu close when the user clicks elsewhere.
    app_.ui.PostToForm(*this, ui::kWmNull, 0, 0);
  }
}

void TCorvaneMain::PopupBlockedNotify(const void* data, uint32_t size, uintptr_t dataId) {
  // The sender's text (the blocked address) is taken within its block only and
  // not copied: any program may send a block of any size, and it is not used further.
  std::string_view address = data ? std::string_view(static_cast<const char*>(data), size) : std::string_view();
  (void)address;
  // What the module could not count (at Low integrity) is counted here, every one.
  if (uint32_t uncounted = services::UncountedPopups(dataId)) services::CountEliminatedPopups(app_.settings, uncounted);
  if (PopupReported) PopupReported();

  const bool sound = app_.live.soundNotification.value();
  const bool animation = app_.live.animTrayIcon.value();
  if (!sound && !animation) return;
  // Announced at a sane rate: a program that floods the window with reports
  // must not hold its thread in sounds and blinks.
  platform::Clock& clock = app_.platform.clock;
  if (lastAnnouncementEnd_ && clock.NowMs() - *lastAnnouncementEnd_ < kAnnouncementGapMs) return;
  // A missing sound file plays nothing and says nothing.
  if (sound) services::PlayNotificationSound(app_.platform, app_.live.soundIndex.value());
  if (animation) AnimateTrayIcon();
  lastAnnouncementEnd_ = clock.NowMs();
}

std::string TCorvaneMain::NotificationSoundPath(int32_t index) {
  return services::NotificationSoundPath(app_.platform.process.ExecutablePath(), index);
}

void TCorvaneMain::AppMinimize() {
  app_.application.ShowAppWindow(false);
  Hide();
}

void TCorvaneMain::AppRestore() {
  app_.application.ShowAppWindow(true);
  Show();
  BringToFront();
}

void TCorvaneMain::FormClose(bool& hide) {
  app_.application.ShowAppWindow(false);
  Hide();
  hide = false;  // the window stays; the program keeps running in the tray
}

// The tray's mark follows the live switch.
void TCorvaneMain::ToggleSwitch(util::Watched<bool>& live, const settings::Setting& setting) {
  StoreSwitch(app_.settings, setting, live, !live.value());
}

void TCorvaneMain::CoolCheckRadioBox1Click() {
  const bool on = CoolCheckRadioBox1->checked();
  if (settings::SetAutostart(app_.platform.registry, on, app_.platform.process.ExecutablePath())) {
    settings::RecordAutostartUser(app_.settings, app_.platform.process.UserSid(), on);
    return;
  }
  // The box shows what Windows will do at the next logon.
  CoolCheckRadioBox1->SetChecked(!on);
  app_.settings.ShowApplySettingsError();
}

// The registration follows the live switch too. The mark shows the hotkey in
// force, so a click on it without its check turns the hotkey on, or, when it
// is on but was refused, tries the stored combination again.
void TCorvaneMain::MenuEnableBossKeyClick() {
  const bool on = !MenuEnableBossKey->checked();
  const bool refused = app_.live.hotkeyEnabled.value();
  if (StoreSwitch(app_.settings, settings::value::kWindowsHotKey, app_.live.hotkeyEnabled, on) && on && refused) {
    hotkey_.RegisterStored();
  }
}

// Told at each attempt, with the other combination offered; taken, it is
// stored and registered, and a refusal of that one too is only told.
void TCorvaneMain::HotkeyTaken(int16_t combination) {
  const int16_t other = combination == 0 ? 1 : 0;
  if (offeringOtherHotkey_) {
    app_.application.Message(ui::MessageKind::Information, services::HotkeysBothTakenMessage(combination));
    return;
  }
  if (app_.application.Message(ui::MessageKind::Confirmation, services::HotkeyTakenQuestion(combination)) !=
      ui::MessageResult::Yes) {
    return;
  }
  if (!app_.settings.StoreInteger(settings::value::kHotkeyCombination, other)) return;
  offeringOtherHotkey_ = true;
  RegisterBossKey(other);
  offeringOtherHotkey_ = false;
  if (CombinationStored) CombinationStored();
}

void TCorvaneMain::OpenWithShell(const std::string& verb, const std::string& file, int show) {
  app_.platform.desktop.ShellOpen(0, verb, file, show);
}

void TCorvaneMain::Label1Click() { OpenWithShell("open", services::AddressOf(Label1->caption()), platform::kSwShow); }

void TCorvaneMain::MenuShutDownClick() {
  app_.settings.Change([](settings::SettingsKey& key) { key.WriteBool(settings::value::kCorvaneRunning, false); });
  UnregisterBossKeys();
  hotkey_.ShowHiddenBrowserWindows();
  app_.cleaningRun.EndForExit();
  app_.application.Terminate();
}

void TCorvaneMain::EndSession() {
  // Windows may end the process as soon as this returns, so nothing is left
  // for the destructors: the edits of an open cookie manager are saved as
  // closing saves them, and the icon goes now.
  if (BeforeSessionEnds) BeforeSessionEnds();
  MenuShutDownClick();
  DeleteTrayIcon();
}

}  // namespace forms
