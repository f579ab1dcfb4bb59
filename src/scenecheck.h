#ifndef SHOW_SCENECHECK_H
#define SHOW_SCENECHECK_H

#include <stddef.h>

// lib3ds 1.3 trusts the files it reads: on some malformed ones it loops
// forever, recurses without end, reads past its arrays or writes past them.
// These walk a .3ds file's whole chunk tree the way the library will read it
// and answer 1 when the library can load it safely, else 0 with a short
// reason in why (why may be null; the reason is cut to whySize).
//
// Refused, among others: truncated files, chunks outside their parent,
// lengths below 6, chunk id 0, counts that do not match their chunk, faces
// whose corners lie outside the point list, material groups naming faces that
// do not exist, names without a terminator or longer than their field, more
// than three gradient colours, track keys that repeat a frame, keyframer
// nodes whose ids repeat or whose parents are missing or form a loop, node
// trees deeper than MaxNodeDepth, and inputs so large that the library's
// sorted lists would take quadratic time (see the limits below).
int Check3dsFile(const char *path, char *why, size_t whySize);
int Check3dsBuffer(const unsigned char *bytes, size_t size, char *why, size_t whySize);

namespace scenecheck {
// The limits the checker enforces beyond the format itself.
enum : unsigned long {
    MaxFileBytes = 64ul << 20,
    MaxNodeDepth = 256,           // levels of parents, top-level nodes at depth 1
    MaxListLength = 8192,         // materials, meshes, cameras, lights, nodes, keys per track
    MaxListWork = 1ul << 28,      // sum of squared list lengths: lib3ds inserts in order
    MaxElements = 1ul << 22,      // points, texture coordinates and faces over the file
    MaxViews = 1024,              // viewport records over the file
    MaxKeyFrame = 1ul << 22,      // |frame| of a track key; lib3ds does frame sums in float and int
};
} // namespace scenecheck

#endif
