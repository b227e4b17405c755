// varnel-guardian: puts out the lights that varnel left on, once varnel has gone.
#include "light/light_guardian.h"

int main() { return varnel::RunLightGuardian(); }
