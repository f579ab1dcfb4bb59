#include "showfixture.h"

#include "effectsmanager.h"
#include "main.h"
#include "texturemanager.h"

namespace showtest {

void ShowCoreTest::SetUp()
{
    gl_.reset(new OffscreenGl(Width, Height));
    ASSERT_TRUE(gl_->ok()) << "no OSMesa context";
    textureManager = new TextureManager;
}

void ShowCoreTest::TearDown()
{
    delete effectsManager;
    effectsManager = NULL;
    delete textureManager;
    textureManager = NULL;
    gl_.reset();
}

}  // namespace showtest
