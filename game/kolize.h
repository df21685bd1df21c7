// The collision response: the ship's probe test with what its contacts do (walls, harmful
// objects, barrels, pick-ups, the bonus), the shot hit test and the enemy-hit step.
#pragma once

#include <cstdint>

class TGLBaseSceneObject;

// Sweeps the probe's bounding sphere `distance` along its facing against every target; true
// when it touches the walls or a visible `ob1` or `trup`. On the way it raises `shipHit`, arms
// barrels and collects pick-ups and the bonus.
bool probeTest(TGLBaseSceneObject* probe, float distance);

// Sweeps a live shot of pool `kind` (1..5) against `blok`, the walls and the enemies; true when
// it hit something. Every enemy it hits counts the hit in its Tag and runs onEnemyHit.
bool shotHitTest(TGLBaseSceneObject* shot, int32_t kind);

// The percent counter towards an extra life, and the hit effect of `kind` placed at the shot.
void onEnemyHit(TGLBaseSceneObject* shot, int32_t kind);
