#include "storage/AtomicFile.h"
