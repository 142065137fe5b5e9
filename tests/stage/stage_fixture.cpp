#include "stage/stage_fixture.h"

#include <filesystem>
#include <system_error>

#include "platform/forms.h"
#include "platform/process.h"
#include "platform/testing.h"
#include "saver/host/module1.h"
#include "saver/stage/random.h"
#include "support/test_util.h"

namespace stagetest {

const char* const kKindFile[kKinds] = {"yellowFlower.bmp", "redFlower.bmp", "roses.bmp",
                                       "whiteFlower.bmp"};
const int kKindCells[kKinds] = {11, 11, 10, 11};
const int kKindPeriod[kKinds] = {5, 4, 6, 3};

namespace {

// Geometry of the test pictures.
constexpr int kLawnW = 16, kLawnH = 16;
constexpr int kLogoW = 40, kLogoH = 20;
constexpr std::uint32_t kPureGreen = 0x00FF00;  // 0x00RRGGBB, as images hold it
constexpr int kCellW = 12, kCellH = 12;
constexpr int kTractorW = 24, kTractorH = 20;
constexpr int kBlankW = 6, kBlankH = 20;

// A w x h picture of colour(x, y).
template <typename F>
plat::Image Painted(int w, int h, F colour) {
  plat::Image img{w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * h)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.at(x, y) = colour(x, y);
  return img;
}

bool WritePicture(const std::string& path, const plat::Image& img) {
  return plat::WriteFileBytes(path, plat::EncodeBmp24(img));
}

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

// A flower cell: opaque in its centre 8 x 8, transparent round.
plat::Image SheetPicture(int kind) {
  return Painted(kCellW * kKindCells[kind], kCellH, [kind](int x, int y) {
    const int cx = x % kCellW, cell = x / kCellW + 1;
    return cx >= 2 && cx < 10 && y >= 2 && y < 10
               ? (static_cast<std::uint32_t>(0x40 + kind * 0x30) << 16) |
                     (static_cast<std::uint32_t>(cell * 0x10) << 8) | 0xC0
               : kPureGreen;
  });
}

}  // namespace

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
  show_.reset();
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
                                  const std::vector<std::string>& leaveOut, bool markedStrip) {
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
      {"lawn.bmp", Painted(kLawnW, kLawnH, LawnColour)},
      {"logo.bmp", Painted(kLogoW, kLogoH, LogoColour)},
      {"tractor.bmp", Painted(kTractorW * 6, kTractorH,
                              [](int x, int y) {
                                return y >= 2 ? 0x800010 | ((0x20u + x / kTractorW * 8 + 8) << 8)
                                              : kPureGreen;
                              })},
      // The strip is wholly transparent: it only carries clean lawn (unless marked).
      {"blank.bmp", Painted(kBlankW, kBlankH,
                            [markedStrip](int x, int) {
                              return markedStrip && x == 2 ? 0x303030u : kPureGreen;
                            })},
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

stage::Garden& StageTest::NewShow(const stage::RunOptions& options) {
  show_.reset();
  show_ = std::make_unique<stage::Garden>(Module1::TheShowHost(), options);
  return *show_;
}

bool StageTest::RunShow(stage::Garden& show) {
  return testutil::EndsProgram([&show] {
    if (show.Load()) show.RunGarden();
  });
}

plat::Image StageTest::Shown(stage::Garden& show) {
  return Read(show.Windows().front()->hDC(), 0, 0, screenW_, screenH_);
}

}  // namespace stagetest
