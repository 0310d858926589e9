#include "ReplyParser.h"
