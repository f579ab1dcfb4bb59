// The chunk walk that keeps malformed .3ds files away from lib3ds 1.3.
#ifndef SHOW_SCENECHECK_H
#define SHOW_SCENECHECK_H

#include <stddef.h>

#include "scenelimits.h"

// lib3ds 1.3 trusts the files it reads: on some malformed ones it loops
// forever, recurses without end, reads past its arrays or writes past them.
// These walk a .3ds file's whole chunk tree the way the library will read it
// and answer 1 when the library can load and evaluate it safely, else 0 with
// a short reason in why (why may be null; the reason is cut to whySize).
//
// Refused: files whose first chunk is not one a 3DS file starts with (the
// library refuses those itself); truncated files; chunk lengths below 6 or that wrap a 32-bit
// offset; chunks that the library reads running past their parent, or data
// it reads running past its chunk; counts larger than their chunk holds;
// faces without points or whose corners lie outside the point list; material groups naming
// faces that do not exist; names without a terminator or longer than their
// field; more than three gradient colours; a repeating track whose keys all
// lie on one frame (the chunks of one tag in a node add up to one track);
// keyframer nodes whose ids repeat or that are their own ancestors; node
// trees deeper than scenelimits::MaxNodeDepth; and inputs beyond the other
// limits of scenelimits.h.
//
// Let be, as the library never reads them: bytes after the main chunk or
// after what it reads of a chunk, chunks it skips (those may even run past
// their parent), whatever follows a chunk id of 0, which ends its list.
int Check3dsFile(const char *path, char *why, size_t whySize);
int Check3dsBuffer(const unsigned char *bytes, size_t size, char *why, size_t whySize);

#endif
