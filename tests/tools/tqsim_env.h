// Test helpers for tqsim: a fresh host folder per test for scenario files,
// and running the tqsim program itself.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tqsim_test {

inline std::string ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A folder of its own for each test, removed afterwards.
class TempFolderTest : public ::testing::Test {
 protected:
  TempFolderTest() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = (std::filesystem::path(::testing::TempDir()) /
               ("tqsim_" + std::string(info->name()) + "_" + std::to_string(getpid())))
                  .string();
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  ~TempFolderTest() override { std::filesystem::remove_all(folder_); }

  // Writes a file below the folder, making its folders.
  void WriteFile(const std::string& relative, const std::string& bytes) {
    const std::filesystem::path path = std::filesystem::path(folder_) / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }
  std::string Path(const std::string& relative) const { return (std::filesystem::path(folder_) / relative).string(); }

  struct ToolRun {
    int exitCode = -1;
    std::string out, err;
  };
  // Runs the tqsim program with the arguments (each quoted for the shell).
  ToolRun RunTqsim(const std::string& arguments) {
    const std::string out = Path("stdout.txt"), err = Path("stderr.txt");
    const std::string command = "'" + std::string(TQSIM_PROGRAM) + "' " + arguments + " >'" + out + "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    ToolRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadHostFile(out);
    run.err = ReadHostFile(err);
    return run;
  }

  std::string folder_;
};

}  // namespace tqsim_test
