// The cookie manager: the current cookies and the safe list.
#pragma once

#include "app/Corvane.h"
#include "ui/Form.h"

namespace forms {

class TCookieManager : public ui::Form {
 public:
  explicit TCookieManager(app::Corvane& app);

 private:
  app::Corvane& app_;
};

}  // namespace forms
