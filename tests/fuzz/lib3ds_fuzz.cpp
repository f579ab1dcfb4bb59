// The chunk walk's promise alone, fast: every input it accepts is read by
// lib3ds from memory and put through what the show asks of the library
// (lookups by name, the camera's view, the meshes' matrices, evaluation over
// the slot and the tracks' wrap-round), with no crash, hang, leak or
// sanitizer report. No images, no GL: many times as fast as
// scene_fuzz, which draws. Built as a libFuzzer target by run.sh, and as a
// replay program by CMake.
//
// It aborts when the walk accepts a file that lib3ds refuses, reads past the
// end of, or leaves with a name that has no terminator.
#include <lib3ds/camera.h>
#include <lib3ds/file.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>
#include <lib3ds/matrix.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "fuzzthrough.h"
#include "lib3dsprobe.h"
#include "scenecheck.h"
#include "scenelimits.h"

int fuzzInputsThrough = 0;

namespace {

// The show's frames: ms / 100 for ms over a slot of at most two minutes.
const float LastShowFrame = 1200.0f;

[[noreturn]] void Fail(const char *what)
{
    fprintf(stderr, "the chunk walk accepted a file that %s\n", what);
    abort();
}

template <size_t N> void MustEnd(const char (&name)[N], const char *field)
{
    if (!memchr(name, '\0', N)) {
        fprintf(stderr, "%s: ", field);
        Fail("lib3ds leaves with a name that has no terminator");
    }
}

void CheckNodeNames(const Lib3dsNode *node)
{
    for (; node; node = node->next) {
        MustEnd(node->name, "node");
        CheckNodeNames(node->childs);
    }
}

// The show compares these names with strcmp right after loading.
void CheckNames(const Lib3dsFile *file)
{
    for (const Lib3dsMaterial *m = file->materials; m; m = m->next) {
        MustEnd(m->name, "material");
        MustEnd(m->texture1_map.name, "texture map");
        MustEnd(m->reflection_map.name, "reflection map");
    }
    for (const Lib3dsMesh *mesh = file->meshes; mesh; mesh = mesh->next) {
        MustEnd(mesh->name, "mesh");
        for (Lib3dsDword i = 0; mesh->faceL && i < mesh->faces; i++)
            MustEnd(mesh->faceL[i].material, "face material");
    }
    for (const Lib3dsCamera *c = file->cameras; c; c = c->next) MustEnd(c->name, "camera");
    for (const Lib3dsLight *l = file->lights; l; l = l->next) MustEnd(l->name, "light");
    CheckNodeNames(file->nodes);
}

// What drawing a node asks of the library: its mesh, the mesh's inverse
// matrix and each face's material.
void LookUpMeshes(Lib3dsFile *file, Lib3dsNode *node)
{
    for (; node; node = node->next) {
        LookUpMeshes(file, node->childs);
        if (node->type != LIB3DS_OBJECT_NODE) continue;
        Lib3dsMesh *mesh = lib3ds_file_mesh_by_name(file, node->name);
        if (!mesh) continue;
        Lib3dsMatrix inverse;
        lib3ds_matrix_copy(inverse, mesh->matrix);
        lib3ds_matrix_inv(inverse);
        for (Lib3dsDword i = 0; mesh->faceL && i < mesh->faces; i++) {
            if (mesh->faceL[i].material[0])
                lib3ds_file_material_by_name(file, mesh->faceL[i].material);
        }
        lib3ds_file_node_by_id(file, node->node_id);
    }
}

// Frames across the show's slot, the file's own length and the points where
// repeating tracks wrap round (once past the last key).
std::vector<float> Frames(const Lib3dsFile *file)
{
    std::vector<float> frames = {0.0f,   0.25f,  1.0f,   2.5f,    10.0f,    31.7f,        99.99f,
                                 100.0f, 333.3f, 640.5f, 1000.0f, 1199.99f, LastShowFrame};
    for (double length : {double(file->frames), double(file->segment_to)}) {
        for (double at : {length - 0.5, length, length + 0.5, length * 1.5, length * 2 + 0.25}) {
            if (at > 0 && at <= LastShowFrame) frames.push_back(float(at));
        }
    }
    return frames;
}

// What the show's loader asks of the library after loading, without GL.
void Exercise(Lib3dsFile *file)
{
    CheckNames(file);
    lib3ds_file_eval(file, 0.0f);
    // Any camera can be chosen; the target's name is fixed.
    std::vector<std::pair<Lib3dsNode *, Lib3dsNode *>> views;
    Lib3dsNode *target =
        lib3ds_file_node_by_name(file, scenelimits::TargetNodeName, LIB3DS_TARGET_NODE);
    for (Lib3dsCamera *c = file->cameras; c; c = c->next) {
        Lib3dsNode *camera = lib3ds_file_node_by_name(file, c->name, LIB3DS_CAMERA_NODE);
        if (camera && target) views.emplace_back(camera, target);
    }
    LookUpMeshes(file, file->nodes);
    std::vector<float> frames = Frames(file);
    std::sort(frames.begin(), frames.end());
    for (float frame : frames) {
        lib3ds_file_eval(file, frame);
        for (const auto &view : views) {
            Lib3dsMatrix matrix;
            lib3ds_matrix_camera(matrix, view.first->data.camera.pos, view.second->data.target.pos,
                                 view.first->data.camera.roll);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    PrintInputsThroughAtExit("lib3ds_fuzz", "accepted by the chunk walk went through lib3ds");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!Check3dsBuffer(data, size, NULL, 0)) return 0;
    bool pastEnd = false;
    Lib3dsFile *file = robust::ReadFromMemory(robust::Bytes(data, data + size), &pastEnd);
    if (!file) Fail("lib3ds refuses");
    if (pastEnd) Fail("lib3ds reads past the end of");
    Exercise(file);
    lib3ds_file_free(file);
    fuzzInputsThrough++;
    return 0;
}
