#pragma once
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/FileText.h"

namespace korvel::ui {

// A child of root by its form name; a missing one fails the test.
template <class T>
T* FindNamed(const QObject& root, const char* name) {
  T* w = root.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(w, nullptr) << name;
  return w;
}

// A folder of the test's own, gone with it.
struct ScratchDir {
  std::filesystem::path Path;
  explicit ScratchDir(const std::string& prefix)
      : Path(std::filesystem::temp_directory_path() /
             (prefix + std::to_string(QCoreApplication::applicationPid()))) {
    std::filesystem::create_directories(Path);
  }
  ~ScratchDir() { std::filesystem::remove_all(Path); }
};

inline std::string ReadBytes(const std::filesystem::path& p) { return test::FileText(p); }

}  // namespace korvel::ui
