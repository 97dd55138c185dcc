#include "tests/fakes/FakeViews.h"

#include "config/frmConfig.h"

namespace rd::fakes {

void FakeView::Show() {
  visible = true;
  log_.push_back("show " + name_);
}

void FakeView::Hide() {
  visible = false;
  log_.push_back("hide " + name_);
}

void FakeView::ShowModal() {
  visible = true;
  log_.push_back("modal " + name_);
  if (whileModal_) whileModal_();
  visible = false;
}

void FakeView::Close() {
  if (closed) return;
  closed = true;
  visible = false;
  log_.push_back("close " + name_);
}

std::unique_ptr<FormView> FakeViewFactory::CreateMainView(frmMain&) {
  ++mainViewsCreated;
  log_.push_back("create main");
  return std::make_unique<FakeView>("main", MainHandle, log_, nullptr);
}

std::unique_ptr<FormView> FakeViewFactory::CreateConfigView(frmConfig& form) {
  ++configViewsCreated;
  log_.push_back("create config");
  return std::make_unique<FakeView>("config", ConfigHandle, log_, [this, &form] {
    if (whileConfigOpen) {
      whileConfigOpen(form);
    } else {
      form.cmdBottom.UserClicked();
    }
  });
}

std::unique_ptr<FormView> FakeViewFactory::CreateSplashView(frmSplash&) {
  log_.push_back("create splash");
  return std::make_unique<FakeView>("splash", SplashHandle, log_, nullptr);
}

}  // namespace rd::fakes
