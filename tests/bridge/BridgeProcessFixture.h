#pragma once
// Runs the built bridge in a throwaway folder holding "with space.chd", with
// the stand-in tool named by QUILLMERE_CHDMAN.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "BridgeOs.h"
#include "ToolLocator.h"

namespace qm::bridge {

namespace fs = std::filesystem;

struct Finished {
  int status;
  std::string output;
};

inline std::string LastLine(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text.substr(text.find_last_of("\r\n") + 1);
}

class BridgeProcessTest : public testing::Test {
 protected:
  BridgeProcessTest() {
    std::random_device random;
    folder_ = fs::temp_directory_path() / ("quillmere-bridge-process-" + std::to_string(random()));
    fs::create_directories(folder_);
    previous_ = fs::current_path();
    fs::current_path(folder_);
    std::ofstream("with space.chd") << "MComprHD image";
    SetEnvironment(kToolVariable, QM_FAKE_CURRENT);
    SetEnvironment("FAKE_CURRENT_MODE", "ok");
  }
  ~BridgeProcessTest() override {
    fs::current_path(previous_);
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }

  static ToolProcess Start(const std::vector<std::string>& args, const std::string& bridge = QM_BRIDGE) {
    auto started = ToolProcess::Start(bridge, args);
    if (auto* error = std::get_if<std::string>(&started)) ADD_FAILURE() << *error;
    return std::move(std::get<ToolProcess>(started));
  }
  static Finished Finish(ToolProcess& p, std::string output = {}) {
    char buffer[512];
    while (const std::size_t n = p.Read(buffer, sizeof buffer)) output.append(buffer, n);
    return {p.Wait(), output};
  }
  static Finished Bridge(const std::vector<std::string>& args) {
    ToolProcess p = Start(args);
    return Finish(p);
  }

  fs::path folder_;
  fs::path previous_;
};

}  // namespace qm::bridge
