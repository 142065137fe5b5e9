// picgen OUTDIR: makes every picture of the system and writes them below
// OUTDIR as they are kept in the source tree (data/, saver/resources/,
// mailer/resources/). The output is the same on every run.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "pictures.h"

using namespace picgen;

namespace {

bool MakeDir(const std::string& path) {
  if (mkdir(path.c_str(), 0755) == 0) return true;
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  if (WriteFile(path, bytes)) return true;
  std::fprintf(stderr, "picgen: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: picgen OUTDIR\n");
    return 2;
  }
  const std::string out = argv[1];
  const std::string data = out + "/data", saver = out + "/saver", saverRes = saver + "/resources",
                    mailer = out + "/mailer", mailerRes = mailer + "/resources";
  for (const std::string& d : {out, data, data + "/2x", saver, saverRes, saverRes + "/2x", mailer,
                               mailerRes, mailerRes + "/2x"})
    if (!MakeDir(d)) {
      std::fprintf(stderr, "picgen: cannot make folder %s\n", d.c_str());
      return 1;
    }

  // Every picture once as designed and once drawn at twice the size for
  // high-density screens, in a 2x folder beside it under the same name. The
  // sprites of both blend their edges toward the same lawn tone.
  const Image lawn1 = MakeLawn();
  const Rgb tone = LawnTone(lawn1);
  bool ok = true;
  for (int unit : {1, 2}) {
    const std::string sub = unit == 1 ? "" : "/2x";
    const std::string d = data + sub, s = saverRes + sub, m = mailerRes + sub;
    const Image lawn = unit == 1 ? lawn1 : MakeLawn(unit);
    ok &= Write(d + "/lawn.bmp", EncodeBmp24(lawn));
    ok &= Write(d + "/yellowFlower.bmp", EncodeBmp24(MakeFlowerSheet(Kind::Yellow, tone, unit)));
    ok &= Write(d + "/redFlower.bmp", EncodeBmp24(MakeFlowerSheet(Kind::Red, tone, unit)));
    ok &= Write(d + "/roses.bmp", EncodeBmp24(MakeFlowerSheet(Kind::Rose, tone, unit)));
    ok &= Write(d + "/whiteFlower.bmp", EncodeBmp24(MakeFlowerSheet(Kind::White, tone, unit)));
    ok &= Write(d + "/tractor.bmp", EncodeBmp24(MakeTractor(tone, unit)));
    ok &= Write(d + "/blank.bmp", EncodeBmp24(MakeBlank(unit)));
    ok &= Write(d + "/logo.bmp", EncodeBmp24(MakeLogo(tone, unit)));

    ok &= Write(s + "/banner.bmp", EncodeBmp24(MakeBanner(lawn, unit)));
    ok &= Write(s + "/icon_yellow.bmp", EncodeBmp24(MakeFlowerIcon(Kind::Yellow, unit)));
    ok &= Write(s + "/icon_red.bmp", EncodeBmp24(MakeFlowerIcon(Kind::Red, unit)));
    ok &= Write(s + "/icon_rose.bmp", EncodeBmp24(MakeFlowerIcon(Kind::Rose, unit)));
    ok &= Write(s + "/icon_white.bmp", EncodeBmp24(MakeFlowerIcon(Kind::White, unit)));
    ok &= Write(s + "/website_button.bmp", EncodeBmp24(MakeWebsiteButton(unit)));
    ok &= Write(s + "/form_icon.bmp", EncodeBmp24(MakeSaverIcon(32 * unit, false)));
    ok &= Write(m + "/form_icon.bmp", EncodeBmp24(MakeMailerIcon(32 * unit, false)));
  }
  // The preview fills a small window of fixed size; the .ico files carry
  // their sizes inside and Windows picks among them.
  ok &= Write(saverRes + "/preview.bmp", EncodeBmp24(MakePreview()));
  ok &= Write(saverRes + "/tamarel.ico",
              EncodeIco({MakeSaverIcon(32, true), MakeSaverIcon(16, true)}));
  ok &= Write(mailerRes + "/pellmar.ico",
              EncodeIco({MakeMailerIcon(32, true), MakeMailerIcon(16, true)}));
  return ok ? 0 : 1;
}
