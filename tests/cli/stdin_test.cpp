// Standard input as the file to import or describe: `import DIR -` and
// `probe -` give what the same file gives when named, and leave no copy.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <unistd.h>

#include "cli/stdinspool.h"
#include "storage/filehandle.h"
#include "support/projectfixture.h"
#include "support/runcommand.h"
#include "support/sndfileio.h"

namespace tp {
namespace {

using namespace tp::test;
namespace fs = std::filesystem;

std::string fileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Every name in a folder, hidden ones included.
std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class CliStdin : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteProjectInfo(project.path(), "Demo");
    std::vector<int16_t> stereo;
    for (int n = 0; n < 30000; ++n) {
      stereo.push_back(int16_t(n * 3 - 40000));
      stereo.push_back(int16_t(20000 - n));
    }
    // Named "stdin", so that the takes of the named file carry the name
    // that standard input gives its takes.
    WriteWithSndfile(sources / "stdin.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, stereo);
  }
  CommandOutput cli(const std::string& arguments) { return RunCommand(std::string(TP_CLI_PATH) + " " + arguments); }
  std::string dir() const { return Quoted(project.path().string()); }
  std::string source(const std::string& name) const { return Quoted((sources / name).string()); }
  // Imports `file` by name into tracks 1-2 take 1 and `pipe | import -` into
  // tracks 3-4 take 1, and checks that the take files are the same bytes.
  void expectSameTakes(const std::string& file, const std::string& pipe) {
    auto named = cli("import " + dir() + " " + source(file) + " --to 1-1 --to 2-1 --force");
    ASSERT_EQ(named.status, 0) << named.out;
    auto piped = RunCommand(pipe + " | " + TP_CLI_PATH + " import " + dir() + " - --to 3-1 --to 4-1 --force");
    ASSERT_EQ(piped.status, 0) << pipe << "\n" << piped.out;
    // A take file's header holds its track, so the samples are compared.
    EXPECT_TRUE(ReadTakeSamples(project / "TRACK0_0.DAT") == ReadTakeSamples(project / "TRACK2_0.DAT")) << pipe;
    EXPECT_TRUE(ReadTakeSamples(project / "TRACK1_0.DAT") == ReadTakeSamples(project / "TRACK3_0.DAT")) << pipe;
    for (const std::string& name : namesIn(project.path())) EXPECT_NE(name[0], '.') << name << " is left: " << pipe;
  }

  TempFolder project, sources;
};

// A WAV as sox writes it into a pipe and a FLAC as ffmpeg writes it into
// one (neither header can say the length), a FLAC file, and a CAF and an
// RF64, which cannot be decoded from a pipe front to back: each gives the
// takes the file gives.
TEST_F(CliStdin, ImportFromAPipeGivesTheTakesOfTheFile) {
  const std::string wav = source("stdin.wav");
  ASSERT_EQ(RunCommand("ffmpeg -nostdin -v error -fflags +bitexact -i " + wav + " " + source("stdin.flac")).status, 0);
  const auto samples = ReadWithSndfile(sources / "stdin.wav").samples;
  std::vector<int16_t> stereo(samples.begin(), samples.end());
  WriteWithSndfile(sources / "stdin.caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16, 2, 44100, stereo);
  WriteWithSndfile(sources / "stdin.rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_16, 2, 44100, stereo);
  struct Case {
    const char* file;
    std::string pipe;
  } cases[] = {
      {"stdin.wav", "sox " + wav + " -t wav -"},
      {"stdin.flac", "cat " + source("stdin.flac")},
      {"stdin.flac", "ffmpeg -nostdin -v error -fflags +bitexact -i " + wav + " -f flac -"},
      {"stdin.caf", "cat " + source("stdin.caf")},
      {"stdin.rf64", "cat " + source("stdin.rf64")},
  };
  for (const Case& c : cases) expectSameTakes(c.file, c.pipe);
  EXPECT_NE(cli("info " + dir()).out.find("Track03-1   stdin  L"), std::string::npos) << cli("info " + dir()).out;
}

// A stream that ends before its header's length, and one that is empty, go
// as the same file goes when named; the message names standard input.
TEST_F(CliStdin, ImportFromAShortOrEmptyPipeGoesAsTheFileGoes) {
  fs::create_directory(sources / "cut");
  const fs::path cut = sources / "cut" / "stdin.wav";
  WriteWithSndfile(cut, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, Ramp(20000, -10000));
  fs::resize_file(cut, 44 + 2 * 5000);
  const fs::path empty = sources / "cut" / "empty.wav";
  std::ofstream{empty};
  for (const fs::path& file : {cut, empty}) {
    SCOPED_TRACE(file.filename().string());
    const auto named = cli("import " + dir() + " " + Quoted(file.string()) + " --to 1-1 --force");
    const auto piped = RunCommand("cat " + Quoted(file.string()) + " | " + TP_CLI_PATH + " import " + dir() +
                                  " - --to 2-1 --force");
    EXPECT_EQ(piped.status, named.status) << named.out << piped.out;
    std::string expected = named.out;
    if (const size_t at = expected.find(file.string()); at != std::string::npos)
      expected.replace(at, file.string().size(), "standard input");
    EXPECT_EQ(piped.out, expected);
    EXPECT_EQ(fs::exists(project / "TRACK0_0.DAT"), fs::exists(project / "TRACK1_0.DAT"));
    if (fs::exists(project / "TRACK0_0.DAT"))
      EXPECT_TRUE(ReadTakeSamples(project / "TRACK0_0.DAT") == ReadTakeSamples(project / "TRACK1_0.DAT"));
    for (const std::string& name : namesIn(project.path())) EXPECT_NE(name[0], '.') << name << " is left";
  }
}

TEST_F(CliStdin, ProbeDescribesThePipedFile) {
  const auto samples = ReadWithSndfile(sources / "stdin.wav").samples;
  WriteWithSndfile(sources / "in.caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16, 2, 48000,
                   std::vector<int16_t>(samples.begin(), samples.end()));
  const auto named = cli("probe " + source("in.caf") + " --json");
  ASSERT_EQ(named.status, 0) << named.out;
  EXPECT_NE(named.out.find("\"format\": \"CAF\""), std::string::npos) << named.out;
  EXPECT_NE(named.out.find("\"frames\": 30000"), std::string::npos) << named.out;
  TempFolder temporary;
  const std::string environment = "TMPDIR=" + Quoted(temporary.path().string()) + " ";
  const auto piped = RunCommand("cat " + source("in.caf") + " | " + environment + TP_CLI_PATH + " probe - --json");
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.out, named.out);
  EXPECT_TRUE(namesIn(temporary.path()).empty()) << "the copy is removed";
  const auto nothing = RunCommand(environment + TP_CLI_PATH + " probe - </dev/null");
  EXPECT_EQ(nothing.status, 1);
  EXPECT_NE(nothing.out.find("standard input"), std::string::npos) << nothing.out;
  EXPECT_TRUE(namesIn(temporary.path()).empty()) << "the copy is removed after a failure too";
}

TEST_F(CliStdin, StandardInputIsReadOnceAndOnlyByTheNameDash) {
  auto result = cli("import " + dir() + " - - --from 1-1 </dev/null");
  EXPECT_EQ(result.status, 2) << result.out;
  EXPECT_NE(result.out.find("standard input (-) can be read once only"), std::string::npos) << result.out;
  // In a batch, standard input takes its place among the files.
  result = RunCommand("cat " + source("stdin.wav") + " | " + TP_CLI_PATH + " import " + dir() + " " +
                      source("stdin.wav") + " - --from 5-2");
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_TRUE(ReadTakeSamples(project / "TRACK4_1.DAT") == ReadTakeSamples(project / "TRACK6_1.DAT"));
  EXPECT_TRUE(ReadTakeSamples(project / "TRACK5_1.DAT") == ReadTakeSamples(project / "TRACK7_1.DAT"));
  // A named FIFO stays refused at once, without waiting for a writer.
  ASSERT_EQ(::mkfifo((sources / "fifo").c_str(), 0600), 0);
  result = cli("import " + dir() + " " + source("fifo") + " --to 9-1");
  EXPECT_EQ(result.status, 1) << result.out;
  EXPECT_NE(result.out.find("fifo"), std::string::npos) << result.out;
  // The import refused because the take exists: the copy is gone as well.
  result = RunCommand("cat " + source("stdin.wav") + " | " + TP_CLI_PATH + " import " + dir() + " - --from 5-2");
  EXPECT_EQ(result.status, 1) << result.out;
  for (const std::string& name : namesIn(project.path())) EXPECT_NE(name[0], '.') << name << " is left";
}

// The copy itself, over several blocks: a full disk names the folder and
// keeps nothing, a read error names standard input, a stop keeps nothing,
// and a copy a killed process left behind is cleaned away.
class StandardInputCopy : public ::testing::Test {
 protected:
  void TearDown() override { FaultInjection::Reset(); }
  // A stream holding `bytes`, as standard input redirected from a file.
  FileHandle streamOf(const std::string& bytes) {
    std::ofstream(streams / "in", std::ios::binary) << bytes;
    return FileHandle::Open(streams / "in", O_RDONLY);
  }
  TempFolder folder, streams;
};

TEST_F(StandardInputCopy, CopiesTheStreamAndFailsAsTheDiskOrTheStreamFails) {
  // Left by a killed import an hour ago.
  const fs::path stale = folder / ".tp-abc123.part";
  std::ofstream{stale} << "old";
  fs::last_write_time(stale, fs::file_time_type::clock::now() - std::chrono::hours(1));
  // Two whole blocks and part of a third.
  std::string bytes(5 * cli::StandardInputSpool::SpoolBlockBytes / 2, 'x');
  for (size_t n = 0; n < bytes.size(); n += 997) bytes[n] = char(n);
  {
    FileHandle input = streamOf(bytes);
    std::unique_ptr<cli::StandardInputSpool> spool;
    ASSERT_TRUE(cli::StandardInputSpool::Fill(input, folder.path(), nullptr, spool).ok());
    EXPECT_TRUE(fileBytes(spool->path()) == bytes);
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{spool->path().filename().string()})
        << "the stale copy is gone, the new one hidden as a side file";
    EXPECT_EQ(spool->Named("x: " + spool->path().string() + " (y)"), "x: standard input (y)");
  }
  EXPECT_TRUE(namesIn(folder.path()).empty());

  struct Case {
    const char* name;
    void (*arm)();
    bool (*stop)();
    std::string text;
  } cases[] = {
      {"full disk", [] { FaultInjection::FailNthWrite(2, ENOSPC); }, nullptr,
       "Standard input could not be stored: " + folder.path().string() + " (No space left on device)"},
      {"read error", [] { FaultInjection::FailNthRead(2, EIO); }, nullptr, "standard input: Input/output error"},
      {"stop", [] {}, [] { return true; }, "Aborted"},
  };
  for (const Case& c : cases) {
    FileHandle input = streamOf(bytes);
    c.arm();
    std::unique_ptr<cli::StandardInputSpool> spool;
    const Status status = cli::StandardInputSpool::Fill(input, folder.path(), c.stop, spool);
    FaultInjection::Reset();
    EXPECT_EQ(status.Text(), c.text) << c.name;
    EXPECT_EQ(spool, nullptr) << c.name;
    EXPECT_TRUE(namesIn(folder.path()).empty()) << c.name;
  }
}

}  // namespace
}  // namespace tp
