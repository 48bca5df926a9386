#pragma once
// Whole-file reading and writing of image files, and the rule for a usable file name.

#include "common/LittleEndian.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace image {

// A file name of 5 characters or fewer (a cancelled dialog included) counts as no file.
bool FileNameUsable(const QString& name);

// The file's length in bytes; nullopt when it does not exist or cannot be opened.
std::optional<int64_t> MeasureFile(const QString& path);

// The whole file; nullopt when it does not exist, cannot be opened or not all of it
// could be read.
std::optional<common::Bytes> ReadWholeFile(const QString& path);

// Up to `count` bytes from the start of the file, zero-filled to exactly `count`;
// nullopt when the file cannot be opened or read.
std::optional<common::Bytes> ReadFileHead(const QString& path, int64_t count);

// Writes `bytes` as the file's whole contents, replacing any earlier file. False when the
// file could not be created or not every byte reached the disk (a full disk, for one).
bool WriteWholeFile(const QString& path, const common::Bytes& bytes);

}  // namespace image
