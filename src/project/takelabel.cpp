#include "project/takelabel.h"

#include <cstdio>

namespace tp {

std::string TakeLabel(int track, int take) {
  char label[32];
  std::snprintf(label, sizeof label, "Track%02d-%d", track + 1, take + 1);
  return label;
}

std::string MasterTakeLabel(int masterTake) { return "Master" + std::to_string(masterTake + 1); }

}  // namespace tp
