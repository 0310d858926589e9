#include "RelayServer.h"
