#include "tests/fakes/FakeViews.h"

#include "config/frmConfig.h"

namespace rd::fakes {

std::unique_ptr<FormView> FakeViewFactory::CreateConfigView(frmConfig& form) {
  ++configViewsCreated;
  return Make("config", MainHandle + 1, [this, &form] {
    if (whileConfigOpen) {
      whileConfigOpen(form);
    } else {
      form.cmdBottom.UserClicked();
    }
  });
}

}  // namespace rd::fakes
