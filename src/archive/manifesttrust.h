// What restore checks before it believes a word of a manifest. A manifest is
// input like any file header, and a tool may rewrite it and its checksum
// alike, so three things are checked in turn:
//  - its bytes against its line in SHA256SUMS (skipped with allowChanged);
//  - its shape, read as a stream before anything is built from it, against
//    limits no real manifest comes near, so that memory stays bounded;
//  - its entries: a version this program reads, take files named as take
//    files and each once, audio files and copies that are plain file names
//    inside the song's archive folder.
// Each refusal names trackporter.json and what is wrong with it.
#pragma once

#include <filesystem>
#include <string>

#include "archive/manifest.h"
#include "storage/status.h"

namespace tp {

// The largest manifest read: a song of 180 takes writes about 150 KB.
inline constexpr int64_t MaximumManifestBytes = 4 << 20;
// The most entries of any one list ("take_files", "files", "recorder").
inline constexpr size_t MaximumManifestEntries = 1000;

// Reads `archiveFolder`/trackporter.json, checks it against SHA256SUMS, and
// parses it (ParseArchiveManifest). With `allowChanged` a manifest the sums
// do not confirm is parsed all the same, and `confirmed` says so.
Status ReadTrustedManifest(const std::filesystem::path& archiveFolder, bool allowChanged, ArchiveManifest& manifest,
                           bool& confirmed);

// The checksum of the manifest's `text` against SHA256SUMS in its folder:
// "The archive's manifest was changed after it was written." when they
// differ, and when the manifest was written after the sums (or there are no
// sums), that the archive was stopped before it was complete.
Status CheckManifestChecksum(const std::filesystem::path& archiveFolder, const std::string& text);

// Fails (naming `path` and the reason) when `text` is too large or its
// structure goes past the limits above; reads it as a stream, building
// nothing.
Status CheckManifestShape(const std::string& text, const std::filesystem::path& path);

// Fails (naming `path` and the field) when an entry of a parsed manifest is
// not one restore may act on.
Status CheckManifestEntries(const ArchiveManifest& manifest, const std::filesystem::path& path);

// True for a name restore may create inside one folder: not empty, not "."
// or "..", no "/" and no NUL.
bool IsPlainFileName(const std::string& name);

}  // namespace tp
