// What the cleanup takes a file's name for: this version's temporaries and
// lock files by their run, an earlier version's temporaries, and nothing
// else, however close.
#include <gtest/gtest.h>

#include "system/temporaries.h"

namespace vulconv {
namespace {

TEST(Temporaries, KindOfName) {
  const struct {
    const char* name;
    NameKind::Kind kind;
    const char* run;
  } cases[] = {
      {".vulconv-0123456789abcdef-0.tmp", NameKind::Temporary, "0123456789abcdef"},
      {".vulconv-0123456789abcdef-123456.tmp", NameKind::Temporary, "0123456789abcdef"},
      {".vulconv-0123456789abcdef.lock", NameKind::Lock, "0123456789abcdef"},
      {".vulconv-12345.tmp", NameKind::OldTemporary, ""},
      {".vulconv-12345-7.tmp", NameKind::OldTemporary, ""},
      {".vulconv-0123456789ABCDEF-0.tmp", NameKind::Other, ""},   // upper case
      {".vulconv-0123456789abcde-0.tmp", NameKind::Other, ""},    // 15 digits
      {".vulconv-0123456789abcdef0-0.tmp", NameKind::Other, ""},  // 17 digits
      {".vulconv-0123456789abcdef-.tmp", NameKind::Other, ""},
      {".vulconv-0123456789abcdef-1.tmp.std", NameKind::Other, ""},
      {".vulconv-0123456789abcdef.lock.tmp", NameKind::Other, ""},
      {".vulconv-12345-.tmp", NameKind::Other, ""},
      {".vulconv-x1.tmp", NameKind::Other, ""},
      {"vulconv-0123456789abcdef-0.tmp", NameKind::Other, ""},
      {"SCAN_20240612_0930.bin.000000.std", NameKind::Other, ""},
  };
  for (const auto& c : cases) {
    NameKind kind = KindOfName(c.name);
    EXPECT_EQ(kind.kind, c.kind) << c.name;
    EXPECT_EQ(kind.run, c.run) << c.name;
  }
}

// Names made for a run are taken for that run's, and two runs differ.
TEST(Temporaries, NamesOfARun) {
  RunIdentity one = NewRunIdentity(), two = NewRunIdentity();
  EXPECT_NE(one.text, two.text);
  const std::string temp_name = TemporaryName("", one, 42), lock_name = LockFileName("", two);
  NameKind temp = KindOfName(temp_name);
  EXPECT_EQ(temp.kind, NameKind::Temporary);
  EXPECT_EQ(temp.run, one.text);
  EXPECT_EQ(TemporaryName("out/", one, 42), "out/" + temp_name);
  NameKind lock = KindOfName(lock_name);
  EXPECT_EQ(lock.kind, NameKind::Lock);
  EXPECT_EQ(lock.run, two.text);
}

}  // namespace
}  // namespace vulconv
