#pragma once
// Whole-file reads and atomic whole-file writes for every file the program stores.

#include <string>
#include <string_view>

namespace chimewell {

enum class FileReadResult {
    Read,
    Missing,
    // The file is there but could not be read (no permission, a folder of that name, an I/O error).
    Unreadable,
};

// Reads the file's bytes into bytes (left empty unless Read).
FileReadResult ReadWholeFile(const std::string& path, std::string& bytes);

// Replaces the file's contents in one step: the bytes go to a temporary file in the same folder, which is
// flushed to the disk and then renamed over the old file, taking over its permissions. A crash at any moment
// leaves either the old file or the new one, never a mixture. A file the user made read-only is refused.
// Throws std::runtime_error("Unable to write to <path>") on any failure; the old file then stays as it was.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// The message of every refused write.
std::string UnableToWriteMessage(const std::string& path);

} // namespace chimewell
