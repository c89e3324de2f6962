#include "storage/KeyValueText.h"
