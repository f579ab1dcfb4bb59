#include "load3ds.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <lib3ds/camera.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>
#include <lib3ds/matrix.h>
#include <lib3ds/mesh.h>
#include <stdio.h>
#include <string.h>

#include "main.h"
#include "scenecheck.h"
#include "scenelimits.h"
#include "texturemanager.h"

namespace {

const float Aspect = 1.333f;  // whatever the window's shape
const int SceneLights = 7;    // GL_LIGHT1 .. GL_LIGHT7

const GLfloat FaceAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
const GLfloat FaceDiffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
const GLfloat FaceSpecular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
// Given under the -90 degree turn alone: a light shining along the line of sight.
const GLfloat HeadLight[4] = {0.0f, -1.0f, 0.0f, 0.0f};

template <size_t N> void Terminate(char (&name)[N])
{
    name[N - 1] = '\0';
}

void TerminateNodeNames(Lib3dsNode *node)
{
    for (; node; node = node->next) {
        Terminate(node->name);
        TerminateNodeNames(node->childs);
    }
}

// The library copies names into fixed fields; a file can fill a field
// without a terminator, which every later strcmp would run past.
void TerminateNames(Lib3dsFile *file)
{
    for (Lib3dsMaterial *m = file->materials; m; m = m->next) {
        Terminate(m->name);
        Terminate(m->texture1_map.name);
        Terminate(m->reflection_map.name);
    }
    for (Lib3dsMesh *mesh = file->meshes; mesh; mesh = mesh->next) {
        Terminate(mesh->name);
        for (Lib3dsDword i = 0; mesh->faceL && i < mesh->faces; i++)
            Terminate(mesh->faceL[i].material);
    }
    for (Lib3dsCamera *c = file->cameras; c; c = c->next) Terminate(c->name);
    for (Lib3dsLight *l = file->lights; l; l = l->next) Terminate(l->name);
    TerminateNodeNames(file->nodes);
}

[[noreturn]] void CannotLoad(const char *path)
{
    char message[256];
    snprintf(message, sizeof message, "Load3ds error : Can't load 3ds file %s", path);
    Quit(1, message);
}

}  // namespace

Load3ds::Load3ds() : file(NULL), cameraName(NULL), blending(0)
{
    fileName[0] = '\0';
    targetName[0] = '\0';
}

Load3ds::~Load3ds()
{
    if (file) lib3ds_file_free(file);
}

int Load3ds::Open(const char *name)
{
    const int length = snprintf(fileName, sizeof fileName, "data/%s", name);
    // A cut path would name another file.
    if (length < 0 || size_t(length) >= sizeof fileName) CannotLoad(fileName);
    if (!Check3dsFile(fileName, NULL, 0)) CannotLoad(fileName);
    file = lib3ds_file_load(fileName);
    if (!file) CannotLoad(fileName);
    TerminateNames(file);
    if (!file->cameras) Quit(1, "Load3ds error : no camera");
    cameraName = file->cameras->name;
    strcpy(targetName, scenelimits::TargetNodeName);
    LoadMaterials();
    lib3ds_file_eval(file, 0.0f);
    return 1;
}

int Load3ds::SelectCamera(int index)
{
    Lib3dsCamera *camera = file ? file->cameras : NULL;
    for (int i = 0; camera && i < index; i++) camera = camera->next;
    if (!camera) return 0;
    cameraName = camera->name;
    return 1;
}

int Load3ds::LoadMaterials()
{
    for (Lib3dsMaterial *m = file->materials; m; m = m->next) {
        if (m->texture1_map.name[0])
            m->texture1_map.user.i = textureManager->LoadTexture(m->texture1_map.name);
        if (m->reflection_map.name[0])
            m->reflection_map.user.i = textureManager->LoadTexture(m->reflection_map.name);
    }
    return 1;
}

int Load3ds::Play(int ms)
{
    if (!file) Quit(1, "load3ds : No file loaded");
    Lib3dsNode *camera = lib3ds_file_node_by_name(file, cameraName, LIB3DS_CAMERA_NODE);
    Lib3dsNode *target = lib3ds_file_node_by_name(file, targetName, LIB3DS_TARGET_NODE);
    if (!camera) Quit(1, "load3ds : No camera");
    if (!target) Quit(1, "load3ds : No target");

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(camera->data.camera.fov, Aspect, scenelimits::NearPlane, scenelimits::FarPlane);

    // 3DS cameras look along +Y with +Z up; OpenGL's eye looks along -Z.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glLightfv(GL_LIGHT0, GL_POSITION, HeadLight);

    Lib3dsMatrix view;
    lib3ds_matrix_camera(view, camera->data.camera.pos, target->data.target.pos,
                         camera->data.camera.roll);
    glMultMatrixf(&view[0][0]);

    int i = 0;
    for (Lib3dsLight *light = file->lights; light && i < SceneLights; light = light->next, i++) {
        const GLfloat direction[4] = {light->position[0], light->position[1], light->position[2],
                                      0.0f};
        glLightfv(GL_LIGHT1 + i, GL_POSITION, direction);
    }

    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    blending = 0;

    for (Lib3dsNode *node = file->nodes; node; node = node->next) RenderNode(node);

    // Evaluated after drawing, so this picture shows the previous call's frame
    // (frame 0 from Open for the first picture).
    lib3ds_file_eval(file, float(ms) / float(MsPerFrame));
    return 1;
}

int Load3ds::RenderNode(Lib3dsNode *node)
{
    // Node matrices are world transforms already: children need no parent matrix.
    for (Lib3dsNode *child = node->childs; child; child = child->next) RenderNode(child);
    if (!scenelimits::DrawsMesh(node)) return 1;

    if (!node->user.d) {
        Lib3dsMesh *mesh = lib3ds_file_mesh_by_name(file, node->name);
        if (!mesh) return 0;
        node->user.d = glGenLists(1);
        if (!node->user.d)
            return 1;  // no list name to be had: skipped now, tried again next picture
        glNewList(node->user.d, GL_COMPILE);
        CompileMesh(mesh);
        glEndList();
    }

    glPushMatrix();
    glMultMatrixf(&node->matrix[0][0]);
    const Lib3dsVector &pivot = node->data.object.pivot;
    glTranslatef(-pivot[0], -pivot[1], -pivot[2]);
    glCallList(node->user.d);
    glPopMatrix();
    return 1;
}

void Load3ds::CompileMesh(Lib3dsMesh *mesh)
{
    // 3DS stores points already moved by the mesh matrix; the node matrix
    // places them from the mesh's own frame.
    Lib3dsMatrix inverse;
    lib3ds_matrix_copy(inverse, mesh->matrix);
    lib3ds_matrix_inv(inverse);
    glMultMatrixf(&inverse[0][0]);

    Lib3dsMaterial *material = NULL;
    int boundSlot = -1;
    int reflective = 0;
    for (Lib3dsDword i = 0; mesh->faceL && i < mesh->faces; i++)
        RecordFace(mesh, i, &material, &boundSlot, &reflective);
    if (reflective) {
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
    }
}

// A face without a material record (no name given yet in its mesh, or a name
// the file does not define) is drawn like an opaque material without maps.
void Load3ds::RecordFace(Lib3dsMesh *mesh, unsigned faceIndex, Lib3dsMaterial **material,
                         int *boundSlot, int *reflective)
{
    Lib3dsFace &face = mesh->faceL[faceIndex];
    if (face.material[0]) *material = lib3ds_file_material_by_name(file, face.material);
    const Lib3dsMaterial *m = *material;

    glMaterialfv(GL_FRONT, GL_AMBIENT, FaceAmbient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, FaceDiffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, FaceSpecular);

    // A reflection map wins over the texture map: the material shows it alone.
    int slot = 0;
    if (m && m->reflection_map.name[0]) {
        *reflective = 1;
        slot = m->reflection_map.user.i;
    } else {
        *reflective = 0;
        slot = m ? m->texture1_map.user.i : 0;
    }
    if (slot != *boundSlot) {
        *boundSlot = slot;
        textureManager->BindTexture(slot);
    }

    // Any transparency at all means additive, unlit, two-sided and depth-blind.
    const float transparency = m ? m->transparency : 0.0f;
    if (transparency != 0.0f && !blending) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
        blending = 1;
    } else if (transparency == 0.0f && blending) {
        glDisable(GL_BLEND);
        glEnable(GL_LIGHTING);
        glEnable(GL_CULL_FACE);
        glEnable(GL_DEPTH_TEST);
        blending = 0;
    }

    // Only the end of the list turns generation off again, so faces after a
    // reflective one in the same mesh keep generated coordinates.
    if (*reflective) {
        glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        glEnable(GL_TEXTURE_GEN_S);
        glEnable(GL_TEXTURE_GEN_T);
    }

    for (int k = 0; k < 3; k++) {
        if (!mesh->pointL || face.points[k] >= mesh->points)
            return;  // a corner outside the point list: the triangle is left out
    }
    static const GLfloat FixedTexels[3][2] = {{0.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}};
    glBegin(GL_TRIANGLES);
    glNormal3fv(face.normal);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    for (int k = 0; k < 3; k++) {
        const Lib3dsWord p = face.points[k];
        // A texel list shorter than the points gives the fixed corner
        // coordinates to the points it lacks.
        if (mesh->texelL && p < mesh->texels)
            glTexCoord2f(mesh->texelL[p][0], 1.0f - mesh->texelL[p][1]);
        else
            glTexCoord2fv(FixedTexels[k]);
        glVertex3fv(mesh->pointL[p].pos);
    }
    glEnd();
}
