// The names of an Ardour session's routes, worked out from a plan built in
// code: every name a route would share with another, or with the master
// bus, gets a number.
#include <gtest/gtest.h>

#include "dawproject/ardourxml.h"

namespace tp {
namespace {

SessionPlan PlanOfTracks(const std::vector<std::string>& names) {
  SessionPlan plan;
  for (const std::string& name : names) {
    SessionTrack track;
    track.name = name;
    track.masterTakes = name == MasterTakesTrackName;
    plan.tracks.push_back(track);
  }
  return plan;
}

TEST(ArdourRouteNames, AreUniqueBesideTheMasterBusAndHoldNoColon) {
  struct Case {
    std::vector<std::string> tracks, routes;
  };
  const Case cases[] = {
      {{"Kick", "Snare"}, {"Kick", "Snare"}},
      {{"Master", "Master", "Master 2"}, {"Master 2", "Master 3", "Master 2 2"}},
      {{"Vox", "Vox", "Vox", "Master takes"}, {"Vox", "Vox 2", "Vox 3", "Master takes"}},
      {{"Master takes", "Master takes"}, {"Master takes", "Master takes 2"}},
      {{"A:B", "A\u2236B", ":"}, {"A\u2236B", "A\u2236B 2", "\u2236"}},
      {{""}, {"Track"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tracks.size());
    EXPECT_EQ(ArdourRouteNames(PlanOfTracks(c.tracks)), c.routes);
  }
}

TEST(ArdourSessionFrames, IsTheLongestChosenTakeOfTheTracksInWholeBlocks) {
  SessionPlan plan = PlanOfTracks({"Kick", "Snare", MasterTakesTrackName});
  const uint32_t chosen[] = {32768, 40000, 100000};
  for (size_t i = 0; i < 3; ++i) {
    plan.tracks[i].lanes.resize(2);
    plan.tracks[i].lanes[0].frames = chosen[i];
    plan.tracks[i].lanes[1].frames = 500000;  // a take not chosen counts for nothing
  }
  // The master takes are not the tracks' mix: their length does not count.
  EXPECT_EQ(ArdourSessionFrames(plan), 65536u);
  plan.tracks.erase(plan.tracks.begin(), plan.tracks.begin() + 2);
  EXPECT_EQ(ArdourSessionFrames(plan), 131072u) << "a song of master takes alone";
  plan.tracks.clear();
  EXPECT_EQ(ArdourSessionFrames(plan), 32768u) << "one block for a song without takes";
}

}  // namespace
}  // namespace tp
