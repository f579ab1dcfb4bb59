#include "lib3dsprobe.h"

#include <lib3ds/camera.h>
#include <lib3ds/file.h>
#include <lib3ds/io.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>
#include <lib3ds/matrix.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

namespace robust {

namespace {

struct Stream {
    Bytes *bytes;
    long pos;
    bool pastEnd;
};

Lib3dsBool StreamError(void *)
{
    return LIB3DS_FALSE;
}

long StreamSeek(void *self, long offset, Lib3dsIoSeek origin)
{
    Stream *s = static_cast<Stream *>(self);
    const long base = origin == LIB3DS_SEEK_SET   ? 0
                      : origin == LIB3DS_SEEK_CUR ? s->pos
                                                  : long(s->bytes->size());
    if (base + offset < 0) return -1;
    s->pos = base + offset;
    return 0;
}

long StreamTell(void *self)
{
    return static_cast<Stream *>(self)->pos;
}

size_t StreamRead(void *self, void *buffer, size_t size)
{
    Stream *s = static_cast<Stream *>(self);
    const size_t have = size_t(s->pos) < s->bytes->size() ? s->bytes->size() - size_t(s->pos) : 0;
    if (size > have) s->pastEnd = true;
    const size_t n = std::min(size, have);
    if (n) memcpy(buffer, s->bytes->data() + s->pos, n);
    s->pos += long(n);
    return n;
}

size_t StreamWrite(void *self, const void *buffer, size_t size)
{
    Stream *s = static_cast<Stream *>(self);
    const unsigned char *b = static_cast<const unsigned char *>(buffer);
    if (size_t(s->pos) + size > s->bytes->size()) s->bytes->resize(size_t(s->pos) + size);
    std::copy(b, b + size, s->bytes->begin() + s->pos);
    s->pos += long(size);
    return size;
}

// Exit codes of the child, apart from those of the sanitizers (1) and ours.
enum { ChildLoaded = 0, ChildFailed = 70, ChildPastEnd = 71 };

int LoadHere(const Bytes &input)
{
    bool pastEnd = false;
    Lib3dsFile *file = ReadFromMemory(input, &pastEnd);
    const bool loaded = file != NULL;
    if (loaded) {
        // The frames the show evaluates: ms / 100 for ms from 0 on.
        for (float frame : {0.0f, 2.5f, 10.0f, 99.99f, 1200.0f}) lib3ds_file_eval(file, frame);
        lib3ds_file_free(file);
    }
    if (pastEnd) return ChildPastEnd;
    return loaded ? ChildLoaded : ChildFailed;
}

}  // namespace

Lib3dsFile *ReadFromMemory(const Bytes &input, bool *readPastEnd)
{
    Bytes bytes(input);
    Stream stream{&bytes, 0, false};
    Lib3dsIo *io =
        lib3ds_io_new(&stream, StreamError, StreamSeek, StreamTell, StreamRead, StreamWrite);
    Lib3dsFile *file = lib3ds_file_new();
    const bool loaded = lib3ds_file_read(file, io);
    lib3ds_io_free(io);
    *readPastEnd = stream.pastEnd;
    if (loaded) return file;
    lib3ds_file_free(file);
    return NULL;
}

const char *Describe(LoadOutcome outcome)
{
    switch (outcome) {
    case LoadOutcome::Loaded: return "loaded";
    case LoadOutcome::Failed: return "refused by lib3ds";
    case LoadOutcome::ReadPastEnd: return "read past the end";
    case LoadOutcome::Crashed: return "crashed";
    case LoadOutcome::Hung: return "hung";
    }
    return "?";
}

LoadOutcome LoadInProcess(const Bytes &bytes)
{
    switch (LoadHere(bytes)) {
    case ChildLoaded: return LoadOutcome::Loaded;
    case ChildPastEnd: return LoadOutcome::ReadPastEnd;
    default: return LoadOutcome::Failed;
    }
}

LoadOutcome LoadInChild(const Bytes &bytes, int timeLimitSeconds)
{
    size_t culprit;
    return LoadEachInChild({bytes}, &culprit, timeLimitSeconds);
}

LoadOutcome LoadEachInChild(const std::vector<Bytes> &inputs, size_t *culprit, int timeLimitSeconds)
{
    *culprit = 0;
    int progress[2];
    if (pipe(progress) != 0) return LoadOutcome::Crashed;
    fflush(NULL);
    const pid_t child = fork();
    if (child == 0) {
        close(progress[0]);
        for (size_t i = 0; i < inputs.size(); i++) {
            // The parent learns which input was under way if this one dies.
            if (write(progress[1], &i, sizeof i) != sizeof i) _exit(ChildFailed);
            alarm(timeLimitSeconds);
            const int result = LoadHere(inputs[i]);
            if (result != ChildLoaded) _exit(result);
        }
        _exit(ChildLoaded);
    }
    close(progress[1]);
    size_t index;
    while (read(progress[0], &index, sizeof index) == sizeof index) *culprit = index;
    close(progress[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return LoadOutcome::Crashed;
    if (WIFSIGNALED(status))
        return WTERMSIG(status) == SIGALRM ? LoadOutcome::Hung : LoadOutcome::Crashed;
    switch (WEXITSTATUS(status)) {
    case ChildLoaded: return LoadOutcome::Loaded;
    case ChildFailed: return LoadOutcome::Failed;
    case ChildPastEnd: return LoadOutcome::ReadPastEnd;
    default: return LoadOutcome::Crashed;  // a sanitizer's report
    }
}

Bytes Lib3dsWrite(Lib3dsFile *file)
{
    Bytes bytes;
    Stream stream{&bytes, 0, false};
    Lib3dsIo *io =
        lib3ds_io_new(&stream, StreamError, StreamSeek, StreamTell, StreamRead, StreamWrite);
    const bool ok = lib3ds_file_write(file, io);
    lib3ds_io_free(io);
    return ok ? bytes : Bytes();
}

bool WriteBytes(const std::string &path, const Bytes &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

namespace {

void Key(Lib3dsLin3Track *track, int frame, float x, float y, float z)
{
    Lib3dsLin3Key *k = lib3ds_lin3_key_new();
    k->tcb.frame = frame;
    k->value[0] = x;
    k->value[1] = y;
    k->value[2] = z;
    lib3ds_lin3_track_insert(track, k);
}

void Key(Lib3dsLin1Track *track, int frame, float v)
{
    Lib3dsLin1Key *k = lib3ds_lin1_key_new();
    k->tcb.frame = frame;
    k->tcb.flags = LIB3DS_USE_TENSION | LIB3DS_USE_EASE_FROM;
    k->tcb.tens = 0.5f;
    k->tcb.ease_from = 0.25f;
    k->value = v;
    lib3ds_lin1_track_insert(track, k);
}

Lib3dsNode *Node(Lib3dsNode *node, const char *name, int id, int parent)
{
    strcpy(node->name, name);
    node->node_id = Lib3dsWord(id);
    node->parent_id = Lib3dsWord(parent);
    return node;
}

Lib3dsMesh *Quad(const char *name, const char *material)
{
    Lib3dsMesh *mesh = lib3ds_mesh_new(name);
    lib3ds_mesh_new_point_list(mesh, 4);
    lib3ds_mesh_new_flag_list(mesh, 4);
    lib3ds_mesh_new_texel_list(mesh, 4);
    const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int i = 0; i < 4; i++) {
        mesh->pointL[i].pos[0] = corners[i][0] * 10;
        mesh->pointL[i].pos[2] = corners[i][1] * 10;
        mesh->texelL[i][0] = corners[i][0];
        mesh->texelL[i][1] = corners[i][1];
        mesh->flagL[i] = 0;
    }
    lib3ds_mesh_new_face_list(mesh, 2);
    const int faces[2][3] = {{0, 1, 2}, {0, 2, 3}};
    for (int f = 0; f < 2; f++) {
        for (int k = 0; k < 3; k++) mesh->faceL[f].points[k] = Lib3dsWord(faces[f][k]);
        mesh->faceL[f].smoothing = 1u << f;
        strcpy(mesh->faceL[f].material, f == 0 ? material : "");
    }
    strcpy(mesh->box_map.front, "front.png");
    return mesh;
}

}  // namespace

Bytes RichSceneBytes()
{
    Lib3dsFile *file = lib3ds_file_new();
    strcpy(file->name, "rich");
    file->frames = 100;
    file->segment_to = 100;
    file->ambient[0] = 0.1f;
    file->shadow.map_size = 512;
    file->background.solid.use = LIB3DS_TRUE;
    file->background.solid.col[2] = 1;
    file->background.gradient.use = LIB3DS_TRUE;
    file->background.gradient.percent = 0.5f;
    strcpy(file->background.bitmap.name, "sky.png");
    file->atmosphere.fog.use = LIB3DS_TRUE;
    file->atmosphere.fog.far_plane = 1000;
    file->atmosphere.layer_fog.use = LIB3DS_TRUE;
    file->atmosphere.dist_cue.use = LIB3DS_TRUE;

    const char *maps[3][2] = {{"Wood", "wood.png"}, {"Chrome", "env.jpg"}, {"Glow", "glow.png"}};
    for (int i = 0; i < 3; i++) {
        Lib3dsMaterial *m = lib3ds_material_new();
        strcpy(m->name, maps[i][0]);
        strcpy(i == 1 ? m->reflection_map.name : m->texture1_map.name, maps[i][1]);
        m->transparency = i == 2 ? 0.5f : 0.0f;
        m->diffuse[0] = 0.5f;
        m->shininess = 0.3f;
        m->two_sided = i == 0;
        lib3ds_file_insert_material(file, m);
    }
    lib3ds_file_insert_mesh(file, Quad("Floor", "Wood"));
    lib3ds_file_insert_mesh(file, Quad("Mirror", "Chrome"));
    Lib3dsMesh *turned = Quad("Turned", "Glow");
    lib3ds_matrix_rotate_z(turned->matrix, 0.5f);
    lib3ds_file_insert_mesh(file, turned);

    Lib3dsCamera *camera = lib3ds_camera_new("Camera01");
    camera->position[1] = -100;
    camera->fov = 45;
    camera->see_cone = LIB3DS_TRUE;
    camera->far_range = 5000;
    lib3ds_file_insert_camera(file, camera);
    Lib3dsLight *omni = lib3ds_light_new("Omni01");
    omni->position[2] = 50;
    omni->attenuation = 1;
    omni->multiplier = 1;
    lib3ds_file_insert_light(file, omni);
    Lib3dsLight *spot = lib3ds_light_new("Spot01");
    spot->spot_light = LIB3DS_TRUE;
    spot->hot_spot = 20;
    spot->fall_off = 30;
    spot->shadowed = LIB3DS_TRUE;
    lib3ds_file_insert_light(file, spot);

    Lib3dsNode *cam = Node(lib3ds_node_new_camera(), "Camera01", 0, LIB3DS_NO_PARENT);
    Key(&cam->data.camera.pos_track, 0, 0, -100, 20);
    Key(&cam->data.camera.pos_track, 50, 10, -90, 20);
    Key(&cam->data.camera.fov_track, 0, 45);
    Key(&cam->data.camera.roll_track, 0, 0);
    Key(&cam->data.camera.roll_track, 60, 15);
    lib3ds_file_insert_node(file, cam);
    Lib3dsNode *target = Node(lib3ds_node_new_target(), "Camera01", 1, LIB3DS_NO_PARENT);
    Key(&target->data.target.pos_track, 0, 0, 0, 0);
    lib3ds_file_insert_node(file, target);
    Lib3dsNode *floor = Node(lib3ds_node_new_object(), "Floor", 2, LIB3DS_NO_PARENT);
    Key(&floor->data.object.pos_track, 0, 0, 0, 0);
    Key(&floor->data.object.scl_track, 0, 1, 1, 1);
    Lib3dsQuatKey *turn = lib3ds_quat_key_new();
    turn->tcb.frame = 0;
    turn->axis[2] = 1;
    lib3ds_quat_track_insert(&floor->data.object.rot_track, turn);
    turn = lib3ds_quat_key_new();
    turn->tcb.frame = 40;
    turn->axis[2] = 1;
    turn->angle = 1.5f;
    lib3ds_quat_track_insert(&floor->data.object.rot_track, turn);
    Lib3dsBoolKey *hide = lib3ds_bool_key_new();
    hide->tcb.frame = 30;
    lib3ds_bool_track_insert(&floor->data.object.hide_track, hide);
    lib3ds_file_insert_node(file, floor);
    lib3ds_file_insert_node(file, Node(lib3ds_node_new_object(), "$$$DUMMY", 3, 2));
    lib3ds_file_insert_node(file, Node(lib3ds_node_new_object(), "Mirror", 4, 3));
    lib3ds_file_insert_node(file, Node(lib3ds_node_new_object(), "Turned", 5, 4));
    Lib3dsNode *light = Node(lib3ds_node_new_light(), "Omni01", 6, LIB3DS_NO_PARENT);
    Key(&light->data.light.pos_track, 0, 0, 0, 50);
    Key(&light->data.light.col_track, 0, 1, 1, 1);
    lib3ds_file_insert_node(file, light);
    Lib3dsNode *spotNode = Node(lib3ds_node_new_spot(), "Spot01", 7, LIB3DS_NO_PARENT);
    Key(&spotNode->data.spot.pos_track, 0, 0, 0, 10);
    lib3ds_file_insert_node(file, spotNode);
    lib3ds_file_insert_node(file,
                            Node(lib3ds_node_new_ambient(), "$AMBIENT$", 8, LIB3DS_NO_PARENT));

    for (Lib3dsNode *n = file->nodes; n; n = n->next) {
        if (n->type == LIB3DS_CAMERA_NODE) {
            lib3ds_lin3_track_setup(&n->data.camera.pos_track);
            lib3ds_lin1_track_setup(&n->data.camera.fov_track);
            lib3ds_lin1_track_setup(&n->data.camera.roll_track);
        }
    }
    Bytes bytes = Lib3dsWrite(file);
    lib3ds_file_free(file);
    return bytes;
}

}  // namespace robust
