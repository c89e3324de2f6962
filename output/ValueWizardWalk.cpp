#include "output/ValueWizardWalk.h"
