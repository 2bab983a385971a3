// ZynKick: beat-driven tumbling for scenes (TZMom and TZynKick).
//
// TZMom integrates an angular momentum into an orientation matrix with
// exponential damping. TZynKick feeds it from the Beat of the vis data: each
// rise of the beat pushes the object around the current axis, each fall picks
// a new random axis for the next push. Scenes create a kick in Init, reset it
// in Reset, update it once per Render and apply it before drawing.
// Depends on: scenes/kvGeometry, audio/ZynVisData, config/ZynConstDef, app/ZynLog, OpenGL.
#pragma once

#include "audio/ZynVisData.h"
#include "scenes/kvGeometry.h"

class TZMom {
public:
    TZMom() { Reset(); }
    void Reset();
    void Damp(float factor);
    void AddImpulse(const TkvVector& v);
    void Integrate(float dt);

    TkvMatrix Orientation = kvIdentity;
    TkvVector AngularMomentum{0, 0, 0, 1};   // axis times speed, radians per second
};

class TZynKick {
public:
    // A reset forgets the last beat too: a scene changed into mid-beat starts
    // without a push left over from its previous showing.
    void Reset()
    {
        Mom.Reset();
        LastBeat = 0;
        Axis = {0, 0, 0, 0};
    }
    void Update(const TVisData& visData, float dt);
    // Multiplies the current GL matrix by the orientation; a GL error resets it.
    void Use();

    float LastBeat = 0;
    TZMom Mom;
    TkvVector Axis{0, 0, 0, 0};   // zero until the beat first falls
};
