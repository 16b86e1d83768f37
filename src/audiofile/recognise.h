// The two recognisers OpenAudioFile tries in turn. Each reads the stream
// from its start, fills the format fields of `file` and says whether the
// bytes are a file of its kind that can be read.
#pragma once

namespace tp {

struct AudioFile;
class ByteStream;

bool recogniseAiff(AudioFile& file, ByteStream& stream);
bool recogniseWav(AudioFile& file, ByteStream& stream);

// Bytes of one sample for an integer width of 1 to 32 bits.
constexpr int integerContainerBytes(int bits) { return (bits + 7) / 8; }

// Rates a player can use: at least one frame per second, and no more than
// HighestSampleRate.
bool isUsableSampleRate(long double rate);

}  // namespace tp
