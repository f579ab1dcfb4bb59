// What Save writes beyond the scene as built, for validation to count too.
#ifndef SCENEKIT_WRITTEN_H
#define SCENEKIT_WRITTEN_H

#include <vector>

#include "scenekit.h"

namespace scenekit {

// The scene's nodes, and a still node for each light that has none: other
// readers leave a light without a node out of their scene graph.
std::vector<Node> NodesToWrite(const Scene &scene);

}  // namespace scenekit

#endif
