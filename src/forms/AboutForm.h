// The about box: a picture with a link to the vendor's web site.
#pragma once

#include "services/Services.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace forms {

class TAboutBox : public ui::Form {
 public:
  explicit TAboutBox(services::Services& app);

  void FormShow();
  void Image1MouseMove();
  void Label1MouseMove();
  void Label1Click();

  ui::Control* Panel1;
  ui::Control* Image1;
  ui::Control* Label1;

 private:
  // The link's look: red with the pointing hand over it, white with the arrow otherwise.
  void ShowLink(bool hot);

  services::Services& app_;
};

}  // namespace forms
