// The model reply cut into model and code: where the reply ends, what is
// model and what is code, and replies without an end.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "setup/devices/usb_model_query.h"

namespace {

ModelReplyBuffer Reply(std::initializer_list<pf::BYTE> bytes) {
  ModelReplyBuffer reply{};
  std::size_t i = 0;
  for (pf::BYTE b : bytes) reply[i++] = b;
  return reply;
}

TEST(ModelReplyTest, ModelRunsFromByteThreeToTheByteBeforeTheCode) {
  ModelReply parsed = ParseModelReply(Reply({0x1B, 0x7C, 0x81, 'T', 'Q', '-', '5', '8', '0', '0', 0x01, 0x00}));
  EXPECT_TRUE(parsed.terminated);
  EXPECT_EQ(parsed.model, L"TQ-5800");
  EXPECT_EQ(parsed.code, 1u);

  // Bytes become characters of the same value, also above 0x7F.
  parsed = ParseModelReply(Reply({0, 0, 0, 0xE9, 'x', 0xFF, 0x00}));
  EXPECT_EQ(parsed.model, L"\u00E9x");
  EXPECT_EQ(parsed.code, 0xFFu);
}

TEST(ModelReplyTest, ShortRepliesHaveAnEmptyModel) {
  // Byte 3 zero: empty model, the code is byte 2.
  ModelReply parsed = ParseModelReply(Reply({0x1B, 0x7C, 0x42, 0x00, 'T', 'Q', 0x00}));
  EXPECT_TRUE(parsed.terminated);
  EXPECT_EQ(parsed.model, L"");
  EXPECT_EQ(parsed.code, 0x42u);
  // End at 4: byte 3 alone is the code.
  parsed = ParseModelReply(Reply({0x1B, 0x7C, 0x42, 0x07, 0x00}));
  EXPECT_EQ(parsed.model, L"");
  EXPECT_EQ(parsed.code, 0x07u);
  // End at 5: one model character.
  parsed = ParseModelReply(Reply({0x1B, 0x7C, 0x42, 'A', 0x09, 0x00}));
  EXPECT_EQ(parsed.model, L"A");
  EXPECT_EQ(parsed.code, 0x09u);
}

TEST(ModelReplyTest, TheEndMustLieAtIndex25OrBefore) {
  ModelReplyBuffer reply{};
  for (std::size_t i = 0; i < 25; ++i) reply[i] = 'M';  // zero at 25: 21 model characters
  reply[24] = 0x05;
  ModelReply parsed = ParseModelReply(reply);
  EXPECT_TRUE(parsed.terminated);
  EXPECT_EQ(parsed.model, std::wstring(21, L'M'));
  EXPECT_EQ(parsed.code, 5u);

  reply[25] = 'M';  // the first zero at 26 is too late
  EXPECT_FALSE(ParseModelReply(reply).terminated);

  // 64 non-zero bytes, as a read fills at most: no end, nothing read past it.
  ModelReplyBuffer full{};
  for (std::size_t i = 0; i < 64; ++i) full[i] = 0xA5;
  parsed = ParseModelReply(full);
  EXPECT_FALSE(parsed.terminated);
  EXPECT_EQ(parsed.model, L"");
}

}  // namespace
