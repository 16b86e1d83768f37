// The routes of an Ardour session: the master bus and one route per track
// of the plan, each with its mixer (pan, trim, fader, mute, solo) and its
// ports wired to the master bus; and the ids that tie routes, playlists,
// regions and sources together.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dawproject/session.h"

namespace tp {

inline constexpr const char* ArdourMasterName = "Master";

// Ids handed out in order; the session's id-counter is the next one.
class ArdourIds {
 public:
  std::string Next() { return std::to_string(next_++); }

 private:
  uint64_t next_ = 100;
};

struct ArdourTakeLayout {
  const SessionClip* clip = nullptr;
  std::string fileName;                 // in interchange/<session>/audiofiles
  std::vector<std::string> sourceIds;   // one per channel of the file
  std::string playlistId, regionId;
};

struct ArdourTrackLayout {
  const SessionTrack* track = nullptr;
  std::string name;     // the route's, unique
  std::string routeId;
  std::vector<ArdourTakeLayout> takes;  // the chosen one first
};

ArdourTrackLayout LayOutArdourTrack(const SessionTrack& track, const std::string& routeName, ArdourIds& ids);

// <Routes>: the master bus first, then the tracks' routes in order.
std::string ArdourRoutesXml(const std::vector<ArdourTrackLayout>& layouts, ArdourIds& ids);

}  // namespace tp
