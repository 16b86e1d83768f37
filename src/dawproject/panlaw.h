// The mixer's gains carried into a DAW whose mono strip pans by another
// law. Such a strip sends g·f(1−a) to the left and g·f(a) to the right,
// f(x) = x·(S·x + 1 − S), S chosen so that the centre is −3 dB; the mixer
// sends its own two gains (VolumeTable × PanTable). Solving for the
// azimuth a and the amplitude g gives the DAW the mixer's exact gains, not
// merely the knob's positions.
#pragma once

namespace tp {

// S of the −3 dB law: 2 − 4·10^(−3/20).
inline constexpr double MonoPanLawSlope = -0.831783138;

// f(x): the share of the amplitude one side gets at azimuth x (0..1).
double MonoPanLawSide(double x);

struct MonoStripGains {
  double azimuth = 0.5;  // 0 full left, 1 full right
  double fader = 1.0;    // 0..FaderTop
  double trim = 1.0;     // TrimBottom..TrimTop
};

// The fader's top (+6 dB) and the trim's range (−20 dB to +20 dB).
inline constexpr double FaderTop = 2.0;
inline constexpr double TrimBottom = 0.1, TrimTop = 10.0;

// The mixer's gains as linear factors: ((VolumeTable[v] · PanTable[p]) >> 13)
// / 8192 for the left, PanTable[100 − p] for the right.
double MixerLeftGain(int volumePosition, int panPosition);
double MixerRightGain(int volumePosition, int panPosition);

// The azimuth and the amplitude, the amplitude in the fader up to its top
// and the rest in the trim, that reproduce the mixer's gains at the
// positions given. Silence (volume 0) is the fader at 0.
MonoStripGains SolveMonoStrip(int volumePosition, int panPosition);

}  // namespace tp
