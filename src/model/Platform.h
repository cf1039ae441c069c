#pragma once

// The few calls that differ between operating systems.
namespace Platform {
// Forces the written data of an open file descriptor to the disk.
bool FlushToDisk(int fd);
}  // namespace Platform
