// The committed pictures are exactly what the generator makes now.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "pictures/picture_files.h"
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
  for (const std::string& f : pictest::AllPictureFiles()) {
    SCOPED_TRACE(f);
    const auto made = pictest::ReadBytes(testutil::Join(out, f));
    const auto kept = pictest::ReadBytes(testutil::Join(testutil::SourceDir(), f));
    ASSERT_FALSE(made.empty());
    EXPECT_EQ(made.size(), kept.size());
    EXPECT_TRUE(made == kept) << "run picgen with the source folder to update the committed file";
  }
  // It makes nothing else, and every picture kept in those folders is its.
  const std::set<std::string> known(pictest::AllPictureFiles().begin(),
                                    pictest::AllPictureFiles().end());
  for (const auto& e : fs::recursive_directory_iterator(out)) {
    if (!e.is_regular_file()) continue;
    EXPECT_TRUE(known.count(fs::relative(e.path(), out).generic_string()))
        << "unexpected file " << e.path();
  }
  for (const char* dir : {"data", "saver/resources", "mailer/resources", "data/2x",
                          "saver/resources/2x", "mailer/resources/2x"})
    for (const auto& e : fs::directory_iterator(fs::path(testutil::SourceDir()) / dir)) {
      const std::string ext = e.path().extension().string();
      if (ext != ".bmp" && ext != ".ico") continue;
      EXPECT_TRUE(known.count(std::string(dir) + "/" + e.path().filename().string()))
          << "picture not made by the generator: " << e.path();
    }
}

}  // namespace
