#include "output/PageComposer.h"
