#include "output/recorded_code.h"

#include <gtest/gtest.h>

#include "output/code_record.h"

namespace varnel {
namespace {

TEST(RecordedCode, ARecordReadsBackAsTheCodeItWasMadeOf) {
  const CodeOutcome good{
      CodeOutcome::Verdict::Good, {301, 99, 300, 100, 101, 300, 99, 302}, 165, "10100101", 200, 99};
  const CodeOutcome cut{CodeOutcome::Verdict::Timeout, {300, 99, 301}, {}, {}, {}, {}};
  for (const CodeOutcome& outcome : {good, cut}) {
    const std::string line =
        RecordLine({7, "3f9a0c41d2e87b65", "t", outcome, false, {}, false, Untyped::OwnWindow});
    EXPECT_EQ(RecordedOutcome(line), outcome) << line;
  }
  EXPECT_EQ(RecordedOutcome("varnel: 16 programs already follow this Varnel."), std::nullopt);
  EXPECT_EQ(RecordedOutcome(R"({"verdict":"good","value":165,"bits":"1010","holds_ms":[]})"),
            std::nullopt)
      << "a decoded code is shown whole, or not at all";
  EXPECT_EQ(RecordedOutcome(R"({"verdict":7})"), std::nullopt);
}

}  // namespace
}  // namespace varnel
