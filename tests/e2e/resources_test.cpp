// The resources linked into an exe by torvane_add_resources(): the icon Explorer and the
// window class show, the version information of the file's property sheet, the manifest.

#include <windows.h>
// After windows.h:
#include <shellapi.h>
#include <winver.h>

#include <filesystem>
#include <fstream>

#include "e2e_test.h"

namespace torvane::e2e {
namespace {

// The standard 16-colour Windows palette, as 0xRRGGBB, in the icon source's digit order.
constexpr std::uint32_t kPalette[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

class Resources : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto exe = path_option("exe");
    ASSERT_TRUE(exe) << "run with --exe=<path of the program>";
    exe_ = *exe;
    module_ = LoadLibraryExW(exe_.c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr) << "cannot open " << narrow(exe_) << " for its resources";
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }

  std::wstring version_value(const std::vector<char>& data, std::wstring_view block,
                             std::wstring_view name) {
    const std::wstring query =
        L"\\StringFileInfo\\" + std::wstring(block) + L"\\" + std::wstring(name);
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), query.c_str(), &value, &length) || !value) return {};
    std::wstring text(static_cast<const wchar_t*>(value), length);
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
  }

  std::wstring exe_;
  HMODULE module_ = nullptr;
};

// The pixels `icon` shows when drawn over a ground of `ground`.
Image draw_icon(HICON icon, std::uint32_t ground) {
  Image image;
  image.width = image.height = 32;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 32;
  info.bmiHeader.biHeight = -32;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  HDC dc = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  auto* p = static_cast<std::uint32_t*>(bits);
  std::fill(p, p + 32 * 32, ground);
  DrawIconEx(dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
  GdiFlush();
  image.pixels.assign(p, p + 32 * 32);
  for (auto& pixel : image.pixels) pixel &= 0x00FFFFFF;
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return image;
}

SIZE icon_size(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return {};
  BITMAP bitmap{};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return SIZE{bitmap.bmWidth, bitmap.bmHeight};
}

TEST_F(Resources, ExplorerFindsOne32x32Icon) {
  EXPECT_EQ(ExtractIconExW(exe_.c_str(), -1, nullptr, nullptr, 0), 1u);
  HICON large = nullptr;
  ASSERT_EQ(ExtractIconExW(exe_.c_str(), 0, &large, nullptr, 1), 1u);
  ASSERT_NE(large, nullptr);
  const SIZE size = icon_size(large);
  EXPECT_EQ(size.cx, 32);
  EXPECT_EQ(size.cy, 32);
  DestroyIcon(large);
}

TEST_F(Resources, IconShowsTheTextSourcePixelForPixelAndIsOpaque) {
  const auto source_path = path_option("icon-source");
  ASSERT_TRUE(source_path) << "run with --icon-source=<res/torvane_icon.txt>";
  std::ifstream source{std::filesystem::path(*source_path)};
  ASSERT_TRUE(source) << narrow(*source_path);
  std::vector<std::string> rows;
  for (std::string line; std::getline(source, line) && rows.size() < 32;) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    rows.push_back(line);
  }
  ASSERT_EQ(rows.size(), 32u);

  // The icon the main window class loads.
  auto icon = static_cast<HICON>(LoadImageW(module_, MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, 0));
  ASSERT_NE(icon, nullptr) << "no icon with id 1";
  // Drawn over two different grounds: an opaque icon looks the same on both.
  const Image on_green = draw_icon(icon, 0x00FF00);
  const Image on_magenta = draw_icon(icon, 0xFF00FF);
  DestroyIcon(icon);
  int wrong = 0;
  for (int y = 0; y < 32; ++y) {
    ASSERT_EQ(rows[static_cast<std::size_t>(y)].size(), 32u);
    for (int x = 0; x < 32; ++x) {
      const char digit = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
      const std::uint32_t expected = kPalette[std::stoi(std::string(1, digit), nullptr, 16)];
      if (on_green.at(x, y) != expected || on_magenta.at(x, y) != expected) {
        if (++wrong <= 5) {
          char shows[80];
          std::snprintf(shows, sizeof shows,
                        "expected %06X, shows %06X over green, %06X over magenta", expected,
                        on_green.at(x, y), on_magenta.at(x, y));
          ADD_FAILURE() << "pixel " << x << "," << y << ": " << shows;
        }
      }
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(Resources, VersionInformationNamesTheProductInJapaneseAndEnglish) {
  const DWORD size = GetFileVersionInfoSizeW(exe_.c_str(), nullptr);
  ASSERT_GT(size, 0u) << "no version information";
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoW(exe_.c_str(), 0, size, data.data()));

  const std::wstring version = widen(option("version").value_or("1.0.0"));
  for (const wchar_t* block : {L"041104B0", L"040904B0"}) {
    SCOPED_TRACE(narrow(block));
    EXPECT_EQ(version_value(data, block, L"ProductName"), L"Torvane");
    EXPECT_EQ(version_value(data, block, L"CompanyName"), L"Torvane project");
    EXPECT_EQ(version_value(data, block, L"FileVersion"), version);
    EXPECT_EQ(version_value(data, block, L"ProductVersion"), version);
    EXPECT_EQ(version_value(data, block, L"OriginalFilename"), L"Torvane.exe");
  }
  // Japanese text survives the resource compiler's code page.
  EXPECT_NE(version_value(data, L"041104B0", L"FileDescription").find(L"全画面"),
            std::wstring::npos);

  void* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", &fixed, &length));
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
  int major = 0, minor = 0, patch = 0;
  std::swscanf(version.c_str(), L"%d.%d.%d", &major, &minor, &patch);
  EXPECT_EQ(info->dwFileVersionMS, static_cast<DWORD>(MAKELONG(minor, major)));
  EXPECT_EQ(info->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, patch)));
}

TEST_F(Resources, ManifestAsksForPerMonitorDpiAndCommonControls6) {
  HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(found, nullptr) << "no manifest (RT_MANIFEST, id 1)";
  const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module_, found)));
  const std::string manifest(bytes, SizeofResource(module_, found));
  EXPECT_NE(manifest.find(">PerMonitorV2,PerMonitor<"), std::string::npos);
  EXPECT_NE(manifest.find(">true/pm<"), std::string::npos);
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
}

}  // namespace
}  // namespace torvane::e2e
