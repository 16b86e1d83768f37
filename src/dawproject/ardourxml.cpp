#include "dawproject/ardourxml.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "audiofile/takefile.h"
#include "convert/conversion.h"
#include "dawproject/ardourroute.h"
#include "dawproject/projectxml.h"

namespace tp {

namespace {

// Ardour counts time in superclock ticks, 282,240,000 a second: 6,400 a
// frame at 44.1 kHz. A time is written "a<ticks>", a length "a<ticks>@<its
// start>".
constexpr uint64_t SuperclocksPerSecond = 282240000;
constexpr uint64_t SuperclocksPerFrame = SuperclocksPerSecond / TakeSampleRate;

std::string audioTime(uint64_t frames) { return "a" + std::to_string(frames * SuperclocksPerFrame); }

// What the session says about itself before its routes: the native format
// (without it Ardour cannot tell the session's rate), and the session
// range, without which its headless tools stop.
std::string sessionHead(uint64_t frames, ArdourIds& ids) {
  return "  <Config>\n"
         "    <Option name=\"native-file-data-format\" value=\"FormatFloat\"/>\n"
         "    <Option name=\"native-file-header-format\" value=\"WAVE\"/>\n"
         "  </Config>\n  <Metadata/>\n" +
         std::string("  <Locations>\n    <Location") + XmlAttribute("id", ids.Next()) +
         " name=\"session\" start=\"a0\"" + XmlAttribute("end", audioTime(frames)) +
         " flags=\"IsSessionRange\" locked=\"0\" timestamp=\"0\" cue=\"0\"/>\n  </Locations>\n" +
         "  <Bundles/>\n  <VCAManager/>\n";
}

// One Source per channel of each take's file.
std::string sources(const std::vector<ArdourTrackLayout>& layouts) {
  std::string xml = "  <Sources>\n";
  for (const ArdourTrackLayout& layout : layouts)
    for (const ArdourTakeLayout& take : layout.takes)
      for (size_t channel = 0; channel < take.sourceIds.size(); ++channel)
        xml += "    <Source" + XmlAttribute("name", take.fileName) + " type=\"audio\" flags=\"\"" +
               XmlAttribute("id", take.sourceIds[channel]) + " channel=\"" + std::to_string(channel) +
               "\" origin=\"\" gain=\"1\"/>\n";
  return xml + "  </Sources>\n";
}

// One region at 0 lasting the whole take. Ardour's default fades (64
// frames) would change each take's start and end: they are off.
std::string region(const ArdourTakeLayout& take, const std::string& indent) {
  std::string xml = indent + "<Region" + XmlAttribute("name", take.clip->name) + " start=\"a0\"" +
                    XmlAttribute("length", audioTime(take.clip->frames) + "@a0") + " position=\"a0\"" +
                    XmlAttribute("id", take.regionId) +
                    " type=\"audio\" muted=\"0\" opaque=\"1\" envelope-active=\"0\" scale-amplitude=\"1\""
                    " fade-in-active=\"0\" fade-out-active=\"0\" channels=\"" +
                    std::to_string(take.sourceIds.size()) + "\"";
  for (size_t channel = 0; channel < take.sourceIds.size(); ++channel) {
    const std::string n = std::to_string(channel);
    xml += XmlAttribute("source-" + n, take.sourceIds[channel]) +
           XmlAttribute("master-source-" + n, take.sourceIds[channel]);
  }
  return xml + "/>\n";
}

// The chosen take of each track under Playlists, the others under
// UnusedPlaylists: all of them listed as the track's (orig-track-id).
std::string playlists(const std::vector<ArdourTrackLayout>& layouts, bool chosen) {
  std::string xml;
  for (const ArdourTrackLayout& layout : layouts)
    for (size_t i = chosen ? 0 : 1; i < (chosen ? 1 : layout.takes.size()); ++i) {
      const ArdourTakeLayout& take = layout.takes[i];
      xml += "    <Playlist" + XmlAttribute("id", take.playlistId) + XmlAttribute("name", take.clip->name) +
             " type=\"audio\"" + XmlAttribute("orig-track-id", layout.routeId) +
             " frozen=\"0\" combine-ops=\"0\">\n" + region(take, "      ") + "    </Playlist>\n";
    }
  const std::string element = chosen ? "Playlists" : "UnusedPlaylists";
  // Ardour reads every child of an empty list as a playlist, the blanks of
  // an empty element included.
  return xml.empty() ? "  <" + element + "/>\n" : "  <" + element + ">\n" + xml + "  </" + element + ">\n";
}

// 120 bpm in 4/4, as the DAW project says: the recorder keeps no tempo.
constexpr const char* TempoMap =
    "  <TempoMap superclocks-per-second=\"282240000\">\n"
    "    <Tempos>\n"
    "      <Tempo npm=\"120\" enpm=\"120\" note-type=\"4\" type=\"Tempo::Constant\" active=\"1\" "
    "locked-to-meter=\"0\" continuing=\"0\" sclock=\"0\" quarters=\"0:0\" bbt=\"1|1|0\" omega=\"0\"/>\n"
    "    </Tempos>\n"
    "    <Meters>\n"
    "      <Meter note-value=\"4\" divisions-per-bar=\"4\" sclock=\"0\" quarters=\"0:0\" bbt=\"1|1|0\"/>\n"
    "    </Meters>\n"
    "    <MusicTimes/>\n"
    "  </TempoMap>\n";

}  // namespace

std::vector<std::string> ArdourRouteNames(const SessionPlan& plan) {
  std::set<std::string> taken = {ArdourMasterName};
  std::vector<std::string> names;
  for (const SessionTrack& track : plan.tracks) {
    std::string base = track.name;
    // U+2236 RATIO looks like a colon and is none.
    for (size_t at = base.find(':'); at != std::string::npos; at = base.find(':', at))
      base.replace(at, 1, "\xE2\x88\xB6");
    if (base.empty()) base = "Track";
    std::string name = base;
    for (int n = 2; taken.count(name); ++n) name = base + " " + std::to_string(n);
    taken.insert(name);
    names.push_back(name);
  }
  return names;
}

uint64_t ArdourSessionFrames(const SessionPlan& plan) {
  const bool onlyMasterTakes =
      std::all_of(plan.tracks.begin(), plan.tracks.end(), [](const SessionTrack& t) { return t.masterTakes; });
  uint64_t longest = 0;
  for (const SessionTrack& track : plan.tracks)
    if (!track.lanes.empty() && track.masterTakes == onlyMasterTakes)
      longest = std::max<uint64_t>(longest, track.lanes.front().frames);
  // A song without takes still gets a range of one block: Ardour's tools
  // need one to work on.
  return std::max<uint64_t>(1, (longest + ConversionBlockFrames - 1) / ConversionBlockFrames) * ConversionBlockFrames;
}

std::string ArdourAudioFileName(const SessionClip& clip) {
  return std::filesystem::path(clip.filePath).filename().string();
}

std::string ArdourSessionXml(const SessionPlan& plan, const std::string& name) {
  ArdourIds ids;
  const std::vector<std::string> names = ArdourRouteNames(plan);
  std::vector<ArdourTrackLayout> layouts;
  for (size_t i = 0; i < plan.tracks.size(); ++i) layouts.push_back(LayOutArdourTrack(plan.tracks[i], names[i], ids));
  const std::string head = sessionHead(ArdourSessionFrames(plan), ids);
  const std::string routes = ArdourRoutesXml(layouts, ids);
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Session version=\"7002\"" +
                    XmlAttribute("name", name) + " sample-rate=\"" + std::to_string(TakeSampleRate) + "\"" +
                    XmlAttribute("id-counter", ids.Next()) + " name-counter=\"1\" event-counter=\"0\"" +
                    " vca-counter=\"1\">\n" + "  <ProgramVersion created-with=\"TrackPorter\"/>\n";
  xml += head + sources(layouts) + "  <Regions/>\n" + routes + playlists(layouts, true) + playlists(layouts, false);
  xml += "  <RouteGroups/>\n" + std::string(TempoMap) + "</Session>\n";
  return xml;
}

}  // namespace tp
