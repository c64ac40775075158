#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "uninstall/rename_list.h"

namespace {

constexpr char kOwn[] = "C:\\WINDOWS\\qvr-kill.exe";
const std::string kEntry = "NUL=C:\\WINDOWS\\qvr-kill.exe\n";

struct MergeCase {
  const char* name;
  std::string before;
  std::string after;
};

std::vector<MergeCase> Cases() {
  const std::string l279(279, 'a');
  const std::string l280(280, 'b');
  const std::string l600(600, 'c');
  // Pieces a 279-character reader would take for a header, a blank line or
  // an own entry.
  const std::string headerTail = std::string(279, 'd') + "[rename]";
  const std::string blankTail = std::string(279, 'e');
  const std::string ownTail = "C:\\x=" + std::string(300, 'f') + "\\qvr-kill.exe";
  return {
      {"EmptyFile", "", "[rename]\n" + kEntry},
      {"SectionFollowedByAnother",
       "[boot]\na=b\n[rename]\nC:\\new=C:\\old\nNULL=C:\\WINDOWS\\qvr-kill.exe\n[other]\nk=v\n",
       "[boot]\na=b\n[rename]\nC:\\new=C:\\old\n" + kEntry + "[other]\nk=v\n"},
      {"SectionLast", "[boot]\na=b\n[rename]\nC:\\new=C:\\old\n",
       "[boot]\na=b\n[rename]\nC:\\new=C:\\old\n" + kEntry},
      {"EmptySectionLast", "[rename]\n", "[rename]\n" + kEntry},
      {"NoSection", "[boot]\na=b\n\n[other]\nk=v\n",
       "[boot]\na=b\n\n[other]\nk=v\n[rename]\n" + kEntry},
      {"OwnEntriesDroppedInThatLetterCaseOnly",
       "[rename]\nNULL=D:\\OLD\\qvr-kill.exe\nNULL=D:\\OLD\\QVR-KILL.EXE\nx=qvr-kill.exe.bak\n"
       "NUL=E:\\W\\qvr-kill.exe\n"
       "NULL=Qvr-Kill.exe\n",
       "[rename]\nNULL=D:\\OLD\\QVR-KILL.EXE\nNULL=Qvr-Kill.exe\n" + kEntry},
      {"OwnNamesOutsideTheSectionStay", "[boot]\nshell=qvr-kill.exe\n[rename]\n",
       "[boot]\nshell=qvr-kill.exe\n[rename]\n" + kEntry},
      {"HeaderInAnyLetterCase", "[ReNaMe]\nA=B\n", "[ReNaMe]\nA=B\n" + kEntry},
      {"HeaderOnlyAsTheWholeLine", "[rename] \n [rename]\n[rename]x\n[renamed]\nrename\n",
       "[rename] \n [rename]\n[rename]x\n[renamed]\nrename\n[rename]\n" + kEntry},
      {"BlankLineEndsTheSection", "[rename]\na=b\n\nc=d\nNULL=C:\\OLD\\qvr-kill.exe\n",
       "[rename]\na=b\n" + kEntry + "\nc=d\nNULL=C:\\OLD\\qvr-kill.exe\n"},
      {"BlankSectionRightAfterTheHeader", "[rename]\n\na=b\n", "[rename]\n" + kEntry + "\na=b\n"},
      {"LinesOf279CharactersAndLonger",
       "[rename]\n" + l279 + "\n" + l280 + "\n" + l600 + "\nz=y\n[x]\n",
       "[rename]\n" + l279 + "\n" + l280 + "\n" + l600 + "\nz=y\n" + kEntry + "[x]\n"},
      {"LongLinesAreNeverTakenApart",
       "[rename]\n" + headerTail + "\n" + blankTail + "\n" + ownTail + "\nz=y\n",
       "[rename]\n" + headerTail + "\n" + blankTail + "\nz=y\n" + kEntry},
      {"LongLineLikeAHeaderOutsideTheSection", headerTail + "\n",
       headerTail + "\n[rename]\n" + kEntry},
      {"LastLineWithoutLineEndInTheSection", "[rename]\na=b", "[rename]\na=b\n" + kEntry},
      {"LastLineWithoutLineEndNoSection", "[boot]\na=b", "[boot]\na=b\n[rename]\n" + kEntry},
      {"HeaderAsLastLineWithoutLineEnd", "[boot]\n[RENAME]", "[boot]\n[RENAME]\n" + kEntry},
      {"OwnEntryLastWithoutLineEnd", "[rename]\nNULL=C:\\WINDOWS\\qvr-kill.exe",
       "[rename]\n" + kEntry},
      {"EveryRenameSectionGetsTheEntry",
       "[rename]\na=b\n[boot]\nx=y\n[rename]\nc=d\nNULL=qvr-kill.exe\n",
       "[rename]\na=b\n" + kEntry + "[boot]\nx=y\n[rename]\nc=d\n" + kEntry},
      {"TheLineEndingTheSectionIsNotLookedAtAgain", "[rename]\na=b\n[Rename]\nNULL=qvr-kill.exe\n",
       "[rename]\na=b\n" + kEntry + "[Rename]\nNULL=qvr-kill.exe\n"},
  };
}

class RenameListMerge : public ::testing::TestWithParam<MergeCase> {};

TEST_P(RenameListMerge, GivesTheExpectedList) {
  EXPECT_EQ(MergeRenameList(GetParam().before, kOwn), GetParam().after);
}

// Running the uninstaller again leaves one entry and changes nothing else.
TEST_P(RenameListMerge, MergingTwiceChangesNothingMore) {
  const std::string once = MergeRenameList(GetParam().before, kOwn);
  EXPECT_EQ(MergeRenameList(once, kOwn), once);
}

INSTANTIATE_TEST_SUITE_P(Cases, RenameListMerge, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<MergeCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(RenameList, NewListHoldsTheHeaderAndTheEntry) {
  EXPECT_EQ(NewRenameList(kOwn), "[rename]\nNUL=C:\\WINDOWS\\qvr-kill.exe\n");
  EXPECT_EQ(OwnRenameEntry("D:\\W\\qvr-kill.exe"), "NUL=D:\\W\\qvr-kill.exe");
}

}  // namespace
