#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "logging/CsvFile.h"
#include "support/FileText.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) { return test::FileText(p); }

TEST(CsvFile, FieldsAreQuotedOnlyWhenTheyMustBe) {
  struct Case {
    std::string In, Out;
  };
  const Case cases[] = {
      {"", ""},
      {"app.hex", "app.hex"},
      {"app,v2.hex", "\"app,v2.hex\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"two\r\nlines", "\"two\r\nlines\""},
      {"lf\nonly", "\"lf\nonly\""},
      {"操作超时！", "操作超时！"},
      {" spaced ", " spaced "},
  };
  for (const Case& c : cases) EXPECT_EQ(CsvField(c.In), c.Out) << c.In;
  EXPECT_EQ(CsvRow({"a", "b,c", ""}), "a,\"b,c\",\r\n");
}

class CsvAppend : public testing::Test {
 protected:
  CsvAppend() {
    dir = fs::temp_directory_path() / ("korvel-csv-" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  ~CsvAppend() override {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  fs::path dir;
  const std::vector<std::string> header{"time", "text"};
};

TEST_F(CsvAppend, HeaderOnceThenRowsAppendedToWhatIsThere) {
  const std::string path = (dir / "r.csv").string();
  EXPECT_FALSE(AppendCsvRow(path, header, {"1", "a"}));
  EXPECT_FALSE(AppendCsvRow(path, header, {"2", "b,c"}));
  EXPECT_EQ(Slurp(path), "time,text\r\n1,a\r\n2,\"b,c\"\r\n");

  // A file someone else started (or an older day's rows) is kept as it is.
  const std::string kept = (dir / "kept.csv").string();
  std::ofstream(kept, std::ios::binary) << "old,row\r\n";
  EXPECT_FALSE(AppendCsvRow(kept, header, {"3", "c"}));
  EXPECT_EQ(Slurp(kept), "old,row\r\n3,c\r\n");
}

TEST_F(CsvAppend, AFileThatCannotBeOpenedIsAnErrorNamingIt) {
  const std::string path = (dir / "missing" / "r.csv").string();
  const auto error = AppendCsvRow(path, header, {"1", "a"});
  ASSERT_TRUE(error);
  EXPECT_NE(error->find(path), std::string::npos) << *error;
  fs::create_directories(dir / "adir.csv");
  EXPECT_TRUE(AppendCsvRow((dir / "adir.csv").string(), header, {"1", "a"}));
}

}  // namespace
}  // namespace korvel
