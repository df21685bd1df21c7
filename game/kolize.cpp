// The collision response: the probe test, the shot hit test and the enemy-hit step.
#include "game/kolize.h"

#include "game/data.h"

// The targets arrive with the form's objects; until then nothing can be touched.
bool probeTest(TGLBaseSceneObject* /*probe*/, float /*distance*/) { return false; }
bool shotHitTest(TGLBaseSceneObject* /*shot*/, int32_t /*kind*/) { return false; }
void onEnemyHit(TGLBaseSceneObject* /*shot*/, int32_t /*kind*/) {}
