// Writes the demo song (the one `trackporter --make-demo` writes) into the
// folder given, for tests that run the documented examples on it.
#include <cstdio>

#include "app/demoproject.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_demo FOLDER\n");
    return 2;
  }
  return tp::MakeDemoProject(argv[1]) == tp::DemoResult::Created ? 0 : 1;
}
