// What every window shares, made before the windows and kept after them: the
// platform, the widget system, the settings with their live values, and the
// cleaning runs. The windows reach each other through no such object: what
// one asks of another, the composition (app/Corvane) hands it as a callback.
#pragma once

#include "platform/Platform.h"
#include "services/CleaningRun.h"
#include "settings/LiveSettings.h"
#include "settings/Settings.h"
#include "settings/SettingsAccessor.h"
#include "ui/Application.h"
#include "ui/Ui.h"

namespace services {

struct Services {
  Services(platform::Platform& platform, ui::Ui& ui, ui::Application& application)
      : platform(platform),
        ui(ui),
        application(application),
        settings(platform.registry,
                 [&application] { application.Message(ui::MessageKind::Error, settings::kApplySettingsError); }),
        cleaningRun(platform, ui) {}
  Services(const Services&) = delete;
  Services& operator=(const Services&) = delete;

  platform::Platform& platform;
  ui::Ui& ui;
  ui::Application& application;
  settings::SettingsAccessor settings;
  // What the windows show and act on.
  settings::LiveSettings live;
  // The cleaning runs of "Clean Now" and the schedule.
  CleaningRun cleaningRun;
};

}  // namespace services
