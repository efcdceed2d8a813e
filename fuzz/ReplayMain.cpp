// Runs a fuzz target over the files of its corpus (files or folders given
// on the command line) without libFuzzer, so that every compiler can replay
// the regressions as an ordinary test.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int RunFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return 1;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int failures = 0, runs = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg(argv[i]);
    if (std::filesystem::is_directory(arg)) {
      std::vector<std::filesystem::path> files;
      for (const auto& e : std::filesystem::recursive_directory_iterator(arg))
        if (e.is_regular_file()) files.push_back(e.path());
      std::sort(files.begin(), files.end());
      for (const auto& f : files) failures += RunFile(f), ++runs;
    } else {
      failures += RunFile(arg), ++runs;
    }
  }
  // The empty input too: every target must take it.
  LLVMFuzzerTestOneInput(nullptr, 0);
  std::printf("%d inputs replayed\n", runs);
  if (runs == 0) {
    std::fprintf(stderr, "no corpus given\n");
    return 1;
  }
  return failures == 0 ? 0 : 1;
}
