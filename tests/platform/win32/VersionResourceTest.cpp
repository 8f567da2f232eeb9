// The version resource as the system reads it from an executable that
// carries it: product name, numbers, version strings, original file name.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// The probe's path in the system's form (under Wine the build tree's POSIX
// path resolves on the current drive).
std::string Probe() { return std::filesystem::absolute(QM_VERSION_PROBE).make_preferred().string(); }

class VersionResource : public ::testing::Test {
 protected:
  void SetUp() override {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(Probe().c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource in " << Probe();
    data_.resize(size);
    ASSERT_TRUE(::GetFileVersionInfoA(Probe().c_str(), 0, size, data_.data()));
  }

  const VS_FIXEDFILEINFO* Fixed() {
    void* p = nullptr;
    UINT n = 0;
    if (!::VerQueryValueA(data_.data(), "\\", &p, &n) || n < sizeof(VS_FIXEDFILEINFO)) return nullptr;
    return static_cast<const VS_FIXEDFILEINFO*>(p);
  }

  // A string of the first language listed under \VarFileInfo\Translation.
  std::string String(const std::string& name) {
    struct Translation {
      WORD language;
      WORD codePage;
    };
    void* p = nullptr;
    UINT n = 0;
    if (!::VerQueryValueA(data_.data(), "\\VarFileInfo\\Translation", &p, &n) || n < sizeof(Translation)) {
      return "<no translation>";
    }
    const Translation t = *static_cast<const Translation*>(p);
    char block[64];
    std::snprintf(block, sizeof block, "\\StringFileInfo\\%04x%04x\\", t.language, t.codePage);
    if (!::VerQueryValueA(data_.data(), (block + name).c_str(), &p, &n) || n == 0) return "<missing>";
    return std::string(static_cast<const char*>(p));
  }

  std::vector<char> data_;
};

TEST_F(VersionResource, NumbersAndStringsSayZeroNine) {
  const VS_FIXEDFILEINFO* fixed = Fixed();
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 9u);  // 0.9.0.0
  EXPECT_EQ(fixed->dwProductVersionMS, 9u);
  EXPECT_EQ(fixed->dwFileVersionLS | fixed->dwProductVersionLS, 0u);
  for (const auto& [name, value] : {std::pair{"ProductName", "Quillmere"}, std::pair{"FileVersion", "0.09"},
                                    std::pair{"ProductVersion", "0.09"}, std::pair{"OriginalFilename", "quillmere.exe"}}) {
    EXPECT_EQ(String(name), value) << name;
  }
}

TEST(Icon, IsTheFirstIconGroup) {
  const HMODULE module = ::LoadLibraryExA(Probe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  const HRSRC group = ::FindResourceA(module, MAKEINTRESOURCEA(1), reinterpret_cast<LPCSTR>(RT_GROUP_ICON));
  EXPECT_NE(group, nullptr);
  // The group lists at least a 16- and a 32-pixel image.
  if (group) {
    const HGLOBAL loaded = ::LoadResource(module, group);
    const auto* dir = static_cast<const BYTE*>(::LockResource(loaded));
    ASSERT_NE(dir, nullptr);
    const WORD count = *reinterpret_cast<const WORD*>(dir + 4);
    std::vector<int> sizes;
    for (WORD i = 0; i < count; ++i) sizes.push_back(dir[6 + 14 * i]);  // width byte of each entry
    EXPECT_NE(std::find(sizes.begin(), sizes.end(), 16), sizes.end());
    EXPECT_NE(std::find(sizes.begin(), sizes.end(), 32), sizes.end());
  }
  ::FreeLibrary(module);
}

}  // namespace
