#include "dataset/FixedFormatDataSet.h"
