// The command-line programs run as a user would: in a fresh folder of the
// test's own, with the built programs first on PATH, their output kept.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace vantrel::test {

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ToolRun : public ::testing::Test {
 protected:
  ToolRun() {
    char pattern[] = "/tmp/vantrel-tools-test.XXXXXX";
    dir_ = mkdtemp(pattern);
  }
  ~ToolRun() override { std::filesystem::remove_all(dir_); }

  // The exit status of command, its standard output in out_ and error in err_.
  int Shell(const std::string& command) {
    const int raw = std::system(("cd " + dir_.string() + " && PATH=\"$VANTREL_BIN_DIR:$PATH\" && " +
                                 command + " > out 2> err")
                                    .c_str());
    out_ = ReadFile(dir_ / "out");
    err_ = ReadFile(dir_ / "err");
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }

  std::filesystem::path dir_;
  std::string out_, err_;
};

}  // namespace vantrel::test
