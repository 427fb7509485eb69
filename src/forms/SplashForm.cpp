// The splash window.
#include "forms/SplashForm.h"

#include "resources/ResourceNames.h"

namespace forms {

TSplashScreen::TSplashScreen(ui::Ui& ui) : Form(ui, "TSplashScreen", "Splash", 410, 310) {
  SetBorderless(true);
  Image1 = Add<ui::Control>(ui::Kind::Picture, "Image1", ui::Rect{0, 0, 415, 311});
  Image1->SetPicture(resources::kSplash);
  ui.Realize(*this);
}

}  // namespace forms
