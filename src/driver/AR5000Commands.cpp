#include "AR5000.h"
