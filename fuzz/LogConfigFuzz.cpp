// VatLogX.cfg read into the log configuration form.
#include "FuzzSupport.h"
#include "logging/LogConfig.h"

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::ScratchFile("VatLogX.cfg", fuzz::Text({data, size}));
  LogConfigForm form;
  if (!LoadLogConfig(form, path)) return 0;
  FUZZ_CHECK(form.RadioGrpCreat.ItemIndex >= -1 && form.RadioGrpCreat.ItemIndex <= 1);
  FUZZ_CHECK(form.RadioGrpMod.ItemIndex >= -1 && form.RadioGrpMod.ItemIndex <= 2);

  // Saved and read again: the same settings.
  const std::string again = fuzz::ScratchFile("VatLogX-again.cfg", "");
  FUZZ_CHECK(!SaveLogConfig(form, again));
  LogConfigForm back;
  FUZZ_CHECK(LoadLogConfig(back, again));
  FUZZ_CHECK(back.LogEnabled() == form.LogEnabled());
  FUZZ_CHECK(back.CustomerFile() == form.CustomerFile());
  if (form.CustomerFile()) {
    FUZZ_CHECK(back.RadioGrpMod.ItemIndex == form.RadioGrpMod.ItemIndex);
    FUZZ_CHECK(back.EditLogName.Text == form.EditLogName.Text);
  }
  return 0;
}
