// An Ardour 7 session folder written from a song: OUT/<name>.ardour
// (dawproject/ardourxml.h) and the takes as the WAV files `stems` writes in
// OUT/interchange/<name>/audiofiles, <name> being OUT's own name. The
// folder is built beside its place under a hidden name and renamed into
// place when complete, so that an interruption, a full disk or a take that
// cannot be read leaves nothing.
#pragma once

#include <filesystem>
#include <string>

#include "convert/conversion.h"
#include "dawproject/session.h"

namespace tp {

// Whether `folder` may become the session: it must not exist, or, with
// `replace`, hold only what WriteArdourSession writes there (its session
// file, the WAV files and Ardour's empty folders): never a song folder, a
// session someone worked on in Ardour, or any other folder. A refusal
// names the folder, or the first thing in it that is not ours.
Status CheckArdourSessionTarget(const std::filesystem::path& folder, bool replace);

// Writes the session. `hooks.betweenBlocks` is asked between the blocks of
// the takes (true stops it: Aborted, nothing left); `hooks.progress`
// counts frames of all the takes. `replace`: as CheckArdourSessionTarget,
// checked again just before the old folder makes way.
ConversionResult WriteArdourSession(const SessionPlan& plan, const std::filesystem::path& folder, bool replace,
                                    const ConversionHooks& hooks);

}  // namespace tp
