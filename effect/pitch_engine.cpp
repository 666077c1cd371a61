#include "effect/pitch_engine.h"
