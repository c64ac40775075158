// The caption's backup file "spot.sav", opened so that it stays this
// process's own. Display Properties keeps its small preview running while
// its Preview button starts the full screen, both from the Windows
// directory; sharing one file, each would empty and overwrite the other's
// backdrop. A saver that finds "spot.sav" taken uses a name of its own in
// the same folder ("spXXXXXX.sav", from its process id), which it deletes
// on the way out as the first does "spot.sav".
#pragma once

#include <cstddef>
#include <cstdio>

// The codec's spot file opener (CodecOptions::openSpotFile): path holds the
// folder's "spot.sav" and receives the name used.
std::FILE* OpenOwnSpotFile(char* path, size_t pathSize);
