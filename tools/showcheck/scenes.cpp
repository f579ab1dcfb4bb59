// The scenes of the show plan as the show's loader and renderer read them.
#include <lib3ds/camera.h>
#include <lib3ds/file.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>
#include <lib3ds/tracks.h>
#include <stdio.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <set>
#include <string>

#include "checks.h"
#include "load3ds.h"
#include "scenecheck.h"
#include "scenelimits.h"
#include "showplan.h"

namespace showcheck {
namespace {

// The picture the camera gives is checked this often over the scene's slot.
const int CameraStepMs = 10;

struct FileFree {
    void operator()(Lib3dsFile *file) const { lib3ds_file_free(file); }
};
using SceneFile = std::unique_ptr<Lib3dsFile, FileFree>;

std::string Quoted(const char *name)
{
    return std::string("\"") + name + "\"";
}

std::string Seconds(double ms)
{
    char text[32];
    snprintf(text, sizeof text, "%.2f s", ms / 1000);
    return text;
}

// The file as Load3ds::Open reads it; null once the finding is reported.
SceneFile Open(Report *report, const char *name)
{
    const std::string path = report->Path(name);
    const std::string stops =
        " (the show stops at start-up: Load3ds error : Can't load 3ds file data/" +
        std::string(name) + ")";
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        report->Error(name, "missing" + stops);
        return nullptr;
    }
    if (!S_ISREG(info.st_mode)) {
        report->Error(name, "not a file" + stops);
        return nullptr;
    }
    char why[256] = "";
    if (!Check3dsFile(path.c_str(), why, sizeof why)) {
        report->Error(name,
                      std::string("refused by the show's check of its chunks: ") + why + stops);
        return nullptr;
    }
    SceneFile file(lib3ds_file_load(path.c_str()));
    if (!file) report->Error(name, "lib3ds cannot read it" + stops);
    return file;
}

// The camera the show looks through, its nodes and its picture over the slot.
void CheckCamera(Report *report, const char *name, Lib3dsFile *file, int slotMs)
{
    if (!file->cameras) {
        report->Error(name, "no camera (the show stops at start-up: Load3ds error : no camera)");
        return;
    }
    // The library keeps cameras sorted by name; the show takes the first.
    const char *cameraName = file->cameras->name;
    Lib3dsNode *eye = lib3ds_file_node_by_name(file, cameraName, LIB3DS_CAMERA_NODE);
    Lib3dsNode *target =
        lib3ds_file_node_by_name(file, scenelimits::TargetNodeName, LIB3DS_TARGET_NODE);
    const std::string stops = " (the show stops at the scene's first picture: load3ds : No ";
    if (!eye)
        report->Error(name, "no camera node named " + Quoted(cameraName) +
                                ", the first camera by name" + stops + "camera)");
    if (!target)
        report->Error(name, "no target node named " + Quoted(scenelimits::TargetNodeName) + stops +
                                "target)");
    if (!eye || !target) return;

    bool fovReported = false, viewReported = false;
    for (int ms = 0; ms <= slotMs && !(fovReported && viewReported); ms += CameraStepMs) {
        lib3ds_file_eval(file, float(ms) / float(Load3ds::MsPerFrame));
        const float fov = eye->data.camera.fov;
        if (!(fov > 0 && fov < 180) && !fovReported) {
            char text[160];
            snprintf(text, sizeof text,
                     "the camera's field of view is %g degrees at %s; a picture needs more than 0 "
                     "and less than 180",
                     fov, Seconds(ms).c_str());
            report->Error(name, text);
            fovReported = true;
        }
        const float *from = eye->data.camera.pos, *to = target->data.target.pos;
        if (from[0] == to[0] && from[1] == to[1] && from[2] == to[2] && !viewReported) {
            report->Error(name, "the camera node and the target node meet at " + Seconds(ms) +
                                    ": there is no direction to look in");
            viewReported = true;
        }
    }
}

// Faces whose material the renderer cannot find: those before any face of
// their mesh names one, and those naming a material the file lacks.
void CheckMesh(Report *report, const char *name, Lib3dsFile *file, const Lib3dsMesh *mesh)
{
    const Lib3dsMaterial *material = NULL;
    unsigned without = 0;
    std::string unknown;
    for (Lib3dsDword i = 0; mesh->faceL && i < mesh->faces; i++) {
        const char *given = mesh->faceL[i].material;
        if (given[0]) {
            material = lib3ds_file_material_by_name(file, given);
            if (!material && unknown.empty()) unknown = given;
        }
        without += material == NULL;
    }
    if (without == 0) return;
    std::string text = "mesh " + Quoted(mesh->name) + ": " + std::to_string(without) + " of " +
                       std::to_string(mesh->faces) + " faces have no material";
    if (!unknown.empty()) text += " (the file has no material " + Quoted(unknown.c_str()) + ")";
    report->Warning(name, text + ": the show draws them opaque with its first image");
}

void CheckDrawn(Report *report, const char *name, Lib3dsFile *file, Lib3dsNode *node,
                std::set<const Lib3dsMesh *> *checked)
{
    for (; node; node = node->next) {
        CheckDrawn(report, name, file, node->childs, checked);
        if (!scenelimits::DrawsMesh(node)) continue;
        const Lib3dsMesh *mesh = lib3ds_file_mesh_by_name(file, node->name);
        if (!mesh)
            report->Warning(name, "object node " + Quoted(node->name) +
                                      " has no mesh of its name: nothing is drawn for it");
        else if (checked->insert(mesh).second)
            CheckMesh(report, name, file, mesh);
    }
}

// The frame of a track's last key when its keys move the node, -1 when it
// holds one value, INT_MAX when it repeats for ever.
template <class Track> int LastMove(const Track &track)
{
    if (!track.keyL || !track.keyL->next) return -1;
    if (track.flags & LIB3DS_REPEAT) return INT_MAX;
    int last = track.keyL->tcb.frame;
    for (auto *key = track.keyL; key; key = key->next) last = std::max(last, key->tcb.frame);
    return last;
}

// The last frame at which anything the show draws with moves, -1 for none.
int AnimationEnd(const Lib3dsNode *node)
{
    int end = -1;
    for (; node; node = node->next) {
        end = std::max(end, AnimationEnd(node->childs));
        const Lib3dsNodeData &d = node->data;
        switch (node->type) {
        case LIB3DS_OBJECT_NODE:
            end = std::max({end, LastMove(d.object.pos_track), LastMove(d.object.rot_track),
                            LastMove(d.object.scl_track)});
            break;
        case LIB3DS_CAMERA_NODE:
            end = std::max({end, LastMove(d.camera.pos_track), LastMove(d.camera.fov_track),
                            LastMove(d.camera.roll_track)});
            break;
        case LIB3DS_TARGET_NODE: end = std::max(end, LastMove(d.target.pos_track)); break;
        default: break;  // lights' nodes: the show reads their records
        }
    }
    return end;
}

void CheckAnimation(Report *report, const char *name, Lib3dsFile *file, int slotMs)
{
    const int end = AnimationEnd(file->nodes);
    if (end == INT_MAX || double(end) * Load3ds::MsPerFrame >= slotMs) return;
    const std::string slot = " its slot of " + Seconds(slotMs);
    if (end < 0)
        report->Warning(name, "nothing in it moves: it stands still for" + slot);
    else
        report->Warning(name, "its animation ends at " + Seconds(end * Load3ds::MsPerFrame) +
                                  ": it stands still for the rest of" + slot);
}

// The images in the order Load3ds::LoadMaterials loads them.
void CollectImages(const char *name, Lib3dsFile *file, std::vector<ImageUse> *images)
{
    for (Lib3dsMaterial *m = file->materials; m; m = m->next) {
        for (const char *image : {m->texture1_map.name, m->reflection_map.name})
            if (image[0]) images->push_back({image, name, m->name});
    }
}

}  // namespace

void CheckScenes(Report *report, std::vector<ImageUse> *images)
{
    for (const showplan::SceneSlot &slot : showplan::Scenes) {
        SceneFile file = Open(report, slot.file);
        if (!file) continue;
        CheckCamera(report, slot.file, file.get(), slot.durationMs);
        std::set<const Lib3dsMesh *> checked;
        CheckDrawn(report, slot.file, file.get(), file->nodes, &checked);
        CheckAnimation(report, slot.file, file.get(), slot.durationMs);
        CollectImages(slot.file, file.get(), images);
    }
}

}  // namespace showcheck
