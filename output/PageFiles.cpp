#include "output/PageFiles.h"
