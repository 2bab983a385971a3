// ZynKick: momentum integration and the beat kick.
#include "audio/ZynKick.h"

#include "app/ZynLog.h"
#include "config/ZynConstDef.h"
#include "platform/ZynRandom.h"

#include <GL/gl.h>
#include <cmath>

void TZMom::Reset()
{
    AngularMomentum = TkvVector{0, 0, 0, 1};
    Orientation = kvIdentity;
}

void TZMom::Damp(float factor) { VecScale(AngularMomentum, factor, AngularMomentum); }

void TZMom::AddImpulse(const TkvVector& v) { VecAdd(AngularMomentum, v, AngularMomentum); }

void TZMom::Integrate(float dt)
{
    AngularMomentum.w = 1.0f;
    float speed = VecLength(AngularMomentum);
    if (!(speed > 0) || !std::isfinite(speed)) {
        // A non-finite momentum (a bad frame time) would poison the orientation for good.
        if (!std::isfinite(speed)) AngularMomentum = TkvVector{0, 0, 0, 1};
        return;
    }
    TkvVector axis;
    VecDivide(AngularMomentum, speed, axis);
    TkvMatrix r;
    MatrixRotateAxis(axis, speed * dt, r);
    MatrixMultiply(Orientation, r);
}

void TZynKick::Update(const TVisData& visData, float dt)
{
    if (dt == 0 || !std::isfinite(dt)) return;
    float b = std::isfinite(visData.Beat) ? visData.Beat : 0.0f;
    if (b >= LastBeat) {
        TkvVector push;
        VecScale(Axis, (b - LastBeat) * (zcBASS_Rotate * 0.1f) / dt, push);
        Mom.AddImpulse(push);
    } else {
        // One of the 26 directions of a 3x3x3 grid.
        do {
            float p = float(ZynRandomInt(3)), q = float(ZynRandomInt(3)), s = float(ZynRandomInt(3));
            Axis = TkvVector{p - 1, q - 1, s - 1, 1};
        } while (VecLength(Axis) <= 0);
        VecNormalize(Axis);
    }
    LastBeat = b;
    Mom.Integrate(dt);
    Mom.Damp(std::pow(0.5f, dt / 0.25f));
}

void TZynKick::Use()
{
    glMultMatrixf(Mom.Orientation.m);
    if (!ZynCheckGL("TZynKick.Use", 0)) Mom.Orientation = kvIdentity;
}
