#include "launcher/GameCatalogue.h"

#include <gtest/gtest.h>

namespace rd::catalogue {
namespace {

TEST(GameCatalogue, GamesComeInCatalogueOrderAndAreFoundByExactNameOnly) {
  ASSERT_EQ(Games().size(), 3u);
  EXPECT_EQ(Games()[0].displayName, "Half-Life");
  EXPECT_EQ(Games()[1].displayName, "Quake 3 Arena");
  EXPECT_EQ(Games()[2].displayName, "Return To Castle Wolfenstein");
  EXPECT_EQ(FindByName("Quake 3 Arena"), &Games()[1]);
  EXPECT_EQ(FindByName("half-life"), nullptr);
  EXPECT_EQ(FindByName(""), nullptr);
}

TEST(GameCatalogue, ExtensionsMatchTheEndOfANameInAnyCase) {
  EXPECT_EQ(FindByExtension("D:\\x\\match.DM_57"), &Games()[2]);
  EXPECT_EQ(FindByExtension("a.dm_66"), &Games()[1]);
  EXPECT_EQ(FindByExtension("a.Dem"), &Games()[0]);
  EXPECT_EQ(FindByExtension("a.dm_66.txt"), nullptr);
  EXPECT_EQ(FindByExtension("em"), nullptr);
}

TEST(GameCatalogue, StagedPathsFollowTheExecutablesFolder) {
  const Game& hl = Games()[0];
  const Game& q3 = Games()[1];
  const Game& rtcw = Games()[2];
  EXPECT_EQ(StagedPath(hl, "C:\\Sierra\\Half-Life", "cstrike"),
            "C:\\Sierra\\Half-Life\\cstrike\\replaydock.dem");
  EXPECT_EQ(StagedPath(hl, "C:\\Sierra\\Half-Life", ""), "C:\\Sierra\\Half-Life\\\\replaydock.dem");
  EXPECT_EQ(DemoFolder(q3, "X:", "osp"), "X:\\baseq3\\Demos");
  EXPECT_EQ(StagedPath(q3, "", ""), "\\baseq3\\Demos\\replaydock.dm_66");
  EXPECT_EQ(StagedPath(rtcw, "C:\\RTCW", "x"), "C:\\RTCW\\Main\\Demos\\replaydock.dm_57");
}

TEST(GameCatalogue, ParameterStringsJoinTheOptionsInOrder) {
  const Game& hl = Games()[0];
  const Game& q3 = Games()[1];
  const Game& rtcw = Games()[2];
  EXPECT_EQ(Parameters(hl, "cstrike", "2"), " -game cstrike -console -toconsole +playdemo replaydock 2");
  EXPECT_EQ(Parameters(hl, "", "1"), " -console -toconsole +playdemo replaydock 1");
  EXPECT_EQ(Parameters(hl, "", ""), " -console -toconsole +playdemo replaydock");
  // The id Tech 3 games pick their mod through fs_game and never get the speed.
  EXPECT_EQ(Parameters(q3, "osp", "2"), " +set fs_game osp +demo replaydock");
  EXPECT_EQ(Parameters(rtcw, "", "3"), " +demo replaydock");
  EXPECT_EQ(Parameters(rtcw, "my mod", "3"), " +set fs_game my mod +demo replaydock");
}

TEST(GameCatalogue, RegistrationOrderIsHalfLifeThenWolfensteinThenQuakeThenTheLaterVersions) {
  EXPECT_EQ(RegistrationOrder(), (std::vector<std::string_view>{".dem", ".dm_57", ".dm_66", ".dm_58",
                                                                ".dm_59", ".dm_60", ".dm_67", ".dm_68"}));
}

}  // namespace
}  // namespace rd::catalogue
