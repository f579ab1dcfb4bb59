// scenekit: builds keyframe-animated scenes in memory and writes them as .3ds
// files through lib3ds 1.3.
//
// Conventions (those of 3D Studio and of the player that reads the files):
// - World space is right-handed with +Z up. A camera at (0,-d,0) looking at
//   the origin sees +X to the right and +Z up.
// - Angles are in degrees everywhere (rotation keys, field of view, roll).
// - Animation time is in integer keyframes; the player shows ten per second
//   (frame = scene milliseconds / 100).
// - A triangle is seen from the side where its corners run counter-clockwise;
//   the player culls the other side.
// - Texture coordinates (u, v): u grows to the right of the image, v upwards
//   (v = 1 is the top row of the image).
//
// Typical use:
//   scenekit::Scene scene;
//   scene.AddMaterial(scenekit::Material::Textured("Wood", "wood.jpg"));
//   scene.AddObject(scenekit::Box("Crate", {0,0,0}, {10,10,10}, "Wood"),
//                   scenekit::Motion::Spin({0,0,5}, {0,0,1}, 0, 100, 360));
//   scene.AddAnimatedCamera("Camera01", {{0, {0,-100,30}}}, {{0, {0,0,0}}}, 45);
//   std::string error;
//   if (!scene.Save("data/crate.3ds", &error)) { ...report error... }
#ifndef SCENEKIT_SCENEKIT_H
#define SCENEKIT_SCENEKIT_H

#include <array>
#include <string>
#include <vector>

#include "scenelimits.h"

namespace scenekit {

struct Vec3 {
    float x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator-(Vec3 a)
{
    return {-a.x, -a.y, -a.z};
}
inline Vec3 operator*(Vec3 a, float s)
{
    return {a.x * s, a.y * s, a.z * s};
}
inline Vec3 operator*(float s, Vec3 a)
{
    return a * s;
}
inline bool operator==(Vec3 a, Vec3 b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z;
}
inline bool operator!=(Vec3 a, Vec3 b)
{
    return !(a == b);
}
float Dot(Vec3 a, Vec3 b);
Vec3 Cross(Vec3 a, Vec3 b);
float Length(Vec3 a);
// Unit vector along a; a zero vector stays zero.
Vec3 Normalize(Vec3 a);

// Colour channels 0..1; the file keeps them at 8 bits per channel.
struct Rgb {
    float r = 0, g = 0, b = 0;
};

// Column-major 4x4 matrix, the layout of Lib3dsMatrix and glMultMatrixf:
// m[column][row], translation in m[3][0..2].
using Matrix = std::array<std::array<float, 4>, 4>;
Matrix Identity();
Matrix Translation(Vec3 t);
Matrix Scaling(Vec3 s);
// Right-handed rotation: positive angles turn counter-clockwise when seen
// from the tip of the axis looking towards the origin.
Matrix Rotation(Vec3 axis, float angleDeg);
Matrix operator*(const Matrix &a, const Matrix &b);
Vec3 TransformPoint(const Matrix &m, Vec3 p);

// ---- Scene records ---------------------------------------------------------

// Names of materials, meshes, cameras, lights and nodes are at most 63 bytes.
// lib3ds keeps every list sorted by name, byte by byte, whatever the order of
// the Add calls.

struct Material {
    std::string name;
    std::string texture;     // image file of the texture 1 map, "" for none
    std::string reflection;  // image file of the reflection (sphere) map, "" for none
    float transparency = 0;  // 0 opaque; the player draws anything else additively
    Rgb ambient{0.2f, 0.2f, 0.2f};
    Rgb diffuse{0.8f, 0.8f, 0.8f};
    Rgb specular{0.0f, 0.0f, 0.0f};
    float shininess = 0;  // 0..1

    static Material Plain(const std::string &name, Rgb diffuse);
    static Material Textured(const std::string &name, const std::string &image);
    static Material Reflective(const std::string &name, const std::string &image);
    // Textured and drawn additively (transparency 0.5).
    static Material Glow(const std::string &name, const std::string &image);
};

struct Face {
    std::array<unsigned, 3> points{};  // indices into Mesh::points, counter-clockwise
    // "" keeps the previous face's material: the file names it again (see
    // SaveOptions::nameEveryFace).
    std::string material;
};

struct Mesh {
    std::string name;          // an object node draws the mesh of its own name
    std::vector<Vec3> points;  // as 3DS stores them: already transformed by `matrix`
    std::vector<std::array<float, 2>> texels;  // empty, or one (u, v) per point
    std::vector<Face> faces;
    Matrix matrix = Identity();  // the mesh's own frame; the player undoes it

    // Appends `other`'s points, texels and faces (indices shifted). When only
    // one of the two has texels, the other's points get (0, 0).
    void Append(const Mesh &other);
    // Moves every point by m (the mesh matrix is left as it is).
    void Transform(const Matrix &m);
    // Sets every face's material name.
    void SetMaterial(const std::string &material);
};

// Its near and far ranges in the file are computed on save: they hold every
// face the player draws as seen from the camera's node over the animation.
struct Camera {
    std::string name;
    Vec3 position;
    Vec3 target;
    float fovDeg = 45;  // vertical field of view the player hands to gluPerspective
    float rollDeg = 0;
};

// An omni light. The player uses only the stored position, as a direction
// from the origin, for the first seven lights by name. A light without a node
// of its own is written with one, standing still at its position.
struct Light {
    std::string name;
    Vec3 position;
    Rgb colour{1, 1, 1};
};

// ---- Keyframes -------------------------------------------------------------

// How a node's tracks run between keys:
// Linear: positions, scales, fov and roll move at constant speed from key to
//   key; rotations turn at constant angular speed about the axis between the
//   two orientations (spherical linear interpolation).
// Smooth: lib3ds's default TCB spline (tension, continuity, bias 0): a curve
//   through the keys with continuous velocity, overshooting between keys.
// Either way every track holds its first key's value before it and its last
// key's value after it, and passes exactly through every key.
enum class Interpolation { Linear, Smooth };

struct Vec3Key {
    int frame = 0;
    Vec3 value;
};

struct FloatKey {
    int frame = 0;
    float value = 0;
};

// ABSOLUTE orientation at a frame: a turn of angleDeg about axis (any length
// but zero) from the unrotated pose. Between two keys whose axes are parallel,
// or where either angle is 0, the node turns by the difference of the angles,
// in its direction, even by several turns (0 then 720 about Z spins twice);
// between other keys it takes the shortest way. The library writes lib3ds's relative keys,
// adding in-between keys where one step would exceed 120 degrees; that needs
// at least one frame per 120 degrees, else Save refuses.
struct RotationKey {
    int frame = 0;
    Vec3 axis{0, 0, 1};
    float angleDeg = 0;
};

// The animation of an object, dummy, camera, target or light node.
// Keys of each track must have strictly increasing frames from 0 to 4194304.
// A track without keys holds its rest value: no rotation, scale 1, and the
// position of the node's record (a camera node: the camera's position; a
// target node: its camera's target; a light node: the light's position;
// else 0). A track whose first key is after frame 0 gets a copy of that key
// at frame 0.
// After lib3ds_file_eval at frame t an object node's matrix is
//   parent's matrix x Translation(position) x Rotation x Scaling(scale);
// the player then draws the mesh moved by -pivot, so the pivot is the mesh
// point that sits at the node's position and about which it turns.
struct Motion {
    Vec3 pivot;
    Interpolation interpolation = Interpolation::Linear;
    std::vector<Vec3Key> position;
    std::vector<RotationKey> rotation;  // object and dummy nodes only
    std::vector<Vec3Key> scale;         // object and dummy nodes only

    // Standing still at `position`.
    static Motion Still(Vec3 position);
    // At `position`, turning about `axis` at constant speed from angle 0 at
    // firstFrame to turnsDeg at lastFrame.
    static Motion Spin(Vec3 position, Vec3 axis, int firstFrame, int lastFrame, float turnsDeg);
    // Moving in straight lines through the (frame, position) keys.
    static Motion Path(const std::vector<Vec3Key> &keys);
};

enum class NodeType { Object, Camera, Target, Light };

constexpr int kNoParent = -1;
// Object nodes the player never draws.
constexpr const char *kDummyName = scenelimits::DummyNodeName;

struct Node {
    NodeType type = NodeType::Object;
    std::string name;        // object: its mesh; camera/light: its record; target: its camera
    int parent = kNoParent;  // index returned by an earlier or later Add*; no cycles
    Motion motion;
    std::vector<FloatKey> fov;   // camera nodes only; none: the camera record's fov
    std::vector<FloatKey> roll;  // camera nodes only; none: the camera record's roll
};

// ---- The scene -------------------------------------------------------------

struct SaveOptions {
    // Refuse files that the player could not show properly: no camera; no
    // camera node named like the camera whose name sorts first; no target
    // node named "Camera01"; an object node (other than "$$$DUMMY") without
    // a mesh of its name; a face naming no material of the scene, or with an
    // empty name before any named face of its mesh; more than the player's
    // pre-load check accepts (8192 records of a kind or keys in a track,
    // nodes nested over 256 levels, 4194304 points, texels and faces in
    // all). Turn off only to write deliberately broken scenes for tests of
    // the player.
    bool checkPlayable = true;
    // Write a face with an empty material name with the name it keeps, that
    // of the last face before it that gives one: other readers leave faces
    // outside every material group without material. Turn off only to write
    // the empty names themselves, for tests of the player's rule.
    bool nameEveryFace = true;
};

class Scene {
public:
    // Each Add* copies the record and answers its index in its own list
    // (nodes: the index to use as a parent). Nothing is checked until Save.
    int AddMaterial(const Material &material);
    int AddMesh(const Mesh &mesh);
    int AddCamera(const Camera &camera);
    int AddLight(const Light &light);
    int AddNode(const Node &node);

    // Adds the mesh and an object node of its name with this motion.
    int AddObject(const Mesh &mesh, const Motion &motion = Motion(), int parent = kNoParent);
    // Adds a "$$$DUMMY" object node: a transform for its children, not drawn.
    int AddDummy(const Motion &motion, int parent = kNoParent);
    // Adds the camera record (placed at the first keys), its camera node
    // (position keys, one fov key, one roll key) and its target node, both
    // named `name`. Answers the camera node's index. Name the show camera
    // "Camera01": the player looks for a target node of that name.
    int AddAnimatedCamera(const std::string &name, const std::vector<Vec3Key> &positions,
                          const std::vector<Vec3Key> &targets, float fovDeg, float rollDeg = 0,
                          Interpolation interpolation = Interpolation::Linear);
    // Adds the light record and, when `positions` is not empty, a light node.
    int AddLight(const Light &light, const std::vector<Vec3Key> &positions);

    // Length of the animation in frames written to the file's keyframer
    // header; by default the last key frame of any node (at least 1).
    void SetFrames(int frames) { frames_ = frames; }
    void SetAmbient(Rgb ambient) { ambient_ = ambient; }

    // Checks everything Save checks, writes nothing. On failure answers false
    // and, when `error` is not null, a message naming the faulty record.
    bool Validate(std::string *error, const SaveOptions &options = SaveOptions()) const;
    // Validates, then writes the scene with lib3ds_file_save. Answers true
    // when the file was written; on failure no file is left behind and
    // `error` (when not null) says why. The scene is not changed.
    bool Save(const std::string &path, std::string *error,
              const SaveOptions &options = SaveOptions()) const;

    // Records for changes after adding; `index` is one answered by Add*
    // (std::out_of_range otherwise).
    Material &material(int index) { return materials_.at(index); }
    Mesh &mesh(int index) { return meshes_.at(index); }
    Camera &camera(int index) { return cameras_.at(index); }
    Light &light(int index) { return lights_.at(index); }
    Node &node(int index) { return nodes_.at(index); }

    const std::vector<Material> &materials() const { return materials_; }
    const std::vector<Mesh> &meshes() const { return meshes_; }
    const std::vector<Camera> &cameras() const { return cameras_; }
    const std::vector<Light> &lights() const { return lights_; }
    const std::vector<Node> &nodes() const { return nodes_; }

private:
    std::vector<Material> materials_;
    std::vector<Mesh> meshes_;
    std::vector<Camera> cameras_;
    std::vector<Light> lights_;
    std::vector<Node> nodes_;
    int frames_ = 0;
    Rgb ambient_{0, 0, 0};
};

}  // namespace scenekit

#endif
