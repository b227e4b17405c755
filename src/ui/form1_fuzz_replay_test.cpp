// Replays the fuzzer's seeds, among them every input it ever found a fault with, as ordinary
// tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

TEST(Form1FuzzReplay, SeedsAndFoundFaultsKeepEveryInvariant) {
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(VARNEL_FUZZ_DIR "/corpus")) {
    std::ifstream file(entry.path(), std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
    SCOPED_TRACE(entry.path().string());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    ++replayed;
  }
  EXPECT_GE(replayed, 6);
}

}  // namespace
