#include "workspace/DeclarationFile.h"
