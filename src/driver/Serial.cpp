#include "Serial.h"
