#pragma once

// The engine and the graphics driver keep caches in files that they map into memory; on a
// disk with no room to back a page of such a file, touching it ends the program (SIGBUS).
// Where the disks of the per-user cache and data folders have little room left at the start,
// this run keeps those caches in memory instead.
namespace DiskCaches {

// Before the application is made, while the graphics driver and the engine have not yet read
// their settings: decides from the free room, and turns the caches on disk off when it is low.
void decideAtStart();

// Whether this run keeps caches on disk.
bool onDisk();

} // namespace DiskCaches
