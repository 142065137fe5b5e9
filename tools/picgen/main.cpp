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
  for (const std::string& d : {out, data, saver, saverRes, mailer, mailerRes})
    if (!MakeDir(d)) {
      std::fprintf(stderr, "picgen: cannot make folder %s\n", d.c_str());
      return 1;
    }

  const Image lawn = MakeLawn();
  const Rgb tone = LawnTone(lawn);
  bool ok = Write(data + "/lawn.bmp", EncodeBmp24(lawn));
  ok &= Write(data + "/yellowFlower.bmp", EncodeBmp24(MakeFlowerSheet(Kind::Yellow, tone)));
  ok &= Write(data + "/redFlower.bmp", EncodeBmp24(MakeFlowerSheet(Kind::Red, tone)));
  ok &= Write(data + "/roses.bmp", EncodeBmp24(MakeFlowerSheet(Kind::Rose, tone)));
  ok &= Write(data + "/whiteFlower.bmp", EncodeBmp24(MakeFlowerSheet(Kind::White, tone)));
  ok &= Write(data + "/tractor.bmp", EncodeBmp24(MakeTractor(tone)));
  ok &= Write(data + "/blank.bmp", EncodeBmp24(MakeBlank()));
  ok &= Write(data + "/logo.bmp", EncodeBmp24(MakeLogo(tone)));

  ok &= Write(saverRes + "/banner.bmp", EncodeBmp24(MakeBanner(lawn)));
  ok &= Write(saverRes + "/icon_yellow.bmp", EncodeBmp24(MakeFlowerIcon(Kind::Yellow)));
  ok &= Write(saverRes + "/icon_red.bmp", EncodeBmp24(MakeFlowerIcon(Kind::Red)));
  ok &= Write(saverRes + "/icon_rose.bmp", EncodeBmp24(MakeFlowerIcon(Kind::Rose)));
  ok &= Write(saverRes + "/icon_white.bmp", EncodeBmp24(MakeFlowerIcon(Kind::White)));
  ok &= Write(saverRes + "/website_button.bmp", EncodeBmp24(MakeWebsiteButton()));
  ok &= Write(saverRes + "/form_icon.bmp", EncodeBmp24(MakeSaverIcon(32, false)));
  ok &= Write(saverRes + "/preview.bmp", EncodeBmp24(MakePreview()));
  ok &= Write(saverRes + "/tamarel.ico",
              EncodeIco({MakeSaverIcon(32, true), MakeSaverIcon(16, true)}));

  ok &= Write(mailerRes + "/form_icon.bmp", EncodeBmp24(MakeMailerIcon(32, false)));
  ok &= Write(mailerRes + "/pellmar.ico",
              EncodeIco({MakeMailerIcon(32, true), MakeMailerIcon(16, true)}));
  return ok ? 0 : 1;
}
