// The chunk walk that keeps malformed .3ds files away from lib3ds 1.3.
#ifndef SHOW_SCENECHECK_H
#define SHOW_SCENECHECK_H

#include <stddef.h>

#include "scenelimits.h"

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
// trees deeper than scenelimits::MaxNodeDepth, and inputs beyond the other
// limits of scenelimits.h.
int Check3dsFile(const char *path, char *why, size_t whySize);
int Check3dsBuffer(const unsigned char *bytes, size_t size, char *why, size_t whySize);

#endif
