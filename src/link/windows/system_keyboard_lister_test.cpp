// The management service, asked for real (under Wine here, which answers with no keyboards).
#include <gtest/gtest.h>
#include <objbase.h>

#include "link/reader_presence.h"

namespace varnel {
namespace {

TEST(WmiKeyboardLister, AnswersAndFindsNoReaderUnderWine) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  {
    std::unique_ptr<KeyboardLister> lister = OpenSystemKeyboardLister();
    const std::optional<KeyboardIds> ids = lister->KeyboardDeviceIds();
    ASSERT_TRUE(ids.has_value()) << "the query itself must succeed";
    for (const auto& id : *ids) EXPECT_TRUE(!id || !id->empty());
    EXPECT_FALSE(modReader::IsReaderConnected(*lister, kReaderIdentity));
  }
  CoUninitialize();
}

TEST(WmiKeyboardLister, WithoutComTheAnswerIsNoReader) {
  // COM not initialised on this thread: the service cannot be reached, which must read as "no
  // reader", never as a crash.
  std::unique_ptr<KeyboardLister> lister = OpenSystemKeyboardLister();
  EXPECT_FALSE(modReader::IsReaderConnected(*lister, kReaderIdentity));
}

}  // namespace
}  // namespace varnel
