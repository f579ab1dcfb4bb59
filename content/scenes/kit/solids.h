// Solids built for the scenes (the rest are scenekit's primitives), and the
// touch reflective solids need.
#ifndef SCENES_KIT_SOLIDS_H
#define SCENES_KIT_SOLIDS_H

#include <array>
#include <string>

#include "scenekit.h"

namespace scenes::kit {

// Drops the texture coordinates: a reflective material shows its sphere map
// through generated coordinates and needs none.
void ClearTexels(scenekit::Mesh &mesh);

// The player turns sphere mapping on at every reflective face and off only at
// the end of a mesh: the faces after a reflective one stay sphere-mapped.
// Turning it on between two faces splits the mesh into one draw per face,
// which costs more than the face's pixels. The twin of a reflective material
// shows its image as a plain texture: a mesh whose first and last faces are
// reflective and the ones between the twin looks the same and draws at once.
// Meshes drawn one right after another can share the mapping the same way:
// the first opens it, the last closes it, the ones between are all twin.
scenekit::Material SphereMapTwin(const scenekit::Material &reflective);
// Adds `reflective` and its twin to the scene, as ShareSphereMapping needs
// them both; returns `reflective`.
scenekit::Material AddReflective(scenekit::Scene &scene, const scenekit::Material &reflective);
// Gives every face of a mesh of `reflective` the twin's name but the first
// when the mesh `opens` the mapping and the last when it `closes` it (the
// scene needs both materials). The content tests check that no other face is
// drawn sphere-mapped.
void ShareSphereMapping(scenekit::Mesh &mesh, const scenekit::Material &reflective,
                        bool opens = true, bool closes = true);

// Corners of a regular tetrahedron with edge `edge` centred on the origin,
// its base flat (the first three, the first on +Y) and its apex up (the last).
std::array<scenekit::Vec3, 4> TetrahedronCorners(float edge);
// That tetrahedron moved to `center`: a closed solid without texels.
scenekit::Mesh Tetrahedron(const std::string &name, scenekit::Vec3 center, float edge,
                           const std::string &material);
// Sierpinski tetrahedron: 4^level tetrahedra filling one of edge `edge`.
scenekit::Mesh Sierpinski(const std::string &name, scenekit::Vec3 center, float edge, int level,
                          const std::string &material);

}  // namespace scenes::kit

#endif
