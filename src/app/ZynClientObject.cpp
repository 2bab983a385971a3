// ZynClientObject: TZynClient, network endpoints and the frame hand-off.
#include "app/ZynClientObject.h"

#include <GL/gl.h>

TZynClient* Client = nullptr;
bool ClientRunning = false;

TZynClient::TZynClient() {}

TZynClient::~TZynClient() { ClientRunning = false; }

void TZynClient::Frame(float dt)
{
    ClientRunning = true;
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void TZynClient::Key(bool pressed, int32_t code, bool isVirtualKey) {}

void TZynClient::Mouse(int32_t x, int32_t y, uint8_t button, uint8_t state, bool pressed) {}
