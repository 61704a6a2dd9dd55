#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace vorlane {

// Replaces the file at `path` with `bytes` so that a crash, a kill or a full
// disk leaves either the old file or the new one, never half of one: the data
// goes to a temporary file in the same folder, is flushed to disk, then renamed
// over the old file, and the folder is flushed too. Raises EWriteError naming
// `path` when any step is refused, or when this user may not write the
// existing file; the old file is then untouched.
void ReplaceFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

// Flushes a file and its folder to disk (for files written by a library that
// renames but does not flush, such as libzip). Raises EWriteError on failure.
void FlushFileAndFolder(const std::string& path);

// Writes a new folder `name` under `parent` whole or not at all: `write` fills
// a hidden folder, which the programs skip, renamed once complete. Returns
// the folder. Raises EWriteError, or what `write` raises, leaving nothing.
std::string WriteFolderWhole(const std::string& parent, const std::string& name,
                             const std::function<void(const std::string& folder)>& write);

// Reads a whole regular file. Returns false when it cannot be opened or is no
// regular file (a folder, a FIFO, a device); `bytes` is then empty.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes);

}  // namespace vorlane
