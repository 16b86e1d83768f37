#include "dawproject/projectxml.h"

#include <charconv>
#include <cstdint>

#include "audiofile/takefile.h"
#include "project/utf8text.h"

namespace tp {

namespace {

constexpr const char* Replacement = "\xEF\xBF\xBD";  // U+FFFD

// The length of the valid UTF-8 sequence at `text[at]` that XML allows, 0
// when there is none (see Utf8SequenceAt) or it is U+FFFE or U+FFFF, which
// are no characters in XML.
size_t xmlSequenceLength(std::string_view text, size_t at) {
  const Utf8Sequence sequence = Utf8SequenceAt(text, at);
  return sequence.code == 0xFFFE || sequence.code == 0xFFFF ? 0 : sequence.length;
}

std::string boolText(bool value) { return value ? "true" : "false"; }

// The arrangement is in beats at the project's tempo: importers read every
// time as beats, whatever the Lanes say.
constexpr int ProjectTempo = 120;
constexpr double BeatsPerSecond = ProjectTempo / 60.0;

// Shortest round-trip texts: frames = seconds * 44100 comes back exactly.
std::string seconds(uint32_t frames) { return XmlNumber(double(frames) / double(TakeSampleRate)); }
std::string beats(uint32_t frames) { return XmlNumber(double(frames) * BeatsPerSecond / double(TakeSampleRate)); }

std::string trackId(size_t index) { return "track" + std::to_string(index + 1); }
std::string channelId(size_t index) { return "channel" + std::to_string(index + 1); }
constexpr const char* MasterChannelId = "master";
constexpr const char* MasterTrackId = "mastertrack";

// Inside a channel the schema wants Mute, Pan, Volume in this order.
std::string channelBody(bool mute, double pan, double volume, const std::string& indent) {
  return indent + "<Mute value=\"" + boolText(mute) + "\"/>\n" + indent +
         "<Pan unit=\"normalized\" min=\"0\" max=\"1\" value=\"" + XmlNumber(pan) + "\"/>\n" + indent +
         "<Volume unit=\"linear\" min=\"0\" max=\"" + XmlNumber(SessionVolume(127)) + "\" value=\"" +
         XmlNumber(volume) + "\"/>\n";
}

std::string structure(const SessionPlan& plan) {
  std::string xml = "  <Structure>\n";
  for (size_t i = 0; i < plan.tracks.size(); ++i) {
    const SessionTrack& track = plan.tracks[i];
    xml += "    <Track contentType=\"audio\" loaded=\"true\"" + XmlAttribute("id", trackId(i)) +
           XmlAttribute("name", track.name) + ">\n";
    xml += "      <Channel audioChannels=\"" + std::to_string(track.channels) + "\" role=\"regular\"" +
           XmlAttribute("destination", MasterChannelId) + " solo=\"" + boolText(track.solo) + "\"" +
           XmlAttribute("id", channelId(i)) + XmlAttribute("name", track.name) + ">\n";
    xml += channelBody(track.mute, track.pan, track.volume, "        ");
    xml += "      </Channel>\n    </Track>\n";
  }
  // DAWs write the master channel inside a track of its own, and importers
  // look for it there; it comes last and has no lanes.
  xml += "    <Track contentType=\"audio\" loaded=\"true\"" + XmlAttribute("id", MasterTrackId) +
         XmlAttribute("name", "Master") + ">\n";
  xml += "      <Channel audioChannels=\"2\" role=\"master\" solo=\"false\"" + XmlAttribute("id", MasterChannelId) +
         XmlAttribute("name", "Master") + ">\n";
  xml += channelBody(false, 0.5, 1.0, "        ");
  xml += "      </Channel>\n    </Track>\n  </Structure>\n";
  return xml;
}

// An audio clip as DAWs write one: the Audio inside Warps that map the
// clip's beats onto the file's seconds, one to one at the project's tempo.
std::string clip(const SessionClip& take, bool external) {
  const std::string duration = seconds(take.frames), length = beats(take.frames);
  return "          <Clip time=\"0\" duration=\"" + length + "\" playStart=\"0\"" + XmlAttribute("name", take.name) +
         " enable=\"" + boolText(take.enabled) + "\">\n" +
         "            <Warps timeUnit=\"beats\" contentTimeUnit=\"seconds\">\n" +
         "              <Audio sampleRate=\"" + std::to_string(TakeSampleRate) + "\" channels=\"" +
         std::to_string(take.channels) + "\" duration=\"" + duration + "\">\n" +
         "                <File" + XmlAttribute("path", take.filePath) + " external=\"" + boolText(external) +
         "\"/>\n" +
         "              </Audio>\n" +
         "              <Warp time=\"0\" contentTime=\"0\"/>\n" +
         "              <Warp time=\"" + length + "\" contentTime=\"" + duration + "\"/>\n" +
         "            </Warps>\n          </Clip>\n";
}

std::string arrangement(const SessionPlan& plan) {
  std::string xml = "  <Arrangement id=\"arrangement\">\n    <Lanes timeUnit=\"beats\" id=\"timeline\">\n";
  for (size_t i = 0; i < plan.tracks.size(); ++i) {
    xml += "      <Lanes" + XmlAttribute("track", trackId(i)) + ">\n";
    // One Clips lane per take: the chosen one first.
    for (const SessionClip& take : plan.tracks[i].lanes)
      xml += "        <Clips>\n" + clip(take, plan.externalFiles) + "        </Clips>\n";
    xml += "      </Lanes>\n";
  }
  xml += "    </Lanes>\n  </Arrangement>\n";
  return xml;
}

}  // namespace

std::string XmlText(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const char c = text[at];
    const size_t length = xmlSequenceLength(text, at);
    if (length == 0 || (uint8_t(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) {
      escaped += Replacement;
      at += length == 0 ? 1 : length;
      continue;
    }
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      // Kept as characters, a tab or line break in an attribute would be
      // read back as a blank.
      case '\t': escaped += "&#9;"; break;
      case '\n': escaped += "&#10;"; break;
      case '\r': escaped += "&#13;"; break;
      default: escaped.append(text.substr(at, length));
    }
    at += length;
  }
  return escaped;
}

std::string XmlAttribute(std::string_view name, std::string_view value) {
  return " " + std::string(name) + "=\"" + XmlText(value) + "\"";
}

std::string XmlNumber(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string ProjectXml(const SessionPlan& plan) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Project version=\"1.0\">\n";
  xml += "  <Application name=\"TrackPorter\"" + XmlAttribute("version", plan.applicationVersion) + "/>\n";
  // The recorder keeps no tempo: 120 bpm in 4/4 is the usual default (a
  // second is two beats).
  xml += "  <Transport>\n    <Tempo unit=\"bpm\" min=\"20\" max=\"999\" value=\"" + std::to_string(ProjectTempo) +
         "\" id=\"tempo\"/>\n"
         "    <TimeSignature numerator=\"4\" denominator=\"4\" id=\"timesignature\"/>\n  </Transport>\n";
  xml += structure(plan);
  xml += arrangement(plan);
  xml += "</Project>\n";
  return xml;
}

std::string MetadataXml(const SessionPlan& plan) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<MetaData>\n  <Title>" +
         XmlText(plan.title) + "</Title>\n  <Comment>" +
         XmlText("From the TKR-series song folder " + plan.songFolder) + "</Comment>\n</MetaData>\n";
}

}  // namespace tp
