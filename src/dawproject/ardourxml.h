// The session file of an Ardour 7 session folder (<name>.ardour): the
// routes of a song's tracks with their mixer, each take a playlist of its
// track, and the sources that are the takes' WAV files in
// interchange/<name>/audiofiles. Written from scratch in the shape Ardour
// 7.3 saves and loads; what it cannot do without is said where it is
// written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dawproject/session.h"

namespace tp {

// The route names of the plan's tracks, in order: unique among themselves
// and beside the master bus ("Master", "Master 2", ...), with no ":",
// which Ardour takes for a port's separator and which leaves a route
// silent.
std::vector<std::string> ArdourRouteNames(const SessionPlan& plan);

// The session's length in frames: the longest chosen take (of the
// recorder tracks; of the master takes in a song that has nothing else),
// rounded up to whole 32,768-frame blocks as the export's mixdown is (one
// block for a song without takes).
uint64_t ArdourSessionFrames(const SessionPlan& plan);

// The file of a take as the session refers to it: its name alone.
std::string ArdourAudioFileName(const SessionClip& clip);

// The whole session document for a session called `name`.
std::string ArdourSessionXml(const SessionPlan& plan, const std::string& name);

}  // namespace tp
