#include "cli/commands.h"

namespace tp::cli {

// The examples work on the demo song that `make run` writes to the home
// folder, so that a new user can paste them as they are.
const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"info", "list the project's name and every take with its length",
       {R"(trackporter-cli info ~/"TrackPorter Demo")", R"(trackporter-cli info ~/"TrackPorter Demo" --json)"},
       false, DefineInfo},
      {"export",
       "export takes to a WAV or AIFF file: one take as mono, several as a stereo mix, a master take as its pair",
       {R"(trackporter-cli export ~/"TrackPorter Demo" mix.wav -t 1-1 -t 4-1 --pan 4=30)",
        R"(trackporter-cli export ~/"TrackPorter Demo" final.aif -m 1)"},
       true, DefineExport},
      {"loudness",
       "measure the loudness (EBU R128: integrated, range, true peak) an export with the same options would have, "
       "writing nothing",
       {R"(trackporter-cli loudness ~/"TrackPorter Demo" -t 1-1 -t 4-1 --pan 4=30)"}, true, DefineLoudness},
      {"probe",
       "describe a sound file (WAV, AIFF, FLAC, Ogg, MP3, Opus, CAF, RF64, Wave64, ...) as the import sees it: "
       "format, rate, bits, channels and length",
       {R"(trackporter-cli probe mix.wav --json)"}, false, DefineProbe},
      {"import",
       "import sound files (WAV, AIFF, FLAC, Ogg, MP3, Opus, CAF, RF64, Wave64, ...) into takes (a stereo file over "
       "two tracks) or a master take; --resample converts a file that is not 44100 Hz",
       {R"(trackporter-cli import ~/"TrackPorter Demo" mix.wav --to 7-1 --to 8-1)"}, true, DefineImport},
      {"rename", "rename the project, a take or a master take (8 characters are kept)",
       {R"(trackporter-cli rename ~/"TrackPorter Demo" -t 7-1 "Mix L")",
        R"(trackporter-cli rename ~/"TrackPorter Demo" --project "My song")"},
       true, DefineRename},
      {"delete", "delete a take or a master take", {R"(trackporter-cli delete ~/"TrackPorter Demo" -t 8-1)"}, true,
       DefineDelete},
      {"play",
       "audition takes through the mixer on the default or the chosen sound output, until the longest take ends "
       "or Ctrl-C",
       {R"(trackporter-cli play ~/"TrackPorter Demo" -t 1-1 -t 2-1 --from 7.5)"}, true, DefinePlay},
      {"session",
       "write a song as one DAW project file (DAWproject): a track per recorder track with every take on a lane, "
       "the chosen one enabled, and the mixer's volume, pan, mute and solo",
       {R"(trackporter-cli session ~/"TrackPorter Demo" demo.dawproject -t 1-1 --pan 3=70)"}, true, DefineSession},
      {"stems",
       "archive every take as its own named file (mono; master takes as stereo), the song's other files, a "
       "manifest and SHA256SUMS; --recursive finds every project under SRC",
       {R"(trackporter-cli stems ~/"TrackPorter Demo" demo-stems -v)",
        R"(trackporter-cli stems ~/"TrackPorter Demo" demo-flac --flac --verify)"},
       true, DefineStems},
      {"restore",
       "rebuild a song folder from its archive, byte for byte, every file checked against its SHA-256; "
       "--recursive rebuilds every archived song below ARCHIVE",
       {R"(trackporter-cli restore demo-flac "TrackPorter Demo again")"}, false, DefineRestore},
      {"devices",
       "list the sound outputs that play --device and TRACKPORTER_AUDIO_DEVICE choose from, the default marked *",
       {"trackporter-cli devices"}, false, DefineDevices},
  };
  return commands;
}

}  // namespace tp::cli
