// Where a scene's frame time goes, material by material: draws the scene
// offscreen through the show's own classes at frames spread over its
// animation, whole and without the nodes of each material in turn, and prints
// per material the fragments the frame loses without them (in screens:
// fragments / (width x height)) and the CPU time it saves. Additive materials
// draw without depth test, so that is every fragment they write; an opaque one
// drawn before what it hides gives those pixels back to the later nodes.
// Usage: nodecost SCENE.3ds [FRAMES [ROUNDS [WIDTH HEIGHT]]]   (run where data/ is)
#include <GL/gl.h>
#include <GL/glext.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "effect_3dsplay.h"
#include "load3ds.h"
#include "main.h"
#include "offscreen.h"
#include "scenelimits.h"
#include "texturemanager.h"

namespace {

struct Cost {
    double fragments = 0;  // per frame
    double cpuMs = 0;      // per frame
};

// The drawn nodes whose first face has one material.
struct Group {
    std::string material, image;
    bool additive = false;
    unsigned faces = 0;
    std::vector<std::string> nodes;
};

PFNGLGENQUERIESPROC genQueries;
PFNGLBEGINQUERYPROC beginQuery;
PFNGLENDQUERYPROC endQuery;
PFNGLGETQUERYOBJECTUIVPROC getQueryObject;

double CpuMs()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Object nodes the show draws, in its order: children before their parent.
void CollectDrawn(Lib3dsFile *file, Lib3dsNode *node, std::vector<Lib3dsNode *> *out)
{
    for (; node; node = node->next) {
        CollectDrawn(file, node->childs, out);
        if (scenelimits::DrawsMesh(node) && lib3ds_file_mesh_by_name(file, node->name))
            out->push_back(node);
    }
}

Lib3dsMaterial *FirstMaterial(Lib3dsFile *file, Lib3dsMesh *mesh)
{
    if (!mesh->faces || !mesh->faceL[0].material[0]) return NULL;
    return lib3ds_file_material_by_name(file, mesh->faceL[0].material);
}

std::vector<Group> Groups(const char *scene)
{
    Load3ds load;
    load.Open(scene);
    std::vector<Lib3dsNode *> drawn;
    CollectDrawn(load.file, load.file->nodes, &drawn);
    std::map<std::string, Group> byMaterial;
    std::vector<std::string> order;
    for (Lib3dsNode *node : drawn) {
        Lib3dsMesh *mesh = lib3ds_file_mesh_by_name(load.file, node->name);
        Lib3dsMaterial *m = FirstMaterial(load.file, mesh);
        const std::string name = m ? m->name : "";
        Group &g = byMaterial[name];
        if (g.nodes.empty()) {
            order.push_back(name);
            g.material = name;
            if (m) {
                g.additive = m->transparency != 0.0f;
                g.image = m->reflection_map.name[0] ? m->reflection_map.name : m->texture1_map.name;
            }
        }
        g.faces += mesh->faces;
        g.nodes.push_back(node->name);
    }
    std::vector<Group> groups;
    for (const std::string &name : order) groups.push_back(byMaterial[name]);
    return groups;
}

// Draws `frames` pictures spread over the scene without the nodes of `hidden`
// (null: none); a fresh scene each time, as display lists carry the blending
// state from one node to the next.
Cost Measure(const char *scene, const Group *hidden, int frames, GLuint query)
{
    Load3ds load;
    load.Open(scene);
    if (hidden) {
        std::vector<Lib3dsNode *> drawn;
        CollectDrawn(load.file, load.file->nodes, &drawn);
        for (Lib3dsNode *node : drawn)
            if (std::find(hidden->nodes.begin(), hidden->nodes.end(), node->name) !=
                hidden->nodes.end())
                strcpy(node->name, scenelimits::DummyNodeName);
    }
    const int lastMs = std::max(1, int(load.file->frames)) * 100;
    Cost cost;
    for (int i = 0; i < frames; i++) {
        const int ms = int((long long)lastMs * (2 * i + 1) / (2 * frames));
        // A picture shows the frame evaluated by the call before it.
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        load.Play(ms);
        glFinish();
        const double start = CpuMs();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        beginQuery(GL_SAMPLES_PASSED, query);
        load.Play(ms);
        endQuery(GL_SAMPLES_PASSED);
        glFinish();
        cost.cpuMs += CpuMs() - start;
        GLuint samples = 0;
        getQueryObject(query, GL_QUERY_RESULT, &samples);
        cost.fragments += samples;
    }
    cost.fragments /= frames;
    cost.cpuMs /= frames;
    return cost;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2 && argc != 3 && argc != 4 && argc != 6) {
        fprintf(stderr, "usage: nodecost SCENE.3ds [FRAMES [ROUNDS [WIDTH HEIGHT]]]\n");
        return 2;
    }
    const char *scene = argv[1];
    const int frames = argc >= 3 ? atoi(argv[2]) : 16;
    const int rounds = argc >= 4 ? atoi(argv[3]) : 3;
    const int width = argc == 6 ? atoi(argv[4]) : 1024;
    const int height = argc == 6 ? atoi(argv[5]) : 768;
    if (frames < 1 || frames > 1000 || rounds < 1 || rounds > 100 || width < 1 || height < 1 ||
        width > 4096 || height > 4096) {
        fprintf(stderr, "nodecost: bad frame count, rounds or size\n");
        return 2;
    }
    headless::OffscreenGl context(width, height);
    if (!context.ok()) {
        fprintf(stderr, "nodecost: no offscreen GL context\n");
        return 1;
    }
    genQueries = (PFNGLGENQUERIESPROC)OSMesaGetProcAddress("glGenQueries");
    beginQuery = (PFNGLBEGINQUERYPROC)OSMesaGetProcAddress("glBeginQuery");
    endQuery = (PFNGLENDQUERYPROC)OSMesaGetProcAddress("glEndQuery");
    getQueryObject = (PFNGLGETQUERYOBJECTUIVPROC)OSMesaGetProcAddress("glGetQueryObjectuiv");
    if (!genQueries || !beginQuery || !endQuery || !getQueryObject) {
        fprintf(stderr, "nodecost: no occlusion queries\n");
        return 1;
    }
    GLuint query = 0;
    genQueries(1, &query);
    SetShowGlState();
    textureManager = new TextureManager;

    const std::vector<Group> groups = Groups(scene);
    Measure(scene, NULL, frames, query);  // warms the caches and the shader variants
    // Each round measures the whole scene and then each group left out; the
    // saving is the median over the rounds, so that a busy moment of the
    // machine spoils one round only.
    std::vector<double> whole, fragments(groups.size());
    std::vector<std::vector<double>> saved(groups.size());
    double wholeFragments = 0;
    for (int r = 0; r < rounds; r++) {
        const Cost all = Measure(scene, NULL, frames, query);
        whole.push_back(all.cpuMs);
        wholeFragments = all.fragments;
        for (size_t g = 0; g < groups.size(); g++) {
            const Cost without = Measure(scene, &groups[g], frames, query);
            saved[g].push_back(all.cpuMs - without.cpuMs);
            fragments[g] = all.fragments - without.fragments;
        }
    }
    const double screen = double(width) * height;
    printf("%s at %dx%d on %s, %d frames, %d rounds: %.2f screens, %.2f ms CPU per frame\n", scene,
           width, height, (const char *)glGetString(GL_RENDERER), frames, rounds,
           wholeFragments / screen, Median(whole));
    printf("%-14s %-17s %3s %6s %7s %7s  %s\n", "material", "image", "add", "faces", "screens",
           "CPU ms", "nodes");
    for (size_t g = 0; g < groups.size(); g++) {
        const Group &group = groups[g];
        std::string nodes;
        for (const std::string &n : group.nodes) nodes += (nodes.empty() ? "" : " ") + n;
        if (nodes.size() > 40) nodes = nodes.substr(0, 37) + "...";
        printf("%-14.14s %-17.17s %3s %6u %7.3f %7.2f  %s\n", group.material.c_str(),
               group.image.c_str(), group.additive ? "yes" : "", group.faces, fragments[g] / screen,
               Median(saved[g]), nodes.c_str());
    }
    delete textureManager;
    return 0;
}
