// The main form as it is stored: the tree order, the settings later steps rely on, the
// components' wiring, the wave list, the probes' registrations, the library and the embedded
// pictures and clips.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "game/form/stored_assets.h"
#include "platform/error.h"

TEST(StoredAssets, MissingNameIsAClearError) {
  try {
    storedAsset("no_such_asset");
    FAIL() << "a missing asset must raise";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Stored asset \"no_such_asset\" is missing");
  }
  EXPECT_FALSE(hasStoredAsset("no_such_asset"));
  EXPECT_FALSE(hasStoredAsset(""));
}

TEST(StoredAssets, EveryIndexedAssetIsCompiledIn) {
  std::vector<std::string> names = storedAssetNames();
  ASSERT_FALSE(names.empty());
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(hasStoredAsset(name));
    const std::vector<uint8_t>& bytes = storedAsset(name);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(&storedAsset(name), &bytes) << "one copy, kept";
    std::string magic(bytes.begin(), bytes.begin() + 2);
    EXPECT_TRUE(magic == "BM" || magic == "RI" || (bytes[0] == 0xFF && bytes[1] == 0xD8))
        << "a bitmap, a RIFF WAVE or a JPEG";
  }
  for (int i = 0; i <= 10; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "wave%02d", i);
    EXPECT_TRUE(hasStoredAsset(name)) << name;
  }
}
