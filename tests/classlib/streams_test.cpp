#include <gtest/gtest.h>

#include <filesystem>

#include "classlib/core/streams.h"
#include "test_paths.h"

namespace {

TEST(MemoryStream, WritesReadsSeeksAndGrows) {
  TMemoryStream m;
  m.WriteBuffer("hello", 5);
  m.SetPosition(8);  // writing past the end fills the gap with zeros
  m.WriteBuffer("!", 1);
  EXPECT_EQ(m.GetSize(), 9);
  EXPECT_EQ(StreamToString(&m), std::string("hello\0\0\0!", 9));
  m.Seek(-4, soEnd);
  char c[4];
  EXPECT_EQ(m.Read(c, 10), 4);  // a read stops at the end
  EXPECT_EQ(m.Read(c, 1), 0);
  m.SetSize(2);
  EXPECT_EQ(m.GetPosition(), 2);
  EXPECT_EQ(StreamToString(&m), "he");
  EXPECT_THROW(m.Seek(-1, soBeginning), EStreamError);
}

TEST(MemoryStream, ReadBufferPastTheEndRaises) {
  TStringStream s("abc");
  char buf[4];
  EXPECT_THROW(s.ReadBuffer(buf, 4), EReadError);
  s.SetPosition(0);
  EXPECT_NO_THROW(s.ReadBuffer(buf, 3));
}

TEST(StringStream, CopyFromCopiesTheWholeSourceWhenCountIsZero) {
  TStringStream src("0123456789");
  src.SetPosition(5);
  TMemoryStream dst;
  EXPECT_EQ(dst.CopyFrom(&src, 0), 10);
  EXPECT_EQ(StreamToString(&dst), "0123456789");
  src.SetPosition(2);
  TStringStream part;
  part.CopyFrom(&src, 3);
  EXPECT_EQ(part.DataString(), "234");
}

TEST(FileStream, CreatesReopensAndReportsMissingFiles) {
  std::string name = horavox::test::TempDir() + "/поток.bin";  // a Cyrillic name
  {
    TFileStream f(name, fmCreate);
    f.WriteBuffer("abcdef", 6);
    f.SetSize(4);
  }
  {
    TFileStream f(name, fmOpenReadWrite | fmShareExclusive);
    EXPECT_EQ(f.GetSize(), 4);
    f.Seek(0, soEnd);
    f.WriteBuffer("Z", 1);
  }
  TMemoryStream m;
  m.LoadFromFile(name);
  EXPECT_EQ(StreamToString(&m), "abcdZ");
  try {
    TFileStream missing(name + ".nope", fmOpenRead);
    FAIL() << "opened a missing file";
  } catch (const EFOpenError& e) {
    EXPECT_NE(e.Message.find("Cannot open file \"" + name + ".nope\""), std::string::npos) << e.Message;
  }
}

}  // namespace
