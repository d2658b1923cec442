#include "text/Cp1253.h"
