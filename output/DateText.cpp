#include "output/DateText.h"
