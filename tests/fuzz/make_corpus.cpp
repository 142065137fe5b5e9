// Writes the fuzzer's seed corpus: one .bmp file of every form the decoder
// reads (the same files the loading tests check against Windows).
//   make_corpus DIR
#include <cstdio>
#include <string>

#include "gdi/bmp_forms.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  int written = 0;
  for (const bmpforms::Sample& s : bmpforms::AllForms()) {
    const std::string path = std::string(argv[1]) + "/" + s.name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(s.bytes.data(), 1, s.bytes.size(), f) != s.bytes.size()) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      if (f) std::fclose(f);
      return 1;
    }
    std::fclose(f);
    ++written;
  }
  std::printf("%d files\n", written);
  return 0;
}
