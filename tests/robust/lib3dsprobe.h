// lib3ds driven from memory, for tests that feed it bytes the checker passed.
#ifndef ROBUST_LIB3DSPROBE_H
#define ROBUST_LIB3DSPROBE_H

#include <lib3ds/file.h>

#include <ostream>
#include <string>
#include <vector>

namespace robust {

typedef std::vector<unsigned char> Bytes;

enum class LoadOutcome {
    Loaded,       // loaded, evaluated and freed with every read inside the data
    Failed,       // lib3ds answered no file
    ReadPastEnd,  // lib3ds read beyond the last byte (uninitialised values)
    Crashed,      // killed by a signal
    Hung,         // still busy after the time limit
};
const char *Describe(LoadOutcome outcome);
inline std::ostream &operator<<(std::ostream &out, LoadOutcome outcome)
{
    return out << Describe(outcome);
}

// lib3ds's reading of bytes through a memory stream: the file, or null when
// the library refuses them. *readPastEnd tells whether it asked for bytes
// beyond the last (and went on with what it had).
Lib3dsFile *ReadFromMemory(const Bytes &bytes, bool *readPastEnd);

// Loads bytes with lib3ds through a memory stream in a child process (lib3ds
// keeps global state that failed loads corrupt, and may crash), evaluates the
// animation at a few frames and frees it.
LoadOutcome LoadInChild(const Bytes &bytes, int timeLimitSeconds = 10);
// The same in this process: Loaded, Failed or ReadPastEnd. After Failed,
// lib3ds's global state is damaged: later loads may abort.
LoadOutcome LoadInProcess(const Bytes &bytes);
// The same for many inputs in one child, which stops at the first that does
// not load; answers its outcome and sets *culprit to its index (Loaded when
// all load). One child keeps this fast under sanitizers, where forks are slow.
LoadOutcome LoadEachInChild(const std::vector<Bytes> &inputs, size_t *culprit,
                            int timeLimitSeconds = 10);

// A scene written by lib3ds with every kind of record it writes: materials
// with maps, meshes with texture coordinates, flags, smoothing and material
// groups, cameras, omni and spot lights, background, fog and shadow settings,
// and a node hierarchy with position, rotation, scale, fov, roll, colour and
// hide tracks. No spot projector: lib3ds writes its chunk with a wrong length.
Bytes RichSceneBytes();

// What lib3ds writes for file.
Bytes Lib3dsWrite(Lib3dsFile *file);

bool WriteBytes(const std::string &path, const Bytes &bytes);

}  // namespace robust

#endif
