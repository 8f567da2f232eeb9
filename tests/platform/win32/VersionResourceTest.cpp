// The version resource as the system reads it from an executable that
// carries it: product name, numbers, version strings, original file name.
// (The icon: ico_test checks its file, the window layout test that the main
// window shows it from the first icon group.)

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// The probe's path in the system's form (under Wine the build tree's POSIX
// path resolves on the current drive).
std::string Probe() { return std::filesystem::absolute(QM_VERSION_PROBE).make_preferred().string(); }

TEST(VersionResource, NumbersAndStringsSayZeroNine) {
  std::vector<char> data(::GetFileVersionInfoSizeA(Probe().c_str(), nullptr));
  ASSERT_FALSE(data.empty()) << "no version resource in " << Probe();
  ASSERT_TRUE(::GetFileVersionInfoA(Probe().c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
  void* p = nullptr;
  UINT n = 0;
  ASSERT_TRUE(::VerQueryValueA(data.data(), "\\", &p, &n) && n >= sizeof(VS_FIXEDFILEINFO));
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(p);
  // The signature, then 0.9.0.0 as the file's and the product's version.
  EXPECT_EQ((std::vector<DWORD>{fixed->dwSignature, fixed->dwFileVersionMS, fixed->dwFileVersionLS,
                                fixed->dwProductVersionMS, fixed->dwProductVersionLS}),
            (std::vector<DWORD>{0xFEEF04BD, 9, 0, 9, 0}));

  // The strings of the first language listed under \VarFileInfo\Translation.
  ASSERT_TRUE(::VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", &p, &n) && n >= 4);
  const WORD* translation = static_cast<const WORD*>(p);
  char block[64];
  std::snprintf(block, sizeof block, "\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
  for (const auto& [name, value] : {std::pair{"ProductName", "Quillmere"}, std::pair{"FileVersion", "0.09"},
                                    std::pair{"ProductVersion", "0.09"}, std::pair{"OriginalFilename", "quillmere.exe"}}) {
    const bool found = ::VerQueryValueA(data.data(), (block + std::string(name)).c_str(), &p, &n) && n > 0;
    EXPECT_EQ(found ? std::string(static_cast<const char*>(p)) : "<missing>", value) << name;
  }
}

}  // namespace
