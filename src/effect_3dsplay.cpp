#include "effect_3dsplay.h"

#include <GL/gl.h>

#include "load3ds.h"
#include "showplan.h"

void SetShowGlState()
{
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDisable(GL_NORMALIZE);
    // Only the values: no polygon-offset mode is ever enabled.
    glPolygonOffset(1.0f, 2.0f);
}

// The table starts empty so that the destructor can tell loaded scenes from
// unwritten entries whatever stage the effect reached.
Effect_3DSPlay::Effect_3DSPlay() : scenes(), sceneCount(0) {}

Effect_3DSPlay::~Effect_3DSPlay()
{
    for (Load3ds *scene : scenes) delete scene;
}

int Effect_3DSPlay::Init()
{
    SetShowGlState();
    sceneCount = 0;
    for (const showplan::SceneSlot &row : showplan::Scenes) {
        const int i = sceneCount++;
        scenes[i] = new Load3ds;
        scenes[i]->Open(row.file);  // ends the process on failure
        sceneDurations[i] = row.durationMs;
    }
    sceneCount--;
    return 1;
}

int Effect_3DSPlay::Do(int showMs, int)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    int k = 0;
    int slotStart = 0;
    for (int j = 0; j < sceneCount; j++) {
        if (showMs - slotStart < sceneDurations[j]) break;
        slotStart += sceneDurations[j];
        k++;
    }
    if (scenes[k]) scenes[k]->Play(showMs - slotStart);
    return 1;
}
