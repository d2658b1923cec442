#include "workspace/Workspace.h"
