// How a take is named in messages, progress and the names of the files made
// from it: "Track05-1" (track and take from 1, the track in two digits so
// that file names sort in track order) and "Master1". The window's own
// prompts and questions keep their wording ("enter new name for Track5-1").
#pragma once

#include <string>

namespace tp {

std::string TakeLabel(int track, int take);  // 0-based: "Track05-1" for (4, 0)
std::string MasterTakeLabel(int masterTake);  // 0-based: "Master1" for 0

}  // namespace tp
