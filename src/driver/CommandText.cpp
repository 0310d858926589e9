#include "CommandText.h"
