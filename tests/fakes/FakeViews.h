#pragma once
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "config/ConfigWindow.h"
#include "forms/Host.h"
#include "library/LibraryWindow.h"

namespace rd::fakes {

// Windows without a screen: they record what was done to them in a shared log
// ("show main", "hide main", "modal config", "close splash" ...).
class FakeView final : public FormView {
 public:
  FakeView(std::string name, WindowHandle handle, std::vector<std::string>& log,
           std::function<void()> whileModal)
      : name_(std::move(name)), handle_(handle), log_(log), whileModal_(std::move(whileModal)) {}

  WindowHandle Handle() const override { return handle_; }
  void Show() override { log_.push_back("show " + name_); }
  void Hide() override { log_.push_back("hide " + name_); }
  void ShowModal() override {
    log_.push_back("modal " + name_);
    if (whileModal_) whileModal_();
  }
  void Close() override {
    if (!std::exchange(closed_, true)) log_.push_back("close " + name_);  // once
  }

 private:
  std::string name_;
  WindowHandle handle_;
  std::vector<std::string>& log_;
  std::function<void()> whileModal_;
  bool closed_ = false;
};

class FakeViewFactory final : public ViewFactory {
 public:
  explicit FakeViewFactory(std::vector<std::string>& log) : log_(log) {}

  std::unique_ptr<FormView> CreateMainView(MainWindow&) override {
    return Make("main", MainHandle, nullptr);
  }
  std::unique_ptr<FormView> CreateConfigView(ConfigWindow& form) override {
    return Make("config", MainHandle + 1, [this, &form] {
      whileConfigOpen ? whileConfigOpen(form) : form.cmdBottom.UserClicked();
    });
  }
  std::unique_ptr<FormView> CreateSplashView(SplashWindow&) override {
    return Make("splash", MainHandle + 2, nullptr);
  }

  std::unique_ptr<FormView> CreateLibraryView(library::LibraryWindow& form) override {
    return Make("library", MainHandle + 3, [this, &form] {
      whileLibraryOpen ? whileLibraryOpen(form) : form.Close();
    });
  }

  // What the user does while the library is open; without it, it is closed at once.
  std::function<void(library::LibraryWindow&)> whileLibraryOpen;
  // What the user does while the configuration window is open; it should end with a
  // press of "&Done". Without one, "&Done" is pressed at once.
  std::function<void(ConfigWindow&)> whileConfigOpen;

  static constexpr WindowHandle MainHandle = 0x1001;

 private:
  std::unique_ptr<FormView> Make(const std::string& name, WindowHandle handle,
                                 std::function<void()> whileModal) {
    log_.push_back("create " + name);
    return std::make_unique<FakeView>(name, handle, log_, std::move(whileModal));
  }

  std::vector<std::string>& log_;
};

}  // namespace rd::fakes
