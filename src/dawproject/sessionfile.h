// A DAW project file: a ZIP holding project.xml, metadata.xml and, unless
// the plan refers to files beside it, the audio files under audio/ (stored,
// not compressed: they are copied through as fast as an archive writes
// them). libzip writes it onto a SafeFile's side file through a source of
// our own, never through a temporary file of its own, so that an
// interruption, a full disk or a failed read leaves no file behind, and a
// complete file is renamed into place.
#pragma once

#include <filesystem>
#include <string>

#include "convert/conversion.h"
#include "dawproject/session.h"

namespace tp {

// `hooks.betweenBlocks` is asked while the file is written, after every
// piece libzip copies (8 KiB), so it must be cheap (an atomic flag): true
// stops it, Aborted, nothing left. `hooks.progress` counts up to 10,000.
ConversionResult WriteSessionFile(const SessionPlan& plan, const std::filesystem::path& output,
                                  const ConversionHooks& hooks);

// The progress total WriteSessionFile reports against.
constexpr uint32_t SessionProgressTotal = 10000;

}  // namespace tp
