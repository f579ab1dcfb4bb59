// The limits a scene of the show keeps beyond the 3DS format itself: the
// chunk walk refuses files beyond them, and scenekit writes none.
#ifndef SHOW_SCENELIMITS_H
#define SHOW_SCENELIMITS_H

#include <stddef.h>
#include <string.h>

#include <lib3ds/node.h>

namespace scenelimits {

constexpr size_t MaxFileBytes = size_t(64) << 20;
// Materials, meshes, cameras, lights and keyframer nodes of each kind; keys
// of a track.
constexpr size_t MaxListLength = 8192;
// Sum of the squared lengths of those lists: lib3ds inserts in order.
constexpr size_t MaxListWork = size_t(1) << 28;
// Points, texture coordinates and faces over the file.
constexpr size_t MaxElements = size_t(1) << 22;
// Viewport records over the file.
constexpr size_t MaxViews = 1024;
// Levels of keyframer nodes, top-level nodes at depth 1.
constexpr int MaxNodeDepth = 256;
// Largest |frame| of a track key: lib3ds does frame sums in float and int.
constexpr int MaxKeyFrame = 1 << 22;
// The player's clip planes: nothing nearer to the camera or farther from it
// is drawn.
constexpr double NearPlane = 0.1;
constexpr double FarPlane = 20000.0;
// The target node every scene is seen towards, whatever its camera's name.
constexpr char TargetNodeName[] = "Camera01";
// Object nodes of this name only carry their children: none is drawn.
constexpr char DummyNodeName[] = "$$$DUMMY";

// An object node whose mesh of the same name the player draws.
inline bool DrawsMesh(const Lib3dsNode *node)
{
    return node->type == LIB3DS_OBJECT_NODE && strcmp(node->name, DummyNodeName) != 0;
}

}  // namespace scenelimits

#endif
