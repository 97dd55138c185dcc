#include "tests/fakes/FakeViews.h"

#include "config/ConfigWindow.h"

namespace rd::fakes {

std::unique_ptr<FormView> FakeViewFactory::CreateConfigView(ConfigWindow& form) {
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
