// korvelimg as a process: its refusals and its conversions against a peer.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "ImageTestFiles.h"

namespace korvel {
namespace {

using namespace testfiles;

struct ToolRun {
  int Status = -1;
  std::string Out, Err;
};

ToolRun Tool(const TempDir& dir, const std::string& args) {
  const std::string out = dir / "stdout.txt", err = dir / "stderr.txt";
  const int raw = std::system((std::string(KORVELIMG_PATH) + " " + args + " >" + out + " 2>" + err +
                               " </dev/null")
                                  .c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(out), ReadText(err)};
}

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Four records in STM8 flash, the later ones overlapping the earlier.
const char* const kOverlapping =
    ":04800400AABBCCDD6A\n:0680000011223344556615\n:02800800998855\n:018005007703\n:00000001FF\n";

TEST(ImageTool, ConvertKeepsTheLaterOfOverlappingRecordsAsThePeerDoes) {
  if (!HaveTool("srec_cat")) GTEST_SKIP() << "srec_cat is not installed";
  TempDir dir;
  WriteText(dir / "in.hex", kOverlapping);
  ASSERT_TRUE(RunCommand("srec_cat -multiple " + dir / "in.hex" + " -intel -offset -0x8000 -o " +
                         dir / "peer.bin" + " -binary"));
  const ToolRun bin = Tool(dir, "convert " + dir / "in.hex" + " " + dir / "ours.bin");
  ASSERT_EQ(bin.Status, 0) << bin.Err;
  EXPECT_EQ(ReadBytes(dir / "ours.bin"), ReadBytes(dir / "peer.bin"));
  ASSERT_EQ(Tool(dir, "convert " + dir / "in.hex" + " " + dir / "ours.s19").Status, 0);

  // The loader and the converted files agree on the check values.
  const ToolRun source = Tool(dir, "info --chip STM8S105K4 " + dir / "in.hex");
  ASSERT_EQ(source.Status, 0) << source.Err;
  for (const char* converted : {"ours.bin", "ours.s19"}) {
    const ToolRun again = Tool(dir, "info --chip STM8S105K4 " + dir / converted);
    EXPECT_EQ(again.Status, 0) << again.Err;
    EXPECT_EQ(again.Out, source.Out) << converted;
  }
}

TEST(ImageTool, UnusableInputExits64WithTheReasonAndNoCheckValues) {
  TempDir dir;
  ASSERT_EQ(mkdir((dir / "folder.hex").c_str(), 0700), 0);
  ASSERT_EQ(mkfifo((dir / "fifo.hex").c_str(), 0600), 0);
  WriteText(dir / "empty.hex", "");
  WriteText(dir / "app.xyz", kOverlapping);
  WriteText(dir / "app.hex", kOverlapping);
  WriteText(dir / "bad.hex", ":0480000011223344D2\n:0480040055667788BF\n");
  struct Case {
    std::string Args;
    std::string Reason;
  };
  const std::string info = "info --chip STM8S105K4 ", out = " " + dir / "out.bin";
  const Case kCases[] = {
      {info + dir / "missing.hex", dir / "missing.hex: No such file or directory"},
      {info + dir / "folder.hex", dir / "folder.hex: is a directory, not a file"},
      {info + dir / "fifo.hex", dir / "fifo.hex: not a regular file"},
      {info + dir / "bad.hex", dir / "bad.hex: line 2: checksum error"},
      {info + "/dev/zero", "/dev/zero: not a regular file"},
      {"convert " + dir / "missing.hex" + out, dir / "missing.hex: No such file or directory"},
      {"convert " + dir / "fifo.hex" + out, dir / "fifo.hex: not a regular file"},
      {"convert " + dir / "empty.hex" + out, dir / "empty.hex: the file is empty"},
      {"convert " + dir / "app.xyz" + out, dir / "app.xyz: unknown input format"},
      {"convert " + dir / "app.hex " + dir / "out.xyz", dir / "out.xyz: unknown output format"},
      {"convert " + dir / "bad.hex" + out, dir / "bad.hex: line 2: checksum error"},
      {"info --chip NOSUCHCHIP " + dir / "app.hex", "unknown chip"},
  };
  for (const Case& c : kCases) {
    const ToolRun r = Tool(dir, c.Args);
    EXPECT_EQ(r.Status, 64) << c.Args;
    EXPECT_EQ(Count(r.Err, c.Reason), 1u) << c.Args << "\n" << r.Err;
    EXPECT_EQ(r.Out, "") << c.Args;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "out.bin"));
}

}  // namespace
}  // namespace korvel
