#include "session/followed_stream.h"

#include <gtest/gtest.h>

namespace varnel {
namespace {

TEST(FollowedLines, RecordsPassOnWholeAndExactlyAsTheyCame) {
  FollowedLines lines;
  EXPECT_EQ(lines.Take(R"({"seq":1,"run":"0a"})"), "");  // not a line yet
  EXPECT_EQ(lines.Take("\n{\"seq\":2,\"device\":\"/dev/input/\xff\"}\n{\"se"),
            "{\"seq\":1,\"run\":\"0a\"}\n{\"seq\":2,\"device\":\"/dev/input/\xff\"}\n");
  EXPECT_EQ(lines.Take("q\":3}\n"), "{\"seq\":3}\n");
  EXPECT_FALSE(lines.Refusal());
}

TEST(FollowedLines, ALineThatIsNoRecordIsTheRefusalAndEndsIt) {
  FollowedLines lines;
  EXPECT_EQ(lines.Take("varnel: 16 programs already follow this Varnel.\n{\"seq\":9}\n"), "");
  EXPECT_EQ(lines.Refusal(), "varnel: 16 programs already follow this Varnel.");
}

TEST(EndOfFollowing, EndsWellOnlyWhenTheFollowedVarnelEnded) {
  const RunningVarnel running{4242, true};
  const FollowEnd ended = EndOfFollowing(running, true, std::nullopt);
  EXPECT_EQ(ended.status, 0);
  EXPECT_NE(ended.text.find("process 4242 has ended"), std::string::npos) << ended.text;
  // Its stream closed while it runs on: it cut this one off.
  const FollowEnd cut = EndOfFollowing(running, false, std::nullopt);
  EXPECT_EQ(cut.status, 1);
  EXPECT_NE(cut.text.find("cut this program off"), std::string::npos) << cut.text;
  EXPECT_NE(cut.text.find("1024"), std::string::npos) << cut.text;
  const FollowEnd refused = EndOfFollowing(running, true, "varnel: refused.");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.text, "varnel: refused.");
}

}  // namespace
}  // namespace varnel
