// The about box.
#include "forms/AboutForm.h"

#include "resources/ResourceNames.h"
#include "services/Vendor.h"

namespace forms {

using ui::Rect;

TAboutBox::TAboutBox(services::Services& app) : Form(app.ui, "TAboutBox", "About Us", 419, 217), app_(app) {
  Panel1 = Add<ui::Control>(ui::Kind::Panel, "Panel1", Rect{0, 0, 419, 217});
  Image1 = Panel1->Add<ui::Control>(ui::Kind::Picture, "Image1", Rect{0, 0, 419, 217});
  Image1->SetPicture(resources::kAbout);
  Image1->OnMouseMove = [this] { Image1MouseMove(); };
  // A transparent label over the picture.
  Label1 = Panel1->Add<ui::Control>(ui::Kind::Label, "Label1", Rect{225, 136, 183, 15}, services::kSpacedAddress);
  Label1->SetFont(ui::Font{"Arial", 9, true});
  Label1->OnMouseMove = [this] { Label1MouseMove(); };
  Label1->OnClick = [this] { Label1Click(); };
  OnShow = [this] { FormShow(); };
  app_.ui.Realize(*this);
}

void TAboutBox::ShowLink(bool hot) {
  ui::Color color = hot ? ui::kRed : ui::kWhite;
  if (Label1->fontColor() != color) Label1->SetFontColor(color);
  ui::Cursor cursor = hot ? ui::Cursor::HandPoint : ui::Cursor::Default;
  if (this->cursor() != cursor) SetCursor(cursor);
}

void TAboutBox::FormShow() { ShowLink(false); }

void TAboutBox::Image1MouseMove() { ShowLink(false); }

void TAboutBox::Label1MouseMove() { ShowLink(true); }

void TAboutBox::Label1Click() {
  app_.platform.desktop.ShellOpen(handle(), "open", services::AddressOf(Label1->caption()), platform::kSwShow);
}

}  // namespace forms
