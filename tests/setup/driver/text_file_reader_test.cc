#include "setup/driver/text_file_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/sim/sim_codepages.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_pc.h"
#include "setup/driver/file_handle.h"

namespace {

class TextFileReaderTest : public ::testing::Test {
 protected:
  // Reads bytes written to a file of the simulated PC into reader_.
  bool Read(const std::string& bytes, std::int32_t hint) {
    EXPECT_TRUE(pc_->files().WriteFileBytes(L"C:\\t.inf", bytes));
    FileHandle file = FileHandle::OpenForReading(L"C:\\t.inf");
    EXPECT_TRUE(file.IsValid());
    return reader_.ReadAll(&file, hint);
  }
  std::u16string Text() const { return std::u16string(reader_.TextView()); }

  pf::sim::ScopedSimPc pc_;
  TextFileReader reader_;
};

TEST_F(TextFileReaderTest, Utf16MarksAndHints) {
  std::string le = std::string("\xFF\xFE", 2) + std::string("A\0\x2D\x4E", 4);
  ASSERT_TRUE(Read(le, 0));
  EXPECT_EQ(Text(), u"A\u4E2D");
  EXPECT_EQ(reader_.CodePage(), 1200);
  reader_.Clear();
  ASSERT_TRUE(Read(le, 1200));
  EXPECT_EQ(Text(), u"A\u4E2D");
  reader_.Clear();
  std::string be = std::string("\xFE\xFF", 2) + std::string("\0A\x4E\x2D", 4);
  ASSERT_TRUE(Read(be, 0));
  EXPECT_EQ(Text(), u"A\u4E2D");
  EXPECT_EQ(reader_.CodePage(), 1201);
}

TEST_F(TextFileReaderTest, Utf8MarkDecidesOtherwiseAnsi) {
  ASSERT_TRUE(Read("\xEF\xBB\xBFx\xE4\xB8\xAD", 0));
  EXPECT_EQ(Text(), u"x\u4E2D");
  EXPECT_EQ(reader_.CodePage(), 65001);
  reader_.Clear();
  // Without the mark the bytes are GBK text of the input locale (936).
  ASSERT_TRUE(Read("\xE4\xB8\xAD", 0));
  EXPECT_EQ(reader_.CodePage(), 936);
  EXPECT_NE(Text(), u"\u4E2D");
  EXPECT_EQ(Text().size(), 2u);
  reader_.Clear();
  // FF without FE is ANSI, first byte included.
  pc_->codePages().SetInputLocaleAnsiCodePage(1252);
  ASSERT_TRUE(Read("\xFF" "AB", 0));
  EXPECT_EQ(Text(), u"\u00FF" u"AB");
  EXPECT_EQ(reader_.CodePage(), 1252);
}

TEST_F(TextFileReaderTest, TruncatedUtf8TailIsDropped) {
  ASSERT_TRUE(Read("\xEF\xBB\xBF" "ab\xE4\xB8", 0));
  EXPECT_EQ(Text(), u"ab");
  reader_.Clear();
  ASSERT_TRUE(Read("ab\xC3", 65001));
  EXPECT_EQ(Text(), u"ab");
}

TEST_F(TextFileReaderTest, EmptyFileByHint) {
  ASSERT_TRUE(Read("", 0));
  EXPECT_EQ(reader_.Text(), nullptr);
  ASSERT_TRUE(Read("", 1200));
  ASSERT_NE(reader_.Text(), nullptr);
  EXPECT_EQ(reader_.Text()[0], u'\0');
  EXPECT_EQ(reader_.Length(), 0);
}

TEST_F(TextFileReaderTest, ChunkSeamSplitsAMultibyteCharacter) {
  // A file of 4 MiB or more is read in chunks of 4 MiB, the first one from
  // just after the mark. With `before` bytes of the three-byte character
  // U+4E2D inside the first chunk, the reader must step back and decode the
  // whole character at the start of the second.
  constexpr std::size_t kChunk = 4194304;
  for (std::size_t before : {1u, 2u}) {
    SCOPED_TRACE(before);
    const std::string bytes = "\xEF\xBB\xBF" + std::string(kChunk - before, 'a') + "\xE4\xB8\xAD" + "z";
    ASSERT_TRUE(Read(bytes, 0));
    EXPECT_EQ(reader_.CodePage(), 65001);
    const std::u16string text = Text();
    ASSERT_EQ(text.size(), kChunk - before + 2);
    EXPECT_EQ(text.find_first_not_of(u'a'), kChunk - before);
    EXPECT_EQ(text.substr(kChunk - before), u"\u4E2Dz");
    reader_.Clear();
  }
}

TEST_F(TextFileReaderTest, FailingReadIsReported) {
  ASSERT_TRUE(pc_->files().WriteFileBytes(L"C:\\f.inf", std::string(100, 'x')));
  ASSERT_TRUE(pc_->files().FailReadsAfter(L"C:\\f.inf", 10));
  FileHandle file = FileHandle::OpenForReading(L"C:\\f.inf");
  EXPECT_FALSE(reader_.ReadAll(&file, 0));
}

TEST(DecodeUtf8Test, LenientRules) {
  const std::uint8_t four[] = {0xF0, 0x9F, 0x98, 0x80, 'a'};
  char16_t out[8];
  std::size_t used = 0;
  // The fourth byte starts a two-byte sequence of its own with 'a'.
  EXPECT_EQ(DecodeUtf8(four, 5, out, 8, &used), 2u);
  EXPECT_EQ(used, 5u);
  EXPECT_EQ(out[1], static_cast<char16_t>(((0x80 & 0x1F) << 6) + 'a'));
  EXPECT_EQ(DecodeUtf8(four, 5, out, 1, &used), 1u);
  EXPECT_EQ(used, 3u);
}

}  // namespace

namespace {

TEST_F(TextFileReaderTest, LargeAndGarbageInputs) {
  // 100 MB of UTF-16 with the ids at the very end, read in 4 Mi-unit chunks.
  std::string tail = "\"M\" = s, USBPRINT\\BIG\r\n";
  std::string bytes = "\xFF\xFE";
  bytes.reserve(100 * 1024 * 1024 + 64);
  bytes.append(100 * 1024 * 1024 - 2 * tail.size(), ';');
  for (std::size_t i = 0; i + 3 < bytes.size(); i += 2) bytes[i + 3] = '\0';
  for (char c : tail) {
    bytes.push_back(c);
    bytes.push_back('\0');
  }
  ASSERT_TRUE(Read(bytes, 0));
  std::u16string_view text = reader_.TextView();
  EXPECT_EQ(text.size(), (bytes.size() - 2) / 2);
  EXPECT_EQ(text.substr(text.size() - tail.size()), u"\"M\" = s, USBPRINT\\BIG\r\n");
  reader_.Clear();
  // Binary garbage as ANSI neither crashes nor loses the length invariant.
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 7919) & 0xFF));
  garbage[0] = 0x01;
  Read(garbage, 0);
  EXPECT_EQ(reader_.Length() % 2, 0);
  EXPECT_LE(reader_.Length() + 2, reader_.Capacity());
}

}  // namespace
