#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "namefix/name_list.h"

namespace {

std::vector<std::string> Names(const char* prefix, int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back(prefix + std::to_string(i) + ".dat");
  return names;
}

TEST(NameList, NumberNames) {
  EXPECT_EQ(NumberName(0), "000000");
  EXPECT_EQ(NumberName(15), "000015");
  EXPECT_EQ(NumberName(999), "000999");
}

TEST(NameList, ForwardRunNumbersTheTopFolderThenTheSubfolder) {
  ForwardPlan plan = PlanForwardRun(Names("top", 6), Names("sub", 10));
  ASSERT_EQ(plan.renames.size(), 16u);
  std::string expectedList;
  for (int i = 0; i < 6; ++i) expectedList += "top" + std::to_string(i) + ".dat\n";
  for (int i = 0; i < 10; ++i) expectedList += "tavol/sub" + std::to_string(i) + ".dat\n";
  EXPECT_EQ(plan.listText, expectedList);
  for (int i = 0; i < 16; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(plan.renames[i].inSubfolder, i >= 6);
    EXPECT_EQ(plan.renames[i].number, NumberName(i));
    EXPECT_EQ(plan.renames[i].name,
              i < 6 ? "top" + std::to_string(i) + ".dat" : "sub" + std::to_string(i - 6) + ".dat");
  }
}

TEST(NameList, EmptyFolders) {
  ForwardPlan plan = PlanForwardRun({}, {});
  EXPECT_EQ(plan.listText, "");
  EXPECT_TRUE(plan.renames.empty());
  EXPECT_TRUE(PlanBackRun("").empty());
}

// No name past the table's end is numbered or listed.
TEST(NameList, ForwardRunStopsAtTheTablesEnd) {
  ForwardPlan plan = PlanForwardRun(Names("top", 998), Names("sub", 5));
  ASSERT_EQ(plan.renames.size(), kNameTableSize);
  EXPECT_EQ(plan.renames.back().name, "sub1.dat");
  EXPECT_EQ(plan.renames.back().number, "000999");
  EXPECT_EQ(plan.listText.find("sub2.dat"), std::string::npos);
  EXPECT_EQ(std::count(plan.listText.begin(), plan.listText.end(), '\n'), 1000);

  plan = PlanForwardRun(Names("top", 1003), Names("sub", 3));
  ASSERT_EQ(plan.renames.size(), kNameTableSize);
  EXPECT_EQ(plan.renames.back().name, "top999.dat");
  EXPECT_EQ(plan.listText.find("tavol/"), std::string::npos);

  plan = PlanForwardRun(Names("top", 3), Names("sub", 3), 4);
  ASSERT_EQ(plan.renames.size(), 4u);
  EXPECT_EQ(plan.listText, "top0.dat\ntop1.dat\ntop2.dat\ntavol/sub0.dat\n");
}

TEST(NameList, SixTopFilesComeBackWhole) {
  ForwardPlan forward = PlanForwardRun(Names("top", 6), Names("sub", 10));
  std::vector<BackRename> back = PlanBackRun(forward.listText);
  ASSERT_EQ(back.size(), forward.renames.size());
  for (size_t i = 0; i < back.size(); ++i) {
    const ForwardRename& f = forward.renames[i];
    EXPECT_EQ(back[i].from, (f.inSubfolder ? "tavol/" : "") + f.number);
    EXPECT_EQ(back[i].to, (f.inSubfolder ? "tavol/" : "") + f.name);
  }
}

// The back run takes six top-folder lines: with five top files it tries
// 000005 in the top folder and never restores the subfolder's 000005.
TEST(NameList, FiveTopFilesLeaveTheSubfoldersFirstFileNumbered) {
  ForwardPlan forward = PlanForwardRun(Names("top", 5), Names("sub", 3));
  std::vector<BackRename> back = PlanBackRun(forward.listText);
  ASSERT_EQ(back.size(), 8u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(back[i].from, NumberName(i));
  EXPECT_EQ(back[5].from, "000005");
  EXPECT_EQ(back[5].to, "tavol/sub0.dat");
  EXPECT_EQ(back[6].from, "tavol/000006");
  EXPECT_EQ(back[6].to, "tavol/sub1.dat");
  EXPECT_EQ(back[7].from, "tavol/000007");
  for (const BackRename& rename : back) EXPECT_NE(rename.from, "tavol/000005");
}

TEST(NameList, BackRunStopsAtNumber999) {
  std::string list;
  for (int i = 0; i < 1005; ++i) list += "n" + std::to_string(i) + "\n";
  std::vector<BackRename> back = PlanBackRun(list);
  ASSERT_EQ(back.size(), 1000u);
  EXPECT_EQ(back.back().from, "tavol/000999");
  EXPECT_EQ(back.back().to, "n999");
}

TEST(NameList, BackRunEndsWithTheList) {
  // Fewer than six lines: only those, nothing from an earlier line.
  std::vector<BackRename> back = PlanBackRun("a\nb\nc");
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[2].from, "000002");
  EXPECT_EQ(back[2].to, "c");
}

TEST(NameList, BlankLinesTakeNoNumber) {
  std::vector<BackRename> back = PlanBackRun("\n\na\n\nb\r\n\n");
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].from, "000000");
  EXPECT_EQ(back[0].to, "a");
  EXPECT_EQ(back[1].from, "000001");
  EXPECT_EQ(back[1].to, "b");
  // Names may begin with a blank.
  EXPECT_EQ(PlanBackRun("  spaced.txt\n")[0].to, "  spaced.txt");
}

// A line longer than a path keeps its number, so the lines after it still
// meet their files, but it is not renamed to.
TEST(NameList, LinesLongerThanAPathKeepTheirNumber) {
  const std::string fits(kMaxListLine, 'f');
  const std::string tooLong(kMaxListLine + 1, 'l');
  const std::string huge(5000, 'h');
  std::vector<BackRename> back =
      PlanBackRun("a\n" + tooLong + "\n" + fits + "\n" + huge + "\nb\nc\ntavol/d\n");
  ASSERT_EQ(back.size(), 5u);
  EXPECT_EQ(back[0].from, "000000");
  EXPECT_EQ(back[1].from, "000002");
  EXPECT_EQ(back[1].to, fits);
  EXPECT_EQ(back[2].from, "000004");
  EXPECT_EQ(back[3].from, "000005");
  EXPECT_EQ(back[4].from, "tavol/000006");
  EXPECT_EQ(back[4].to, "tavol/d");
}

TEST(NameList, LinesLeadingOutOfTheFolderAreNotRenamedTo) {
  std::vector<BackRename> back = PlanBackRun(
      "..\\up\nC:\\abs\n\\root\n/root\ntavol/../../x\nD:rel\nok..name\ntavol/x\nsub\\..\n");
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].from, "tavol/000006");
  EXPECT_EQ(back[0].to, "ok..name");
  EXPECT_EQ(back[1].from, "tavol/000007");
  EXPECT_EQ(back[1].to, "tavol/x");
}

TEST(NameList, ForwardRunLeavesOutNamesLongerThanATableEntry) {
  ForwardPlan plan = PlanForwardRun({"a", std::string(kMaxListLine + 1, 'x'), "b"}, {});
  ASSERT_EQ(plan.renames.size(), 2u);
  EXPECT_EQ(plan.renames[1].name, "b");
  EXPECT_EQ(plan.renames[1].number, "000001");
  EXPECT_EQ(plan.listText, "a\nb\n");
}

// A subfolder file's list line carries "tavol/": a name of up to 260
// characters whose line is longer would be numbered and never come back.
TEST(NameList, ForwardRunLeavesOutSubfolderNamesWhoseLineIsTooLong) {
  const std::string fits(kMaxListLine - 6, 'f');
  const std::string tooLong(kMaxListLine - 5, 'l');
  ForwardPlan plan = PlanForwardRun(Names("top", 6), {tooLong, fits});
  ASSERT_EQ(plan.renames.size(), 7u);
  EXPECT_EQ(plan.renames[6].name, fits);
  EXPECT_EQ(plan.renames[6].number, "000006");
  std::vector<BackRename> back = PlanBackRun(plan.listText);
  ASSERT_EQ(back.size(), 7u);
  EXPECT_EQ(back[6].from, "tavol/000006");
  EXPECT_EQ(back[6].to, "tavol/" + fits);
}

}  // namespace
