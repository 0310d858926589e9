#include "Levels.h"
