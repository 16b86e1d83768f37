// Runs a command line through the shell and collects its exit status and
// what it printed, for tests of the command-line companion.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace tp::test {

struct CommandOutput {
  int status = -1;
  std::string out;  // standard output and standard error together
};

inline CommandOutput RunCommand(const std::string& commandLine) {
  CommandOutput result;
  std::FILE* pipe = ::popen((commandLine + " 2>&1").c_str(), "r");
  if (!pipe) return result;
  std::array<char, 4096> buffer;
  size_t got;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.out.append(buffer.data(), got);
  const int raw = ::pclose(pipe);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return result;
}

inline std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

}  // namespace tp::test
