// Loading a 2 MB Intel HEX image the way "&Load Object File" does, and
// filling the flash view from it.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <random>
#include <string>

#include "app/AppState.h"
#include "app/OperatorPrompts.h"
#include "target/Checksums.h"
#include "target/HexViewLayout.h"
#include "target/ImageCommands.h"
#include "target/ImageFile.h"
#include "target/ImageLoading.h"

#ifdef KORVEL_BENCH_QT_MODEL
#include "ui/views/HexViewModel.h"
#endif

namespace korvel {
namespace {

struct TwoMegabyteFile {
  TwoMegabyteFile() {
    char dir[] = "/tmp/korvel-bench-XXXXXX";
    Dir = mkdtemp(dir);
    Path = Dir + "/image.hex";
    std::vector<uint8_t> image(0x200000);
    std::mt19937 rng(1);
    for (auto& b : image) b = static_cast<uint8_t>(rng());
    WriteIntelHexFile(Path, image, 0x08000000, 0x08000000, 0x081FFFFF);
  }
  ~TwoMegabyteFile() {
    unlink(Path.c_str());
    rmdir(Dir.c_str());
  }
  std::string Dir, Path;
};

ChipInfo Stm32F4TwoMegabytes() {
  ChipInfo c;
  c.ChipName = "STM32F429xI";
  c.FamilyCode = 0x60;
  c.FlashSizeKB = 2048;
  c.FlashBase = 0x08000000;
  c.FlashEnd = 0x081FFFFF;
  c.OptionByteAddr = 0x1FFFC000;
  return c;
}

void BM_LoadTwoMegabytesAndFillFlashView(benchmark::State& state) {
  static TwoMegabyteFile file;
  FixedClock clock(MakeTime(2026, 1, 1, 0, 0, 0));
  ChipInfo chip = Stm32F4TwoMegabytes();
  MemoryBuffers buffers;
  std::array<uint8_t, 128> option{};
  RecordingPrompts prompts;
  for (auto _ : state) {
    AppState app(clock);
    app.Flags.ChipSelected = true;
    app.Flags.Stm32Family = true;
    ImageJob job{app, chip, buffers, option, prompts, nullptr, {}};
    ClearBuffersForOpen(buffers, true, chip.FamilyCode);
    buffers.ShowFileRange = true;
    LoadObjectFile(job, file.Path, true);
    UpdateEepWriteEnable(job);
    HexViewLayout view = FlashViewLayout(chip, buffers);
    // The rows a window shows at once, formatted as the grid asks for them.
    size_t chars = 0;
    for (uint32_t row = 0; row < 40; ++row)
      for (int col = 0; col < HexViewLayout::kColumns; ++col) chars += view.CellText(row, col).size();
    benchmark::DoNotOptimize(chars);
#ifdef KORVEL_BENCH_QT_MODEL
    HexViewModel model([&] { return FlashViewLayout(chip, buffers); });
    model.Rebuild();
    benchmark::DoNotOptimize(model.rowCount());
#endif
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * 0x200000);
}
BENCHMARK(BM_LoadTwoMegabytesAndFillFlashView)->Unit(benchmark::kMillisecond);

void BM_ChecksumsOverTwoMegabytes(benchmark::State& state) {
  std::vector<uint8_t> image(0x200000, 0x5A);
  for (auto _ : state) {
    benchmark::DoNotOptimize(GetBrevanCheckSum(image, 0, 0x1FFFFF));
    benchmark::DoNotOptimize(GetBinaryCheckSum(image, 0, 0x1FFFFF));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * 0x200000);
}
BENCHMARK(BM_ChecksumsOverTwoMegabytes)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvel

BENCHMARK_MAIN();
