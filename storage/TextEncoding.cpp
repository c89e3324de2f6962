#include "storage/TextEncoding.h"
