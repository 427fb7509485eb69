// The notification sound chooser.
#include "forms/SoundSelection.h"

#include "resources/ResourceNames.h"
#include "services/NotificationSounds.h"
#include "settings/Settings.h"
#include "settings/SettingsAccessor.h"

namespace forms {

using ui::Rect;

TSelectSound::TSelectSound(services::Services& app)
    : Form(app.ui, "TSelectSound", "Select Sound", 239, 110), app_(app) {
  Panel1 = Add<ui::Control>(ui::Kind::Panel, "Panel1", Rect{0, 0, 239, 110});
  Panel1->SetColor(ui::kCorvaneColor);
  Panel2 = Panel1->Add<ui::Control>(ui::Kind::Panel, "Panel2", Rect{5, 5, 229, 62});
  Image2 = Panel2->Add<ui::Control>(ui::Kind::Picture, "Image2", Rect{0, 0, 229, 62});
  Image2->SetPicture(resources::kSoundBackground);
  // The position of a line is the sound index it stands for.
  CoolListBox1 = Panel2->Add<ui::ListBox>("CoolListBox1", Rect{10, 10, 209, 42}, false);
  for (const services::NotificationSound& sound : services::kNotificationSounds) CoolListBox1->Add(sound.name);
  CoolListBox1->SetItemHeight(20);
  CoolListBox1->SetSelectedLook(ui::kNavy, true, resources::kSoundBackground);
  SpeedButton1 = Panel1->Add<ui::Control>(ui::Kind::Button, "SpeedButton1", Rect{79, 75, 80, 26}, "Select");
  SpeedButton1->SetPicture(resources::kSelectGlyph);
  SpeedButton1->OnClick = [this] { SpeedButton1Click(); };
  OnShow = [this] { FormShow(); };
  app_.ui.Realize(*this);
}

void TSelectSound::FormShow() {
  choice_.reset();
  CoolListBox1->SetItemIndex(0);
}

void TSelectSound::SpeedButton1Click() {
  int chosen = CoolListBox1->itemIndex();
  if (chosen >= 0) {
    choice_ = chosen;
    // The announcement plays the new choice from now on, not only after the next start.
    if (app_.settings.StoreInteger(settings::value::kSoundIndex, chosen)) app_.live.soundIndex.Set(chosen);
  }
  Close();
}

}  // namespace forms
