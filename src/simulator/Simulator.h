#pragma once

// Everything of the simulated receiver in one include, for tests and benchmarks.
#include "SimBand.h"
#include "SimLine.h"
#include "SimOptions.h"
#include "SimReceiver.h"
#include "SimTransports.h"
