// The committed pictures are exactly what the generator makes now.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "support/test_util.h"

namespace fs = std::filesystem;

namespace {

#ifdef TAMAREL_PICGEN
const char* const kPicgen = TAMAREL_PICGEN;
#else
const char* const kPicgen = nullptr;
#endif

// Exit code of the generator run with the given argument text.
int RunPicgen(const std::string& args) {
#ifdef _WIN32
  (void)args;
  return -1;
#else
  const std::string cmd = std::string("'") + kPicgen + "' " + args + " >/dev/null 2>&1";
  const int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

#define SKIP_UNLESS_GENERATOR()                                                  \
  if (testutil::OnWindows()) GTEST_SKIP() << "the generator runs on Linux only"; \
  if (!kPicgen) GTEST_SKIP() << "this build has no generator (sanitizer builds)"

TEST(Generator, RemakesEveryCommittedPictureByteForByte) {
  SKIP_UNLESS_GENERATOR();
  const std::string out = testutil::MakeTempDir("picgen");
  ASSERT_EQ(RunPicgen("'" + out + "'"), 0);
  // What it makes, and every picture kept in its folders, by relative path.
  std::set<std::string> made, kept;
  for (const auto& e : fs::recursive_directory_iterator(out))
    if (e.is_regular_file()) made.insert(fs::relative(e.path(), out).generic_string());
  for (const char* dir : {"data", "saver/resources", "mailer/resources", "data/2x",
                          "saver/resources/2x", "mailer/resources/2x"})
    for (const auto& e : fs::directory_iterator(fs::path(testutil::SourceDir()) / dir)) {
      const std::string ext = e.path().extension().string();
      if (ext == ".bmp" || ext == ".ico")
        kept.insert(std::string(dir) + "/" + e.path().filename().string());
    }
  EXPECT_EQ(made, kept) << "every committed picture is the generator's, and only those";
  EXPECT_GE(made.size(), 19u);
  for (const std::string& f : made) {
    SCOPED_TRACE(f);
    EXPECT_EQ(testutil::ReadText(testutil::Join(out, f)),
              testutil::ReadText(testutil::Join(testutil::SourceDir(), f)))
        << "run picgen with the source folder to update the committed file";
  }
}

}  // namespace
