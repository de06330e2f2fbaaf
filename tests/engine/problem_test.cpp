#include "tests/engine/test_support.h"
