#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/Host.h"

namespace rd::fakes {

// Windows without a screen: they record what was done to them in a shared log
// ("show main", "hide main", "modal config", "close splash" ...).
class FakeView final : public FormView {
 public:
  FakeView(std::string name, WindowHandle handle, std::vector<std::string>& log,
           std::function<void()> whileModal)
      : name_(std::move(name)), handle_(handle), log_(log), whileModal_(std::move(whileModal)) {}

  WindowHandle Handle() const override { return handle_; }
  void Show() override;
  void Hide() override;
  void ShowModal() override;
  void Close() override;

  bool visible = false;
  bool closed = false;

 private:
  std::string name_;
  WindowHandle handle_;
  std::vector<std::string>& log_;
  std::function<void()> whileModal_;
};

class FakeViewFactory final : public ViewFactory {
 public:
  explicit FakeViewFactory(std::vector<std::string>& log) : log_(log) {}

  std::unique_ptr<FormView> CreateMainView(frmMain& form) override;
  std::unique_ptr<FormView> CreateConfigView(frmConfig& form) override;
  std::unique_ptr<FormView> CreateSplashView(frmSplash& form) override;

  // What the user does while the configuration window is open; it should end with a
  // press of "&Done". Without one, "&Done" is pressed at once.
  std::function<void(frmConfig&)> whileConfigOpen;

  static constexpr WindowHandle MainHandle = 0x1001;
  static constexpr WindowHandle ConfigHandle = 0x1002;
  static constexpr WindowHandle SplashHandle = 0x1003;
  int mainViewsCreated = 0;
  int configViewsCreated = 0;

 private:
  std::vector<std::string>& log_;
};

}  // namespace rd::fakes
