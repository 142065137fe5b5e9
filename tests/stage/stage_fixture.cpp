#include "stage/stage_fixture.h"

#include <filesystem>
#include <sstream>
#include <system_error>

#include "platform/forms.h"
#include "platform/process.h"
#include "platform/testing.h"
#include "saver/host/module1.h"
#include "saver/stage/random.h"
#include "support/test_util.h"

namespace stagetest {

const char* const kKindKey[kKinds] = {"yellow", "red", "rose", "white"};
const char* const kKindFile[kKinds] = {"yellowFlower.bmp", "redFlower.bmp", "roses.bmp",
                                       "whiteFlower.bmp"};
const int kKindCells[kKinds] = {11, 11, 10, 11};
const int kKindPeriod[kKinds] = {5, 4, 6, 3};

namespace {

plat::Image Blank(int w, int h, std::uint32_t fill) {
  plat::Image img;
  img.width = w;
  img.height = h;
  img.px.assign(static_cast<std::size_t>(w) * h, fill);
  return img;
}

bool WritePicture(const std::string& path, const plat::Image& img) {
  return plat::WriteFileBytes(path, plat::EncodeBmp24(img));
}

}  // namespace

std::uint32_t LawnColour(int x, int y) {
  const std::uint32_t r = 0x20 + static_cast<std::uint32_t>(x) * 4;
  const std::uint32_t g = 0x70 + static_cast<std::uint32_t>((x + 2 * y) % 7) * 12;
  const std::uint32_t b = 0x18 + static_cast<std::uint32_t>(y) * 3;
  return (r << 16) | (g << 8) | b;
}

std::uint32_t LogoColour(int x, int y) {
  if (x < 4 && y < 4) return kPureGreen;
  return 0xC08000 | static_cast<std::uint32_t>(x * 4 + y);
}

std::uint32_t CellColour(int kind, int cell) {
  return (static_cast<std::uint32_t>(0x40 + kind * 0x30) << 16) |
         (static_cast<std::uint32_t>(cell * 0x10) << 8) | 0xC0;
}

bool CellOpaque(int x, int y) { return x >= 2 && x < 10 && y >= 2 && y < 10; }

std::uint32_t TractorColour(int cell) {
  return 0x800010 | (static_cast<std::uint32_t>(0x20 + cell * 8) << 8);
}

plat::Image LawnPicture() {
  plat::Image img = Blank(kLawnW, kLawnH, 0);
  for (int y = 0; y < kLawnH; ++y)
    for (int x = 0; x < kLawnW; ++x) img.at(x, y) = LawnColour(x, y);
  return img;
}

plat::Image LogoPicture() {
  plat::Image img = Blank(kLogoW, kLogoH, 0);
  for (int y = 0; y < kLogoH; ++y)
    for (int x = 0; x < kLogoW; ++x) img.at(x, y) = LogoColour(x, y);
  return img;
}

plat::Image SheetPicture(int kind) {
  const int cells = kKindCells[kind];
  plat::Image img = Blank(kCellW * cells, kCellH, kPureGreen);
  for (int c = 1; c <= cells; ++c)
    for (int y = 0; y < kCellH; ++y)
      for (int x = 0; x < kCellW; ++x)
        if (CellOpaque(x, y)) img.at((c - 1) * kCellW + x, y) = CellColour(kind, c);
  return img;
}

plat::Image TractorPicture() {
  plat::Image img = Blank(kTractorW * 6, kTractorH, kPureGreen);
  for (int c = 1; c <= 6; ++c)
    for (int y = 2; y < kTractorH; ++y)
      for (int x = 0; x < kTractorW; ++x) img.at((c - 1) * kTractorW + x, y) = TractorColour(c);
  return img;
}

// The strip is wholly transparent: it only carries clean lawn.
plat::Image BlankPicture() { return Blank(kBlankW, kBlankH, kPureGreen); }

plat::Image TiledLawn(int w, int h) {
  plat::Image img = Blank(w, h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.at(x, y) = LawnColour(x % kLawnW, y % kLawnH);
  return img;
}

void DrawLogoModel(plat::Image& img, int lx, int ly) {
  for (int y = 0; y < kLogoH; ++y)
    for (int x = 0; x < kLogoW; ++x) {
      const int px = lx + x, py = ly + y;
      if (px < 0 || py < 0 || px >= img.width || py >= img.height) continue;
      if (LogoColour(x, y) != kPureGreen) img.at(px, py) = LogoColour(x, y);
    }
}

plat::Image Read(win::HDC dc, int x, int y, int w, int h) {
  plat::Image img;
  EXPECT_TRUE(plat::ReadPixels(dc, x, y, w, h, img));
  return img;
}

std::string FirstDifference(const plat::Image& expected, const plat::Image& actual) {
  if (expected.width != actual.width || expected.height != actual.height) {
    std::ostringstream s;
    s << "size " << actual.width << "x" << actual.height << ", expected " << expected.width << "x"
      << expected.height;
    return s.str();
  }
  for (int y = 0; y < expected.height; ++y)
    for (int x = 0; x < expected.width; ++x)
      if (expected.at(x, y) != actual.at(x, y)) {
        std::ostringstream s;
        s << "at " << x << "," << y << ": " << std::hex << actual.at(x, y) << ", expected "
          << expected.at(x, y);
        return s.str();
      }
  return "";
}

void StageTest::SetUp() {
  forms::Init();
  plat::SetClockMode(plat::ClockMode::Virtual);
  stage::ShowRandom() = stage::RandomGenerator();
  ScreenSize(320, 240);
  Module1::PlatformId = 2;
  Module1::UsePassword = 0;
  Module1::MoveCount = 0;
  Module1::FirstMoveTime = 0;
  forms::SetMsgBoxHookForTest([this](const std::string& text, int, const std::string& caption) {
    messages_.push_back(text);
    captions_.push_back(caption);
    return forms::vbOK;
  });
  folder_ = testutil::MakeTempDir("stage");
  plat::SetProgramFolderForTest(folder_);
}

void StageTest::TearDown() {
  // A fresh stage without options, so that no window of this test stays.
  NewStage();
  forms::SetMsgBoxHookForTest(nullptr);
  plat::SetProgramFolderForTest("");
  forms::SetScreenSizeOverride(0, 0);
  forms::SetTwipsPerPixelForTest(0);
  plat::SetClockMode(plat::ClockMode::Real);
  forms::DoEvents();
}

void StageTest::ScreenSize(int w, int h) {
  screenW_ = w;
  screenH_ = h;
  forms::SetScreenSizeOverride(w, h);
}

void StageTest::MakeProgramFolder(const std::map<std::string, std::string>& counts,
                                  const std::vector<std::string>& leaveOut) {
  std::string ini = "[flowers]\r\n";
  for (const auto& [key, value] : counts) ini += key + "=" + value + "\r\n";
  ini += "[applic]\r\nappdisplay=1\r\nappcurrent=0\r\nappalert=10\r\n";
  ASSERT_TRUE(testutil::WriteText(testutil::Join(folder_, "ovinflowers.ini"), ini));
  const std::string data = Module1::DataFolderPath();
  std::error_code ec;
  // The same small pictures stand in for those of high-density screens.
  std::filesystem::create_directories(std::filesystem::path(data) / "2x", ec);
  ASSERT_FALSE(ec) << data;
  std::vector<std::pair<std::string, plat::Image>> pictures = {
      {"lawn.bmp", LawnPicture()},
      {"logo.bmp", LogoPicture()},
      {"tractor.bmp", TractorPicture()},
      {"blank.bmp", BlankPicture()},
  };
  for (int k = 0; k < kKinds; ++k) pictures.emplace_back(kKindFile[k], SheetPicture(k));
  for (const std::string sub : {"", "2x/"})
    for (const auto& [file, img] : pictures) {
      const std::string name = sub + file;
      bool skip = false;
      for (const std::string& l : leaveOut) skip = skip || l == name;
      if (skip) {
        std::filesystem::remove(std::filesystem::path(data + name), ec);
      } else {
        ASSERT_TRUE(WritePicture(data + name, img)) << data + name;
      }
    }
}

void StageTest::MakeProgramFolder(int yellow, int red, int rose, int white) {
  MakeProgramFolder({{"yellow", std::to_string(yellow)},
                     {"red", std::to_string(red)},
                     {"rose", std::to_string(rose)},
                     {"white", std::to_string(white)}});
}

Form1& StageTest::NewStage(const stage::RunOptions& options) { return NewForm1ForTest(options); }

bool StageTest::RunShow(Form1& form) {
  try {
    form.Load();
  } catch (const plat::ProgramEnded& e) {
    EXPECT_EQ(e.code, 0);
    return true;
  }
  return false;
}

}  // namespace stagetest
