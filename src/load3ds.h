#ifndef SHOW_LOAD3DS_H
#define SHOW_LOAD3DS_H

#include <lib3ds/file.h>
#include <lib3ds/node.h>

// One .3ds scene of the show: its 3DS data, the camera it is seen through and
// the texture slots of its materials. Each texture map's slot is kept in the
// map's user word (user.i); each drawn node's display list in its user word
// (user.d), 0 while it has none.
class Load3ds {
public:
    enum { PathSize = 256, MsPerFrame = 100 };  // ten keyframes a second

    char fileName[PathSize];    // "data/<name>"
    Lib3dsFile *file;           // owned; null until Open
    char *cameraName;           // name of a camera inside file; null until Open
    char targetName[PathSize];  // scenelimits::TargetNodeName
    int blending;               // additive blending is the state last recorded into a list

    Load3ds();
    // Frees the 3DS data; display lists and textures are left alone.
    ~Load3ds();

    // Reads data/<name>, chooses the first camera by name, loads every
    // material's images into the texture store and evaluates frame 0.
    // Answers 1; a missing, unreadable or malformed file, or one without a
    // camera, ends the process with status 1 (a bad image: status 2).
    int Open(const char *name);
    // Chooses the camera at this position of the name-ordered list (index <= 0:
    // the first). Answers 0 and changes nothing when there is no such camera.
    int SelectCamera(int index);
    // Loads the texture 1 and reflection map images of every material and keeps
    // their slots. Answers 1.
    int LoadMaterials();

    // Draws the scene through its camera, then evaluates its animation at
    // frame ms / 100, which the next picture shows. Answers 1; a scene without
    // file, camera node or target node ends the process with status 1.
    int Play(int ms);
    // Draws node's children, then node itself through its display list,
    // compiling the list at its first draw. Answers 0 for an object node whose
    // mesh is missing (its children are drawn all the same), else 1.
    int RenderNode(Lib3dsNode *node);

private:
    void CompileMesh(Lib3dsMesh *mesh);
    void RecordFace(Lib3dsMesh *mesh, unsigned faceIndex, Lib3dsMaterial **material, int *boundSlot,
                    int *reflective);
};

#endif
