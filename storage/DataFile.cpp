#include "storage/DataFile.h"
