#include "storage/Preferences.h"
