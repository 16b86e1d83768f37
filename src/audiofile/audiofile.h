// AudioFile: one open WAV or AIFF file, for reading (import, wave preview) or
// for writing (export). Samples cross this interface as 16-bit signed values,
// interleaved left first, whatever the file stores.
//
// Reading:  OpenAudioFile(path, false) -> check format (and dataStart) ->
//           SeekAudioFrame(file, 0) -> ReadAudioFrames(...)* -> CloseAudioFile.
// Writing:  OpenAudioFile(path, true) -> AudioFileFailed -> set channels,
//           frames, bits, sampleRate -> WriteAudioHeader -> WriteAudioFrames*
//           -> CloseAudioFile (patches the sizes).
//
// All functions run on the calling thread; an AudioFile is never shared
// between threads.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace tp {

// FLAC is written and read through libsndfile (convert/sndfilebridge.h),
// never by AudioFile: an archive asks for it, an export does not.
enum AudioFormat : int32_t { FormatNone = 0, FormatAiff = 1, FormatWav = 2, FormatFlac = 3 };

// How the samples of a file opened for reading are stored, decided when the
// file is recognised.
enum class SampleEncoding : int32_t { Integer = 0, Float = 1 };

// Results of the operations (0 is success).
constexpr int AudioOk = 0;
constexpr int AudioNoStream = -2;     // AudioFileFailed: the file could not be created
constexpr int AudioBadState = -4;     // no stream, format 0, or called out of order
constexpr int AudioSeekFailed = -5;

class ByteStream;  // the file or memory the object reads or writes (bytestream.h)
class FileHandle;  // storage/filehandle.h

struct AudioFile {
  AudioFile();
  ~AudioFile();
  AudioFile(const AudioFile&) = delete;
  AudioFile& operator=(const AudioFile&) = delete;

  std::unique_ptr<ByteStream> stream;  // null when opening failed or the file was not recognised

  // Writing only.
  int64_t sizeFieldPosition = 0;   // size field of the last chunk opened ("data"/"SSND")
  uint32_t bytesWritten = 0;       // sample bytes appended since the header
  int64_t frameCountPosition = 0;  // AIFF "COMM" frame count

  int32_t mode = 0;                // 1 = opened for writing, 0 = reading or not open
  AudioFormat format = FormatNone;
  int64_t dataStart = 0;           // byte position of the first frame; 0 = not found
  uint32_t channels = 0;
  uint32_t frames = 0;
  int32_t bits = 0;                // bits per sample as stored in the file
  int32_t baseNote = 60, detune = 0, lowNote = 60, highNote = 60;
  uint32_t loopBegin = 0, loopEnd = 0;
  long double sampleRate = 44100.0L;  // the 80-bit extended rate, kept at full precision

  // Reading only: the stored form of one sample. bytesPerSample is the
  // container width (1 to 4 for integers, 4 or 8 for floats); 0 while nothing
  // was recognised, and for an AIFF without a "COMM" chunk.
  SampleEncoding encoding = SampleEncoding::Integer;
  int32_t bytesPerSample = 0;
  // Writing only: set when more samples were offered than the 32-bit size
  // fields can describe; those samples were refused.
  bool sizeLimitReached = false;
  // Writing only: set before WriteAudioHeader, with `frames` the number of
  // frames that will follow, for an output that cannot seek back (a pipe):
  // the header is written with its final sizes, and closing checks that
  // exactly that many frames came.
  bool sizesPreset = false;
  // Writing only: a block's samples in the file's byte order when it is
  // not the host's (AIFF), kept between blocks so that a block costs one
  // write and no allocation.
  std::vector<uint8_t> orderedBytes;
  // Reading only: the system's reason when reading the file failed while it
  // was being recognised (a failing disk, not a foreign file).
  int readError = 0;
  // Reading only: the file is a WAV or AIFF, but its rate (in sampleRate) is
  // none that audio has (0, NaN, infinite, beyond 768 kHz). It is refused
  // for that reason rather than handed to another reader as a foreign file.
  bool rateRefused = false;
};

// The highest rate a sound file may declare; anything above is a damaged
// header (a rate field of 2^26 read from a NaN), not audio.
inline constexpr long double HighestSampleRate = 768000.0L;

// The rate the "COMM" chunk of an AIFF or AIFF-C file declares, read from
// its 80-bit extended value; nullopt for any other file.
std::optional<long double> AiffDeclaredRate(ByteStream& stream);

std::unique_ptr<AudioFile> OpenAudioFile(const std::filesystem::path& path, bool forWriting);

// An AudioFile for writing into a file opened by someone else (a SafeFile),
// who syncs and closes it after CloseAudioFile.
std::unique_ptr<AudioFile> OpenAudioFileForWriting(FileHandle& handle);
// An AudioFile for writing into any stream (bytes a caller takes as they
// come); with `sizesPreset` it never seeks back.
std::unique_ptr<AudioFile> OpenAudioFileForWritingTo(std::unique_ptr<ByteStream> stream);

// Recognises the bytes of `stream` as OpenAudioFile(path, false) does a file
// (tests and the fuzzer hand it memory). `stream` may be null.
std::unique_ptr<AudioFile> OpenAudioFileFromStream(std::unique_ptr<ByteStream> stream);

// 0, AudioBadState or AudioSeekFailed.
int SeekAudioFrame(AudioFile& file, uint32_t frame);

// Reads `frames` frames into `buffer` (room for frames x channels values) and
// returns the number of samples (not frames) read, or AudioBadState. The rest
// of the buffer is set to 0.
int64_t ReadAudioFrames(AudioFile& file, uint32_t frames, int16_t* buffer);

// Reads `frames` frames but keeps only the first `keptChannels` channels of
// each (fewer when the file has fewer), into `buffer` (room for frames x
// keptChannels values; the rest is set to 0). The stored bytes go through
// `scratch` in pieces of at most MaximumReadBytes, so memory stays bounded
// whatever the header says. Returns the frames read, or AudioBadState.
constexpr size_t MaximumReadBytes = 1 << 20;
int64_t ReadAudioFrameChannels(AudioFile& file, uint32_t frames, int16_t* buffer, uint32_t keptChannels,
                               std::vector<uint8_t>& scratch);
// The same at the stored precision, full scale +-1.0 (for the rate
// converter, which must not work from samples already cut to 16 bits).
int64_t ReadAudioFrameChannels(AudioFile& file, uint32_t frames, float* buffer, uint32_t keptChannels,
                               std::vector<uint8_t>& scratch);
// The bytes of one frame as stored.
inline uint64_t StoredFrameBytes(const AudioFile& file) { return uint64_t(file.channels) * uint64_t(file.bytesPerSample); }

// AudioNoStream when there is no stream; otherwise non-zero once any write or
// seek has failed.
int AudioFileFailed(const AudioFile& file);

// 0 or AudioBadState.
int WriteAudioHeader(AudioFile& file, AudioFormat format);

// `buffer` holds frames x channels samples: 16-bit values, or single bytes
// for 8-bit files. 0, AudioBadState, or AudioWriteFailed.
int WriteAudioFrames(AudioFile& file, const void* buffer, uint32_t frames);
constexpr int AudioWriteFailed = -6;

// Patches the sizes of a written file and closes it. Returns 0 when
// everything reached the disk (every write, the final flush and the close),
// AudioWriteFailed otherwise. Closing a file opened for reading, or one
// that never got a stream, returns 0; a null pointer gives AudioBadState.
int CloseAudioFile(std::unique_ptr<AudioFile> file);

}  // namespace tp
