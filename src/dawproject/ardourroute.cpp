#include "dawproject/ardourroute.h"

#include "dawproject/ardourxml.h"
#include "dawproject/panlaw.h"
#include "dawproject/projectxml.h"

namespace tp {

namespace {

// A route's mixer as Ardour holds it.
struct RouteMix {
  double azimuth = 0.5, width = 0.0, trim = 1.0, fader = 1.0;
  bool mute = false, solo = false;
};

RouteMix mixOf(const SessionTrack& track) {
  RouteMix mix;
  mix.mute = track.mute;
  mix.solo = track.solo;
  if (track.channels == 2) {
    // A stereo route's panner at full width passes left to left and right
    // to right, unchanged.
    mix.width = 1.0;
    return mix;
  }
  const MonoStripGains gains = SolveMonoStrip(track.volumePosition, track.panPosition);
  mix.azimuth = gains.azimuth;
  mix.trim = gains.trim;
  mix.fader = gains.fader;
  return mix;
}

std::string flag(bool value) { return value ? "1" : "0"; }

std::string controllable(const std::string& name, ArdourIds& ids, const std::string& flags, const std::string& value,
                         const std::string& more = {}) {
  return "<Controllable" + XmlAttribute("name", name) + XmlAttribute("id", ids.Next()) +
         XmlAttribute("flags", flags) + XmlAttribute("value", value) + more + "/>\n";
}

// `count` ports of `route` in one direction, each connected to the port of
// the same number of `other` (none when `other` is empty).
std::string io(const std::string& route, bool input, int count, const std::vector<std::string>& others,
               ArdourIds& ids) {
  std::string xml = "      <IO" + XmlAttribute("name", route) + XmlAttribute("id", ids.Next()) +
                    (input ? " direction=\"Input\"" : " direction=\"Output\"") + " default-type=\"audio\">\n";
  for (int port = 1; port <= count; ++port) {
    const std::string suffix = std::to_string(port);
    xml += "        <Port type=\"audio\"" +
           XmlAttribute("name", route + (input ? "/audio_in " : "/audio_out ") + suffix) + ">\n";
    for (const std::string& other : others)
      xml += "          <Connection" + XmlAttribute("other", other + (input ? "/audio_out " : "/audio_in ") + suffix) +
             "/>\n";
    xml += "        </Port>\n";
  }
  return xml + "      </IO>\n";
}

std::string pannable(const RouteMix& mix, ArdourIds& ids) {
  return "      <Pannable>\n        " + controllable("pan-azimuth", ids, "", XmlNumber(mix.azimuth)) + "        " +
         controllable("pan-width", ids, "", XmlNumber(mix.width)) + "        " +
         controllable("pan-elevation", ids, "", "0") + "        " + controllable("pan-frontback", ids, "", "0") +
         "        " + controllable("pan-lfe", ids, "", "0") + "      </Pannable>\n";
}

std::string processor(const std::string& name, const std::string& type, ArdourIds& ids, const std::string& body = {},
                      const std::string& more = {}) {
  std::string xml = "      <Processor" + XmlAttribute("id", ids.Next()) + XmlAttribute("name", name) +
                    " active=\"1\" user-latency=\"0\" use-user-latency=\"0\"" + more + XmlAttribute("type", type);
  return body.empty() ? xml + "/>\n" : xml + ">\n        " + body + "      </Processor>\n";
}

// The strip from the solo to the outputs, in the order Ardour saves it:
// solo, ports, mute, pan, trim (what the fader cannot reach), fader, outs.
std::string strip(const std::string& name, int inputs, const std::vector<std::string>& sources, const RouteMix& mix,
                  bool track, ArdourIds& ids) {
  std::string xml = "      " + controllable("solo", ids, "Toggle,RealTime", flag(mix.solo),
                                            " self-solo=\"" + flag(mix.solo) +
                                                "\" soloed-by-upstream=\"0\" soloed-by-downstream=\"0\"");
  xml += "      " + controllable("solo-iso", ids, "Toggle,RealTime", "0", " solo-isolated=\"0\"");
  xml += "      " + controllable("solo-safe", ids, "Toggle", "0", " solo-safe=\"0\"");
  xml += io(name, true, inputs, sources, ids);
  xml += io(name, false, 2, track ? std::vector<std::string>{ArdourMasterName} : std::vector<std::string>{}, ids);
  xml += "      <MuteMaster mute-point=\"PostFader,Listen,Main\" muted=\"" + flag(mix.mute) + "\"/>\n";
  xml += "      " + controllable("mute", ids, "Toggle,RealTime", flag(mix.mute));
  const std::string polarity = inputs == 2 ? "00" : "0";  // a digit a channel
  xml += "      " + controllable("phase", ids, "Toggle", "0", " phase-invert=\"" + polarity + "\"");
  xml += pannable(mix, ids);
  if (track) {
    xml += processor("recorder:" + name, "diskwriter", ids, {}, " record-safe=\"0\"");
    xml += processor("player:" + name, "diskreader", ids);
  }
  xml += processor("Polarity", "polarity", ids);
  xml += processor("Trim", "trim", ids, controllable("trimcontrol", ids, "GainLike", XmlNumber(mix.trim)));
  xml += processor("Amp", "amp", ids, controllable("gaincontrol", ids, "GainLike", XmlNumber(mix.fader)));
  xml += processor("meter-" + name, "meter", ids);
  xml += processor(name, "main-outs", ids, "<PannerShell bypassed=\"0\" user-panner=\"\" linked-to-route=\"1\"/>\n",
                   " own-input=\"1\" own-output=\"0\"" + XmlAttribute("output", name) + " role=\"Main\"");
  return xml + "      <Slavable/>\n";
}

std::string masterRoute(const std::vector<ArdourTrackLayout>& layouts, ArdourIds& ids) {
  std::vector<std::string> sources;
  for (const ArdourTrackLayout& layout : layouts) sources.push_back(layout.name);
  RouteMix unity;
  unity.width = 1.0;
  return "    <Route version=\"7002\"" + XmlAttribute("id", ids.Next()) + XmlAttribute("name", ArdourMasterName) +
         " default-type=\"audio\" strict-io=\"1\" active=\"1\" denormal-protection=\"0\" meter-point=\"MeterOutput\""
         " disk-io-point=\"DiskIOPreFader\" meter-type=\"MeterK14\">\n"
         "      <PresentationInfo order=\"0\" flags=\"MasterOut,OrderSet\" color=\"0\"/>\n" +
         strip(ArdourMasterName, 2, sources, unity, false, ids) + "    </Route>\n";
}

std::string trackRoute(const ArdourTrackLayout& layout, size_t order, ArdourIds& ids) {
  const SessionTrack& track = *layout.track;
  std::string xml = "    <Route version=\"7002\"" + XmlAttribute("id", layout.routeId) +
                    XmlAttribute("name", layout.name) +
                    " default-type=\"audio\" strict-io=\"0\" active=\"1\" denormal-protection=\"0\""
                    " meter-point=\"MeterPostFader\" disk-io-point=\"DiskIOPreFader\" meter-type=\"MeterPeak\"" +
                    XmlAttribute("audio-playlist", layout.takes.front().playlistId) +
                    " saved-meter-point=\"MeterPostFader\" alignment-choice=\"Automatic\" mode=\"Normal\">\n" +
                    "      <PresentationInfo order=\"" + std::to_string(order) +
                    "\" flags=\"AudioTrack,OrderSet\" color=\"0\"/>\n";
  xml += strip(layout.name, int(track.channels), {}, mixOf(track), true, ids);
  xml += "      " + controllable("monitor", ids, "RealTime", "0", " monitoring=\"\"");
  xml += "      " + controllable("rec-safe", ids, "Toggle,RealTime", "0");
  xml += "      " + controllable("rec-enable", ids, "Toggle,RealTime", "0");
  return xml + "    </Route>\n";
}

}  // namespace

ArdourTrackLayout LayOutArdourTrack(const SessionTrack& track, const std::string& routeName, ArdourIds& ids) {
  ArdourTrackLayout layout;
  layout.track = &track;
  layout.name = routeName;
  layout.routeId = ids.Next();
  for (const SessionClip& clip : track.lanes) {
    ArdourTakeLayout take;
    take.clip = &clip;
    take.fileName = ArdourAudioFileName(clip);
    for (uint32_t channel = 0; channel < clip.channels; ++channel) take.sourceIds.push_back(ids.Next());
    take.playlistId = ids.Next();
    take.regionId = ids.Next();
    layout.takes.push_back(std::move(take));
  }
  return layout;
}

std::string ArdourRoutesXml(const std::vector<ArdourTrackLayout>& layouts, ArdourIds& ids) {
  std::string xml = "  <Routes>\n" + masterRoute(layouts, ids);
  for (size_t i = 0; i < layouts.size(); ++i) xml += trackRoute(layouts[i], i + 1, ids);
  return xml + "  </Routes>\n";
}

}  // namespace tp
