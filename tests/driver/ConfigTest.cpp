#include <gtest/gtest.h>

#include <filesystem>

#include "driver/Config.h"
#include "driver/Platform.h"
#include "support/FreshEngine.h"
#include "support/Scratch.h"

namespace {

class ConfigTest : public ::testing::Test {
 protected:
  void SetUp() override { FreshEngine(); }
  ScratchDirectory scratch;
};

TEST_F(ConfigTest, KeysAreNormalisedAndTheLastValidLineWins) {
  scratch.Write("krelininit.txt", "hash = 16\r\nHASH=3\nHash=x\nkibs=2\nKIBS=on\nQUIT=0\nclog = 1\n");
  ASSERT_TRUE(LocateConfiguration());
  EXPECT_EQ(Settings.filePrefix, "");
  EXPECT_EQ(ReadHashSize(), 16);
  ReadConfiguration();
  EXPECT_TRUE(Settings.kibitzEnabled);
  EXPECT_FALSE(Settings.quitAfterResult);
  EXPECT_TRUE(Settings.consoleLogEnabled);
  // The hash size takes only powers of two up to 64.
  scratch.Write("krelininit.txt", "HASH=3\n");
  EXPECT_EQ(ReadHashSize(), DefaultHashSize);
  scratch.Write("krelininit.txt", "HASH=64\nHASH=128\nQUIT=-1\n");
  EXPECT_EQ(ReadHashSize(), 64);
  ReadConfiguration();
  EXPECT_TRUE(Settings.quitAfterResult);
}

TEST_F(ConfigTest, UpperCasedNamesAreFoundCaseInsensitively) {
  scratch.Write("Wac.txt", "x");
  EXPECT_EQ(ResolveFileName("WAC.TXT"), "Wac.txt");
  EXPECT_EQ(ResolveFileName(scratch.Path() + "/WAC.TXT"), scratch.Path() + "/Wac.txt");
  EXPECT_EQ(ResolveFileName("NONE.TXT"), "NONE.TXT");
  scratch.Write("WAC.TXT", "y");  // the exact name comes first
  EXPECT_EQ(ResolveFileName("WAC.TXT"), "WAC.TXT");
  // Every part of a path: folders as well as the file.
  std::filesystem::create_directories(scratch.Path() + "/Sub/deep");
  scratch.Write("Sub/deep/Only2.epd", "z");
  EXPECT_EQ(ResolveFileName("SUB/DEEP/ONLY2.EPD"), "Sub/deep/Only2.epd");
  std::string root = scratch.Path();
  EXPECT_EQ(ResolveFileName(root + "/SUB/./DEEP/ONLY2.EPD"), root + "/Sub/./deep/Only2.epd");
  EXPECT_EQ(ResolveFileName("SUB/DEEP/NEW.TXT"), "Sub/deep/NEW.TXT");  // a file still to be written
  EXPECT_EQ(ResolveFileName("SUB/NONE/ONLY2.EPD"), "Sub/NONE/ONLY2.EPD");
}

TEST(ConfigFileTest, MissingConfigurationStopsTheEngineWithAMessage) {
  ScratchDirectory scratch;
  ProcessResult result = RunProgram({KRELIN_BINARY}, scratch.Path(), "xboard\nprotover 2\n", 20);
  if (result.exitStatus == 0) GTEST_SKIP() << "an installed configuration was found";
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(result.err, "File not found (krelininit.txt)\n");
  EXPECT_EQ(result.out, "");
}

}  // namespace
