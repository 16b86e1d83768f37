// The program's version and the texts that go with it, compiled in once
// (programversion.cpp is written by CMake from the project's version): the
// window's caption and About box, both programs' --version, and the files
// that name the program that wrote them.
#pragma once

namespace tp {

struct ProgramVersionInformation {
  const char* productName;
  const char* version;
  const char* description;
  const char* company;
  const char* copyright;
};

extern const ProgramVersionInformation ProgramVersionInfo;
// The version alone ("2.0.4.0").
extern const char* const ProgramVersion;

}  // namespace tp
