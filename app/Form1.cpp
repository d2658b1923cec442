#include "app/Form1.h"
