// The speed check: ParseNumber / IsNumeric under arbitrary locale separators, and
// cboSpeed_Validate on the main window.
#include <cmath>
#include <cstdint>
#include <string>

#include "launcher/MainWindow.h"
#include "tests/fuzz/FuzzSupport.h"
#include "util/Numeric.h"

using namespace rd;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  NumberFormat format;
  if (in.ConsumeBool()) {
    format.decimal = in.ConsumeRandomLengthString(3);
    format.thousands = in.ConsumeRandomLengthString(3);
  }
  const std::string text = in.ConsumeRemainingBytesAsString();

  const auto number = util::ParseNumber(text, format);
  RD_FUZZ_CHECK(util::IsNumeric(text, format) == number.has_value());
  if (number) RD_FUZZ_CHECK(!std::isnan(*number));
  RD_FUZZ_CHECK(!util::IsNumeric("", format));
  // Surrounding blanks never change the answer.
  if (!text.empty()) RD_FUZZ_CHECK(util::IsNumeric(" " + text + " ", format) == number.has_value());

  fakes::FakePlatform fp;
  fp.process.numbers = format;
  fuzz::StoreSetting(fp, catalogue::AlreadyRunValue, "Yes");
  fuzz::NullHost host(fp);
  MainWindow form(fp.ports, host);
  form.Form_Load();
  form.cboSpeed.UserEdited(text);
  bool cancel = false;
  form.cboSpeed_Validate(cancel);
  RD_FUZZ_CHECK(!cancel);
  RD_FUZZ_CHECK(form.cboSpeed.Text() == (number ? text : std::string("1")));
  return 0;
}
