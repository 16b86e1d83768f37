// What the import refuses, and why it says it does: a file that is not
// there, no regular file, no sound file at all, a sound file whose decoder
// refuses it, a rate no audio has, a compressed stream cut inside a frame.
// Each through the real command, which must write no take.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "support/projectfixture.h"
#include "support/runcommand.h"
#include "support/sndfileio.h"

namespace tp {
namespace {

using namespace tp::test;
namespace fs = std::filesystem;

class ImportRefusal : public ::testing::Test {
 protected:
  void SetUp() override { WriteProjectInfo(song.path(), "Song"); }
  CommandOutput cli(const std::string& arguments) { return RunCommand(std::string(TP_CLI_PATH) + " " + arguments); }
  CommandOutput import(const fs::path& file, const std::string& options = "--to 1-1") {
    return cli("import " + Quoted(song.path().string()) + " " + Quoted(file.string()) + " " + options);
  }
  bool anyTake() const {
    for (const auto& entry : fs::directory_iterator(song.path()))
      if (entry.path().filename() != "PRJDATA.ini") return true;
    return false;
  }
  // A valid file of `format` cut to its first `keep` bytes.
  fs::path cutFile(const std::string& name, int format, size_t keep) {
    const fs::path whole = sources / ("whole-" + name), cut = sources / name;
    WriteWithSndfile(whole, format, 2, 44100, Ramp(2 * 20000, -5000, 3));
    std::vector<uint8_t> bytes = ReadBytes(whole);
    bytes.resize(std::min(keep, bytes.size()));
    WriteBytes(cut, bytes);
    return cut;
  }
  TempFolder song, sources;
};

TEST_F(ImportRefusal, EachRefusalSaysWhatIsTrueAboutTheFile) {
  const fs::path missing = sources / "missing.wav", text = sources / "notes.wav", fifo = sources / "pipe.wav";
  WriteBytes(text, std::vector<uint8_t>{'r', 'o', 'o', 't', ':', 'x', ':', '0', ':', '0', '\n'});
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    fs::path file;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {missing, "The file could not be read: " + missing.string() + " (No such file or directory)"},
      {fifo, "The file could not be read: " + fifo.string() + " is not a regular file."},
      {text, "The file is not a WAV/AIFF: " + text.string() + " (the import reads WAV, AIFF, FLAC, Ogg Vorbis, MP3"},
      {cutFile("cut.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 30), " is damaged: "},
      {cutFile("cut.rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_16, 40), " is damaged: "},
      {cutFile("cut.w64", SF_FORMAT_W64 | SF_FORMAT_PCM_16, 40), " is damaged: "},
      {cutFile("cut.caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16, 20), " is damaged: "},
      {cutFile("cut.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 40), " is damaged: "},
      {cutFile("cut.aifc", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 30), " is damaged: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file.filename().string());
    for (const std::string command : {"import", "probe"}) {
      const CommandOutput result = command == "import" ? import(c.file) : cli("probe " + Quoted(c.file.string()));
      EXPECT_EQ(result.status, 1) << result.out;
      EXPECT_NE(result.out.find(c.expected), std::string::npos) << command << ": " << result.out;
      EXPECT_EQ(result.out.find(".:"), std::string::npos) << result.out;
      if (c.expected.find("damaged") != std::string::npos) {
        EXPECT_NE(result.out.find(c.file.string() + " is damaged: "), std::string::npos) << result.out;
      }
    }
    EXPECT_FALSE(anyTake());
  }
}

// The 80-bit rate field of the "COMM" chunk of an AIFF or AIFF-C file that
// libsndfile wrote, set to `rate` (ten bytes, big-endian).
void setAiffRate(const fs::path& file, const std::array<uint8_t, 10>& rate) {
  std::vector<uint8_t> bytes = ReadBytes(file);
  const auto comm = std::search(bytes.begin(), bytes.end(), std::begin("COMM"), std::begin("COMM") + 4);
  ASSERT_NE(comm, bytes.end());
  std::copy(rate.begin(), rate.end(), comm + 8 + 8);
  WriteBytes(file, bytes);
}

TEST_F(ImportRefusal, ARateNoAudioHasIsRefusedWithTheRateByEveryReader) {
  struct Case {
    const char* name;
    std::array<uint8_t, 10> rate;
    const char* shown;
  };
  const std::vector<Case> rates = {
      {"zero", {}, "(0 Hz)"},
      {"nan", {0x7F, 0xFF, 0xC0, 0, 0, 0, 0, 0, 0, 0}, "(nan Hz)"},
      {"infinite", {0x7F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0}, "(inf Hz)"},
      {"2^26", {0x40, 0x19, 0x80, 0, 0, 0, 0, 0, 0, 0}, "(67108864 Hz)"},
  };
  // The plain form goes to the program's own reader, AIFF-C to libsndfile.
  for (const auto& [extension, format] : {std::pair{".aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
                                          std::pair{".aifc", SF_FORMAT_AIFF | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE}})
    for (const Case& c : rates) {
      const fs::path file = sources / (std::string(c.name) + extension);
      SCOPED_TRACE(file.filename().string());
      WriteWithSndfile(file, format, 1, 44100, Ramp(20000));
      setAiffRate(file, c.rate);
      for (const char* options : {"--to 1-1", "--to 1-1 --resample"}) {
        const CommandOutput result = import(file, options);
        EXPECT_EQ(result.status, 1) << result.out;
        EXPECT_NE(result.out.find("The file's sampling rate is not one between 1 Hz and 768 kHz: " + file.string() +
                                  " " + c.shown),
                  std::string::npos)
            << result.out;
        EXPECT_FALSE(anyTake());
      }
    }
}

TEST_F(ImportRefusal, AFlacStreamCutInsideItsLastFrameWritesNothingFromAFileOrAPipe) {
  const fs::path wav = sources / "tone.wav", flac = sources / "piped.flac", cut = sources / "cut.flac";
  WriteWithSndfile(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, Ramp(2 * 3 * 44100, -9000, 7));
  // A FLAC written into a pipe has no length in its header.
  ASSERT_EQ(RunCommand("ffmpeg -loglevel error -i " + Quoted(wav.string()) + " -f flac - > " + Quoted(flac.string()))
                .status,
            0);
  std::vector<uint8_t> bytes = ReadBytes(flac);
  bytes.resize(bytes.size() - 3000);
  WriteBytes(cut, bytes);
  for (const std::string from : {"file", "pipe"}) {
    SCOPED_TRACE(from);
    const CommandOutput result =
        from == "file" ? import(cut)
                       : RunCommand("cat " + Quoted(cut.string()) + " | " + TP_CLI_PATH + " import " +
                                    Quoted(song.path().string()) + " - --to 1-1");
    EXPECT_EQ(result.status, 1) << result.out;
    EXPECT_NE(result.out.find("The file ends in the middle of its audio"), std::string::npos) << result.out;
    EXPECT_FALSE(anyTake());
  }
  // The whole stream still imports.
  const CommandOutput whole = import(flac);
  EXPECT_EQ(whole.status, 0) << whole.out;
}

TEST_F(ImportRefusal, TargetsLeftEmptyAndChannelsLeftOutAreNamedAndTheRestIsWritten) {
  struct Case {
    int channels;
    const char* targets;
    const char* note;
  };
  for (const Case& c :
       {Case{1, "--to 1-1 --to 2-1", "Track02-1 was left empty: the file has 1 channel."},
        Case{2, "--to 1-1 --to 2-1 --to 5-1 --to 9-1", "Track05-1 and Track09-1 were left empty: the file has 2 channels."},
        Case{2, "--to 1-1", "Channel 2 of the file was left out."},
        Case{6, "--to 1-1 --to 2-1", "Channels 3 to 6 of the file were left out."}}) {
    SCOPED_TRACE(c.targets);
    const fs::path file = sources / ("ch" + std::to_string(c.channels) + ".wav");
    WriteWithSndfile(file, SF_FORMAT_WAV | SF_FORMAT_PCM_16, c.channels, 44100, Ramp(size_t(c.channels) * 1000));
    const CommandOutput result = import(file, std::string(c.targets) + " --force");
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_NE(result.out.find("Converted\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find(c.note), std::string::npos) << result.out;
    EXPECT_TRUE(fs::exists(song / "TRACK0_0.DAT"));
  }
  EXPECT_FALSE(fs::exists(song / "TRACK8_0.DAT"));
}

TEST_F(ImportRefusal, ABatchTooLargeForTheTracksIsRefusedAsNotFittingWhateverTheOpenFileLimit) {
  std::string files;
  for (int n = 0; n < 30; ++n) {
    const fs::path file = sources / ("f" + std::to_string(n) + ".wav");
    WriteWithSndfile(file, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, Ramp(100));
    files += " " + Quoted(file.string());
  }
  // Fewer descriptors than files: the batch opens one file at a time.
  const std::string importing = std::string(TP_CLI_PATH) + " import " + Quoted(song.path().string());
  CommandOutput result = RunCommand("ulimit -n 20 && " + importing + files + " --from 1-1");
  EXPECT_EQ(result.status, 1) << result.out;
  EXPECT_NE(result.out.find("The files do not fit in the 16 tracks; nothing was written: 16 of the 30 files fit "
                            "from track 1"),
            std::string::npos)
      << result.out;
  EXPECT_FALSE(anyTake());
  std::string sixteen;
  for (int n = 0; n < 16; ++n) sixteen += " " + Quoted((sources / ("f" + std::to_string(n) + ".wav")).string());
  result = RunCommand("ulimit -n 20 && " + importing + sixteen + " --from 1-1");
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_TRUE(fs::exists(song / "TRACK150.DAT")) << result.out;
}

}  // namespace
}  // namespace tp
