#include "text/AmountText.h"
