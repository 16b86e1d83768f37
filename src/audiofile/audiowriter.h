// The part of closing that belongs to the writer.
#pragma once

namespace tp {

struct AudioFile;

// Patches the sizes of a file whose header was written (nothing when none
// was), then closes the stream. True when every write, seek, the final flush
// and the close succeeded.
bool finishWrittenFile(AudioFile& file);

}  // namespace tp
